#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/xmwriter/Score.h"
#include "tools/xmwriter/XmFile.h"
#include "tools/xmwriter/XmInstruments.h"

namespace {

uint32_t Le32(const std::vector<uint8_t>& B, size_t At) {
  return B[At] | B[At + 1] << 8 | B[At + 2] << 16 | static_cast<uint32_t>(B[At + 3]) << 24;
}
uint16_t Le16(const std::vector<uint8_t>& B, size_t At) {
  return B[At] | B[At + 1] << 8;
}

TXmModule TinyModule() {
  TXmModule M;
  M.Name = "Tiny";
  M.Channels = 2;
  M.Speed = 5;
  M.Bpm = 140;
  M.Orders = {0, 1, 0};
  M.Restart = 1;
  TXmPattern A;
  A.Rows = 2;
  A.Cells.resize(4);
  A.Cells[0] = {49, 1, 0x50, 0, 0};  // C-4, instrument 1, volume 64
  A.Cells[3] = {XmKeyOff, 0, 0, 0, 0};
  TXmPattern B;
  B.Rows = 1;
  B.Cells = {{61, 1, 0x30, 0x0f, 0x04}, {}};  // everything present, then empty
  M.Patterns = {A, B};
  TXmInstrument I;
  I.Name = "beep";
  I.Sample.Data = {0, 100, -100, 32767};
  I.Sample.Loop = TXmLoop::Forward;
  I.Sample.LoopStart = 1;
  I.Sample.LoopLength = 3;
  I.Sample.Volume = 40;
  I.Sample.Finetune = -3;
  I.Sample.RelativeNote = 24;
  I.VolumeEnvelope.Points = {{0, 0}, {2, 64}, {10, 40}};
  I.VolumeEnvelope.Sustain = 2;
  I.Fadeout = 1200;
  M.Instruments = {I};
  return M;
}

}  // namespace

// Reads the file by hand at the offsets of the XM 1.04 layout.
TEST(XmWriter, ByteLayoutOfHeaderPatternsAndInstruments) {
  const TXmModule M = TinyModule();
  ASSERT_EQ(CheckXmModule(M), "");
  const auto F = WriteXm(M);
  EXPECT_EQ(std::string(F.begin(), F.begin() + 17), "Extended Module: ");
  EXPECT_EQ(std::string(F.begin() + 17, F.begin() + 21), "Tiny");
  EXPECT_EQ(F[21], 0);
  EXPECT_EQ(F[37], 0x1a);
  EXPECT_EQ(Le16(F, 58), 0x0104);
  EXPECT_EQ(Le32(F, 60), 276u);
  EXPECT_EQ(Le16(F, 64), 3);  // song length
  EXPECT_EQ(Le16(F, 66), 1);  // restart
  EXPECT_EQ(Le16(F, 68), 2);  // channels
  EXPECT_EQ(Le16(F, 70), 2);  // patterns
  EXPECT_EQ(Le16(F, 72), 1);  // instruments
  EXPECT_EQ(Le16(F, 74), 1);  // linear frequencies
  EXPECT_EQ(Le16(F, 76), 5);
  EXPECT_EQ(Le16(F, 78), 140);
  EXPECT_EQ(F[80], 0);
  EXPECT_EQ(F[81], 1);
  EXPECT_EQ(F[82], 0);
  EXPECT_EQ(F[83], 0);  // unused orders are zero

  // Pattern 0 at 60 + 276: header 9 bytes, 2 rows, then packed cells.
  size_t At = 336;
  EXPECT_EQ(Le32(F, At), 9u);
  EXPECT_EQ(F[At + 4], 0);
  EXPECT_EQ(Le16(F, At + 5), 2);
  const std::vector<uint8_t> PackedA = {0x87, 49, 1, 0x50, 0x80, 0x80, 0x81, 97};
  ASSERT_EQ(Le16(F, At + 7), PackedA.size());
  EXPECT_EQ(std::vector<uint8_t>(F.begin() + At + 9, F.begin() + At + 9 + PackedA.size()), PackedA);
  At += 9 + PackedA.size();
  // Pattern 1: a full cell is stored unpacked (five bytes, no flag byte).
  const std::vector<uint8_t> PackedB = {61, 1, 0x30, 0x0f, 0x04, 0x80};
  EXPECT_EQ(Le16(F, At + 5), 1);
  ASSERT_EQ(Le16(F, At + 7), PackedB.size());
  EXPECT_EQ(std::vector<uint8_t>(F.begin() + At + 9, F.begin() + At + 9 + PackedB.size()), PackedB);
  At += 9 + PackedB.size();

  // Instrument: 263-byte header, then one 40-byte sample header, then the data.
  const size_t Ins = At;
  EXPECT_EQ(Le32(F, Ins), 263u);
  EXPECT_EQ(std::string(F.begin() + Ins + 4, F.begin() + Ins + 8), "beep");
  EXPECT_EQ(Le16(F, Ins + 27), 1);    // samples
  EXPECT_EQ(Le32(F, Ins + 29), 40u);  // sample header size
  EXPECT_EQ(Le16(F, Ins + 129), 0);   // first envelope point (0, 0)
  EXPECT_EQ(Le16(F, Ins + 133), 2);   // second point (2, 64)
  EXPECT_EQ(Le16(F, Ins + 135), 64);
  EXPECT_EQ(F[Ins + 225], 3);           // volume points
  EXPECT_EQ(F[Ins + 227], 2);           // sustain point
  EXPECT_EQ(F[Ins + 233], 1 | 2);       // envelope on, sustain
  EXPECT_EQ(Le16(F, Ins + 239), 1200);  // fadeout
  const size_t Smp = Ins + 263;
  EXPECT_EQ(Le32(F, Smp), 8u);      // length in bytes
  EXPECT_EQ(Le32(F, Smp + 4), 2u);  // loop start in bytes
  EXPECT_EQ(Le32(F, Smp + 8), 6u);  // loop length in bytes
  EXPECT_EQ(F[Smp + 12], 40);
  EXPECT_EQ(static_cast<int8_t>(F[Smp + 13]), -3);
  EXPECT_EQ(F[Smp + 14], 0x11);  // forward loop, 16-bit
  EXPECT_EQ(F[Smp + 15], 128);
  EXPECT_EQ(F[Smp + 16], 24);
  EXPECT_EQ(F[Smp + 17], 0);
  // Deltas: 0, +100, -200, then +32867, which wraps in 16 bits to 0x8063.
  const size_t Data = Smp + 40;
  ASSERT_EQ(F.size(), Data + 8);
  EXPECT_EQ(static_cast<int16_t>(Le16(F, Data)), 0);
  EXPECT_EQ(static_cast<int16_t>(Le16(F, Data + 2)), 100);
  EXPECT_EQ(static_cast<int16_t>(Le16(F, Data + 4)), -200);
  EXPECT_EQ(Le16(F, Data + 6), 0x8063);
}

TEST(XmWriter, RejectsModulesThePlayersCannotRead) {
  struct Case {
    void (*Break)(TXmModule&);
    const char* Fault;
  };
  const Case Cases[] = {
      {[](TXmModule& M) { M.Channels = 3; }, "channels must be an even number"},
      {[](TXmModule& M) { M.Restart = 3; }, "restart position is past the order list"},
      {[](TXmModule& M) { M.Orders.push_back(2); }, "names a pattern that does not exist"},
      {[](TXmModule& M) { M.Patterns[0].Cells.pop_back(); }, "do not fill its rows"},
      {[](TXmModule& M) { M.Patterns[0].Cells[1].Instrument = 2; }, "missing instrument"},
      {[](TXmModule& M) { M.Instruments[0].Sample.LoopLength = 4; }, "loop is outside"},
      {[](TXmModule& M) { M.Instruments[0].VolumeEnvelope.Points[2].first = 2; },
       "envelope ticks must rise"},
  };
  for (const Case& C : Cases) {
    TXmModule M = TinyModule();
    C.Break(M);
    EXPECT_NE(CheckXmModule(M).find(C.Fault), std::string::npos) << C.Fault;
  }
}

TEST(ScoreCompile, FaultsNameTheLine) {
  const std::string Head = "channels 2\ninstrument lead lead\ninstrument kick kick\n";  // lines 1-3
  struct Case {
    std::string Body;
    const char* Message;
  };
  const Case Cases[] = {
      {"pattern A 4\n  1 lead C4/4\norder A\nrestart B\n",
       "t.score:7: restart pattern 'B' is not in the order list"},
      {"pattern A 4\n  1 lead C4/2\norder A\n",
       "t.score:5: channel 1 of pattern 'A' fills 2 rows of 4"},
      {"pattern A 4\n  1 lead C4/2 D4 E4\norder A\n", "t.score:5: 'E4' runs past row 4"},
      {"pattern A 4\n  1 lead H4/4\norder A\n", "t.score:5: 'H4' is not a note, chord"},
      {"pattern A 4\n  1 bass C4/4\n", "t.score:5: unknown instrument 'bass'"},
      {"pattern A 4\n  3 lead C4/4\n", "t.score:5: channels '3' are not within 1..2"},
      {"pattern A 4\n  1-2 lead C4/4\n", "t.score:5: note 'C4' on several channels"},
      {"pattern A 4\n  1-2 lead <G7>/4\n", "t.score:5: chord <G7> has 4 notes for 2 channels"},
      {"pattern A 4\n  1-2 lead <Hm>/4\n", "t.score:5: unknown chord <Hm>"},
      {"pattern A 4\n  1 lead C4/4@70\n", "t.score:5: volume in 'C4/4@70' must be 0 to 64"},
      {"pattern A 4\n  1 - C4/4\n", "t.score:5: note 'C4' on a line without an instrument"},
      {"pattern A 4\n  1 lead C4/4\n  2 - kick/4\n  1-2 lead <C5>/4\n", "overlap channels 1"},
      {"instrument lead pad\n", "t.score:4: instrument 'lead' is defined twice"},
      {"instrument fizz bell\n", "t.score:4: unknown instrument kind 'bell'"},
      {"instrument bell lead volume=80\n", "t.score:4: 'volume' must be from 0 to 64"},
      {"bpm 20\n", "t.score:4: bpm needs one whole number from 32 to 255"},
      {"tempo 6\n", "t.score:4: unknown statement 'tempo'"},
      {"pattern A 4\n  1 lead C4/4\norder B\n", "t.score:6: order names unknown pattern 'B'"},
      {"pattern A 4\n  1 lead C4/4\n", "t.score: the score has no order list"},
  };
  for (const Case& C : Cases) {
    TXmModule M;
    std::string Error;
    EXPECT_FALSE(CompileScore(Head + C.Body, "t.score", M, Error)) << C.Body;
    EXPECT_NE(Error.find(C.Message), std::string::npos) << C.Body << "\n  got: " << Error;
  }
}

TEST(ScoreCompile, NotesChordsHitsAndCopiedPatterns) {
  const std::string Score =
      "channels 5\nspeed 4\nbpm 150\n"
      "instrument pad pad\ninstrument lead lead\ninstrument kick kick note=D4\n"
      "pattern A 8\n"
      "  1-3 pad <Am>/4 <F>\n"
      "  4 lead Bb3/2@32 . r/4\n"
      "  5 - kick/4!C20 kick\n"
      "pattern B 8 like A\n"
      "  4 lead C#5/8\n"
      "order A B A\nrestart B\n";
  TXmModule M;
  std::string Error;
  ASSERT_TRUE(CompileScore(Score, "t.score", M, Error)) << Error;
  EXPECT_EQ(M.Channels, 6);  // rounded up to even
  EXPECT_EQ(M.Speed, 4);
  EXPECT_EQ(M.Bpm, 150);
  EXPECT_EQ(M.Orders, (std::vector<uint8_t>{0, 1, 0}));
  EXPECT_EQ(M.Restart, 1);
  ASSERT_EQ(M.Patterns.size(), 2u);
  auto At = [&](int P, int Row, int Ch) { return M.Patterns[P].Cells[Row * 6 + Ch]; };
  // Am centred nearest E-4: C-4 E-4 A-4 (notes 49, 53, 58); F then moves least: C-4 F-4 A-4.
  const uint8_t Am[] = {49, 53, 58}, F[] = {49, 54, 58};
  for (int C = 0; C < 3; ++C) {
    EXPECT_EQ(At(0, 0, C).Note, Am[C]) << C;
    EXPECT_EQ(At(0, 4, C).Note, F[C]) << C;
  }
  EXPECT_EQ(At(0, 0, 0).Instrument, 1);
  // Bb3 = note 47 with volume 32; "." leaves row 2 empty; "r" is a key off.
  EXPECT_EQ(At(0, 0, 3).Note, 47);
  EXPECT_EQ(At(0, 0, 3).Instrument, 2);
  EXPECT_EQ(At(0, 0, 3).Volume, 0x10 + 32);
  EXPECT_TRUE(At(0, 2, 3).Empty());
  EXPECT_EQ(At(0, 4, 3).Note, XmKeyOff);
  // A hit plays its instrument's own note; the raw effect lands in the same cell.
  EXPECT_EQ(At(0, 0, 4).Note, 51);
  EXPECT_EQ(At(0, 0, 4).Instrument, 3);
  EXPECT_EQ(At(0, 0, 4).Effect, 0x0c);
  EXPECT_EQ(At(0, 0, 4).Param, 0x20);
  // B copies A and replaces channel 4 only.
  EXPECT_EQ(At(1, 0, 0).Note, 49);
  EXPECT_EQ(At(1, 0, 3).Note, 62);
  EXPECT_TRUE(At(1, 4, 3).Empty());
  EXPECT_EQ(At(1, 4, 4).Note, 51);
}

// A looped wave must run on from its last sample into its first as smoothly as it runs
// anywhere inside; a one-shot wave must end at silence. Either fault is a click.
TEST(XmInstruments, SamplesJoinWithoutClicks) {
  struct Case {
    TInstrumentKind Kind;
    void (*Adjust)(TInstrumentRecipe&);
  };
  const Case Cases[] = {
      {TInstrumentKind::Lead, [](TInstrumentRecipe&) {}},
      {TInstrumentKind::Lead, [](TInstrumentRecipe& S) { S.Duty = 0.2; }},
      {TInstrumentKind::Lead, [](TInstrumentRecipe& S) { S.Shape = TLeadShape::Saw; }},
      {TInstrumentKind::Pad, [](TInstrumentRecipe&) {}},
      {TInstrumentKind::Pad, [](TInstrumentRecipe& S) { S.DetuneCents = 37; }},
      {TInstrumentKind::Pluck, [](TInstrumentRecipe&) {}},
      {TInstrumentKind::Kick, [](TInstrumentRecipe&) {}},
      {TInstrumentKind::Snare, [](TInstrumentRecipe& S) { S.LengthMs = 120; }},
      {TInstrumentKind::Hat, [](TInstrumentRecipe&) {}},
  };
  for (size_t N = 0; N < std::size(Cases); ++N) {
    SCOPED_TRACE(N);
    TInstrumentRecipe Recipe = DefaultInstrument(Cases[N].Kind);
    Cases[N].Adjust(Recipe);
    const TXmSample S = MakeInstrument(Recipe).Sample;
    ASSERT_GT(S.Data.size(), 16u);
    int Peak = 0;
    for (int16_t V : S.Data) Peak = std::max(Peak, std::abs(static_cast<int>(V)));
    EXPECT_GT(Peak, 20000) << "samples are made at full level";
    if (S.Loop == TXmLoop::None) {
      EXPECT_LT(std::abs(S.Data.back()), Peak / 50);
      continue;
    }
    ASSERT_LE(S.LoopStart + S.LoopLength, S.Data.size());
    int Step = 0;
    for (uint32_t I = S.LoopStart + 1; I < S.LoopStart + S.LoopLength; ++I) {
      Step = std::max(Step, std::abs(S.Data[I] - S.Data[I - 1]));
    }
    const int Seam = std::abs(S.Data[S.LoopStart] - S.Data[S.LoopStart + S.LoopLength - 1]);
    EXPECT_LE(Seam, Step);
  }
}

// Damaged scores (words dropped, swapped or cut short) either compile into a module both
// checks accept or fail with a message naming the file; they never crash the writer.
TEST(ScoreCompile, DamagedScoresFailCleanly) {
  const std::string Score =
      "channels 4\nspeed 5\nbpm 140\ninstrument lead lead duty=0.3\ninstrument kick kick\n"
      "pattern a 16\n  1 lead C4/4 E4/2@30 r/4 G#4/2*3\n  2 - kick/4*4\n"
      "  3-4 lead <A5>/8 <F4+A4> \npattern b 16 like a\n  1 lead A4/2 B4 *3 ./4!F04\n"
      "order a b a\nrestart b\n";
  std::vector<std::string> Words;
  {
    std::istringstream In(Score);
    std::string Line;
    while (std::getline(In, Line)) {
      std::istringstream L(Line);
      std::string W;
      bool First = true;
      while (L >> W) {
        Words.push_back((First ? "\n" : "") + W);
        First = false;
      }
    }
  }
  {
    TXmModule M;
    std::string Error;
    ASSERT_TRUE(CompileScore(Score, "t.score", M, Error)) << Error;
  }
  uint32_t Seed = 12345;
  auto Next = [&](uint32_t N) {
    Seed = Seed * 1103515245u + 12345u;
    return (Seed >> 8) % N;
  };
  int Accepted = 0;
  for (int Round = 0; Round < 300; ++Round) {
    std::vector<std::string> W = Words;
    const uint32_t Changes = 1 + Next(3);
    for (uint32_t K = 0; K < Changes; ++K) {
      const uint32_t At = Next(static_cast<uint32_t>(W.size()));
      switch (Next(4)) {
        case 0:
          W.erase(W.begin() + At);
          break;
        case 1:
          std::swap(W[At], W[Next(static_cast<uint32_t>(W.size()))]);
          break;
        case 2:
          W[At] = W[At].substr(0, Next(static_cast<uint32_t>(W[At].size()) + 1));
          break;
        default:
          W[At] += "/";
          break;
      }
    }
    std::string Text;
    for (const std::string& Word : W) Text += Word + " ";
    TXmModule M;
    std::string Error;
    if (CompileScore(Text, "t.score", M, Error)) {
      EXPECT_EQ(CheckXmModule(M), "") << Text;
      ++Accepted;
    } else {
      EXPECT_EQ(Error.rfind("t.score", 0), 0u) << Error;
    }
  }
  EXPECT_GT(Accepted, 0);
}
