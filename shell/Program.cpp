// The program's entry: the real platform, the main window, and the loop that runs it until
// the game shuts down. With --record FILE the game is played as usual and everything it read
// from the machine goes into a replay file, which tallow-replay plays back.

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "platform/Files.h"
#include "platform/sdl/SdlPlatform.h"
#include "shell/MainForm.h"
#include "shell/Replay.h"

namespace {

void SaveRecording(const TGameRecorder* Recorder, const std::string& FileName) {
  if (Recorder == nullptr) return;
  try {
    Recorder->Save(FileName);
    std::fprintf(stderr, "Tallow Brackles: %zu frames recorded in %s\n",
                 Recorder->Replay().FrameCount(), FileName.c_str());
  } catch (const std::exception& E) {
    std::fprintf(stderr, "Tallow Brackles: %s\n", E.what());
  }
}

struct TStopRecorder {
  TGameRecorder* Recorder;
  ~TStopRecorder() {
    if (Recorder) Recorder->Stop();
  }
};

}  // namespace

int main(int argc, char** argv) {
  std::string RecordFile;
  for (int I = 1; I < argc; ++I) {
    if (std::strcmp(argv[I], "--record") == 0 && I + 1 < argc) {
      RecordFile = argv[++I];
    } else {
      std::fprintf(stderr, "usage: %s [--record FILE]\n", argv[0]);
      return 2;
    }
  }
  if (!RecordFile.empty()) {
    // Find out now, not after the game, that the recording could not be kept.
    const std::string Probe = RecordFile + ".tmp";
    std::string Reason;
    if (!WriteWholeFile(Probe, "", Reason)) {
      std::fprintf(stderr, "Tallow Brackles: %s: cannot be written\n", RecordFile.c_str());
      return 1;
    }
    RemoveFile(Probe);
  }
  TSdlPlatform Sdl;
  std::unique_ptr<TGameRecorder> Recorder;
  if (!RecordFile.empty()) Recorder = std::make_unique<TGameRecorder>(Sdl);
  TPlatform& Platform = Recorder ? Recorder->Platform() : Sdl;
  std::string Error;
  try {
    TMForm MForm(Platform);
    // Before the window goes (and waits for an upload still running), the recorder stops
    // holding requests for frames that will not come.
    const TStopRecorder StopFirst{Recorder.get()};
    if (Recorder) Recorder->KeepStartFiles(MForm);
    if (!MForm.FormCreate(Error)) {
      std::fprintf(stderr, "Tallow Brackles: %s\n", Error.c_str());
      // Without a display there is nobody to show a box to.
      if (Error.rfind("no display", 0) != 0)
        Platform.Window().ShowMessage("Tallow Brackles", Error);
      return 1;
    }
    if (Recorder) Recorder->Started(MForm);
    while (!MForm.Terminated()) {
      MForm.RunFrame();
      if (Recorder) Recorder->FrameDone(MForm);
    }
  } catch (const std::exception& E) {
    // An engine error the game does not handle: say what it was instead of aborting. What
    // was recorded up to here is kept: it leads to the error.
    SaveRecording(Recorder.get(), RecordFile);
    std::fprintf(stderr, "Tallow Brackles: %s\n", E.what());
    Platform.Window().ShowMessage("Tallow Brackles", E.what());
    return 1;
  }
  SaveRecording(Recorder.get(), RecordFile);
  return 0;
}
