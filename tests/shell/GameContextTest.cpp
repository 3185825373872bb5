// The main window as the game's surroundings: what a game sprite reaches through it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/MyImageSprite.h"
#include "platform/fake/FakePlatform.h"
#include "shell/MainForm.h"

namespace {

struct TStartedForm {
  TFakePlatform P;
  TMForm Form{P};
  bool Started = false;
  explicit TStartedForm(uint32_t StartTicks) {
    P.FakeClock.SetTicks(StartTicks);
    Form.DataRoot = std::string(TB_BINARY_DIR) + "/game/";
    std::string Error;
    Started = Form.FormCreate(Error);
    EXPECT_TRUE(Started) << Error;
  }
  std::vector<int32_t> Draws(int32_t N) {
    std::vector<int32_t> V;
    for (int32_t I = 0; I < N; ++I) V.push_back(Form.Random().Below(1000));
    return V;
  }
};

}  // namespace

TEST(GameContext, TheGeneratorIsSeededFromTheClockAtStartUp) {
  TStartedForm A(5000), B(5000), C(5001);
  ASSERT_TRUE(A.Started && B.Started && C.Started);
  EXPECT_EQ(A.Form.RandSeed, 5000u);
  const auto Ra = A.Draws(20);
  EXPECT_EQ(Ra, B.Draws(20));
  EXPECT_NE(Ra, C.Draws(20));
}

TEST(GameContext, GameSpritesLiveInTheWindowsTreeAndPictures) {
  TStartedForm F(1);
  ASSERT_TRUE(F.Started);
  IGameContext& Ctx = F.Form;
  auto* Sprite = new TMyImageSprite(Ctx, 2, "Player", 10, 20, 10);
  EXPECT_EQ(Sprite->Parent(), &F.Form.MDXSpriteEngine.Engine());
  EXPECT_EQ(Sprite->Image(), &F.Form.MDXImageList2.Items().Find("Player"));
  auto* Menu = new TMyImageSprite(Ctx, 1, "MMB", 0, 0, 2);
  EXPECT_EQ(Menu->Image(), &F.Form.MDXImageList1.Items().Find("MMB"));
  EXPECT_EQ(&Ctx.Game(), &F.Form.GameState);
  EXPECT_EQ(Ctx.SpeedFactor(), F.Form.Shell.SpeedFactor);
  EXPECT_EQ(Ctx.FrameMs(), F.Form.Shell.FrameMs);
  Sprite->Kill();
  Menu->Kill();
}

TEST(GameContext, BannersOpenOnlyWhenNoDialogIsOpen) {
  TStartedForm F(1);
  ASSERT_TRUE(F.Started);
  IGameContext& Ctx = F.Form;
  Ctx.OpenLevelBanner();
  EXPECT_EQ(F.Form.Shell.DialogKind, dkLevel);
  EXPECT_EQ(F.Form.Shell.DialogTimer, 2000);
  Ctx.OpenGameOverBanner();
  EXPECT_EQ(F.Form.Shell.DialogKind, dkLevel);
  F.Form.Shell.DialogKind = dkNone;
  Ctx.OpenGameOverBanner();
  EXPECT_EQ(F.Form.Shell.DialogKind, dkGameOver);
  EXPECT_EQ(F.Form.Shell.DialogTimer, 3000);
}

TEST(GameContext, ThePointerIsTheWindowSystems) {
  TStartedForm F(1);
  ASSERT_TRUE(F.Started);
  IGameContext& Ctx = F.Form;
  F.P.FakeWindow.OriginX = 120;
  F.P.FakeWindow.OriginY = 80;
  Ctx.SetCursorPos(300, 200);
  int32_t X = 0, Y = 0;
  Ctx.GetCursorPos(X, Y);
  EXPECT_EQ(X, 300);
  EXPECT_EQ(Y, 200);
  Ctx.ClientOrigin(X, Y);
  EXPECT_EQ(X, 120);
  EXPECT_EQ(Y, 80);
}
