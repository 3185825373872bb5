// The RIFF parser on bytes written by hand here, independent of TWave::SaveToBytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/DXWave.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Id(Bytes& B, const char* S) {
  for (int I = 0; I < 4; ++I) B.push_back(static_cast<uint8_t>(S[I]));
}
void U32(Bytes& B, uint32_t V) {
  for (int I = 0; I < 4; ++I) B.push_back(static_cast<uint8_t>(V >> (8 * I)));
}
void Chunk(Bytes& B, const char* Name, const Bytes& Data) {
  Id(B, Name);
  U32(B, static_cast<uint32_t>(Data.size()));
  B.insert(B.end(), Data.begin(), Data.end());
}
Bytes Header() {
  Bytes B;
  Id(B, "RIFF");
  U32(B, 0xDEADBEEF);  // not checked
  Id(B, "WAVE");
  return B;
}
// PCM, mono, 22050 Hz, 16-bit.
const Bytes kFmt = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0};

}  // namespace

TEST(WaveParser, ReadsFormatAndSamplesAcrossOddAndUnknownChunks) {
  Bytes B = Header();
  Chunk(B, "LIST", {'a', 'b', 'c'});  // odd size, no pad byte follows
  Chunk(B, "fmt ", kFmt);
  Chunk(B, "junk", {9, 9, 9, 9, 9});
  Chunk(B, "data", {1, 2, 3, 4, 5});  // odd sample length kept exactly
  TWave W;
  W.LoadFromBytes(B);
  EXPECT_EQ(W.FormatBytes(), kFmt);
  TWaveFormat F;
  ASSERT_TRUE(W.Format(F));
  EXPECT_EQ(F.Channels, 1);
  EXPECT_EQ(F.SamplesPerSec, 22050u);
  EXPECT_EQ(F.BitsPerSample, 16);
  ASSERT_EQ(W.Size(), 5u);
  EXPECT_EQ(Bytes(W.Data(), W.Data() + 5), (Bytes{1, 2, 3, 4, 5}));
}

TEST(WaveParser, ZeroIdentifierEndsTheChunkList) {
  Bytes B = Header();
  Chunk(B, "fmt ", kFmt);
  U32(B, 0);  // identifier 0: everything after is not read
  U32(B, 4);
  Chunk(B, "data", {7, 7, 7, 7});
  TWave W;
  W.LoadFromBytes(B);
  EXPECT_EQ(W.FormatBytes(), kFmt);
  EXPECT_TRUE(W.Empty());
}

TEST(WaveParser, FormatExtraBytesAreKept) {
  Bytes Fmt = kFmt;
  Fmt.insert(Fmt.end(), {2, 0, 0xAB, 0xCD});
  Bytes B = Header();
  Chunk(B, "fmt ", Fmt);
  Chunk(B, "data", {0, 0});
  TWave W;
  W.LoadFromBytes(B);
  EXPECT_EQ(W.FormatBytes(), Fmt);
}

TEST(WaveParser, BadInputRaisesWaveIsInvalid) {
  auto Truncated = [] {
    Bytes B = Header();
    Chunk(B, "fmt ", kFmt);
    Id(B, "data");
    U32(B, 100);  // claims more than the file holds
    B.insert(B.end(), {1, 2, 3});
    return B;
  };
  auto ShortFmt = [] {
    Bytes B = Header();
    Id(B, "fmt ");
    U32(B, 16);
    B.insert(B.end(), {1, 0, 1});
    return B;
  };
  struct Case {
    std::string Name;
    Bytes Data;
  };
  const std::vector<Case> Cases = {
      {"empty", {}},
      {"short header", {'R', 'I', 'F', 'F', 0, 0, 0, 0}},
      {"not RIFF",
       [] {
         Bytes B = Header();
         B[0] = 'X';
         return B;
       }()},
      {"not WAVE",
       [] {
         Bytes B = Header();
         B[11] = 'X';
         return B;
       }()},
      {"truncated data chunk", Truncated()},
      {"truncated fmt chunk", ShortFmt()},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TWave W;
    W.SetSamples(reinterpret_cast<const uint8_t*>("keep"), 4);
    try {
      W.LoadFromBytes(C.Data);
      ADD_FAILURE() << "no error";
    } catch (const EWaveStreamError& E) {
      EXPECT_STREQ(E.what(), "Wave is invalid");
    }
    EXPECT_EQ(W.Size(), 4u) << "a failed load must not half-replace the wave";
  }
}

TEST(WaveStorage, GrowsInWholeBlocksOf8096AndReallocatesOnlyOnBlockChange) {
  TWave W;
  W.SetSize(1);
  EXPECT_EQ(W.Capacity(), 8096u);
  const uint8_t* First = W.Data();
  W.SetSize(8096);
  EXPECT_EQ(W.Capacity(), 8096u);
  EXPECT_EQ(W.Data(), First) << "same block count: no reallocation";
  EXPECT_EQ(W.Size(), 8096u);
  W.SetSize(8097);
  EXPECT_EQ(W.Capacity(), 2u * 8096u);
  EXPECT_EQ(W.Size(), 8097u);
  W.SetSize(0);
  EXPECT_EQ(W.Capacity(), 0u);
}

TEST(WaveStorage, ResizeKeepsLeadingBytes) {
  TWave W;
  std::vector<uint8_t> Data(9000);
  for (size_t I = 0; I < Data.size(); ++I) Data[I] = static_cast<uint8_t>(I * 7);
  W.SetSamples(Data.data(), 9000);
  W.SetSize(100);
  ASSERT_EQ(W.Size(), 100u);
  EXPECT_EQ(Bytes(W.Data(), W.Data() + 100), Bytes(Data.begin(), Data.begin() + 100));
  W.SetSize(200);
  EXPECT_EQ(W.Data()[150], 0) << "grown bytes are silence";
}

TEST(WaveParser, SavedWaveReadsBack) {
  TWave W;
  W.SetFormatBytes(kFmt);
  const uint8_t S[] = {10, 20, 30};
  W.SetSamples(S, 3);
  TWave R;
  R.LoadFromBytes(W.SaveToBytes());
  EXPECT_EQ(R.FormatBytes(), kFmt);
  EXPECT_EQ(Bytes(R.Data(), R.Data() + R.Size()), (Bytes{10, 20, 30}));
}
