// Recorded games play back to the same state in every frame; a changed game is caught at the
// first frame that differs, named with what differs; damaged replay files give a clear error.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/Bullet.h"
#include "game/ObjectTables.h"
#include "game/Player.h"
#include "platform/fake/FakePlatform.h"
#include "platform/replay/ReplayFile.h"
#include "services/HighScores.h"
#include "services/Options.h"
#include "shell/MainForm.h"
#include "shell/Replay.h"

namespace fs = std::filesystem;

namespace {

const std::string KGameDir = std::string(TB_BINARY_DIR) + "/game/";
const fs::path KGames = fs::path(TB_SOURCE_DIR) / "tests" / "replay" / "games";

bool PacksBuilt() {
  return fs::exists(KGameDir + "Data/Res/Res1.dxg") && fs::exists(KGameDir + "Data/Res/Res2.dxg");
}

// A scratch folder of the running test's own.
std::string Scratch() {
  const auto* Info = ::testing::UnitTest::GetInstance()->current_test_info();
  const fs::path Dir = fs::path(TB_BINARY_DIR) / "tests" / "replay-scratch" /
                       (std::string(Info->test_suite_name()) + "." + Info->name());
  fs::remove_all(Dir);
  fs::create_directories(Dir);
  return Dir.string();
}

TPlaybackResult Play(const TReplay& Replay,
                     std::function<void(size_t, const TMForm&)> AfterFrame = nullptr) {
  TPlaybackSettings Settings;
  Settings.DataRoot = KGameDir;
  Settings.ScratchDir = Scratch();
  Settings.AfterFrame = std::move(AfterFrame);
  return PlayReplay(Replay, Settings);
}

// The weapon slots the duck held at some frame of a game: "1 3 6 7 8 9" is every weapon
// (laser, rocket, single gun, multi gun, triple rocket, mega bomb).
std::string WeaponsHeld(const std::set<int32_t>& Slots) {
  std::string Out;
  for (int32_t S : Slots) Out += (Out.empty() ? "" : " ") + std::to_string(S);
  return Out;
}

std::vector<uint8_t> FileBytes(const fs::path& Name) {
  std::ifstream In(Name, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// --- The recorded games ---------------------------------------------------------------

struct TRecordedGame {
  const char* File;
  int32_t LeastLevel;   // the recording reaches at least this level
  bool GameOver;        // the recording must hold a game over
  const char* Weapons;  // the weapon slots the duck held (WeaponsHeld)
};

void PrintTo(const TRecordedGame& G, std::ostream* Out) {
  *Out << G.File;
}

class RecordedGame : public ::testing::TestWithParam<TRecordedGame> {};

TEST_P(RecordedGame, PlaysBackToTheRecordedStateInEveryFrame) {
  if (!PacksBuilt()) GTEST_SKIP() << "the packs are not built";
  const TRecordedGame& G = GetParam();
  const TReplay Replay = LoadReplay((KGames / G.File).string());
  int32_t Level = 0;
  bool Over = false;
  for (const TReplayCheck& C : Replay.Checks) {
    Level = std::max(Level, C.Level);
    Over = Over || C.Dialog == 7;  // the game-over banner
  }
  EXPECT_GE(Level, G.LeastLevel) << "the recording does not show what it is kept for";
  EXPECT_TRUE(Over || !G.GameOver) << "the recording holds no game over";

  std::set<int32_t> Slots;
  const TPlaybackResult R = Play(Replay, [&Slots](size_t, const TMForm& Form) {
    const TGameState& G = Form.GameState;
    if (G.Player != nullptr)
      for (int32_t S : {1, 3, 6, 7, 8})
        if (G.Player->SlotOn[static_cast<size_t>(S)]) Slots.insert(S);
    // The mega bomb leaves in the frame it is taken: it shows by its bullet.
    for (int32_t I = 1; I <= KBulletSlots; ++I)
      if (G.BulletUsed[I] && G.Bullets[I]->Kind == bkMegaBomb && G.Bullets[I]->Side == bsPlayer)
        Slots.insert(9);
  });
  ASSERT_TRUE(R.Error.empty()) << R.Error;
  EXPECT_EQ(WeaponsHeld(Slots), G.Weapons);
  EXPECT_EQ(R.FirstDifferent, -1) << R.Difference << (R.AskedDifference.empty() ? "" : "; ")
                                  << R.AskedDifference;
  EXPECT_EQ(R.Frames, Replay.FrameCount());
  EXPECT_EQ(R.AskedDifference, "");
  EXPECT_EQ(R.Final, Replay.Checks.back());
}

INSTANTIATE_TEST_SUITE_P(Games, RecordedGame,
                         ::testing::Values(TRecordedGame{"keys-short.tbr", 1, false, "1 6"},
                                           TRecordedGame{"bot-short.tbr", 1, false, "1 6"},
                                           TRecordedGame{"bot-level3.tbr", 3, false, "1 3 6 7"},
                                           TRecordedGame{"bot-gameover.tbr", 5, true, "1 3 6 7 8"}),
                         [](const ::testing::TestParamInfo<TRecordedGame>& Info) {
                           std::string Name = fs::path(Info.param.File).stem().string();
                           std::replace(Name.begin(), Name.end(), '-', '_');
                           return Name;
                         });

// --- Recording on the fake platform -----------------------------------------------------

// A game on the fake platform, 16 ms a frame: the menu, Enter for a new game, the duck held
// up from frame UpFrom, fire held from the start of play. Answers the recording.
TReplay RecordOnFakePlatform(int32_t Frames, int32_t UpFrom, const std::string& SaveDir) {
  TFakePlatform Fake;
  Fake.FakeClock.SetTicks(123456);
  Fake.FakeClock.AutoAdvance = 16;
  TGameRecorder Recorder(Fake);
  TMForm Form(Recorder.Platform());
  Form.DataRoot = KGameDir;
  Form.SaveRoot = SaveDir + "/";
  Recorder.KeepStartFiles(Form);
  std::string Error;
  EXPECT_TRUE(Form.FormCreate(Error)) << Error;
  Recorder.Started(Form);
  for (int32_t Frame = 1; Frame < Frames; ++Frame) {
    if (Frame == 60) {
      Fake.FakeWindow.PushKey(TEventKind::KeyDown, 13);
      TPlatformEvent Enter;
      Enter.Kind = TEventKind::Char;
      Enter.Char = 13;
      Fake.FakeWindow.PushEvent(Enter);
      Fake.FakeWindow.PushKey(TEventKind::KeyUp, 13);
    }
    if (Frame == 70) Fake.FakeWindow.PushKey(TEventKind::KeyDown, 32);
    Fake.FakeKeyboard.SetKey(38, Frame >= UpFrom);
    Form.RunFrame();
    Recorder.FrameDone(Form);
  }
  return Recorder.Replay();
}

TEST(Replay, AGameRecordedOnTheFakePlatformPlaysBackTheSame) {
  if (!PacksBuilt()) GTEST_SKIP() << "the packs are not built";
  const TReplay Replay = RecordOnFakePlatform(600, 400, Scratch());
  ASSERT_EQ(Replay.FrameCount(), 600u);
  EXPECT_EQ(Replay.Checks.back().Screen, skGame);
  // Through the file and back.
  const TReplay Read = ParseReplayFile(ReplayFileBytes(Replay));
  const TPlaybackResult R = Play(Read);
  EXPECT_TRUE(R.Ok()) << R.Error << R.Difference;
  EXPECT_EQ(R.Frames, 600u);
  EXPECT_EQ(R.AskedDifference, "");
}

TEST(Replay, OtherInputsAreCaughtAtTheFirstFrameTheyChange) {
  if (!PacksBuilt()) GTEST_SKIP() << "the packs are not built";
  const std::string Dir = Scratch();
  const TReplay Played = RecordOnFakePlatform(500, 300, Dir);
  const TReplay Other = RecordOnFakePlatform(500, 1000, Dir);
  // The inputs of one, the checks of the other: the duck goes up from frame 300 on.
  TReplay Mixed = Played;
  Mixed.Checks = Other.Checks;
  const TPlaybackResult R = Play(Mixed);
  EXPECT_FALSE(R.Ok());
  EXPECT_GE(R.FirstDifferent, 300);
  EXPECT_LE(R.FirstDifferent, 303);
  EXPECT_NE(R.Difference.find("frame " + std::to_string(R.FirstDifferent) + ": duck at ("),
            std::string::npos)
      << R.Difference;
}

TEST(Replay, AnotherSeedIsNamed) {
  if (!PacksBuilt()) GTEST_SKIP() << "the packs are not built";
  TReplay Replay = RecordOnFakePlatform(5, 1000, Scratch());
  const uint32_t Seed = Replay.Seed;
  Replay.Seed += 1;
  const TPlaybackResult R = Play(Replay);
  EXPECT_EQ(R.FirstDifferent, 0);
  EXPECT_EQ(R.Difference,
            "frame 0: seed " + std::to_string(Seed + 1) + " != " + std::to_string(Seed));
}

// A game ended through "Exit to menu?", its score entered in a table of zeros and sent,
// the request held on its way for a second and a half: the frames under "Sending results..."
// come out the same in the playback, which has no network.
TEST(Replay, AnUploadEndsInTheFrameItEndedInTheRecording) {
  if (!PacksBuilt()) GTEST_SKIP() << "the packs are not built";
  const std::string Dir = Scratch();
  THighScores Zeros{};
  for (int32_t I = 1; I <= 10; ++I) Zeros[I] = {"ANONYMOUS", 0};
  fs::create_directories(Dir + "/Data/Save");
  std::ofstream(Dir + "/Data/Save/hs") << HighScoreFileText(Zeros);
  std::ofstream(Dir + "/Data/Save/options")
      << OptionsFileText(TGameOptions{}, HighScoreCheckText(Zeros));

  TFakePlatform Fake;
  Fake.FakeClock.AutoAdvance = 16;
  Fake.FakeHttp.Hold();
  TGameRecorder Recorder(Fake);
  std::unique_ptr<TMForm> Form = std::make_unique<TMForm>(Recorder.Platform());
  Form->DataRoot = KGameDir;
  Form->SaveRoot = Dir + "/";
  Recorder.KeepStartFiles(*Form);
  std::string Error;
  ASSERT_TRUE(Form->FormCreate(Error)) << Error;
  Recorder.Started(*Form);
  auto Type = [&Fake](uint8_t Ch) {
    TPlatformEvent E;
    E.Kind = TEventKind::Char;
    E.Char = Ch;
    Fake.FakeWindow.PushEvent(E);
  };
  int32_t SendingFrames = 0;
  for (int32_t Frame = 1; Frame < 1300; ++Frame) {
    if (Frame == 60) Type(13);  // the new game
    if (Frame == 70) Fake.FakeWindow.PushKey(TEventKind::KeyDown, 32);
    // Up and down through the sky, fire held.
    Fake.FakeKeyboard.SetKey(38, Frame > 100 && Frame % 200 < 60);
    Fake.FakeKeyboard.SetKey(40, Frame > 100 && Frame % 200 >= 100 && Frame % 200 < 160);
    Fake.FakeKeyboard.SetKey(27, Frame >= 900 && Frame < 904);
    Fake.FakeKeyboard.SetKey('Y', Frame >= 940 && Frame < 944);
    if (Frame == 980) {
      Type('A');
      Type(13);
    }
    if (Frame == 1020) Type(13);  // "Yes", send it
    if (Frame == 1120) Fake.FakeHttp.Release();
    Form->RunFrame();
    Recorder.FrameDone(*Form);
    SendingFrames += Form->Shell.DialogKind == dkSending;
  }
  Recorder.Stop();
  Form.reset();
  ASSERT_GT(SendingFrames, 80) << "the game did not reach the upload";
  EXPECT_EQ(Recorder.Replay().Checks.back().Screen, skHighScores);

  const TPlaybackResult R = Play(Recorder.Replay());
  EXPECT_TRUE(R.Ok()) << R.Error << R.Difference;
  EXPECT_EQ(R.AskedDifference, "");
}

TEST(Replay, DescribesEveryDifferenceOfACheck) {
  TReplayCheck A, B;
  EXPECT_EQ(DescribeDifference(A, B), "");
  A.Score = 150;
  B.Score = 160;
  B.Lives = 2;
  A.Positions = 1;
  EXPECT_EQ(DescribeDifference(A, B), "score 150 != 160, lives 0 != 2, sprite positions differ");
  B = A;
  B.Screen = 5;
  A.Screen = 1;
  EXPECT_EQ(DescribeDifference(A, B), "screen main menu != game");
}

// --- Damaged files ------------------------------------------------------------------------

TEST(ReplayFile, EveryTruncationAndByteFlipGivesAClearError) {
  const std::vector<uint8_t> Good = FileBytes(KGames / "bot-short.tbr");
  ASSERT_GT(Good.size(), 100u);
  ASSERT_NO_THROW(ParseReplayFile(Good));
  const std::vector<uint8_t> GoodContent = ReplayFileBytes(ParseReplayFile(Good));
  auto ExpectClearError = [&GoodContent](const std::vector<uint8_t>& Bytes,
                                         const std::string& What) {
    try {
      const TReplay Read = ParseReplayFile(Bytes);
      // Deflate leaves a few bits unread (the padding before a stored block, for one): a
      // flip there changes nothing the file says, and is no damage.
      if (ReplayFileBytes(Read) == GoodContent) return;
      ADD_FAILURE() << What << " was read as a good replay";
    } catch (const EReplayError& E) {
      EXPECT_GT(std::string(E.what()).size(), 8u) << What;
    }
  };
  for (size_t Size = 0; Size < Good.size(); ++Size)
    ExpectClearError(std::vector<uint8_t>(Good.begin(), Good.begin() + Size),
                     "the first " + std::to_string(Size) + " bytes");
  for (size_t At = 0; At < Good.size(); At += 7) {
    std::vector<uint8_t> Bad = Good;
    Bad[At] ^= static_cast<uint8_t>(1u << (At % 8));
    ExpectClearError(Bad, "a bit flipped at byte " + std::to_string(At));
  }
}

TEST(ReplayFile, NamesWhatIsWrong) {
  struct TCase {
    std::vector<uint8_t> Bytes;
    const char* Message;
  };
  const std::vector<uint8_t> Good = ReplayFileBytes(TReplay{});
  std::vector<uint8_t> NewerVersion = Good;
  NewerVersion[8] = 9;
  std::vector<uint8_t> Longer = Good;
  Longer.push_back(0);
  const TCase Cases[] = {
      {{'h', 'e', 'l', 'l', 'o'}, "not a replay file"},
      {{Good.begin(), Good.begin() + 10}, "truncated: the header ends too soon"},
      {NewerVersion, "format version 9 is not supported (this program reads version 1)"},
      {{Good.begin(), Good.end() - 3}, "truncated: the compressed data ends too soon"},
  };
  for (const TCase& C : Cases) {
    try {
      ParseReplayFile(C.Bytes);
      ADD_FAILURE() << C.Message;
    } catch (const EReplayError& E) {
      EXPECT_EQ(std::string(E.what()), C.Message);
    }
  }
  EXPECT_THROW(ParseReplayFile(Longer), EReplayError);
  try {
    LoadReplay("/nonexistent/game.tbr");
    ADD_FAILURE();
  } catch (const EReplayError& E) {
    EXPECT_EQ(std::string(E.what()), "/nonexistent/game.tbr: cannot be opened");
  }
}

TEST(ReplayFile, ADamagedTapeStopsThePlaybackWithAnError) {
  if (!PacksBuilt()) GTEST_SKIP() << "the packs are not built";
  TReplay Replay;
  Replay.Tape = {0xEE};
  Replay.FrameEnd = {1};
  Replay.Checks.resize(1);
  const TPlaybackResult R = Play(ParseReplayFile(ReplayFileBytes(Replay)));
  EXPECT_EQ(R.Error, "damaged: unknown entry 238 in the recorded input");
  // Start files may only land in the scratch folder.
  TReplay Escaping;
  Escaping.StartFiles.push_back({"../../outside", true, "x"});
  Escaping.Tape = {};
  Escaping.FrameEnd = {0};
  Escaping.Checks.resize(1);
  EXPECT_EQ(Play(Escaping).Error, "damaged: a start file is named \"../../outside\"");
}

}  // namespace
