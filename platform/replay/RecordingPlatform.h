#pragma once
// Records a game as it is played: wraps the real platform and writes down every answer the
// machine gives the game (events, clock ticks, key table, joystick, pointer, window and font
// answers) on a replay's tape, frame by frame. Only calls from the thread that made it are
// recorded; another thread's go straight to the real platform. Sound, music and the shell
// only receive from the game: they pass through unrecorded.
//
// The upload's request runs on a worker thread that the frame polls. So that the frame which
// sees it end is the same in a playback, a request that ended is handed back to its worker
// only between two frames (FinishUploads), and noted on the coming frame's tape.

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Platform.h"
#include "platform/replay/ReplayFile.h"
#include "platform/replay/ReplayTape.h"

class TRecordingPlatform;

class TRecordingWindow final : public IWindowSystem {
 public:
  TRecordingWindow(TRecordingPlatform& Owner, IWindowSystem& Real) : FOwner(Owner), FReal(Real) {}
  bool CreateMainWindow(const std::string& Title, int32_t ClientWidth, int32_t ClientHeight,
                        std::string& Error) override;
  void SetBordered(bool Bordered) override { FReal.SetBordered(Bordered); }
  bool SetFullScreen(bool On) override;
  void CentreWindow() override { FReal.CentreWindow(); }
  TWindowPlacement GetPlacement() override;
  void SetPlacement(const TWindowPlacement& Placement) override { FReal.SetPlacement(Placement); }
  void Minimise() override { FReal.Minimise(); }
  bool IsForeground() override;
  int32_t ShowCursor(bool Show) override;
  void UseHandPointer() override { FReal.UseHandPointer(); }
  void ClientOrigin(int32_t& X, int32_t& Y) override;
  void GetCursorPos(int32_t& X, int32_t& Y) override;
  void SetCursorPos(int32_t X, int32_t Y) override { FReal.SetCursorPos(X, Y); }
  int32_t RefreshRate() override;
  int32_t PacedRate() override;
  std::vector<TDisplayMode> DisplayModes() override;
  bool Present(const uint32_t* Pixels, int32_t Width, int32_t Height, int32_t PitchBytes,
               bool WaitVBlank) override;
  bool PollEvent(TPlatformEvent& Event) override;
  void ShowMessage(const std::string& Title, const std::string& Text) override {
    FReal.ShowMessage(Title, Text);
  }

 private:
  TRecordingPlatform& FOwner;
  IWindowSystem& FReal;
};

class TRecordingClock final : public IClock {
 public:
  TRecordingClock(TRecordingPlatform& Owner, IClock& Real) : FOwner(Owner), FReal(Real) {}
  uint32_t Ticks() override;
  void Sleep(uint32_t Ms) override { FReal.Sleep(Ms); }

 private:
  TRecordingPlatform& FOwner;
  IClock& FReal;
};

class TRecordingKeyboard final : public IKeyboard {
 public:
  TRecordingKeyboard(TRecordingPlatform& Owner, IKeyboard& Real) : FOwner(Owner), FReal(Real) {}
  void ReadKeyTable(uint8_t Table[256]) override;

 private:
  TRecordingPlatform& FOwner;
  IKeyboard& FReal;
};

class TRecordingJoystick final : public IJoystick {
 public:
  TRecordingJoystick(TRecordingPlatform& Owner, IJoystick& Real) : FOwner(Owner), FReal(Real) {}
  int32_t Count() override;
  bool Open(int32_t Index, TJoystickCaps& Caps) override;
  bool Read(TJoystickPosition& Position) override;
  void Close() override { FReal.Close(); }

 private:
  TRecordingPlatform& FOwner;
  IJoystick& FReal;
};

class TRecordingFonts final : public IFontSystem {
 public:
  TRecordingFonts(TRecordingPlatform& Owner, IFontSystem& Real) : FOwner(Owner), FReal(Real) {}
  TFontHandle OpenFont(const std::string& Face, int32_t Size, bool Bold) override;
  void TextExtent(TFontHandle Font, const std::string& Text, int32_t& Width,
                  int32_t& Height) override;
  void DrawText(TFontHandle Font, const std::string& Text, uint32_t Colour, uint32_t* Pixels,
                int32_t Width, int32_t Height, int32_t PitchBytes, int32_t X, int32_t Y) override {
    FReal.DrawText(Font, Text, Colour, Pixels, Width, Height, PitchBytes, X, Y);
  }

 private:
  TRecordingPlatform& FOwner;
  IFontSystem& FReal;
};

class TRecordingHttp final : public IHttpClient {
 public:
  TRecordingHttp(TRecordingPlatform& Owner, IHttpClient& Real) : FOwner(Owner), FReal(Real) {}
  bool Get(const THttpRequest& Request, std::string& Body) override;
  // Between frames, on the game's thread: a request that has ended goes back to its worker
  // now. True when one did.
  bool FinishAtFrameBoundary();
  // No more frames come: a request that ends goes back at once.
  void Stop();

 private:
  TRecordingPlatform& FOwner;
  IHttpClient& FReal;
  std::mutex FMutex;
  std::condition_variable FChanged;
  bool FEnded = false, FAnswered = false, FReleased = false, FStopped = false;
};

class TRecordingPlatform final : public TPlatform {
 public:
  explicit TRecordingPlatform(TPlatform& Real);

  // The answers given since the previous call make one frame, followed by its state check.
  void EndFrame(const TReplayCheck& Check);
  TReplay& Replay() { return FReplay; }
  const TReplay& Replay() const { return FReplay; }

  IWindowSystem& Window() override { return FWindow; }
  IClock& Clock() override { return FClock; }
  IKeyboard& Keyboard() override { return FKeyboard; }
  IJoystick& Joystick() override { return FJoystick; }
  IAudioDevice& Audio() override { return FReal.Audio(); }
  IMusicPlayer& Music() override { return FReal.Music(); }
  IShell& Shell() override { return FReal.Shell(); }
  IHttpClient& Http() override { return FHttp; }
  IFontSystem& Fonts() override { return FFonts; }
  TRecordingHttp& RecordingHttp() { return FHttp; }

  // Whether a call on the current thread goes on the tape.
  bool Recording() const { return std::this_thread::get_id() == FThread; }
  TTapeWriter& Tape() { return FTape; }

 private:
  TPlatform& FReal;
  TReplay FReplay;
  TTapeWriter FTape;
  std::thread::id FThread;
  TRecordingWindow FWindow;
  TRecordingClock FClock;
  TRecordingKeyboard FKeyboard;
  TRecordingJoystick FJoystick;
  TRecordingFonts FFonts;
  TRecordingHttp FHttp;
};
