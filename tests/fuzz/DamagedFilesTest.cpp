// Every file the game reads at start-up, and recordings, damaged: each file of corpus/ cut at every
// length and changed at random places (a fixed seed, so a failure names a damage that can be made
// again). A reader must answer with its own error message or with the fallback it documents
// (a damaged save file reads like a missing one), never crash, hang or take memory out of
// proportion to what the file can hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/DXDraws.h"
#include "engine/DXImageList.h"
#include "engine/DXSounds.h"
#include "engine/DXStream.h"
#include "platform/fake/FakeAudio.h"
#include "platform/fake/FakePlatform.h"
#include "platform/replay/ReplayFile.h"
#include "services/HighScores.h"
#include "services/OnlineConfig.h"
#include "services/Options.h"
#include "services/SaveFile.h"
#include "shell/Replay.h"
#include "tests/engine/PackBytes.h"
#include "tests/fuzz/AllocationWatch.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

struct TSeed {
  std::string Name;
  Bytes Data;
};

std::vector<TSeed> Seeds(const std::string& Folder) {
  std::vector<TSeed> Out;
  for (const auto& Entry : fs::directory_iterator(fs::path(TB_CORPUS_DIR) / Folder)) {
    std::ifstream In(Entry.path(), std::ios::binary);
    Out.push_back({Entry.path().filename().string(),
                   Bytes(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>())});
  }
  std::sort(Out.begin(), Out.end(), [](const TSeed& A, const TSeed& B) { return A.Name < B.Name; });
  return Out;
}

// One damaged copy of a file and how it was made.
struct TDamage {
  std::string What;
  Bytes Data;
};

// Calls Check on every truncation of every seed, then on Flips copies of each with one to
// four places overwritten: a random byte, a bit turned over, or a run of 0x00, 0xFF, 0x7F or
// 0x80 over up to four bytes (where lengths and sizes live).
template <typename TCheck>
void ForEachDamage(const std::vector<TSeed>& Files, int Flips, TCheck Check) {
  ASSERT_FALSE(Files.empty());
  std::mt19937 Random(20261210);
  for (const TSeed& Seed : Files) {
    for (size_t N = 0; N < Seed.Data.size(); ++N)
      Check(TDamage{Seed.Name + " cut at " + std::to_string(N),
                    Bytes(Seed.Data.begin(), Seed.Data.begin() + static_cast<ptrdiff_t>(N))});
    for (int Round = 0; Round < Flips && !Seed.Data.empty(); ++Round) {
      Bytes B = Seed.Data;
      const int Places = 1 + static_cast<int>(Random() % 4);
      for (int P = 0; P < Places; ++P) {
        const size_t At = Random() % B.size();
        const uint32_t Kind = Random() % 3;
        if (Kind == 0) {
          B[At] = static_cast<uint8_t>(Random());
        } else if (Kind == 1) {
          B[At] ^= static_cast<uint8_t>(1u << (Random() % 8));
        } else {
          static const uint8_t Fill[] = {0x00, 0xFF, 0x7F, 0x80};
          const uint8_t Value = Fill[Random() % 4];
          const size_t Run = 1 + Random() % 4;
          for (size_t I = At; I < B.size() && I < At + Run; ++I) B[I] = Value;
        }
      }
      Check(TDamage{Seed.Name + " damage round " + std::to_string(Round), std::move(B)});
    }
  }
}

// The messages the pack readers give for damage.
bool KnownPackMessage(const std::string& M) {
  static const char* const Known[] = {"Invalid stream format",  "Stream read error",
                                      "Invalid property value", "DIB is invalid",
                                      "Wave is invalid",        "Pictures too large"};
  for (const char* K : Known)
    if (M == K) return true;
  // An unknown property's name, shown printable.
  const std::string Tail = " does not exist";
  if (M.rfind("Property ", 0) != 0 || M.size() < 9 + Tail.size()) return false;
  if (M.compare(M.size() - Tail.size(), Tail.size(), Tail) != 0) return false;
  return std::all_of(M.begin(), M.end(), [](char C) { return C >= 0x20 && C < 0x7F; });
}

// Whatever a damaged pack asks for, a load stays within the readers' limits: one picture of
// at most 64 MB and the pack's pictures of at most 256 MB, with their blocks as much again.
constexpr size_t MostBytesAtOnce = size_t{64} << 20;
constexpr size_t MostBytesInAll = size_t{640} << 20;

void ExpectBounded(const TAllocationWatch& Watch, const TDamage& D) {
  if (!Watch.Counting()) return;
  EXPECT_LE(Watch.Largest(), MostBytesAtOnce) << D.What;
  EXPECT_LE(Watch.Peak(), MostBytesInAll) << D.What;
}

// Loads a damaged pack into an image or a wave list: it either loads, or is refused with one
// of the readers' own messages and leaves the list empty; either way within the limits.
template <typename TList>
void LoadDamagedPack(TList& List, const TDamage& D, int& Loaded, int& Refused) {
  TAllocationWatch Watch;
  try {
    List.Items().LoadFromStream(D.Data);
    ++Loaded;
  } catch (const EDXError& E) {
    ++Refused;
    EXPECT_TRUE(KnownPackMessage(E.what())) << D.What << ": " << E.what();
    EXPECT_EQ(List.Items().Count(), 0) << D.What;
  } catch (const std::exception& E) {
    ADD_FAILURE() << D.What << ": " << E.what();
  }
  ExpectBounded(Watch, D);
}

}  // namespace

TEST(DamagedFiles, ImagePackGivesItsMessageOrLoadsUsablePictures) {
  TFakePlatform Platform;
  TDXDraw Display(Platform);
  Display.Initialize();
  int Loaded = 0, Refused = 0;
  ForEachDamage(Seeds("imagepack"), 2500, [&](const TDamage& D) {
    TDXImageList List;
    List.SetDXDraw(&Display);  // loaded onto a ready display: blocks and patterns are built
    LoadDamagedPack(List, D, Loaded, Refused);
    for (int32_t I = 0; I < List.Items().Count(); ++I) {
      const TPictureCollectionItem& Item = List.Items().Items(I);
      Item.Draw(*Display.Surface(), 0, 0, Item.PatternCount() - 1);
      Item.DrawBlended(*Display.Surface(), Bounds(0, 0, 20, 20), 0, 100);
      Item.DrawRotated(*Display.Surface(), 50, 50, 16, 16, 0, 0.5, 0.5, 30);
    }
  });
  // Both outcomes are met: damage in pixel bytes still loads, damage in the structure not.
  EXPECT_GT(Loaded, 1000);
  EXPECT_GT(Refused, 1000);
}

TEST(DamagedFiles, SoundPackGivesItsMessageOrLoadsPlayableSounds) {
  TFakeAudio Audio;
  TFakeClock Clock;
  TDXSound Sound(Audio, Clock);
  Sound.Initialize();
  int Loaded = 0, Refused = 0;
  ForEachDamage(Seeds("soundpack"), 3000, [&](const TDamage& D) {
    TDXWaveList List;
    List.SetDXSound(&Sound);
    LoadDamagedPack(List, D, Loaded, Refused);
    for (int32_t I = 0; I < List.Items().Count(); ++I) List.Items().Items(I).Play(false);
    Audio.Render(64);
  });
  EXPECT_GT(Loaded, 500);
  EXPECT_GT(Refused, 500);
}

namespace {

std::string WriteDamage(const std::string& Name, const Bytes& Data) {
  // A folder per test: ctest runs the tests of this program side by side.
  const fs::path Dir = fs::path(TB_BINARY_DIR) / "test-scratch" / "damaged-files" /
                       ::testing::UnitTest::GetInstance()->current_test_info()->name();
  fs::create_directories(Dir);
  const fs::path P = Dir / Name;
  // A new file each time: truncating one that has data makes the file system write it out.
  fs::remove(P);
  std::ofstream(P, std::ios::binary)
      .write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
  return P.string();
}

bool SameOptions(const TGameOptions& A, const TGameOptions& B) {
  return A.FullScreen == B.FullScreen && A.MusicOn == B.MusicOn && A.SoundOn == B.SoundOn &&
         A.Country == B.Country && A.BossShift == B.BossShift && A.BossKey == B.BossKey;
}

}  // namespace

TEST(DamagedFiles, OptionsFileGivesSettingsTheGameCanUseOrTheDefaults) {
  TGameOptions Defaults;
  SetDefaultOptions(Defaults);
  int Fallbacks = 0;
  ForEachDamage(Seeds("options"), 1500, [&](const TDamage& D) {
    TGameOptions O;
    LoadOptions(O, WriteDamage("options", D.Data));
    if (SameOptions(O, Defaults)) ++Fallbacks;
    EXPECT_TRUE(O.BossShift == 0 || O.BossShift == kBossShift || O.BossShift == kBossAlt ||
                O.BossShift == kBossCtrl)
        << D.What;
    EXPECT_TRUE(O.BossKey == 0 || (O.BossKey >= kVkF1 && O.BossKey <= kVkF12)) << D.What;
    // What was read is saved as it reads back.
    TGameOptions Again;
    LoadOptions(Again, WriteDamage("options", [&] {
                  const std::string T = OptionsFileText(O, O.HighScoreCheck);
                  return Bytes(T.begin(), T.end());
                }()));
    O.Country = OneLine(O.Country);
    EXPECT_TRUE(SameOptions(O, Again)) << D.What;
  });
  EXPECT_GT(Fallbacks, 100) << "a damaged number reads like a missing file";
}

TEST(DamagedFiles, HighScoreFileGivesATableOrTheDefaultOne) {
  THighScores Defaults{};
  ResetHighScores(Defaults);
  int Fallbacks = 0;
  ForEachDamage(Seeds("highscores"), 1500, [&](const TDamage& D) {
    THighScores T{};
    LoadHighScores(T, WriteDamage("hs", D.Data));
    bool IsDefault = true;
    for (int32_t I = 1; I <= 10; ++I)
      IsDefault = IsDefault && T[I].Name == Defaults[I].Name && T[I].Score == Defaults[I].Score;
    if (IsDefault) ++Fallbacks;
    EXPECT_FALSE(HighScoreCheckText(T).empty() && !T[1].Name.empty()) << D.What;
    const std::string Text = HighScoreFileText(T);
    THighScores Again{};
    LoadHighScores(Again, WriteDamage("hs", Bytes(Text.begin(), Text.end())));
    for (int32_t I = 1; I <= 10; ++I) {
      EXPECT_EQ(Again[I].Score, T[I].Score) << D.What;
      EXPECT_EQ(Again[I].Name, OneLine(T[I].Name)) << D.What;
    }
  });
  EXPECT_GT(Fallbacks, 100) << "a damaged score reads like a missing file";
}

TEST(DamagedFiles, OnlineIniKeepsUsableSettingsAndNamesEachIgnoredLine) {
  ForEachDamage(Seeds("onlineini"), 1500, [&](const TDamage& D) {
    std::ostringstream Errors;
    const TOnlineConfig C = LoadOnlineConfig(WriteDamage("Online.ini", D.Data), Errors);
    EXPECT_FALSE(C.Host.empty()) << D.What;
    EXPECT_TRUE(C.Port >= 1 && C.Port <= 65535) << D.What;
    EXPECT_TRUE(C.Key.size() == 1 && C.Key[0] >= 'A' && C.Key[0] <= 'Z') << D.What;
    EXPECT_EQ(C.Alphabet.size(), 32u) << D.What;
    // One message per ignored line, each on a line of its own and printable.
    std::istringstream In(Errors.str());
    for (std::string L; std::getline(In, L);) {
      EXPECT_NE(L.find("Online.ini:"), std::string::npos) << D.What << ": " << L;
      for (char Ch : L) EXPECT_TRUE(Ch >= 0x20 && Ch < 0x7F) << D.What << ": " << L;
    }
  });
}

// The limits above, each shown by a small file that asks for too much.
TEST(DamagedFiles, SmallFilesThatAskForTooMuchAreRefused) {
  // A list of a million empty values: a million bytes that would become a hundred times
  // as much memory.
  TBytes Values = PackStart();
  Values.Prop("List.ColorTable").U8(0x01);
  for (int I = 0; I < (1 << 20); ++I) Values.U8(0x0D);
  Values.U8(0).U8(0).U8(0);
  TPictureCollection C;
  try {
    C.LoadFromStream(Values.B);
    ADD_FAILURE() << "loaded";
  } catch (const EReadError& E) {
    EXPECT_STREQ(E.what(), "Invalid stream format");
  }

  // Twenty items of the largest run-length picture, two dozen bytes each: 1.3 GB of pixels.
  TBytes Rle;
  Rle.Short("TDIB").U32(40).U32(16384).U32(1024).U16(1).U16(8).U32(1).U32(0).U32(0).U32(0);
  Rle.U32(1).U32(0).U32(0).U8s({0, 1});  // one palette entry, then end of bitmap
  TBytes Pack = PackStart();
  Pack.Prop("List").U8(0x0E);
  for (int I = 0; I < 20; ++I) Pack.U8(0x01).Prop("Picture.Data").Binary(Rle.B).U8(0);
  Pack.U8(0).U8(0).U8(0);
  TAllocationWatch Watch;
  try {
    C.LoadFromStream(Pack.B);
    ADD_FAILURE() << "loaded";
  } catch (const EReadError& E) {
    EXPECT_STREQ(E.what(), "Pictures too large");
  }
  EXPECT_EQ(C.Count(), 0);
  if (Watch.Counting()) {
    EXPECT_LE(Watch.Peak(), MostBytesInAll);
  }
  // The same pack opened for decoding in steps, as the game opens its packs: the limit holds
  // over the pictures decoded later too.
  C.OpenFile(WriteDamage("rle.dxg", Pack.B));
  EXPECT_EQ(C.Count(), 20);
  try {
    C.DecodePictures(INT64_MAX);
    ADD_FAILURE() << "decoded";
  } catch (const EReadError& E) {
    EXPECT_STREQ(E.what(), "Pictures too large");
  }
  EXPECT_EQ(C.Count(), 0);
  if (Watch.Counting()) {
    EXPECT_LE(Watch.Peak(), MostBytesInAll);
  }

  // An Online.ini of a megabyte is not read at all; a line of terminal escapes is shown
  // escaped and cut short.
  std::string Big(1 << 20, 'x');
  std::ostringstream Errors;
  TOnlineConfig O =
      LoadOnlineConfig(WriteDamage("Online.ini", Bytes(Big.begin(), Big.end())), Errors);
  EXPECT_EQ(O.Host, TOnlineConfig().Host);
  EXPECT_NE(Errors.str().find("larger than 65536 bytes, ignored"), std::string::npos)
      << Errors.str();
  const std::string Escape = "\x1b]0;owned\x07" + std::string(200, 'y') + "\n";
  Errors.str("");
  const std::string Ini = WriteDamage("Online.ini", Bytes(Escape.begin(), Escape.end()));
  O = LoadOnlineConfig(Ini, Errors);
  EXPECT_NE(Errors.str().find("ignored line \"\\x1b]0;owned\\x07yyy"), std::string::npos)
      << Errors.str();
  EXPECT_NE(Errors.str().find("y...\"\n"), std::string::npos) << Errors.str();
  // The file's name, the line number, and at most 80 characters shown (4 for each escaped).
  EXPECT_LT(Errors.str().size(), Ini.size() + 130) << Errors.str();
}

TEST(DamagedFiles, NamesFromTheFileAreShownPrintable) {
  TBytes Pack = PackStart();
  Pack.Prop(std::string("Bad\0\x1b[2J\\", 9)).Bool(true).U8(0).U8(0);
  TPictureCollection C;
  try {
    C.LoadFromStream(Pack.B);
    ADD_FAILURE() << "loaded";
  } catch (const EReadError& E) {
    EXPECT_STREQ(E.what(), "Property Bad\\x00\\x1b[2J\\x5c does not exist");
  }
}

namespace {

// The reader's own messages for a recording it refuses.
bool KnownReplayMessage(const std::string& M) {
  for (const char* K : {"not a replay file", "truncated", "damaged", "too large", "format version"})
    if (M.rfind(K, 0) == 0) return true;
  return false;
}

// A damaged recording is refused with the reader's message, or read and then played (at
// most a few frames of it): the playback ends in a message or a result, never an exception.
// Answers whether it was read.
bool ReadAndPlayDamaged(const TDamage& D, const std::string& Scratch) {
  TReplay Replay;
  {
    TAllocationWatch Watch;
    try {
      Replay = ParseReplayFile(D.Data, size_t{16} << 20);
    } catch (const EReplayError& E) {
      EXPECT_TRUE(KnownReplayMessage(E.what())) << D.What << ": " << E.what();
      return false;
    } catch (const std::exception& E) {
      ADD_FAILURE() << D.What << ": " << E.what();
      return false;
    }
    ExpectBounded(Watch, D);
  }
  TPlaybackSettings Settings;
  Settings.DataRoot = std::string(TB_BINARY_DIR) + "/game/";
  Settings.ScratchDir = Scratch;
  Settings.MaxFrames = 120;
  TPlaybackResult R;
  EXPECT_NO_THROW(R = PlayReplay(Replay, Settings)) << D.What;
  EXPECT_TRUE(R.Started || !R.Error.empty()) << D.What;
  return true;
}

Bytes GameRecording(const std::string& Name) {
  std::ifstream In(fs::path(TB_CORPUS_DIR) / "replay" / Name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

}  // namespace

// Damage in the compressed bytes: the wrapping (length, checksum, zlib) refuses nearly all.
TEST(DamagedFiles, RecordingWithDamagedBytesIsRefusedWithItsMessage) {
  const std::string Scratch = (fs::temp_directory_path() / "tb-damaged-replay-a").string();
  fs::create_directories(Scratch);
  int Read = 0;
  ForEachDamage({{"bot-short.tbr", GameRecording("bot-short.tbr")}}, 200,
                [&](const TDamage& D) { Read += ReadAndPlayDamaged(D, Scratch) ? 1 : 0; });
  // The whole file among the cuts is not one of them: it is never cut at its full length.
  EXPECT_LT(Read, 5);
  fs::remove_all(Scratch);
}

// Damage in the body, wrapped again with a correct length and checksum, as a stranger's
// crafted file would be: cut at many places and changed in one to eight bytes.
TEST(DamagedFiles, RecordingWithAChangedBodyUnderAGoodChecksumGivesAMessageOrAResult) {
  const std::string Scratch = (fs::temp_directory_path() / "tb-damaged-replay-b").string();
  fs::create_directories(Scratch);
  const Bytes Body = ReplayBodyOf(GameRecording("bot-short.tbr"));
  int Read = 0, Refused = 0;
  for (size_t Cut = 0; Cut < Body.size(); Cut += 1 + Body.size() / 150) {
    const Bytes Cutted(Body.begin(), Body.begin() + static_cast<ptrdiff_t>(Cut));
    (ReadAndPlayDamaged({"body cut at " + std::to_string(Cut), ReplayFileOfBody(Cutted)}, Scratch)
         ? Read
         : Refused)++;
  }
  std::mt19937 Random(20261211);
  for (int Round = 0; Round < 60; ++Round) {
    Bytes B = Body;
    const int Places = 1 + static_cast<int>(Random() % 8);
    for (int P = 0; P < Places; ++P) {
      const size_t At = Random() % B.size();
      B[At] = static_cast<uint8_t>(Random());
    }
    (ReadAndPlayDamaged({"body changed, round " + std::to_string(Round), ReplayFileOfBody(B)},
                        Scratch)
         ? Read
         : Refused)++;
  }
  // Both ends are reached: the body's reader refuses some, the player meets the rest.
  EXPECT_GT(Read, 0);
  EXPECT_GT(Refused, 0);
  fs::remove_all(Scratch);
}

// Headers that ask for too much are refused before anything is decompressed.
TEST(DamagedFiles, RecordingsThatAskForTooMuchAreRefused) {
  const Bytes Body = ReplayBodyOf(GameRecording("bot-short.tbr"));
  Bytes Lying = ReplayFileOfBody(Body);
  // The body's length in the header raised to 400 MB: more than the compressed bytes can
  // hold, and over the 16 MB asked for.
  for (int I = 0; I < 4; ++I) Lying[12 + I] = static_cast<uint8_t>((400u << 20) >> (8 * I));
  TAllocationWatch Watch;
  for (const size_t Limit : {size_t{16} << 20, KMaxReplayBody}) {
    try {
      ParseReplayFile(Lying, Limit);
      ADD_FAILURE() << "read";
    } catch (const EReplayError& E) {
      EXPECT_TRUE(KnownReplayMessage(E.what())) << E.what();
    }
  }
  // A zip bomb: 64 MB of zeros packs into some 64 KB, and is over a 16 MB limit.
  const Bytes Bomb = ReplayFileOfBody(Bytes(size_t{64} << 20, 0));
  const size_t Before = Watch.Counting() ? Watch.Largest() : 0;
  try {
    ParseReplayFile(Bomb, size_t{16} << 20);
    ADD_FAILURE() << "read";
  } catch (const EReplayError& E) {
    EXPECT_EQ(std::string(E.what()).rfind("too large", 0), 0u) << E.what();
  }
  if (Watch.Counting()) {
    EXPECT_EQ(Watch.Largest(), Before);
  }
}
