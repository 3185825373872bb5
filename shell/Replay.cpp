#include "shell/Replay.h"

#include <cstring>
#include <exception>
#include <thread>

#include "game/Player.h"
#include "platform/Files.h"
#include "platform/replay/PlaybackPlatform.h"
#include "shell/MainForm.h"

namespace {

// FNV-1a over the bytes of each value, in a fixed order.
class THash {
 public:
  template <class T>
  void Add(const T& Value) {
    unsigned char Bytes[sizeof(T)];
    std::memcpy(Bytes, &Value, sizeof(T));
    for (unsigned char B : Bytes) FValue = (FValue ^ B) * 16777619u;
  }
  uint32_t Value() const { return FValue; }

 private:
  uint32_t FValue = 2166136261u;
};

// Every sprite below S in tree order: where it is (to the last bit), how big, and whether it
// shows. Two runs that differ in any sprite's place differ here.
void HashTree(const TSprite& S, THash& Hash, int32_t& Count) {
  for (const TSprite* Child : S.Children()) {
    ++Count;
    Hash.Add(Child->X);
    Hash.Add(Child->Y);
    Hash.Add(Child->Width);
    Hash.Add(Child->Height);
    Hash.Add(Child->Visible);
    Hash.Add(Child->IsDead());
    HashTree(*Child, Hash, Count);
  }
}

std::string FileText(const std::string& Name, bool& Present) {
  std::string Text, Error;
  Present = ReadFileBytes(Name, Text, Error);
  return Present ? Text : std::string();
}

// The save files are recorded by their names below the save folder.
std::string SaveRootOf(const TMForm& Form) {
  return Form.SaveRoot.empty() ? Form.DataRoot : Form.SaveRoot;
}

void WriteStartFiles(const TReplay& Replay, const std::string& Root) {
  for (const TStartFile& F : Replay.StartFiles) {
    // Only plain relative names below the scratch folder: a damaged or crafted replay must
    // not write anywhere else.
    const bool Absolute = !F.Name.empty() && (F.Name[0] == '/' || F.Name[0] == '\\' ||
                                              F.Name.find(':') != std::string::npos);
    if (F.Name.empty() || Absolute || F.Name.find("..") != std::string::npos)
      throw EReplayError("damaged: a start file is named \"" + F.Name + "\"");
    const std::string Target =
        Root.empty() || Root.back() == '/' ? Root + F.Name : Root + "/" + F.Name;
    RemoveFile(Target);
    if (!F.Present) continue;
    std::string Error;
    if (!MakeFolders(FolderOf(Target), Error) || !WriteWholeFile(Target, F.Bytes, Error))
      throw EReplayError(Target + ": cannot be written");
  }
}

}  // namespace

TReplayCheck ReplayCheckOf(const TMForm& Form) {
  TReplayCheck C;
  C.Screen = Form.Shell.ScreenKind;
  C.Dialog = Form.Shell.DialogKind;
  const TGameState& G = Form.GameState;
  C.Score = G.Score;
  C.Level = G.Level;
  C.Lives = G.Lives;
  C.MonstersLeft = G.MonstersLeft;
  if (G.Player != nullptr) {
    C.PlayerX = static_cast<int32_t>(G.Player->X);
    C.PlayerY = static_cast<int32_t>(G.Player->Y);
  }
  THash Positions;
  int32_t Count = 0;
  HashTree(const_cast<TMForm&>(Form).MDXSpriteEngine.Engine(), Positions, Count);
  C.Sprites = Count;
  C.Positions = Positions.Value();
  THash Random;
  Random.Add(Form.Rand.State());
  C.Random = Random.Value();
  return C;
}

void TGameRecorder::KeepStartFiles(const TMForm& Form) {
  const std::string Root = SaveRootOf(Form);
  std::vector<TStartFile>& Files = FRecording.Replay().StartFiles;
  Files.clear();
  for (const std::string& Name : {Form.OptionsFileName(), Form.HighScoreFileName()}) {
    TStartFile F;
    F.Name = Name.substr(Root.size());
    F.Bytes = FileText(Name, F.Present);
    Files.push_back(std::move(F));
  }
}

namespace {

// An upload handed back to its worker finishes before the next frame polls it; the bound
// only matters for a worker that never comes back.
void AwaitUpload(const TMForm& Form) {
  for (int32_t I = 0; I < 5000 && !Form.WorldScoreUpload.Done(); ++I)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

void TGameRecorder::FrameDone(const TMForm& Form) {
  FRecording.EndFrame(ReplayCheckOf(Form));
  if (FRecording.RecordingHttp().FinishAtFrameBoundary()) AwaitUpload(Form);
}

void TGameRecorder::Started(const TMForm& Form) {
  FRecording.Replay().Seed = Form.RandSeed;
  FrameDone(Form);
}

TPlaybackResult PlayReplay(const TReplay& Replay, const TPlaybackSettings& Settings) {
  TPlaybackResult Result;
  if (Replay.FrameCount() == 0) {
    Result.Error = "the replay holds no frames";
    return Result;
  }
  std::string Root = Settings.ScratchDir;
  if (!Root.empty() && Root.back() != '/') Root += '/';
  TPlaybackPlatform Platform(Replay, Settings.Viewer);
  try {
    WriteStartFiles(Replay, Root);
    // The main window asks its first questions while it is built.
    Platform.BeginFrame(0);
    TMForm Form(Platform);
    // Before the window goes (and waits for an upload still running), a request still
    // waiting for its recorded end is let go.
    struct TStopUploads {
      TPlaybackPlatform& P;
      ~TStopUploads() { P.StopUploads(); }
    } StopFirst{Platform};
    Form.DataRoot = Settings.DataRoot;
    Form.SaveRoot = Root;
    auto Compare = [&](size_t Frame) {
      Platform.EndFrame();
      Result.Frames = Frame + 1;
      Result.Final = ReplayCheckOf(Form);
      if (Settings.AfterFrame) Settings.AfterFrame(Frame, Form);
      if (Result.FirstDifferent >= 0) return;
      const std::string Diff = DescribeDifference(Replay.Checks[Frame], Result.Final);
      if (Diff.empty()) return;
      Result.FirstDifferent = static_cast<int64_t>(Frame);
      Result.Difference = "frame " + std::to_string(Frame) + ": " + Diff;
    };
    std::string Error;
    if (!Form.FormCreate(Error)) {
      Result.Error = "the game did not start: " + Error;
      return Result;
    }
    Result.Started = true;
    if (Form.RandSeed != Replay.Seed && Result.FirstDifferent < 0) {
      Result.FirstDifferent = 0;
      Result.Difference =
          "frame 0: seed " + std::to_string(Replay.Seed) + " != " + std::to_string(Form.RandSeed);
    }
    Compare(0);
    for (size_t Frame = 1; Frame < Replay.FrameCount(); ++Frame) {
      if (Settings.StopAtDifference && Result.FirstDifferent >= 0) break;
      if (Settings.MaxFrames != 0 && Frame >= Settings.MaxFrames) {
        Result.Error = "stopped at the limit of " + std::to_string(Settings.MaxFrames) +
                       " frames, of " + std::to_string(Replay.FrameCount()) + " recorded";
        break;
      }
      if (Settings.OutOfTime && Settings.OutOfTime()) {
        Result.Error = "stopped at the time limit after " + std::to_string(Frame) + " frames";
        break;
      }
      if (Platform.ViewerClosed()) break;
      if (Form.Terminated()) {
        if (Result.FirstDifferent < 0) {
          Result.FirstDifferent = static_cast<int64_t>(Frame);
          Result.Difference = "frame " + std::to_string(Frame) +
                              ": the game has ended, the recording goes on for " +
                              std::to_string(Replay.FrameCount() - Frame) + " frames";
        }
        break;
      }
      Platform.BeginFrame(Frame);
      if (Platform.DeliverUpload()) AwaitUpload(Form);
      Form.RunFrame();
      Compare(Frame);
    }
  } catch (const std::exception& E) {
    Result.Error = E.what();
  }
  Result.AskedDifference = Platform.FirstAskedDifference();
  return Result;
}
