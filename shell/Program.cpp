// The program's entry: the real platform, the main window, and the loop that runs it until
// the game shuts down. With --record FILE the game is played as usual and everything it read
// from the machine goes into a replay file, which tallow-replay plays back.
// One copy runs per save folder; the end of the session (a termination signal) saves and
// ends without a question.

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "platform/Files.h"
#include "platform/FolderLock.h"
#include "platform/SessionEnd.h"
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

constexpr const char* KAlreadyRunning = "Tallow Brackles is already running.";

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
  // From here on the system's request to end is noted, not obeyed at once: the frames
  // below see it and save first.
  TMForm* Running = nullptr;
  InstallSessionEndHandlers([&Running] {
    if (Running != nullptr) Running->EndSession();
  });
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
    // One copy per save folder, before anything in it is read: a second copy would write
    // back at its end what it loaded at its start, over what the first one saved.
    TFolderLock SaveLock;
    switch (SaveLock.Take(MForm.SaveFolder() + "/lock", Error)) {
      case TFolderLock::TResult::Held:
        break;
      case TFolderLock::TResult::Busy:
        std::fprintf(stderr, "%s\n", KAlreadyRunning);
        Platform.Window().ShowMessage("Tallow Brackles", KAlreadyRunning);
        return 1;
      case TFolderLock::TResult::Failed:
        // A folder that cannot hold the lock cannot hold the saves either; the game plays,
        // and saving says so when it fails.
        Error.clear();
        break;
    }
    // A recording keeps the files as the game will read them: after an interrupted save
    // has been completed or rolled back.
    MForm.RecoverSaveFiles();
    if (Recorder) Recorder->KeepStartFiles(MForm);
    if (!MForm.FormCreate(Error)) {
      std::fprintf(stderr, "Tallow Brackles: %s\n", Error.c_str());
      // Without a display there is nobody to show a box to.
      if (Error.rfind("no display", 0) != 0)
        Platform.Window().ShowMessage("Tallow Brackles", Error);
      return 1;
    }
    if (Recorder) Recorder->Started(MForm);
    Running = &MForm;
    while (!MForm.Terminated()) {
      if (SessionEndRequested()) {
        MForm.EndSession();
        break;
      }
      MForm.RunFrame();
      if (Recorder) Recorder->FrameDone(MForm);
    }
    Running = nullptr;
    SessionEndDone();
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
