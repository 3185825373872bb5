#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <xmp.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/xmwriter/Score.h"

namespace {

constexpr int Rate = 44100;

struct TLevels {
  double Rms = 0;        // of full scale
  double Peak = 0;       // of full scale
  int FullScaleRun = 0;  // longest run of samples at full scale
};

TLevels Measure(const std::vector<int16_t>& S) {
  TLevels L;
  double Sum = 0;
  int Run = 0;
  for (int16_t V : S) {
    const int A = std::abs(static_cast<int>(V));
    Sum += static_cast<double>(V) * V;
    L.Peak = std::max(L.Peak, A / 32768.0);
    Run = A >= 32767 ? Run + 1 : 0;
    L.FullScaleRun = std::max(L.FullScaleRun, Run);
  }
  L.Rms = S.empty() ? 0 : std::sqrt(Sum / S.size()) / 32768.0;
  return L;
}

// Interleaved stereo from libxmp, or empty when it cannot load the module.
std::vector<int16_t> RenderXmp(const std::vector<uint8_t>& File, double Seconds,
                               int* TotalMs = nullptr) {
  xmp_context Ctx = xmp_create_context();
  std::vector<int16_t> Out;
  if (xmp_load_module_from_memory(Ctx, File.data(), static_cast<long>(File.size())) == 0) {
    xmp_start_player(Ctx, Rate, 0);
    xmp_frame_info Info;
    xmp_get_frame_info(Ctx, &Info);
    if (TotalMs) *TotalMs = Info.total_time;
    Out.resize(static_cast<size_t>(Seconds * Rate) * 2);
    xmp_play_buffer(Ctx, Out.data(), static_cast<int>(Out.size() * 2), 0);
    xmp_end_player(Ctx);
    xmp_release_module(Ctx);
  }
  xmp_free_context(Ctx);
  return Out;
}

void CollectLog(const char* Message, void* User) {
  static_cast<std::vector<std::string>*>(User)->push_back(Message);
}

// Interleaved stereo from libopenmpt; every log line it writes while loading and playing,
// and its loader warnings, land in Log.
std::vector<int16_t> RenderOpenmpt(const std::vector<uint8_t>& File, double Seconds,
                                   std::vector<std::string>& Log, double* Duration = nullptr) {
  int Error = 0;
  openmpt_module* Mod = openmpt_module_create_from_memory2(
      File.data(), File.size(), CollectLog, &Log, nullptr, nullptr, &Error, nullptr, nullptr);
  std::vector<int16_t> Out;
  if (!Mod) return Out;
  // The loader's own list of what it had to fix up or ignore.
  if (const char* Warnings = openmpt_module_get_metadata(Mod, "warnings")) {
    if (*Warnings) Log.push_back(Warnings);
    openmpt_free_string(Warnings);
  }
  openmpt_module_set_repeat_count(Mod, -1);
  if (Duration) *Duration = openmpt_module_get_duration_seconds(Mod);
  Out.resize(static_cast<size_t>(Seconds * Rate) * 2);
  size_t Done = 0;
  while (Done < Out.size() / 2) {
    const size_t N = openmpt_module_read_interleaved_stereo(
        Mod, Rate, std::min<size_t>(4096, Out.size() / 2 - Done), Out.data() + Done * 2);
    if (N == 0) break;
    Done += N;
  }
  Out.resize(Done * 2);
  openmpt_module_destroy(Mod);
  return Out;
}

// Fundamental of the left channel in Hz, by the strongest autocorrelation lag between 40 and
// 1,200 Hz over the first Seconds after Skip.
double Pitch(const std::vector<int16_t>& Stereo, double Skip, double Seconds) {
  std::vector<double> X;
  for (size_t I = static_cast<size_t>(Skip * Rate); I < (Skip + Seconds) * Rate; ++I) {
    X.push_back(Stereo[2 * I]);
  }
  const int MinLag = Rate / 1200, MaxLag = Rate / 40;
  std::vector<double> Score(MaxLag + 2, 0.0);
  for (int Lag = MinLag; Lag <= MaxLag + 1; ++Lag) {
    double S = 0, E = 0;
    for (size_t I = 0; I + Lag < X.size(); ++I) {
      S += X[I] * X[I + Lag];
      E += X[I + Lag] * X[I + Lag];
    }
    Score[Lag] = E > 0 ? S / E : 0;
  }
  // The first lag within 10% of the best one: octave errors go to the true period.
  double Best = 0;
  for (int Lag = MinLag; Lag <= MaxLag; ++Lag) Best = std::max(Best, Score[Lag]);
  for (int Lag = MinLag + 1; Lag <= MaxLag; ++Lag) {
    if (Score[Lag] >= 0.9 * Best && Score[Lag] >= Score[Lag - 1] && Score[Lag] >= Score[Lag + 1]) {
      // Parabolic interpolation around the peak.
      const double A = Score[Lag - 1], B = Score[Lag], C = Score[Lag + 1];
      const double Shift = (A - 2 * B + C) != 0 ? 0.5 * (A - C) / (A - 2 * B + C) : 0;
      return Rate / (Lag + Shift);
    }
  }
  return 0;
}

std::vector<uint8_t> Compile(const std::string& Score) {
  TXmModule M;
  std::string Error;
  EXPECT_TRUE(CompileScore(Score, "t.score", M, Error)) << Error;
  return WriteXm(M);
}

}  // namespace

// Every melodic instrument sounds the pitch its note names, in both players.
TEST(ModuleInstruments, NotesSoundTheirPitch) {
  struct Case {
    const char* Kind;
    const char* Note;
    double Hz;
  };
  const Case Cases[] = {
      {"lead", "C4", 261.63}, {"lead", "A5", 880.0},  {"lead shape=triangle", "E4", 329.63},
      {"pad", "C4", 261.63},  {"pluck", "A2", 110.0}, {"pluck", "E3", 164.81},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::string(C.Kind) + " " + C.Note);
    const auto File = Compile(std::string("channels 2\ninstrument x ") + C.Kind +
                              "\npattern p 16\n  1 x " + C.Note + "/16\norder p\n");
    const auto Xmp = RenderXmp(File, 1.0);
    ASSERT_FALSE(Xmp.empty());
    EXPECT_NEAR(Pitch(Xmp, 0.25, 0.3), C.Hz, C.Hz * 0.01);
    std::vector<std::string> Log;
    const auto Mpt = RenderOpenmpt(File, 1.0, Log);
    ASSERT_FALSE(Mpt.empty());
    EXPECT_NEAR(Pitch(Mpt, 0.25, 0.3), C.Hz, C.Hz * 0.01);
  }
}

// The game's two tunes: accepted by both players without a word, of the right length, and
// over 30 s audible, unclipped and under the sound effects' level.
TEST(ModuleAssets, TunesPlayInBothPlayers) {
  struct Tune {
    const char* Score;
    double MinSeconds, MaxSeconds;
  };
  const Tune Tunes[] = {{"menu.score", 60, 90}, {"race.score", 90, 120}};
  for (const Tune& T : Tunes) {
    SCOPED_TRACE(T.Score);
    std::vector<uint8_t> File;
    std::string Error;
    ASSERT_TRUE(
        CompileScoreFile(std::string(TB_SOURCE_DIR) + "/assets/music/" + T.Score, File, Error))
        << Error;

    int TotalMs = 0;
    const auto Xmp = RenderXmp(File, 30.0, &TotalMs);
    ASSERT_FALSE(Xmp.empty()) << "libxmp cannot load it";
    EXPECT_GE(TotalMs, T.MinSeconds * 1000);
    EXPECT_LE(TotalMs, T.MaxSeconds * 1000);

    std::vector<std::string> Log;
    double Duration = 0;
    const auto Mpt = RenderOpenmpt(File, 30.0, Log, &Duration);
    ASSERT_EQ(Mpt.size(), Xmp.size()) << "libopenmpt cannot load or play it";
    EXPECT_TRUE(Log.empty()) << "libopenmpt says: " << Log.front();
    EXPECT_GE(Duration, T.MinSeconds);
    EXPECT_LE(Duration, T.MaxSeconds);

    for (const auto* Render : {&Xmp, &Mpt}) {
      const TLevels L = Measure(*Render);
      EXPECT_GT(L.Rms, 0.03) << "too quiet: RMS below -30 dBFS";
      EXPECT_LT(L.Peak, 0.71) << "louder than -3 dBFS: the music must sit under the effects";
      EXPECT_LT(L.FullScaleRun, 2) << "clips";
    }
  }
}

// How far apart the two channels of a stereo render are: the side signal's energy against
// the mid's, and the share of 10 ms blocks (not silent) whose left and right levels differ
// by more than 1 dB.
struct TStereoSpread {
  double SideToMidDb = -200;
  double BlocksApart = 0;
};

TStereoSpread MeasureSpread(const std::vector<int16_t>& S) {
  TStereoSpread R;
  double Side = 0, Mid = 0;
  size_t Blocks = 0, Apart = 0;
  const size_t Frames = S.size() / 2, Block = Rate / 100;
  for (size_t B = 0; B + Block <= Frames; B += Block) {
    double L = 0, Rt = 0;
    for (size_t I = B; I < B + Block; ++I) {
      const double Left = S[2 * I], Right = S[2 * I + 1];
      L += Left * Left;
      Rt += Right * Right;
      Side += (Left - Right) * (Left - Right) / 4;
      Mid += (Left + Right) * (Left + Right) / 4;
    }
    if (L + Rt == 0) continue;
    ++Blocks;
    if (L == 0 || Rt == 0 || std::abs(10 * std::log10(L / Rt)) > 1) ++Apart;
  }
  if (Mid > 0 && Side > 0) R.SideToMidDb = 10 * std::log10(Side / Mid);
  R.BlocksApart = Blocks ? static_cast<double>(Apart) / Blocks : 0;
  return R;
}

// Both tunes place their instruments across the stereo field, so that left and right
// differ audibly in both players (a tune of centred instruments measures about -20 dB and
// a fifth to a half of its blocks apart).
TEST(ModuleAssets, TunesSpreadAcrossTheStereoField) {
  for (const char* Score : {"menu.score", "race.score"}) {
    SCOPED_TRACE(Score);
    std::vector<uint8_t> File;
    std::string Error;
    ASSERT_TRUE(
        CompileScoreFile(std::string(TB_SOURCE_DIR) + "/assets/music/" + Score, File, Error))
        << Error;
    std::vector<std::string> Log;
    for (const auto& Render : {RenderXmp(File, 20.0), RenderOpenmpt(File, 20.0, Log)}) {
      ASSERT_FALSE(Render.empty());
      const TStereoSpread Spread = MeasureSpread(Render);
      EXPECT_GT(Spread.SideToMidDb, -14.0);
      EXPECT_GT(Spread.BlocksApart, 0.5);
    }
  }
}

// After its last order the song goes on at its restart position, not at the intro.
TEST(ModuleAssets, TunesLoopBackToTheirRestartPosition) {
  for (const char* Score : {"menu.score", "race.score"}) {
    SCOPED_TRACE(Score);
    TXmModule M;
    std::string Error;
    std::ifstream In(std::string(TB_SOURCE_DIR) + "/assets/music/" + Score);
    std::stringstream Text;
    Text << In.rdbuf();
    ASSERT_TRUE(CompileScore(Text.str(), Score, M, Error)) << Error;
    EXPECT_GT(M.Restart, 0) << "the intro should play once only";
    const auto File = WriteXm(M);
    xmp_context Ctx = xmp_create_context();
    ASSERT_EQ(xmp_load_module_from_memory(Ctx, File.data(), static_cast<long>(File.size())), 0);
    xmp_start_player(Ctx, 8000, XMP_FORMAT_MONO);
    xmp_frame_info Info{};
    do {
      xmp_play_frame(Ctx);
      xmp_get_frame_info(Ctx, &Info);
    } while (Info.loop_count == 0 && Info.time < 200000);
    EXPECT_EQ(Info.loop_count, 1);
    EXPECT_EQ(Info.pos, M.Restart);
    EXPECT_EQ(Info.row, 0);
    xmp_end_player(Ctx);
    xmp_release_module(Ctx);
    xmp_free_context(Ctx);
  }
}
