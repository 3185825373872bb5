#include "platform/sdl/XmpMusic.h"

#include <SDL.h>
#include <xmp.h>

#include <cstdio>
#include <cstring>

#include "platform/sdl/LibraryFunction.h"

namespace {

// libxmp is loaded with the first module instead of being linked: the start-up does not
// wait for it before its first picture.
struct TXmpLibrary {
  decltype(&xmp_create_context) CreateContext = nullptr;
  decltype(&xmp_free_context) FreeContext = nullptr;
  decltype(&xmp_load_module) LoadModule = nullptr;
  decltype(&xmp_release_module) ReleaseModule = nullptr;
  decltype(&xmp_start_player) StartPlayer = nullptr;
  decltype(&xmp_end_player) EndPlayer = nullptr;
  decltype(&xmp_play_buffer) PlayBuffer = nullptr;
};

// Loaded once and kept; null when the library or one of its functions is missing (the
// music is then silent, as with a module that does not load).
const TXmpLibrary* Xmp() {
  static const TXmpLibrary* const Loaded = []() -> const TXmpLibrary* {
    static TXmpLibrary L;
    void* Lib = OpenLazyLibrary(TLazyLibrary::Music);
    if (!Lib || !FindFunction(Lib, "xmp_create_context", L.CreateContext) ||
        !FindFunction(Lib, "xmp_free_context", L.FreeContext) ||
        !FindFunction(Lib, "xmp_load_module", L.LoadModule) ||
        !FindFunction(Lib, "xmp_release_module", L.ReleaseModule) ||
        !FindFunction(Lib, "xmp_start_player", L.StartPlayer) ||
        !FindFunction(Lib, "xmp_end_player", L.EndPlayer) ||
        !FindFunction(Lib, "xmp_play_buffer", L.PlayBuffer)) {
      std::fprintf(stderr, "Music: %s\n", SDL_GetError());
      return nullptr;
    }
    return &L;
  }();
  return Loaded;
}

}  // namespace

// A song exists only once the library is loaded.
struct TXmpMusic::TSong {
  xmp_context Context = nullptr;
  bool Started = false;
  ~TSong() {
    if (!Context) return;
    if (Started) Xmp()->EndPlayer(Context);
    Xmp()->ReleaseModule(Context);
    Xmp()->FreeContext(Context);
  }
};

TXmpMusic::TXmpMusic(IMixerHost& Host) : FHost(Host) {}

TXmpMusic::~TXmpMusic() {
  {
    TMixerLock Lock(FHost);
    StopPlaying();
  }
  FSongs.clear();
}

uint32_t TXmpMusic::SongLoadFromFile(const std::string& FileName) {
  const TXmpLibrary* X = Xmp();
  if (!X) return 0;
  auto Song = std::make_unique<TSong>();
  Song->Context = X->CreateContext();
  if (!Song->Context) return 0;
  if (X->LoadModule(Song->Context, FileName.c_str()) != 0) {
    X->FreeContext(Song->Context);
    Song->Context = nullptr;
    return 0;
  }
  const uint32_t Handle = FNextHandle++;
  if (FNextHandle == 0) FNextHandle = 1;
  // The render thread only reads the song being played, but the map itself changes here.
  TMixerLock Lock(FHost);
  FSongs[Handle] = std::move(Song);
  return Handle;
}

void TXmpMusic::StopPlaying() {
  if (FHost.Mixer().MusicSource() == this) FHost.Mixer().SetMusicSource(nullptr);
  auto It = FSongs.find(FPlaying);
  if (It != FSongs.end() && It->second->Started) {
    Xmp()->EndPlayer(It->second->Context);
    It->second->Started = false;
  }
  FPlaying = 0;
}

void TXmpMusic::SongPlay(uint32_t Handle) {
  auto It = FSongs.find(Handle);
  if (It == FSongs.end()) return;
  if (!FHost.StartOutput()) return;  // no output at all: silence
  TMixerLock Lock(FHost);
  StopPlaying();
  TSong& Song = *It->second;
  if (Xmp()->StartPlayer(Song.Context, static_cast<int>(FHost.Mixer().OutputRate()), 0) != 0)
    return;
  Song.Started = true;
  FPlaying = Handle;
  FHost.Mixer().SetMusicSource(this);
}

void TXmpMusic::SongFree(uint32_t Handle) {
  std::unique_ptr<TSong> Dead;
  {
    TMixerLock Lock(FHost);
    if (Handle == FPlaying) StopPlaying();
    auto It = FSongs.find(Handle);
    if (It == FSongs.end()) return;
    Dead = std::move(It->second);
    FSongs.erase(It);
  }
  // Dead releases the module here, outside the lock.
}

// Runs on the audio thread with the mixer locked.
void TXmpMusic::RenderMusic(int16_t* Stereo, uint32_t Frames) {
  auto It = FSongs.find(FPlaying);
  const int Bytes = static_cast<int>(Frames * 4);
  // Loop 0: no loop check, the module starts over at its end for as long as it plays.
  if (It == FSongs.end() || Xmp()->PlayBuffer(It->second->Context, Stereo, Bytes, 0) != 0)
    std::memset(Stereo, 0, static_cast<size_t>(Bytes));
}
