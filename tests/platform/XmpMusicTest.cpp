// The module player rendered offline into the mixer: a tiny extended module written here
// byte by byte (one pattern of four rows, one short unlooped note at its start).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/fake/FakeAudio.h"
#include "platform/sdl/XmpMusic.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& B, const std::string& S, size_t Width) {
  for (size_t I = 0; I < Width; ++I) B.push_back(I < S.size() ? static_cast<uint8_t>(S[I]) : 0);
}
void U16(Bytes& B, uint16_t V) {
  B.push_back(static_cast<uint8_t>(V));
  B.push_back(static_cast<uint8_t>(V >> 8));
}
void U32(Bytes& B, uint32_t V) {
  for (int I = 0; I < 4; ++I) B.push_back(static_cast<uint8_t>(V >> (8 * I)));
}
void Zeros(Bytes& B, size_t N) {
  B.insert(B.end(), N, 0);
}

// 4 rows at speed 6, 125 BPM: 0.48 s. The note (2000 16-bit samples at C-4, 8363 Hz, about
// 0.24 s) sounds only at the start, so any sound after 0.48 s means the module looped.
Bytes TinyModule() {
  Bytes B;
  Put(B, "Extended Module: ", 17);
  Put(B, "test", 20);
  B.push_back(0x1A);
  Put(B, "hand", 20);
  U16(B, 0x0104);
  U32(B, 276);    // header size, counted from here
  U16(B, 1);      // song length
  U16(B, 0);      // restart position
  U16(B, 2);      // channels
  U16(B, 1);      // patterns
  U16(B, 1);      // instruments
  U16(B, 1);      // linear frequencies
  U16(B, 6);      // speed
  U16(B, 125);    // BPM
  Zeros(B, 256);  // order table: pattern 0
  // Pattern: header length, packing, rows, packed size, rows of two channels.
  const Bytes Rows = {49, 1, 0, 0, 0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
  U32(B, 9);
  B.push_back(0);
  U16(B, 4);
  U16(B, static_cast<uint16_t>(Rows.size()));
  B.insert(B.end(), Rows.begin(), Rows.end());
  // Instrument header (263 bytes with one sample).
  U32(B, 263);
  Put(B, "square", 22);
  B.push_back(0);
  U16(B, 1);
  U32(B, 40);
  Zeros(B, 96 + 48 + 48 + 8 + 2 + 4);  // keymap, envelopes, points, types, vibrato
  U16(B, 0);                           // fade-out
  Zeros(B, 22);
  // Sample header.
  const uint32_t Samples = 2000;
  U32(B, Samples * 2);
  U32(B, 0);
  U32(B, 0);
  B.push_back(64);    // volume
  B.push_back(0);     // finetune
  B.push_back(0x10);  // 16-bit, no loop
  B.push_back(128);   // panning
  B.push_back(0);     // relative note
  B.push_back(0);
  Put(B, "", 22);
  // Delta-coded square wave.
  int16_t Previous = 0;
  for (uint32_t I = 0; I < Samples; ++I) {
    const int16_t V = (I / 16) % 2 ? 12000 : -12000;
    U16(B, static_cast<uint16_t>(static_cast<int16_t>(V - Previous)));
    Previous = V;
  }
  return B;
}

std::string WriteFile(const std::string& Name, const Bytes& B) {
  const std::string Path = std::string(TB_BINARY_DIR) + "/" + Name;
  std::ofstream(Path, std::ios::binary)
      .write(reinterpret_cast<const char*>(B.data()), static_cast<std::streamsize>(B.size()));
  return Path;
}

int32_t Peak(const std::vector<int16_t>& V, size_t From, size_t To) {
  int32_t P = 0;
  for (size_t I = From; I < To && I < V.size(); ++I) P = std::max(P, std::abs(int32_t{V[I]}));
  return P;
}

}  // namespace

TEST(XmpMusic, PlaysIntoTheMixerAndLoopsAtTheEnd) {
  const std::string Path = WriteFile("xmp_music_test.xm", TinyModule());
  TFakeAudio Audio;
  TXmpMusic Music(Audio);
  const uint32_t Song = Music.SongLoadFromFile(Path);
  std::remove(Path.c_str());
  ASSERT_NE(Song, 0u);
  EXPECT_EQ(Peak(Audio.Render(4410), 0, 8820), 0) << "loaded is not playing";
  Music.SongPlay(Song);
  // 0.6 s: the note at 0 s, silence from about 0.25 s, the note again at 0.48 s.
  const std::vector<int16_t> Out = Audio.Render(26460);
  EXPECT_GT(Peak(Out, 0, 2 * 4410), 1000);
  EXPECT_LT(Peak(Out, 2 * 17640, 2 * 19845), 200) << "between the notes (0.40 .. 0.45 s)";
  EXPECT_GT(Peak(Out, 2 * 22050, 2 * 26460), 1000) << "the module started over";
  Music.SongFree(Song);
  EXPECT_EQ(Music.Playing(), 0u);
  EXPECT_EQ(Music.LoadedCount(), 0);
  EXPECT_EQ(Peak(Audio.Render(4410), 0, 8820), 0) << "freed: silent at once";
  Music.SongPlay(Song);  // a dead handle does nothing
  EXPECT_EQ(Music.Playing(), 0u);
}

TEST(XmpMusic, PlayingASecondModuleStopsTheFirst) {
  const std::string Path = WriteFile("xmp_music_test2.xm", TinyModule());
  TFakeAudio Audio;
  TXmpMusic Music(Audio);
  const uint32_t A = Music.SongLoadFromFile(Path);
  const uint32_t B = Music.SongLoadFromFile(Path);
  std::remove(Path.c_str());
  ASSERT_NE(A, 0u);
  ASSERT_NE(B, 0u);
  EXPECT_NE(A, B);
  Music.SongPlay(A);
  Music.SongPlay(B);
  EXPECT_EQ(Music.Playing(), B);
  const int32_t Opening = Peak(Audio.Render(4410), 0, 8820);
  Music.SongFree(A);
  EXPECT_EQ(Music.Playing(), B) << "freeing the other module leaves this one playing";
  Music.SongPlay(B);  // again: from the start, the same opening
  EXPECT_EQ(Peak(Audio.Render(4410), 0, 8820), Opening);
}

TEST(XmpMusic, FilesThatAreNotModulesGiveNoHandle) {
  TFakeAudio Audio;
  TXmpMusic Music(Audio);
  EXPECT_EQ(Music.SongLoadFromFile("no/such/Menu.xm"), 0u);
  const std::string Path = WriteFile("xmp_music_garbage.xm", Bytes(300, 0x41));
  EXPECT_EQ(Music.SongLoadFromFile(Path), 0u);
  std::remove(Path.c_str());
  EXPECT_EQ(Music.LoadedCount(), 0);
  Music.SongFree(0);
  Music.SongPlay(0);
}

TEST(XmpMusic, WithoutAnOutputNothingPlays) {
  const std::string Path = WriteFile("xmp_music_test3.xm", TinyModule());
  TFakeAudio Audio(false);
  TXmpMusic Music(Audio);
  const uint32_t Song = Music.SongLoadFromFile(Path);
  std::remove(Path.c_str());
  ASSERT_NE(Song, 0u) << "loading needs no output";
  Music.SongPlay(Song);
  EXPECT_EQ(Music.Playing(), 0u);
  Music.SongFree(Song);
}
