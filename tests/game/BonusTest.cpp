// The pick-ups: their pictures, the drift with the ground and the push of the player's
// bullets.
#include <gtest/gtest.h>

#include "TestGame.h"
#include "engine/DXImageList.h"
#include "game/Bonus.h"
#include "game/ObjectTables.h"
#include "game/ScrollBackground.h"

namespace {

TBonus& NewBonus(TTestGame& G, uint8_t Kind, double X = 900, int32_t Slot = 1) {
  auto* B = new TBonus(G, 900, 250, 9, Slot, Kind);
  B->X = X;
  G.State.Bonuses[static_cast<size_t>(Slot)] = B;
  G.State.BonusUsed[static_cast<size_t>(Slot)] = true;
  return *B;
}

void FrontHills(TTestGame& G) {
  auto* Hills = new TScrollBackground(G, 2, "Hills1", 2, 1);
  Hills->SpeedX = -4;
  G.State.HillLayers[1] = Hills;
}

}  // namespace

TEST(Bonus, EveryKindShowsItsLoopingPicture) {
  const char* Images[] = {"BNull",     "BScore", "BRocket",    "BHero",     "BNull",
                          "BMegaBomb", "BLife",  "BSingleGun", "BMultiGun", "BRocket3x"};
  TTestGame G;
  for (uint8_t Kind = 0; Kind < 10; ++Kind) {
    TBonus& B = NewBonus(G, Kind, 900, 1 + Kind % 5);
    EXPECT_EQ(B.Image(), &G.List2.Items().Find(Images[Kind])) << int(Kind);
    EXPECT_EQ(B.Kind, Kind);
    EXPECT_EQ(B.Y, 250);
    EXPECT_EQ(B.Z(), 9);
    EXPECT_EQ(B.AnimRate, 6);
    EXPECT_FALSE(B.Taken);
    EXPECT_EQ(B.PushSpeed, 0);
  }
  G.Step(10);
  for (int32_t Slot = 1; Slot <= 5; ++Slot) EXPECT_GT(G.State.Bonuses[Slot]->FramePos, 0.4);
}

TEST(Bonus, DriftsWithTheGroundAndAPushSendsItBackFor300Ms) {
  TTestGame G;
  FrontHills(G);
  TBonus& B = NewBonus(G, 7, 500);
  G.Step(5);
  EXPECT_DOUBLE_EQ(B.X, 480);
  B.Push();
  EXPECT_EQ(B.PushSpeed, 6);
  EXPECT_EQ(B.PushTime, 300);
  // 300 ms at 11 ms a frame: 28 moves of 2 to the right, then the ground's 4 to the left.
  G.Step(28);
  EXPECT_DOUBLE_EQ(B.X, 480 + 28 * 2);
  EXPECT_EQ(B.PushSpeed, 0);
  G.Step();
  EXPECT_DOUBLE_EQ(B.X, 480 + 28 * 2 - 4);
  // Every touching bullet restarts the push.
  B.Push();
  G.Step(20);
  B.Push();
  G.Step(20);
  EXPECT_EQ(B.PushSpeed, 6);
  EXPECT_DOUBLE_EQ(B.X, 480 + 28 * 2 - 4 + 40 * 2);
}

TEST(Bonus, PushedBeyondTheRightEdgeItIsLostNotTaken) {
  struct TCase {
    double X;
    bool Lost;
  } Cases[] = {{800, false}, {800.5, true}, {900, true}};
  for (const TCase& C : Cases) {
    TTestGame G;
    TBonus& B = NewBonus(G, 2, C.X, 3);
    B.Push();
    EXPECT_EQ(G.State.BonusUsed[3], !C.Lost) << C.X;
    EXPECT_EQ(B.Killed, C.Lost);
    EXPECT_FALSE(B.Taken);
  }
}
