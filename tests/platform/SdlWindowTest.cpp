#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sdl/SdlPlatform.h"

namespace {

// Sets an environment variable for one test and puts the old value back.
class TEnv {
 public:
  TEnv(const char* Name, const char* Value) : FName(Name) {
    if (const char* Old = std::getenv(Name)) {
      FHad = true;
      FOld = Old;
    }
    if (Value) {
      setenv(Name, Value, 1);
    } else {
      unsetenv(Name);
    }
  }
  ~TEnv() {
    if (FHad) {
      setenv(FName.c_str(), FOld.c_str(), 1);
    } else {
      unsetenv(FName.c_str());
    }
  }

 private:
  std::string FName, FOld;
  bool FHad = false;
};

}  // namespace

TEST(SdlWindow, DummyDriverWindowTakesPictures) {
  TEnv Driver("SDL_VIDEODRIVER", "dummy");  // asked for explicitly, so not "no display"
  TSdlPlatform P;
  std::string Error;
  ASSERT_TRUE(P.Window().CreateMainWindow("Tallow Brackles", 800, 600, Error)) << Error;
  const TWindowPlacement Placement = P.Window().GetPlacement();
  EXPECT_EQ(Placement.Width, 800);
  EXPECT_EQ(Placement.Height, 600);
  std::vector<uint32_t> Picture(800 * 600, 0x00336699u);
  EXPECT_TRUE(P.Window().Present(Picture.data(), 800, 600, 800 * 4, false));
  EXPECT_FALSE(P.Window().Present(nullptr, 800, 600, 800 * 4, false));
  // The display counter: one hide makes it -1, one show brings it back to 0.
  EXPECT_EQ(P.Window().ShowCursor(false), -1);
  EXPECT_EQ(P.Window().ShowCursor(true), 0);
  TPlatformEvent Event;
  for (int I = 0; I < 100 && P.Window().PollEvent(Event); ++I) {
  }
}

TEST(SdlWindow, NoDisplayIsRefusedWithAClearMessage) {
  TEnv Driver("SDL_VIDEODRIVER", nullptr);
  TEnv X("DISPLAY", nullptr);
  TEnv Wayland("WAYLAND_DISPLAY", nullptr);
  TSdlPlatform P;
  std::string Error;
  if (P.Window().CreateMainWindow("Tallow Brackles", 800, 600, Error))
    GTEST_SKIP() << "a display driver answered without DISPLAY (a console with a GPU)";
  EXPECT_EQ(Error.rfind("no display: ", 0), 0u) << Error;
}
