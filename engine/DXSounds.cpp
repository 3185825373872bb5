#include "engine/DXSounds.h"

#include <algorithm>
#include <memory>

#include "engine/DXStream.h"

// ---------------------------------------------------------------------------------------
// TDXSound

TDXSound::TDXSound(IAudioDevice& Device, IClock& Clock) : FDevice(Device), FClock(Clock) {}

TDXSound::~TDXSound() {
  Notify(dsntDestroying);
  FListeners.clear();
  Finalize();
}

void TDXSound::Notify(TDXSoundNotifyType NotifyType) {
  // A copy: a handler may unregister itself (or others) while being told.
  const std::vector<TListener> Listeners = FListeners;
  for (auto It = Listeners.rbegin(); It != Listeners.rend(); ++It) It->Handler(NotifyType);
}

void TDXSound::Initialize() {
  Finalize();
  FStarted = true;
  try {
    Notify(dsntInitializing);
    if (OnInitializing) OnInitializing();
    // Opening the output is also making the primary buffer: the mixer's output stream.
    if (!FDevice.Open()) throw EDirectSoundError("Sound device cannot be opened");
    FInitialized = true;
    Notify(dsntInitialize);
    FInitAnnounced = true;
    if (OnInitialize) OnInitialize();
    Restore();
  } catch (...) {
    Finalize();
    throw;
  }
}

void TDXSound::Finalize() {
  if (!FStarted) return;
  FStarted = false;
  if (FInitAnnounced && OnFinalize) OnFinalize();
  FInitAnnounced = false;
  Notify(dsntFinalize);
  FDevice.Close();
  FInitialized = false;
}

void TDXSound::Loaded() {
  if (!AutoInitialize) return;
  try {
    Initialize();
  } catch (const EDirectSoundError&) {
    // No sound device: the game runs silent.
  }
}

void TDXSound::Restore() {
  Notify(dsntRestore);
  if (OnRestore) OnRestore();
}

void TDXSound::AddListener(const void* Owner, TDXSoundNotifyEvent Handler) {
  std::erase_if(FListeners, [Owner](const TListener& L) { return L.Owner == Owner; });
  FListeners.push_back({Owner, Handler});
  if (FInitialized) {
    Handler(dsntInitialize);
    Handler(dsntRestore);
  }
}

void TDXSound::RemoveListener(const void* Owner) {
  auto It = std::find_if(FListeners.begin(), FListeners.end(),
                         [Owner](const TListener& L) { return L.Owner == Owner; });
  if (It == FListeners.end()) return;
  TDXSoundNotifyEvent Handler = std::move(It->Handler);
  FListeners.erase(It);
  if (FInitialized) Handler(dsntFinalize);
}

// ---------------------------------------------------------------------------------------
// TWaveCollectionItem

TWaveCollectionItem::TWaveCollectionItem(TWaveCollection& Collection) : FOwner(Collection) {}

TWaveCollectionItem::~TWaveCollectionItem() {
  ReleaseBuffers();
}

IAudioDevice* TWaveCollectionItem::Device() const {
  TDXSound* S = FOwner.DXSound();
  return S ? &S->Device() : nullptr;
}

void TWaveCollectionItem::ReleaseCopies() {
  if (IAudioDevice* D = Device())
    for (TSoundBufferId C : FCopies) D->ReleaseBuffer(C);
  FCopies.clear();
}

void TWaveCollectionItem::ReleaseBuffers() {
  ReleaseCopies();
  if (FMain)
    if (IAudioDevice* D = Device()) D->ReleaseBuffer(FMain);
  FMain = 0;
}

void TWaveCollectionItem::ApplySettings(TSoundBufferId Buffer) {
  IAudioDevice* D = Device();
  if (!D || !Buffer) return;
  D->SetFrequency(Buffer, FFrequency);
  D->SetPan(Buffer, FPan);
  D->SetVolume(Buffer, FVolume);
}

void TWaveCollectionItem::SetLooped(bool Value) {
  if (Value == FLooped) return;
  Stop();
  FLooped = Value;
}

void TWaveCollectionItem::SetMaxPlayingCount(int32_t Value) {
  Value = std::max(Value, 0);
  if (Value == FMaxPlayingCount) return;
  FMaxPlayingCount = Value;
  if (FInitialized) ReleaseCopies();
}

void TWaveCollectionItem::SetFrequency(uint32_t Value) {
  FFrequency = Value;
  if (FInitialized && FMain) Device()->SetFrequency(FMain, Value);
}

void TWaveCollectionItem::SetPan(int32_t Value) {
  FPan = Value;
  if (FInitialized && FMain) Device()->SetPan(FMain, Value);
}

void TWaveCollectionItem::SetVolume(int32_t Value) {
  FVolume = Value;
  if (FInitialized && FMain) Device()->SetVolume(FMain, Value);
}

void TWaveCollectionItem::Initialize() {
  ReleaseBuffers();
  FInitialized = FOwner.DeviceInitialized();
}

void TWaveCollectionItem::Finalize() {
  if (!FInitialized) return;
  ReleaseBuffers();
  FInitialized = false;
}

void TWaveCollectionItem::Restore() {
  if (Wave.Empty()) return;
  if (!FInitialized) {
    if (FOwner.DeviceInitialized()) Initialize();
    if (!FInitialized) return;
  }
  IAudioDevice* D = Device();
  if (!FMain) {
    TWaveFormat Format;
    if (!Wave.Format(Format)) return;  // no usable "fmt " chunk: the item stays silent
    // The device's copy of the samples; the item's copies all share it.
    auto Samples = std::make_shared<std::vector<uint8_t>>(Wave.Data(), Wave.Data() + Wave.Size());
    FMain = D->CreateBuffer(Format, std::move(Samples));
  }
  ApplySettings(FMain);
}

void TWaveCollectionItem::Play(bool Wait) {
  if (!FInitialized) return;
  IAudioDevice* D = Device();
  if (FLooped) {
    if (!FMain) return;
    D->Stop(FMain);
    D->SetPosition(FMain, 0);
    D->Play(FMain, true);
    return;
  }
  TSoundBufferId Buffer = 0;
  for (TSoundBufferId C : FCopies)
    if (!D->IsPlaying(C)) {
      Buffer = C;
      break;
    }
  if (!Buffer) {
    if (FMaxPlayingCount == 0 || static_cast<int32_t>(FCopies.size()) < FMaxPlayingCount) {
      Buffer = FMain ? D->DuplicateBuffer(FMain) : 0;
      if (!Buffer) return;
      FCopies.push_back(Buffer);
    } else {
      // The limit is reached: cut off the copy in use longest and play it again as the
      // newest.
      Buffer = FCopies.front();
      FCopies.erase(FCopies.begin());
      FCopies.push_back(Buffer);
    }
  }
  D->Stop(Buffer);
  D->SetPosition(Buffer, 0);
  ApplySettings(Buffer);
  D->Play(Buffer, false);
  if (Wait) WaitUntilStopped(Buffer);
}

void TWaveCollectionItem::WaitUntilStopped(TSoundBufferId Buffer) {
  TDXSound* S = FOwner.DXSound();
  TWaveFormat Format;
  uint64_t LimitMs = 1000;
  if (Wave.Format(Format) && Format.AvgBytesPerSec > 0)
    LimitMs += static_cast<uint64_t>(Wave.Size()) * 1000 / Format.AvgBytesPerSec;
  // A slowed-down copy lasts longer than the sound's own length.
  if (FFrequency > 0 && FFrequency < Format.SamplesPerSec)
    LimitMs = LimitMs * Format.SamplesPerSec / FFrequency + 1;
  for (uint64_t Waited = 0; S->Device().IsPlaying(Buffer) && Waited < LimitMs; Waited += 10)
    S->Clock().Sleep(10);
}

void TWaveCollectionItem::Stop() {
  if (!FInitialized) return;
  IAudioDevice* D = Device();
  if (FMain) D->Stop(FMain);
  for (TSoundBufferId C : FCopies) D->Stop(C);
}

// ---------------------------------------------------------------------------------------
// TWaveCollection

TWaveCollection::~TWaveCollection() {
  Finalize();
  Clear();
}

TWaveCollectionItem& TWaveCollection::Add() {
  return static_cast<TWaveCollectionItem&>(AddItem(std::make_unique<TWaveCollectionItem>(*this)));
}

TWaveCollectionItem& TWaveCollection::Items(int32_t Index) const {
  THashCollectionItem* Item = ItemAt(Index);
  if (!Item) throw EWaveCollectionError("List index out of bounds (" + std::to_string(Index) + ")");
  return static_cast<TWaveCollectionItem&>(*Item);
}

TWaveCollectionItem& TWaveCollection::Find(const std::string& Name) const {
  const int32_t Index = IndexOf(Name);
  if (Index < 0) throw EWaveCollectionError("Wave '" + Name + "' not found");
  return Items(Index);
}

void TWaveCollection::Initialize(TDXSound& Device) {
  Finalize();
  FDXSound = &Device;
  for (int32_t I = 0; I < Count(); ++I) Items(I).Initialize();
}

void TWaveCollection::Finalize() {
  for (int32_t I = 0; I < Count(); ++I) Items(I).Finalize();
  FDXSound = nullptr;
}

void TWaveCollection::Restore() {
  for (int32_t I = 0; I < Count(); ++I) Items(I).Restore();
}

namespace {

// Wave.WAVE holds a 32-bit length, then that many bytes of a wave file; 0 = no sound.
void LoadWaveData(std::span<const uint8_t> Data, TWave& Wave) {
  if (Data.size() < 4) throw EWaveStreamError("Wave is invalid");
  const uint32_t Length = static_cast<uint32_t>(Data[0]) | (static_cast<uint32_t>(Data[1]) << 8) |
                          (static_cast<uint32_t>(Data[2]) << 16) |
                          (static_cast<uint32_t>(Data[3]) << 24);
  if (Length > Data.size() - 4) throw EWaveStreamError("Wave is invalid");
  if (Length == 0) {
    Wave.Clear();
    return;
  }
  Wave.LoadFromBytes(Data.data() + 4, Length);
}

void LoadItem(const TStreamCollectionItem& Entry, TWaveCollectionItem& Item) {
  for (const TStreamProperty& P : Entry.Properties) {
    const std::string& N = P.Name;
    if (SameText(N, "Name"))
      Item.SetName(P.Value.Type == TValueType::Ident ? P.Value.Text : P.Value.AsString());
    else if (SameText(N, "Looped"))
      Item.SetLooped(P.Value.AsBool());
    else if (SameText(N, "MaxPlayingCount"))
      Item.SetMaxPlayingCount(P.Value.AsInt32());
    else if (SameText(N, "Wave.WAVE"))
      LoadWaveData(P.Value.AsBinary(), Item.Wave);
    else
      NoProperty(N);
  }
}

}  // namespace

void TWaveCollection::LoadFromFile(const std::string& FileName) {
  const TFileView File(FileName);
  LoadFromStream(File.Bytes());
}

void TWaveCollection::LoadFromStream(std::span<const uint8_t> Bytes) {
  Clear();
  try {
    const TStreamComponent Component = ReadComponentResource(Bytes);
    for (const TStreamProperty& P : Component.Properties) {
      if (!SameText(P.Name, "List")) NoProperty(P.Name);
      if (P.Value.Type != TValueType::Collection) throw EReadError("Invalid property value");
      for (const TStreamCollectionItem& Entry : P.Value.Items) LoadItem(Entry, Add());
    }
  } catch (...) {
    Clear();
    throw;
  }
  if (DeviceInitialized()) {
    Initialize(*FDXSound);
    Restore();
  }
}

// ---------------------------------------------------------------------------------------
// TDXWaveList

TDXWaveList::~TDXWaveList() {
  SetDXSound(nullptr);
}

void TDXWaveList::SetDXSound(TDXSound* Device) {
  if (Device == FDXSound) return;
  if (FDXSound) FDXSound->RemoveListener(this);
  FDXSound = Device;
  if (FDXSound) FDXSound->AddListener(this, [this](TDXSoundNotifyType T) { DXSoundNotify(T); });
}

void TDXWaveList::DXSoundNotify(TDXSoundNotifyType NotifyType) {
  switch (NotifyType) {
    case dsntDestroying:
      // The device goes away: let go of its buffers while it still exists, then unbind.
      FItems.Finalize();
      FDXSound = nullptr;
      break;
    case dsntInitialize:
      if (FDXSound) FItems.Initialize(*FDXSound);
      break;
    case dsntFinalize:
      FItems.Finalize();
      break;
    case dsntRestore:
      FItems.Restore();
      break;
    case dsntInitializing:
      break;
  }
}
