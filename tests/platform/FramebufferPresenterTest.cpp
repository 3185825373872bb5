#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/sdl/FramebufferPresenter.h"
#include "platform/sdl/Letterbox.h"

namespace {

uint32_t At(SDL_Surface* S, int X, int Y) {
  return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(S->pixels) +
                                           static_cast<ptrdiff_t>(Y) * S->pitch)[X];
}

// A window on SDL's dummy video driver, whose window surface is plain memory to look at.
class FramebufferPresenter : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  }
  void TearDown() override {
    if (FWindow) SDL_DestroyWindow(FWindow);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    unsetenv("SDL_VIDEODRIVER");
  }
  SDL_Surface* Open(int W, int H) {
    FWindow = SDL_CreateWindow("test", 0, 0, W, H, SDL_WINDOW_HIDDEN);
    if (!FWindow) return nullptr;
    SDL_Surface* S = SDL_GetWindowSurface(FWindow);
    // Whatever the surface held before: not black, not the picture.
    if (S) SDL_FillRect(S, nullptr, 0x00123456u);
    return S;
  }
  SDL_Window* FWindow = nullptr;
};

std::vector<uint32_t> RandomPicture(uint32_t Seed) {
  std::mt19937 Random(Seed);
  std::vector<uint32_t> P(800 * 600);
  for (uint32_t& Pixel : P) Pixel = Random() & 0x00FFFFFFu;
  return P;
}

// The picture as it must show at Place: the source pixel under each pixel's centre.
void ExpectShown(SDL_Surface* S, const SDL_Rect& Place, const std::vector<uint32_t>& Picture,
                 const char* What) {
  for (int Y = 0; Y < Place.h; ++Y) {
    const auto Sy = static_cast<int>(std::floor((Y + 0.5) * 600 / Place.h));
    for (int X = 0; X < Place.w; ++X) {
      const auto Sx = static_cast<int>(std::floor((X + 0.5) * 800 / Place.w));
      ASSERT_EQ(At(S, Place.x + X, Place.y + Y) & 0x00FFFFFFu, Picture[Sy * 800 + Sx])
          << What << " at " << X << "," << Y;
    }
  }
}

}  // namespace

TEST_F(FramebufferPresenter, FullScreenPictureIsScaledAndItsBarsFilledOnlyWhenNew) {
  SDL_Surface* S = Open(1280, 720);
  ASSERT_NE(S, nullptr) << SDL_GetError();
  ASSERT_EQ(S->format->format, SDL_PIXELFORMAT_RGB888);
  const TLetterbox B = LetterboxRect(1280, 720, 800, 600);
  const SDL_Rect Place{B.X, B.Y, B.W, B.H};  // 960 x 720, bars left and right
  TFramebufferPresenter Presenter;
  std::vector<uint32_t> Picture = RandomPicture(1);
  ASSERT_TRUE(Presenter.Present(FWindow, Place, Picture.data(), 800, 600, 800 * 4));
  ExpectShown(S, Place, Picture, "first picture");
  EXPECT_EQ(At(S, 0, 0) & 0xFFFFFF, 0u);
  EXPECT_EQ(At(S, 1279, 719) & 0xFFFFFF, 0u);

  // A few rows change; a mark in a bar shows the bars are not filled again.
  reinterpret_cast<uint32_t*>(S->pixels)[5] = 0x00ABCDEFu;
  for (int Y : {0, 1, 300, 599}) Picture[Y * 800 + 400] ^= 0x00FFFFFFu;
  ASSERT_TRUE(Presenter.Present(FWindow, Place, Picture.data(), 800, 600, 800 * 4));
  ExpectShown(S, Place, Picture, "changed rows");
  EXPECT_EQ(At(S, 5, 0), 0x00ABCDEFu);

  // A picture of other pixels everywhere, then contents lost: all of it again, bars too.
  Picture = RandomPicture(2);
  ASSERT_TRUE(Presenter.Present(FWindow, Place, Picture.data(), 800, 600, 800 * 4));
  ExpectShown(S, Place, Picture, "new picture");
  SDL_FillRect(S, nullptr, 0x00123456u);
  Presenter.Invalidate();
  ASSERT_TRUE(Presenter.Present(FWindow, Place, Picture.data(), 800, 600, 800 * 4));
  ExpectShown(S, Place, Picture, "after the contents were lost");
  EXPECT_EQ(At(S, 5, 0) & 0xFFFFFF, 0u);
  EXPECT_EQ(At(S, 1279, 300) & 0xFFFFFF, 0u);
}

TEST_F(FramebufferPresenter, WindowedPictureIsCopiedAsItIs) {
  SDL_Surface* S = Open(800, 600);
  ASSERT_NE(S, nullptr) << SDL_GetError();
  TFramebufferPresenter Presenter;
  const SDL_Rect Place{0, 0, 800, 600};
  // The picture in a wider buffer (its pitch), as a surface with padding would give it.
  std::vector<uint32_t> Padded(832 * 600, 0x00FF00FFu);
  std::vector<uint32_t> Picture = RandomPicture(3);
  for (int Round = 0; Round < 3; ++Round) {
    for (int Y = 0; Y < 600; ++Y)
      std::copy(Picture.begin() + Y * 800, Picture.begin() + Y * 800 + 800,
                Padded.begin() + Y * 832);
    ASSERT_TRUE(Presenter.Present(FWindow, Place, Padded.data(), 800, 600, 832 * 4));
    ExpectShown(S, Place, Picture, Round == 0 ? "first" : "later");
    // Next round: a band of rows changes.
    for (int Y = 200 + Round * 50; Y < 230 + Round * 50; ++Y) Picture[Y * 800 + Y] ^= 0x10101u;
  }
}
