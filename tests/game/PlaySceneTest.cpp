// A scripted scene of play, stepped frame by frame on the fake platform with the real packs:
// the duck and its assistant under the sky and both hill layers, every monster and hunter
// kind, every weapon and every bonus. A small pilot steers the duck at the nearest enemy.
// After every frame the tables must agree with the sprite tree, the duck must stay in its
// play area, and the score must be exactly what the kills and bonuses earned. One frame is
// drawn into test-scratch/play-scene.ppm of the build folder; docs/play-scene.png is that
// frame (convert build/test-scratch/play-scene.ppm docs/play-scene.png).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "TestGame.h"
#include "game/Bonus.h"
#include "game/Bullet.h"
#include "game/GroundGun.h"
#include "game/Monster.h"
#include "game/ObjectTables.h"
#include "game/Player.h"
#include "game/ScrollBackground.h"
#include "game/Weapons.h"

namespace {

// The frame drawn into the picture.
constexpr int32_t KPictureFrame = 420;

struct TScene {
  TTestGame G{4242};
  TScrollBackground* Sky = nullptr;
  TPlayer* Duck = nullptr;
  int32_t Frame = 0;

  // What the scene has seen so far.
  std::set<std::tuple<int32_t, int32_t, bool>> ShotKinds;  // bullet kind, side, diagonal
  std::set<const TSprite*> Known;
  std::map<const TMonster*, bool> MonsterKilled;  // by damage (scores and counts)
  std::map<const TGroundGun*, bool> HunterKilled;
  std::set<int32_t> MonsterKindsDown, HunterKindsDown;
  std::set<const TBonus*> TakenScores;
  int32_t ExpectedScore = 0;
  int32_t ExpectedMonstersLeft = 10;

  TScene() {
    TGameState& S = G.State;
    Sky = new TScrollBackground(G, 2, "SkyTile", KSkyColumns, 1);
    Sky->SpeedX = KSkyPlaySpeedX;
    CreateHillLayers(G);
    Duck = new TPlayer(G);
    S.Player = Duck;
    Duck->Respawn();
    Duck->ResetHero();
    Duck->SlotOn[1] = true;
    S.MonstersLeft = ExpectedMonstersLeft;
  }

  // Flies the duck toward the middle of the nearest enemy that can still be shot.
  void Pilot() {
    const TGameState& S = G.State;
    double Best = 1e9, TargetY = 260;
    auto Consider = [&](const TSprite& E) {
      if (E.X < Duck->X + 60 || E.X > 800) return;
      if (E.X - Duck->X < Best) {
        Best = E.X - Duck->X;
        TargetY = E.Y + E.Height / 2.0 - 52;
      }
    };
    for (int32_t I = 1; I <= KMonsterSlots; ++I)
      if (S.MonsterUsed[I] && !S.Monsters[I]->Dying) Consider(*S.Monsters[I]);
    for (int32_t I = 1; I <= KHunterSlots; ++I)
      if (S.HunterUsed[I] && !S.Hunters[I]->Dying) Consider(*S.Hunters[I]);
    Duck->MoveUp = Duck->Y > TargetY + 4;
    Duck->MoveDown = Duck->Y < TargetY - 4;
    Duck->MoveLeft = Duck->X > 160;
    Duck->MoveRight = Duck->X < 120;
  }

  // One frame of play: the controls of the last frame act in this move; then the cull.
  void Step() {
    G.Sprites.Move(G.Ms);
    Observe();
    CullSprites(G);
    Forget();
    G.Sprites.FreeDead();
    ++Frame;
  }

  void Observe() {
    const TGameState& S = G.State;
    for (int32_t I = 1; I <= KBulletSlots; ++I) {
      if (!S.BulletUsed[I]) continue;
      const TBullet* B = S.Bullets[I];
      if (Known.insert(B).second) ShotKinds.insert({B->Kind, B->Side, B->Diagonal});
    }
    for (int32_t I = 1; I <= KMonsterSlots; ++I) {
      if (!S.MonsterUsed[I]) continue;
      const TMonster* M = S.Monsters[I];
      if (M->Dying && !MonsterKilled.contains(M)) {
        const bool ByDamage = M->Energy <= 0;
        MonsterKilled[M] = ByDamage;
        MonsterKindsDown.insert(M->Kind);
        if (ByDamage) {
          ExpectedScore += 5 * M->MaxEnergy;
          --ExpectedMonstersLeft;
        }
      }
    }
    for (int32_t I = 1; I <= KBonusSlots; ++I) {
      if (!S.BonusUsed[I]) continue;
      const TBonus* B = S.Bonuses[I];
      if (B->Taken && B->Kind == bnScore && TakenScores.insert(B).second) ExpectedScore += 100;
    }
    for (int32_t I = 1; I <= KHunterSlots; ++I) {
      if (!S.HunterUsed[I]) continue;
      const TGroundGun* H = S.Hunters[I];
      if (H->Dying && !HunterKilled.contains(H)) {
        HunterKilled[H] = H->Energy <= 0;
        HunterKindsDown.insert(H->Kind);
        if (H->Energy <= 0) ExpectedScore += 45;
      }
    }
  }

  // The sprites released this frame are freed next: their addresses may come back.
  void Forget() {
    const TGameState& S = G.State;
    std::set<const TSprite*> Live;
    for (int32_t I = 1; I <= KBulletSlots; ++I)
      if (S.BulletUsed[I]) Live.insert(S.Bullets[I]);
    for (int32_t I = 1; I <= KMonsterSlots; ++I)
      if (S.MonsterUsed[I]) Live.insert(S.Monsters[I]);
    for (int32_t I = 1; I <= KHunterSlots; ++I)
      if (S.HunterUsed[I]) Live.insert(S.Hunters[I]);
    for (int32_t I = 1; I <= KBonusSlots; ++I)
      if (S.BonusUsed[I]) Live.insert(S.Bonuses[I]);
    std::erase_if(TakenScores, [&](const TBonus* P) { return !Live.contains(P); });
    std::erase_if(Known, [&](const TSprite* P) { return !Live.contains(P); });
    std::erase_if(MonsterKilled, [&](const auto& E) { return !Live.contains(E.first); });
    std::erase_if(HunterKilled, [&](const auto& E) { return !Live.contains(E.first); });
  }

  // The sky, both hills, the duck and exactly the live table entries hang below the root,
  // and none of the live ones has been killed.
  void CheckTree() {
    const TGameState& S = G.State;
    std::set<const TSprite*> Live{Sky, S.HillLayers[1], S.HillLayers[2], Duck};
    auto Add = [&](const auto& Table, const auto& Used, int32_t N) {
      for (int32_t I = 1; I <= N; ++I)
        if (Used[I]) {
          ASSERT_FALSE(Table[I]->Killed) << "frame " << Frame << ": slot " << I;
          ASSERT_EQ(Table[I]->Slot, I);
          Live.insert(Table[I]);
        }
    };
    Add(S.Bullets, S.BulletUsed, KBulletSlots);
    Add(S.Hunters, S.HunterUsed, KHunterSlots);
    Add(S.Monsters, S.MonsterUsed, KMonsterSlots);
    Add(S.Bonuses, S.BonusUsed, KBonusSlots);
    const auto Children = G.Sprites.Engine().Children();
    ASSERT_EQ(std::set<const TSprite*>(Children.begin(), Children.end()), Live)
        << "frame " << Frame;
  }

  void SavePicture(const std::string& Path) {
    TDirectDrawSurface& Surface = G.ClearSurface();
    G.Sprites.Draw();
    std::filesystem::create_directories(std::filesystem::path(Path).parent_path());
    std::ofstream Out(Path, std::ios::binary);
    Out << "P6\n" << Surface.Width() << " " << Surface.Height() << "\n255\n";
    for (int32_t Y = 0; Y < Surface.Height(); ++Y)
      for (int32_t X = 0; X < Surface.Width(); ++X) {
        const uint32_t P = Surface.Row(Y)[X];
        const char Rgb[3] = {static_cast<char>(P >> 16), static_cast<char>(P >> 8),
                             static_cast<char>(P)};
        Out.write(Rgb, 3);
      }
  }
};

}  // namespace

TEST(PlayScene, EveryKindOfEnemyWeaponAndBonusPlaysByTheRules) {
  TScene Sc;
  TGameState& S = Sc.G.State;
  // The weapons in turn, each for 100 frames in which the duck can fire (taken again after
  // a death): laser, single gun, multi gun, rocket, triple rocket, and a mega bomb twice.
  struct TWeapon {
    uint8_t Kind;
    const char* Cue;
  } Weapons[] = {{bnLaser, "Laser"},   {bnSingleGun, "Laser"},     {bnMultiGun, "Laser2"},
                 {bnRocket, "Rocket"}, {bnTripleRocket, "Rocket"}, {bnMegaBomb, "Rail"},
                 {bnMegaBomb, "Rail"}};
  const std::string Picture = std::string(TB_BINARY_DIR) + "/test-scratch/play-scene.ppm";
  size_t Weapon = 0;
  int32_t PhaseFrames = 0, PhaseCues = 0;
  int32_t F = 0;
  for (; Weapon < std::size(Weapons) && F < 3000; ++F) {
    // Enemies enter at X 900 as the spawners bring them: every monster kind and every
    // hunter kind, a wave every 230 frames.
    if (F % 230 == 0) {
      for (uint8_t K = mkAirplane; K <= mkHelicopter; ++K) AddMonster(Sc.G, 900, 6, K);
      for (uint8_t K = hkHunter1; K <= hkHunter3; ++K)
        AddHunter(Sc.G, 900 + 90 * K, KHunterStartY[K], 6, K);
    }
    // A bonus drifts in with the ground now and then; the duck's shots push it back.
    if (F % 230 == 120)
      AddBonus(Sc.G, 900, 130, 9, static_cast<uint8_t>(F / 230 % 2 == 0 ? bnScore : bnHero));
    // The dog and the helicopter use a shot as they come on screen.
    for (int32_t I = 1; I <= KMonsterSlots; ++I) {
      TMonster* M = S.MonsterUsed[I] ? S.Monsters[I] : nullptr;
      if (M != nullptr && !M->Dying && M->Kind >= mkDog && M->X < 815 && M->X - M->SpeedX >= 815)
        M->Fire();
    }
    // The duck keeps a life in hand, so the scene plays on.
    if (S.Lives < 2) S.Lives = 3;
    const TWeapon& W = Weapons[Weapon];
    if (Sc.Duck->State != psDying) {
      if (!Sc.Duck->SlotOn[SlotOfKind(W.Kind)] && (PhaseFrames == 0 || W.Kind != bnMegaBomb))
        Sc.Duck->TakeSlot(W.Kind);
      if (PhaseFrames == 0) PhaseCues = Sc.G.CueCount(W.Cue);
      if (++PhaseFrames >= 100 && Sc.G.CueCount(W.Cue) > PhaseCues) {
        ++Weapon;
        PhaseFrames = 0;
      }
    }
    Sc.Duck->FireHeld = true;
    Sc.Pilot();
    Sc.Step();
    ASSERT_NO_FATAL_FAILURE(Sc.CheckTree());
    if (Sc.Duck->State != psDying) {
      ASSERT_GE(Sc.Duck->X, -10);
      ASSERT_LE(Sc.Duck->X + Sc.Duck->Width, 815);
      ASSERT_GE(Sc.Duck->Y, 44);
      ASSERT_LE(Sc.Duck->Y + Sc.Duck->Height, 570);
    }
    ASSERT_EQ(S.Score, Sc.ExpectedScore) << "frame " << F;
    ASSERT_EQ(S.MonstersLeft, Sc.ExpectedMonstersLeft) << "frame " << F;
    if (F == KPictureFrame) Sc.SavePicture(Picture);
  }
  EXPECT_EQ(Weapon, std::size(Weapons)) << "every weapon fired, in " << F << " frames";
  EXPECT_TRUE(std::filesystem::exists(Picture));

  // Every weapon of the duck fired, and every enemy shot flew: the hunters' turned.
  const std::tuple<int32_t, int32_t, bool> Shots[] = {
      {bkGunBullet, bsPlayer, false}, {bkRocket, bsPlayer, false}, {bkMegaBomb, bsPlayer, false},
      {bkGunBullet, bsEnemy, true},   {bkRocket, bsEnemy, true},   {bkBomb, bsEnemy, false},
      {bkRocket, bsEnemy, false},
  };
  for (const auto& Shot : Shots)
    EXPECT_TRUE(Sc.ShotKinds.contains(Shot))
        << "bullet kind " << std::get<0>(Shot) << " side " << std::get<1>(Shot);
  for (const char* Cue : {"Shot1", "Shot3", "Explosion2", "HunterKill"})
    EXPECT_GT(Sc.G.CueCount(Cue), 0) << Cue;
  // Every kind went down at least once, and kills scored.
  EXPECT_EQ(Sc.MonsterKindsDown.size(), 4u);
  EXPECT_EQ(Sc.HunterKindsDown.size(), 3u);
  EXPECT_LT(S.MonstersLeft, 10);

  // The bonuses, one after another ahead of the duck, which flies to each (its assistant's
  // shots push them away now and then, but not beyond the right edge, where they would be
  // lost); the sky cleared of enemies first.
  ReleaseAllBullets(Sc.G);
  ReleaseAllMonsters(Sc.G);
  ReleaseAllHunters(Sc.G);
  ReleaseAllBonuses(Sc.G);
  Sc.Duck->FireHeld = false;
  while (Sc.Duck->State != psAlive) Sc.Step();
  S.Lives = 2;
  struct TPickUp {
    uint8_t Kind;
    int32_t Score, Lives;
    int32_t Slot;  // the slot it leaves on; 0 = none
  } PickUps[] = {
      {bnScore, 100, 2, 0},      {bnLife, 0, 3, 0},      {bnLife, 0, 3, 0},
      {bnRocket, 0, 3, 3},       {bnSingleGun, 0, 3, 6}, {bnMultiGun, 0, 3, 7},
      {bnTripleRocket, 0, 3, 8}, {bnMegaBomb, 0, 3, 9},  {bnLaser, 0, 3, 1},
      {bnHero, 0, 3, 4},         {bnNothing, 0, 3, 0},
  };
  for (const TPickUp& P : PickUps) {
    // Back to the left, then a bonus comes in at the duck's height.
    Sc.Duck->MoveRight = false;
    Sc.Duck->MoveLeft = true;
    for (int32_t Frame = 0; Frame < 60; ++Frame) Sc.Step();
    Sc.Duck->MoveLeft = false;
    const int32_t Score = S.Score, Cues = Sc.G.CueCount("Bonus");
    AddBonus(Sc.G, 600, Trunc(Sc.Duck->Y) + 20, 9, P.Kind);
    const TBonus* B = S.Bonuses[1];
    for (int32_t Frame = 0; Frame < 300 && Sc.G.CueCount("Bonus") == Cues; ++Frame) {
      Sc.Duck->MoveRight = B->X > Sc.Duck->X + 70;
      Sc.Duck->MoveLeft = B->X < Sc.Duck->X + 30;
      Sc.Step();
    }
    Sc.Step();
    EXPECT_EQ(Sc.G.CueCount("Bonus"), Cues + 1) << "kind " << int(P.Kind);
    EXPECT_EQ(S.Score, Score + P.Score) << "kind " << int(P.Kind);
    EXPECT_EQ(S.Lives, P.Lives) << "kind " << int(P.Kind);
    if (P.Slot != 0) {
      EXPECT_TRUE(Sc.Duck->SlotOn[P.Slot]) << "kind " << int(P.Kind);
    }
    for (int32_t I = 1; I <= KBonusSlots; ++I) EXPECT_FALSE(S.BonusUsed[I]) << "taken, released";
    ASSERT_NO_FATAL_FAILURE(Sc.CheckTree());
  }
  // The laser bonus dropped every other weapon; the assistant stays.
  EXPECT_TRUE(Sc.Duck->SlotOn[1]);
  EXPECT_TRUE(Sc.Duck->SlotOn[4]);
  for (const int32_t Slot : {3, 6, 7, 8, 9}) EXPECT_FALSE(Sc.Duck->SlotOn[Slot]) << Slot;
}
