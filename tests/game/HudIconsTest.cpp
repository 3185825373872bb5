// The icons of the in-game display against the duck's lives, its assistant and the weapons
// it holds.

#include <gtest/gtest.h>

#include <string>

#include "TestGame.h"
#include "TestScreen.h"
#include "game/Bonus.h"
#include "game/GameFlow.h"
#include "game/Player.h"
#include "game/Weapons.h"
#include "shell/Hud.h"

namespace {

class HudIcons : public testing::Test {
 protected:
  void SetUp() override {
    if (!GamePacksBuilt()) GTEST_SKIP() << "the packs are not built";
    StartGame(Game, Screen);
  }

  bool Shows(const TMyImageSprite* Icon, const std::string& Name) {
    return Icon->Image() == &Game.List2.Items().Find(Name);
  }

  int32_t LifeIconsShown() {
    int32_t Shown = 0;
    for (int32_t I = 1; I <= 3; ++I) {
      // Always the leftmost ones.
      if (G.HudLifeIcons[I]->Visible) {
        EXPECT_EQ(Shown, I - 1) << "icon " << I << " shows after a hidden one";
        ++Shown;
      }
    }
    return Shown;
  }

  TTestGame Game;
  TTestScreen Screen;
  TGameState& G = Game.State;
};

TEST_F(HudIcons, ShowOneLifeIconPerLifeUpToThree) {
  const int32_t Cases[][2] = {{3, 3}, {2, 2}, {1, 1}, {0, 0}, {7, 3}, {-1, 0}};
  for (const auto& [Lives, Icons] : Cases) {
    G.Lives = Lives;
    ShowHudIcons(G);
    EXPECT_EQ(LifeIconsShown(), Icons) << Lives << " lives";
  }
}

TEST_F(HudIcons, AssistantIconShowsWhileTheAssistantFlies) {
  ShowHudIcons(G);
  EXPECT_TRUE(G.HudAssistantIcon->Visible);
  G.Player->SlotOn[SlotOfKind(bnHero)] = false;
  ShowHudIcons(G);
  EXPECT_FALSE(G.HudAssistantIcon->Visible);
}

TEST_F(HudIcons, WeaponIconShowsTheFirstHeldWeaponInItsPlace) {
  TPlayer& P = *G.Player;
  struct TCase {
    std::initializer_list<uint8_t> Held;
    const char* Image;
    int32_t X;
  };
  const TCase Cases[] = {
      {{}, "Null", 267},
      {{bnMultiGun}, "PanelMultiGun", 458},
      {{bnSingleGun, bnMultiGun}, "PanelSingleGun", 410},
      {{bnRocket, bnSingleGun}, "PanelRocket", 362},
      {{bnTripleRocket, bnRocket}, "PanelRocket3x", 314},
      {{bnMegaBomb, bnTripleRocket}, "PanelMegaBomb", 267},
      // The laser and the assistant have no icon.
      {{bnLaser, bnHero}, "Null", 267},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Image);
    P.SlotOn.fill(false);
    for (const uint8_t Kind : C.Held) P.SlotOn[SlotOfKind(Kind)] = true;
    ShowHudIcons(G);
    EXPECT_TRUE(Shows(G.HudWeaponIcon, C.Image));
    EXPECT_EQ(G.HudWeaponIcon->X, C.X);
    EXPECT_EQ(G.HudWeaponIcon->Y, 6);
  }
}

TEST_F(HudIcons, AnExpiredWeaponShowsNullAt267OnTheFrameItRunsOut) {
  TPlayer& P = *G.Player;
  P.TakeSlot(bnMultiGun);
  const size_t Slot = static_cast<size_t>(SlotOfKind(bnMultiGun));
  int32_t Frames = 0;
  // The display is brought up to date in every frame of play, after the move.
  while (P.SlotOn[Slot] && Frames < 1000) {
    G.MonsterTimer = G.HunterTimer = 0;
    GameTick(Game, Screen, Game.Ms, {});
    ShowHudIcons(G);
    ++Frames;
    if (P.SlotOn[Slot]) {
      ASSERT_TRUE(Shows(G.HudWeaponIcon, "PanelMultiGun")) << Frames;
      ASSERT_EQ(G.HudWeaponIcon->X, 458);
    }
  }
  EXPECT_EQ(Frames, 5000 / Game.Ms + 1);
  EXPECT_TRUE(Shows(G.HudWeaponIcon, "Null"));
  EXPECT_EQ(G.HudWeaponIcon->X, 267);
}

TEST_F(HudIcons, AMegaBombShowsUntilItIsFired) {
  TPlayer& P = *G.Player;
  P.TakeSlot(bnMegaBomb);
  P.BecomeAlive();
  ShowHudIcons(G);
  EXPECT_TRUE(Shows(G.HudWeaponIcon, "PanelMegaBomb"));
  TGameControls Fire;
  Fire.Fire = true;
  for (int32_t F = 0; F < 3; ++F) GameTick(Game, Screen, Game.Ms, Fire);
  ShowHudIcons(G);
  EXPECT_FALSE(P.SlotOn[SlotOfKind(bnMegaBomb)]);
  EXPECT_TRUE(Shows(G.HudWeaponIcon, "Null"));
}

}  // namespace
