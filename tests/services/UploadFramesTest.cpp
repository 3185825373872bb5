// The main window goes on drawing frames while a world score upload waits for its answer.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include "platform/fake/FakePlatform.h"
#include "shell/MainForm.h"

namespace fs = std::filesystem;

TEST(UploadFrames, FramesGoOnWhileTheRequestIsOut) {
  const fs::path Game = fs::path(TB_BINARY_DIR) / "game";
  if (!fs::exists(Game / "Data/Res/Sounds.dxw")) GTEST_SKIP() << "packs not built";
  const fs::path Saves = fs::path(TB_BINARY_DIR) / "test-scratch" / "uploadframes";
  fs::remove_all(Saves);
  TFakePlatform P;
  TMForm Form(P);
  Form.DataRoot = Game.string() + "/";
  Form.SaveRoot = Saves.string() + "/";
  std::string Error;
  ASSERT_TRUE(Form.FormCreate(Error)) << Error;

  P.FakeHttp.Hold();  // the server takes its time
  Form.WorldScoreUpload.Start(P.Http(), Form.Online, "Duck", 4321, Form.Options.Country);
  for (int Frame = 0; Frame < 10; ++Frame) {
    P.FakeClock.Advance(12);
    Form.RunFrame();
    EXPECT_FALSE(Form.WorldScoreUpload.Done());
  }
  EXPECT_EQ(P.FakeWindow.Presents, 10) << "every frame was drawn meanwhile";
  EXPECT_EQ(P.FakeMusic.Freed.size(), 0u) << "the menu music plays on";

  P.FakeHttp.Release();  // no network: the request fails, silently
  while (!Form.WorldScoreUpload.Done()) std::this_thread::yield();
  EXPECT_FALSE(Form.WorldScoreUpload.Answered());
  ASSERT_EQ(P.FakeHttp.Sent.size(), 1u);
  EXPECT_NE(P.FakeHttp.Sent[0].Url.find("inf="), std::string::npos);
  fs::remove_all(Saves);
}
