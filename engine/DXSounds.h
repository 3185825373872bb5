#pragma once
// Named sounds and the sound device they play on. The sound device component (TDXSound)
// owns the platform's sound output and tells bound components through numbered events
// when it comes and goes; the wave list (TDXWaveList) follows those events and builds a
// playable main buffer for every item of its collection. A non-looped item never plays
// its main buffer: it plays copies that share the main buffer's samples, reusing free
// copies first.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/DXHashCollection.h"
#include "engine/DXTypes.h"
#include "engine/DXWave.h"
#include "platform/Platform.h"

class TDXSound;
class TWaveCollection;

class EWaveCollectionError : public EDXError {
 public:
  using EDXError::EDXError;
};

class EDXSoundError : public EDXError {
 public:
  using EDXError::EDXError;
};

// A failure of the sound platform itself (no sound device).
class EDirectSoundError : public EDXError {
 public:
  using EDXError::EDXError;
};

// Sound device events, with their numbers as the components see them.
enum TDXSoundNotifyType : int32_t {
  dsntDestroying = 0,
  dsntInitializing = 1,
  dsntInitialize = 2,
  dsntFinalize = 3,
  dsntRestore = 4,
};

using TDXSoundNotifyEvent = std::function<void(TDXSoundNotifyType NotifyType)>;

class TDXSound {
 public:
  TDXSound(IAudioDevice& Device, IClock& Clock);
  explicit TDXSound(TPlatform& Platform) : TDXSound(Platform.Audio(), Platform.Clock()) {}
  ~TDXSound();  // sends dsntDestroying to every listener, then finalizes
  TDXSound(const TDXSound&) = delete;
  TDXSound& operator=(const TDXSound&) = delete;

  bool AutoInitialize = true;
  std::function<void()> OnInitializing;
  std::function<void()> OnInitialize;
  std::function<void()> OnFinalize;
  std::function<void()> OnRestore;

  // Raises EDirectSoundError when the platform has no sound device; the partial
  // initialization is undone first.
  void Initialize();
  void Finalize();
  // The automatic initialization once the form is built: with AutoInitialize, initializes
  // and swallows EDirectSoundError, so a machine without sound runs silent.
  void Loaded();
  void Restore();  // sends dsntRestore and calls OnRestore
  bool Initialized() const { return FInitialized; }

  IAudioDevice& Device() { return FDevice; }
  IClock& Clock() { return FClock; }

  // Owner identifies the registration; registering again replaces it. While initialized,
  // a new listener is told 2 then 4 at once; a removed one is told 3.
  void AddListener(const void* Owner, TDXSoundNotifyEvent Handler);
  void RemoveListener(const void* Owner);

 private:
  struct TListener {
    const void* Owner;
    TDXSoundNotifyEvent Handler;
  };
  void Notify(TDXSoundNotifyType NotifyType);  // last registered first

  IAudioDevice& FDevice;
  IClock& FClock;
  bool FInitialized = false;
  bool FStarted = false;        // an initialization was begun and not yet finalized
  bool FInitAnnounced = false;  // OnInitialize was called
  std::vector<TListener> FListeners;
};

class TWaveCollectionItem : public THashCollectionItem {
 public:
  explicit TWaveCollectionItem(TWaveCollection& Collection);
  ~TWaveCollectionItem() override;

  // Stored properties.
  TWave Wave;
  bool Looped() const { return FLooped; }
  void SetLooped(bool Value);  // a change stops the item first
  int32_t MaxPlayingCount() const { return FMaxPlayingCount; }
  // Negative values become 0 (no limit); a change releases every copy.
  void SetMaxPlayingCount(int32_t Value);

  // Run-time settings, applied to the main buffer and to every copy played.
  uint32_t Frequency() const { return FFrequency; }  // Hz; 0 = the sound's own rate
  void SetFrequency(uint32_t Value);
  int32_t Pan() const { return FPan; }  // -10000 .. 10000, 0 = centre
  void SetPan(int32_t Value);
  int32_t Volume() const { return FVolume; }  // attenuation: 0 = full, -10000 = silence
  void SetVolume(int32_t Value);

  bool Initialized() const { return FInitialized; }
  TSoundBufferId MainBuffer() const { return FMain; }
  // The playing copies, in order of first use (the longest in use first).
  const std::vector<TSoundBufferId>& Copies() const { return FCopies; }

  // Wait blocks in 10 ms sleeps on the device's clock until the copy stops (never longer
  // than the sound lasts plus a second, so a stalled device cannot hang the caller).
  void Play(bool Wait = false);
  void Stop();

  // Driven by the collection.
  void Initialize();
  void Finalize();
  void Restore();

 private:
  IAudioDevice* Device() const;
  void ReleaseCopies();
  void ReleaseBuffers();
  void ApplySettings(TSoundBufferId Buffer);
  void WaitUntilStopped(TSoundBufferId Buffer);

  TWaveCollection& FOwner;
  bool FLooped = false;
  int32_t FMaxPlayingCount = 0;
  uint32_t FFrequency = 0;
  int32_t FPan = 0;
  int32_t FVolume = 0;
  bool FInitialized = false;
  TSoundBufferId FMain = 0;
  std::vector<TSoundBufferId> FCopies;
};

class TWaveCollection : public THashCollection {
 public:
  TWaveCollection() = default;
  ~TWaveCollection() override;
  TWaveCollectionItem& Add();
  TWaveCollectionItem& Items(int32_t Index) const;
  // Raises EWaveCollectionError "Wave '%s' not found".
  TWaveCollectionItem& Find(const std::string& Name) const;

  // The sound pack: a resource header and a "TWaveCollectionComponent" stream whose List
  // holds the items (Name, Looped, MaxPlayingCount, Wave.WAVE). Raises the file error of
  // the platform, "Invalid stream format" or "Wave is invalid"; on an error the collection
  // is left empty.
  void LoadFromFile(const std::string& FileName);
  void LoadFromStream(std::span<const uint8_t> Bytes);

  void Initialize(TDXSound& Device);
  void Finalize();
  void Restore();
  TDXSound* DXSound() const { return FDXSound; }
  bool DeviceInitialized() const { return FDXSound && FDXSound->Initialized(); }

 private:
  TDXSound* FDXSound = nullptr;
};

// The form component: owns its collection and follows the sound device's events.
class TDXWaveList {
 public:
  TDXWaveList() = default;
  ~TDXWaveList();
  TDXWaveList(const TDXWaveList&) = delete;
  TDXWaveList& operator=(const TDXWaveList&) = delete;

  TWaveCollection& Items() { return FItems; }
  TDXSound* DXSound() const { return FDXSound; }
  void SetDXSound(TDXSound* Device);

 private:
  void DXSoundNotify(TDXSoundNotifyType NotifyType);
  TWaveCollection FItems;
  TDXSound* FDXSound = nullptr;
};
