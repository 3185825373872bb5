#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/soundmaker/SoundMaker.h"

namespace {

std::vector<int16_t> Render(const std::string& Text) {
  TSoundParams Params;
  std::string Error;
  EXPECT_TRUE(ParseSoundParams(Text, "t.snd", Params, Error)) << Error;
  std::vector<int16_t> Samples;
  EXPECT_TRUE(RenderSound(Params, Samples, Error)) << Error;
  return Samples;
}

int PeakOf(const std::vector<int16_t>& S, size_t From = 0, size_t To = SIZE_MAX) {
  int Peak = 0;
  for (size_t I = From; I < std::min(To, S.size()); ++I) Peak = std::max(Peak, std::abs(S[I]));
  return Peak;
}

// Upward zero crossings in [From, To): a pure tone's count is its frequency times the time.
int Crossings(const std::vector<int16_t>& S, size_t From, size_t To) {
  int N = 0;
  for (size_t I = From + 1; I < To; ++I) N += S[I - 1] < 0 && S[I] >= 0;
  return N;
}

uint32_t Le32(const std::vector<uint8_t>& B, size_t At) {
  return B[At] | B[At + 1] << 8 | B[At + 2] << 16 | static_cast<uint32_t>(B[At + 3]) << 24;
}
uint16_t Le16(const std::vector<uint8_t>& B, size_t At) {
  return B[At] | B[At + 1] << 8;
}

}  // namespace

TEST(SoundMakerParse, BadInputNamesFileLineAndFault) {
  struct Case {
    const char* Text;
    const char* Message;
  };
  const Case Cases[] = {
      {"freq = 440\nfrq = 3\n", "t.snd:2: unknown key 'frq'"},
      {"# hit\nfreq 440\n", "t.snd:2: expected 'key = value', got 'freq 440'"},
      {"freq = 4x0\n", "t.snd:1: 'freq' needs a number, got '4x0'"},
      {"shape = buzz\n", "t.snd:1: unknown shape 'buzz'"},
      {"rate = 8000\nfreq = 440\nhold = 10\n", "t.snd:1: rate must be 22050 or 44100"},
      {"freq = 440\nhold = 5\nhold = 10\n", "t.snd:3: 'hold' is given twice"},
      {"[voice]\n", "t.snd:1: unknown section '[voice]'"},
      {"repeat = 2.5\n", "t.snd:1: 'repeat' must be a whole number from 1 to 64"},
      {"hold = 10\n\nduty = 1.5\n", "t.snd:3: layer 1: duty must be between 0.01 and 0.99"},
      {"hold = 10\nfreq = 20000\n", "t.snd:2: layer 1: freq must be between 1 and 11025 Hz"},
      {"[layer]\nhold = 10\n[layer]\nfreq = 300\n", "t.snd:3: layer 2: layer has no length"},
      {"hold = 10\narpeggio = 0 4 7\n", "t.snd:2: layer 1: arpeggio needs arpeggio_step"},
      {"hold = 10\nlowpass_end = 300\n", "t.snd:2: layer 1: lowpass_end needs lowpass"},
      {"rate = 44100\n# nothing else\n", "t.snd: no layer"},
      {"hold = 10\nvolume = 0\n", "the sound is silent"},
  };
  for (const Case& C : Cases) {
    TSoundParams Params;
    std::string Error;
    std::vector<int16_t> Samples;
    const bool Ok =
        ParseSoundParams(C.Text, "t.snd", Params, Error) && RenderSound(Params, Samples, Error);
    EXPECT_FALSE(Ok) << C.Text;
    EXPECT_NE(Error.find(C.Message), std::string::npos) << C.Text << "\n  got: " << Error;
  }
}

TEST(SoundMakerParse, MissingFileIsNamed) {
  std::vector<uint8_t> Wave;
  std::string Error;
  EXPECT_FALSE(RenderSoundFile("/nonexistent/x.snd", Wave, Error));
  EXPECT_EQ(Error, "/nonexistent/x.snd: cannot be opened");
  EXPECT_TRUE(Wave.empty());
}

TEST(SoundMakerRender, LengthPitchAndSlide) {
  // 200 ms of sine at 441 Hz and 22,050 Hz: 4,410 samples, 88 cycles.
  const auto Tone = Render("shape = sine\nfreq = 441\nhold = 200\n");
  ASSERT_EQ(Tone.size(), 4410u);
  EXPECT_NEAR(Crossings(Tone, 0, Tone.size()), 88, 1);

  // A slide from 200 to 2000 Hz: the first tenth is low, the last tenth high.
  const auto Slide =
      Render("rate = 44100\nshape = sine\nfreq = 200\nfreq_end = 2000\nhold = 1000\n");
  ASSERT_EQ(Slide.size(), 44100u);
  const int Low = Crossings(Slide, 0, 4410);        // about 200..252 Hz over 0.1 s
  const int High = Crossings(Slide, 39690, 44100);  // about 1590..2000 Hz
  EXPECT_GT(Low, 19);
  EXPECT_LT(Low, 26);
  EXPECT_GT(High, 158);
  EXPECT_LT(High, 201);
}

TEST(SoundMakerRender, NormalisesToPeakWithoutClipping) {
  // Three loud layers would sum far past full scale; the result peaks at -1 dBFS.
  const std::string Loud =
      "[layer]\nshape = square\nfreq = 110\nhold = 100\nvolume = 4\n"
      "[layer]\nshape = saw\nfreq = 220\nhold = 100\nvolume = 4\n"
      "[layer]\nshape = noise\nfreq = 5000\nhold = 100\nvolume = 4\n";
  const auto S = Render(Loud);
  EXPECT_NEAR(PeakOf(S), std::lround(32767 * std::pow(10.0, -1.0 / 20)), 2);

  const auto Quiet = Render("peak = -12\nshape = sine\nfreq = 300\nhold = 50\nvolume = 0.01\n");
  EXPECT_NEAR(PeakOf(Quiet), std::lround(32767 * std::pow(10.0, -12.0 / 20)), 2);
}

TEST(SoundMakerRender, RepeatsWithGapsAndDelayedLayers) {
  // Three 50 ms shots 30 ms apart: 210 ms, silent in each gap.
  const auto Shots = Render(
      "shape = noise\nfreq = 4000\nhold = 20\ndecay = 30\n"
      "sustain = 0\nrepeat = 3\ngap = 30\n");
  ASSERT_NEAR(Shots.size(), 22050.0 * 210 / 1000, 1);
  const size_t Ms = 22050 / 1000;
  for (int Shot = 0; Shot < 3; ++Shot) {
    EXPECT_GT(PeakOf(Shots, Shot * 80 * Ms, Shot * 80 * Ms + 10 * Ms), 10000) << Shot;
  }
  for (int Gap = 0; Gap < 2; ++Gap) {
    EXPECT_EQ(PeakOf(Shots, (Gap * 80 + 52) * Ms, (Gap * 80 + 78) * Ms), 0) << Gap;
  }

  // A layer delayed by 100 ms lengthens the sound and stays silent before it starts.
  const auto Late = Render(
      "[layer]\nfreq = 300\nhold = 50\n"
      "[layer]\nfreq = 600\nhold = 50\ndelay = 100\n");
  ASSERT_NEAR(Late.size(), 22050.0 * 150 / 1000, 1);
  EXPECT_EQ(PeakOf(Late, 55 * Ms, 98 * Ms), 0);
  EXPECT_GT(PeakOf(Late, 100 * Ms, 150 * Ms), 10000);
}

TEST(SoundMakerRender, ArpeggioStepsPitch) {
  // Two 100 ms steps: the root, then an octave up (twice the crossings).
  const auto S = Render(
      "shape = sine\nfreq = 441\nhold = 200\narpeggio = 0 12\n"
      "arpeggio_step = 100\n");
  EXPECT_NEAR(Crossings(S, 0, 2205), 44, 1);
  EXPECT_NEAR(Crossings(S, 2205, 4410), 88, 2);
}

TEST(SoundMakerRender, SameSeedSameNoise) {
  const std::string Hiss = "shape = noise\nfreq = 8000\nhold = 30\n";
  EXPECT_EQ(Render(Hiss), Render(Hiss));
  EXPECT_NE(Render(Hiss), Render("seed = 7\n" + Hiss));
}

TEST(SoundMakerWave, RiffHeaderByteLayout) {
  const std::vector<int16_t> Samples = {0, 1, -1, 32767, -32767};
  const auto W = MakeWaveFile(Samples, 44100);
  ASSERT_EQ(W.size(), 44u + 10u);
  EXPECT_EQ(std::string(W.begin(), W.begin() + 4), "RIFF");
  EXPECT_EQ(Le32(W, 4), W.size() - 8);
  EXPECT_EQ(std::string(W.begin() + 8, W.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(Le32(W, 16), 16u);
  EXPECT_EQ(Le16(W, 20), 1);  // PCM
  EXPECT_EQ(Le16(W, 22), 1);  // mono
  EXPECT_EQ(Le32(W, 24), 44100u);
  EXPECT_EQ(Le32(W, 28), 88200u);
  EXPECT_EQ(Le16(W, 32), 2);
  EXPECT_EQ(Le16(W, 34), 16);
  EXPECT_EQ(std::string(W.begin() + 36, W.begin() + 40), "data");
  EXPECT_EQ(Le32(W, 40), 10u);
  EXPECT_EQ(Le16(W, 44 + 2 * 2), 0xffff);  // -1, little-endian two's complement
  EXPECT_EQ(Le16(W, 44 + 3 * 2), 0x7fff);
}
