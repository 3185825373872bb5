// The play pack's pictures against the places the game's code uses in them: where shots
// leave the gun, where the bird's beak is, where overlays join their bodies, and that the
// front hills hide the hunters' feet. The pack is the one the build made, read back with
// the pack builder's reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>

#include "tools/dxpack/PackReader.h"

namespace {

class Res2Geometry : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string Error;
    Loaded = dxpack::ReadPack(std::string(TB_BINARY_DIR) + "/game/Data/Res/Res2.dxg", Pack, Error);
    LoadError = Error;
  }
  void SetUp() override { ASSERT_TRUE(Loaded) << LoadError; }

  static const dxpack::TPackPicture& Pic(const std::string& Name) {
    auto Lower = [](std::string S) {
      std::transform(S.begin(), S.end(), S.begin(),
                     [](unsigned char C) { return std::tolower(C); });
      return S;
    };
    for (const auto& P : Pack.Pictures)
      if (Lower(P.Name) == Lower(Name)) return P;
    throw std::runtime_error(Name + " is not in the pack");
  }

  // Whether pixel (X, Y) of pattern N is drawn (not the key). Outside the pattern: false.
  static bool Opaque(const dxpack::TPackPicture& P, int N, int X, int Y) {
    const TRect& R = P.Patterns.at(static_cast<size_t>(N));
    if (X < 0 || Y < 0 || X >= R.Right - R.Left || Y >= R.Bottom - R.Top) return false;
    return P.Rgb[static_cast<size_t>(R.Top + Y) * P.Width + R.Left + X] != P.KeyRgb;
  }

  // Whether some pixel within Radius of (X, Y) is drawn.
  static bool DrawnNear(const dxpack::TPackPicture& P, int N, int X, int Y, int Radius) {
    for (int DY = -Radius; DY <= Radius; ++DY)
      for (int DX = -Radius; DX <= Radius; ++DX)
        if (Opaque(P, N, X + DX, Y + DY)) return true;
    return false;
  }

  static inline dxpack::TPackContents Pack;
  static inline bool Loaded = false;
  static inline std::string LoadError;
};

TEST_F(Res2Geometry, DuckShootsFromItsGunAndCarriesTheLauncherOnlyWhenHeavy) {
  const auto& P = Pic("Player");
  ASSERT_EQ(P.Patterns.size(), 8u);
  for (int N = 0; N < 8; ++N) {
    // The barrel ends at the muzzle: drawn just behind it.
    EXPECT_TRUE(Opaque(P, N, 82, 47)) << "pattern " << N << ": no gun barrel behind (85, 47)";
    const bool Heavy = N >= 4;
    EXPECT_EQ(DrawnNear(P, N, 107, 59, 1), Heavy)
        << "pattern " << N << ": the launcher at (110, 59) belongs to patterns 4..7 only";
  }
}

TEST_F(Res2Geometry, BirdBeakIsOnTheLeftAtMidHeight) {
  for (const char* Name : {"MBird", "MBirdEat"}) {
    const auto& P = Pic(Name);
    for (int N = 0; N < static_cast<int>(P.Patterns.size()); ++N) {
      int Leftmost = 1000;
      for (int Y = 52; Y <= 68; ++Y)
        for (int X = 0; X < 40; ++X)
          if (Opaque(P, N, X, Y)) {
            Leftmost = std::min(Leftmost, X);
            break;
          }
      EXPECT_LE(Leftmost, 6) << Name << " pattern " << N
                             << ": the beak does not reach the left edge";
    }
  }
}

TEST_F(Res2Geometry, HuntersShotsLeaveFromTheirWeapons) {
  struct TCase {
    const char* Name;
    int X, Y;
  };
  for (const TCase& C :
       {TCase{"Hunter1", 80, 3}, TCase{"Hunter2", 90, 3}, TCase{"Hunter3", 50, 3}}) {
    const auto& P = Pic(C.Name);
    ASSERT_EQ(P.Patterns.size(), 2u) << C.Name;
    for (int N = 0; N < 2; ++N)
      EXPECT_TRUE(DrawnNear(P, N, C.X, C.Y, 3))
          << C.Name << " pattern " << N << ": nothing at the muzzle";
    // The weapon leans up and to the left: its left end is the muzzle, so the top rows
    // left of the muzzle stay clear (a muzzle flash aside) in the standing pose.
    for (int X = 0; X < C.X - 10; ++X)
      EXPECT_FALSE(Opaque(P, 0, X, 2))
          << C.Name << ": drawn at (" << X << ", 2), left of the muzzle";
  }
}

TEST_F(Res2Geometry, FrontHillsRidgeHidesTheHuntersFeet) {
  // The hunters stand with their lowest row at y 498 and the front hills start at y 494:
  // from row 4 down the layer is solid everywhere.
  const auto& P = Pic("Hills1");
  for (int X = 0; X < P.Width; ++X)
    for (int Y = 4; Y < P.Height; ++Y)
      ASSERT_TRUE(Opaque(P, 0, X, Y)) << "Hills1 is see-through at (" << X << ", " << Y << ")";
}

TEST_F(Res2Geometry, OverlaysJoinTheirBodies) {
  // The assistant's propeller shaft reaches its right edge, where the assistant's tail is.
  const auto& Anim = Pic("HeroAnim");
  for (int N = 0; N < 4; ++N)
    EXPECT_TRUE(DrawnNear(Anim, N, 48, 22, 2)) << "HeroAnim pattern " << N;
  // The mega bomb's flame touches the bomb at its right edge.
  const auto& Fire = Pic("EngineFire");
  for (int N = 0; N < 4; ++N)
    EXPECT_TRUE(DrawnNear(Fire, N, 44, 8, 1)) << "EngineFire pattern " << N;
  // The airplane's propeller hub sits on its nose, the helicopter's mast under the rotor.
  const auto& Plane = Pic("MAirplane");
  EXPECT_TRUE(DrawnNear(Plane, 0, 2, 30, 2));
  const auto& Prop = Pic("MAirplaneAnim");
  for (int N = 0; N < 4; ++N) EXPECT_TRUE(Opaque(Prop, N, 6, 20)) << "MAirplaneAnim pattern " << N;
  const auto& Heli = Pic("MHelicopter");
  EXPECT_TRUE(DrawnNear(Heli, 0, 70, 1, 1));
  const auto& Rotor = Pic("MHelicopterAnim");
  for (int N = 0; N < 3; ++N)
    EXPECT_TRUE(Opaque(Rotor, N, 85, 10)) << "MHelicopterAnim pattern " << N;
}

}  // namespace
