#include "TestGame.h"

#include <filesystem>
#include <stdexcept>

#include "shell/PackLoading.h"

namespace {

const std::string kData = std::string(TB_BINARY_DIR) + "/game/Data/Res/";

void Need(bool Ok, const std::string& Message) {
  if (!Ok) throw std::runtime_error(Message);
}

}  // namespace

bool GamePacksBuilt() {
  for (const char* Pack : {"Res1.dxg", "Res2.dxg", "Sounds.dxw"})
    if (!std::filesystem::exists(kData + Pack)) return false;
  return true;
}

TTestGame::TTestGame(uint32_t Seed) : Rand(Seed) {
  List1.SetDXDraw(&Draw);
  List2.SetDXDraw(&Draw);
  Sprites.SetDXDraw(&Draw);
  std::string Error;
  Need(LoadImagePack(List1, kData + "Res1.dxg", Error), Error);
  Need(LoadImagePack(List2, kData + "Res2.dxg", Error), Error);
  Need(LoadSoundPack(Waves, kData + "Sounds.dxw", Error), Error);
  Need(P.FakeWindow.CreateMainWindow("Tallow Brackles", 800, 600, Error), Error);
  Draw.SetBitCount(32);
  Draw.Initialize();
}

TTestGame::~TTestGame() {
  // The sprites go before the pictures they show.
  Sprites.Engine().Clear();
}

void TTestGame::PlayCue(const std::string& Name) {
  Waves.Items().Find(Name);  // an unknown name raises, as in the game
  Cues.push_back(Name);
}

void TTestGame::Step(int32_t Frames) {
  for (int32_t I = 0; I < Frames; ++I) {
    Sprites.Move(Ms);
    Sprites.FreeDead();
  }
}

TDirectDrawSurface& TTestGame::ClearSurface() {
  TDirectDrawSurface& S = *Draw.Surface();
  S.Fill(0);
  return S;
}

int32_t TTestGame::CueCount(const std::string& Name) const {
  int32_t N = 0;
  for (const std::string& C : Cues) N += C == Name ? 1 : 0;
  return N;
}
