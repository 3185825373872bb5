#include "platform/replay/ReplayFile.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <new>
#include <stdexcept>

#include "platform/Files.h"
#include "platform/replay/ReplayBytes.h"

namespace {

constexpr char KMagic[8] = {'T', 'B', 'R', 'E', 'P', 'L', 'A', 'Y'};
constexpr uint32_t KVersion = 1;
constexpr size_t KHeaderSize = 8 + 4 + 4 + 4;
// zlib's deflate never packs more than 1032 bytes into one (its longest matches at the
// smallest code); a header naming a body larger than that ratio allows is not believed.
constexpr uint64_t KMostInflation = 1032;

uint32_t Crc(const std::vector<uint8_t>& Body) {
  return static_cast<uint32_t>(crc32(0, Body.data(), static_cast<uInt>(Body.size())));
}

void PutCheckDelta(TVarintWriter& W, const TReplayCheck& C, const TReplayCheck& Prev) {
  W.Signed(int64_t{C.Screen} - Prev.Screen);
  W.Signed(int64_t{C.Dialog} - Prev.Dialog);
  W.Signed(int64_t{C.Score} - Prev.Score);
  W.Signed(int64_t{C.Level} - Prev.Level);
  W.Signed(int64_t{C.Lives} - Prev.Lives);
  W.Signed(int64_t{C.MonstersLeft} - Prev.MonstersLeft);
  W.Signed(int64_t{C.Sprites} - Prev.Sprites);
  W.Signed(int64_t{C.PlayerX} - Prev.PlayerX);
  W.Signed(int64_t{C.PlayerY} - Prev.PlayerY);
  W.U32(C.Positions);
  W.U32(C.Random);
}

TReplayCheck GetCheckDelta(TVarintReader& R, const TReplayCheck& Prev) {
  auto Next = [&R](int32_t Before) {
    return static_cast<int32_t>(static_cast<int64_t>(Before) + R.Signed());
  };
  TReplayCheck C;
  C.Screen = Next(Prev.Screen);
  C.Dialog = Next(Prev.Dialog);
  C.Score = Next(Prev.Score);
  C.Level = Next(Prev.Level);
  C.Lives = Next(Prev.Lives);
  C.MonstersLeft = Next(Prev.MonstersLeft);
  C.Sprites = Next(Prev.Sprites);
  C.PlayerX = Next(Prev.PlayerX);
  C.PlayerY = Next(Prev.PlayerY);
  C.Positions = R.U32();
  C.Random = R.U32();
  return C;
}

std::vector<uint8_t> Body(const TReplay& Replay) {
  std::vector<uint8_t> Out;
  TVarintWriter W(Out);
  W.U32(Replay.Seed);
  W.Unsigned(Replay.StartFiles.size());
  for (const TStartFile& F : Replay.StartFiles) {
    W.Text(F.Name);
    W.Byte(F.Present ? 1 : 0);
    W.Text(F.Bytes);
  }
  W.Unsigned(Replay.TextExtents.size());
  for (const auto& [Key, Size] : Replay.TextExtents) {
    W.Signed(Key.first);
    W.Text(Key.second);
    W.Signed(Size.first);
    W.Signed(Size.second);
  }
  // Answers after the last finished frame (a recording cut short by an error) are left out.
  const size_t TapeSize = Replay.FrameEnd.empty() ? 0 : Replay.FrameEnd.back();
  W.Unsigned(TapeSize);
  Out.insert(Out.end(), Replay.Tape.begin(),
             Replay.Tape.begin() + static_cast<std::ptrdiff_t>(TapeSize));
  W.Unsigned(Replay.FrameCount());
  for (size_t I = 0; I < Replay.FrameCount(); ++I)
    W.Unsigned(Replay.FrameEnd[I] - Replay.FrameBegin(I));
  TReplayCheck Prev;
  for (const TReplayCheck& C : Replay.Checks) {
    PutCheckDelta(W, C, Prev);
    Prev = C;
  }
  return Out;
}

TReplay ParseBody(const std::vector<uint8_t>& Bytes) {
  TVarintReader R(Bytes.data(), Bytes.size());
  TReplay Replay;
  Replay.Seed = R.U32();
  for (size_t N = R.Count(); N > 0; --N) {
    TStartFile F;
    F.Name = R.Text();
    F.Present = R.Byte() != 0;
    F.Bytes = R.Text();
    Replay.StartFiles.push_back(std::move(F));
  }
  for (size_t N = R.Count(); N > 0; --N) {
    const int32_t Font = R.Int();
    std::string Text = R.Text();
    const int32_t Width = R.Int();
    const int32_t Height = R.Int();
    Replay.TextExtents[{Font, std::move(Text)}] = {Width, Height};
  }
  const size_t TapeSize = R.Count();
  Replay.Tape.assign(Bytes.begin() + static_cast<std::ptrdiff_t>(R.Pos()),
                     Bytes.begin() + static_cast<std::ptrdiff_t>(R.Pos() + TapeSize));
  TVarintReader Rest(Bytes.data() + R.Pos() + TapeSize, R.Left() - TapeSize);
  const size_t Frames = Rest.Count();
  uint64_t End = 0;
  Replay.FrameEnd.reserve(Frames);
  for (size_t I = 0; I < Frames; ++I) {
    End += Rest.Unsigned();
    if (End > TapeSize)
      throw EReplayError("damaged: frame " + std::to_string(I) +
                         " reaches past the end of the recorded input");
    Replay.FrameEnd.push_back(static_cast<uint32_t>(End));
  }
  if (End != TapeSize) throw EReplayError("damaged: the frames do not cover the recorded input");
  Replay.Checks.reserve(Frames);
  TReplayCheck Prev;
  for (size_t I = 0; I < Frames; ++I) {
    Prev = GetCheckDelta(Rest, Prev);
    Replay.Checks.push_back(Prev);
  }
  if (!Rest.AtEnd()) throw EReplayError("damaged: unexpected data after the last frame");
  return Replay;
}

void AddDifference(std::string& Out, const char* Name, int64_t Recorded, int64_t Played) {
  if (Recorded == Played) return;
  if (!Out.empty()) Out += ", ";
  Out += std::string(Name) + " " + std::to_string(Recorded) + " != " + std::to_string(Played);
}

const char* const KScreenNames[] = {"none", "main menu", "options", "high scores", "help", "game"};

std::string ScreenName(int32_t Screen) {
  if (Screen >= 0 && Screen <= 5) return KScreenNames[Screen];
  return std::to_string(Screen);
}

}  // namespace

std::string DescribeDifference(const TReplayCheck& Recorded, const TReplayCheck& Played) {
  std::string Out;
  if (Recorded.Screen != Played.Screen)
    Out = "screen " + ScreenName(Recorded.Screen) + " != " + ScreenName(Played.Screen);
  AddDifference(Out, "dialog", Recorded.Dialog, Played.Dialog);
  AddDifference(Out, "score", Recorded.Score, Played.Score);
  AddDifference(Out, "level", Recorded.Level, Played.Level);
  AddDifference(Out, "lives", Recorded.Lives, Played.Lives);
  AddDifference(Out, "monsters left", Recorded.MonstersLeft, Played.MonstersLeft);
  AddDifference(Out, "sprites", Recorded.Sprites, Played.Sprites);
  if (Recorded.PlayerX != Played.PlayerX || Recorded.PlayerY != Played.PlayerY) {
    if (!Out.empty()) Out += ", ";
    Out += "duck at (" + std::to_string(Recorded.PlayerX) + ", " +
           std::to_string(Recorded.PlayerY) + ") != (" + std::to_string(Played.PlayerX) + ", " +
           std::to_string(Played.PlayerY) + ")";
  }
  if (Recorded.Random != Played.Random) {
    if (!Out.empty()) Out += ", ";
    Out += "random numbers differ";
  }
  if (Recorded.Positions != Played.Positions) {
    if (!Out.empty()) Out += ", ";
    Out += "sprite positions differ";
  }
  return Out;
}

std::vector<uint8_t> ReplayFileOfBody(const std::vector<uint8_t>& Plain) {
  uLongf Packed = compressBound(static_cast<uLong>(Plain.size()));
  std::vector<uint8_t> Out(KHeaderSize + Packed);
  if (compress2(Out.data() + KHeaderSize, &Packed, Plain.data(), static_cast<uLong>(Plain.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    throw EReplayError("the replay cannot be compressed");
  Out.resize(KHeaderSize + Packed);
  std::copy(std::begin(KMagic), std::end(KMagic), Out.begin());
  std::vector<uint8_t> Header;
  TVarintWriter W(Header);
  W.U32(KVersion);
  W.U32(static_cast<uint32_t>(Plain.size()));
  W.U32(Crc(Plain));
  std::copy(Header.begin(), Header.end(), Out.begin() + 8);
  return Out;
}

std::vector<uint8_t> ReplayFileBytes(const TReplay& Replay) {
  return ReplayFileOfBody(Body(Replay));
}

std::vector<uint8_t> ReplayBodyOf(const std::vector<uint8_t>& Bytes, size_t MaxBody) {
  if (Bytes.size() < 8 || !std::equal(std::begin(KMagic), std::end(KMagic), Bytes.begin()))
    throw EReplayError("not a replay file");
  if (Bytes.size() < KHeaderSize) throw EReplayError("truncated: the header ends too soon");
  TVarintReader H(Bytes.data() + 8, KHeaderSize - 8);
  const uint32_t Version = H.U32();
  const uint32_t Size = H.U32();
  const uint32_t ExpectedCrc = H.U32();
  if (Version != KVersion)
    throw EReplayError("format version " + std::to_string(Version) +
                       " is not supported (this "
                       "program reads version " +
                       std::to_string(KVersion) + ")");
  const size_t Packed = Bytes.size() - KHeaderSize;
  if (Size > MaxBody)
    throw EReplayError("too large: the body of " + std::to_string(Size) +
                       " bytes is over the limit of " + std::to_string(MaxBody));
  if (Size > KMostInflation * Packed + 64)
    throw EReplayError("damaged: the header names a size the compressed data cannot hold");
  std::vector<uint8_t> Plain(Size);
  z_stream Z{};
  if (inflateInit(&Z) != Z_OK) throw EReplayError("the replay cannot be decompressed");
  Z.next_in = const_cast<Bytef*>(Bytes.data() + KHeaderSize);
  Z.avail_in = static_cast<uInt>(Packed);
  Z.next_out = Plain.data();
  Z.avail_out = Size;
  const int Status = inflate(&Z, Z_FINISH);
  const uInt InputLeft = Z.avail_in;
  const uInt OutputLeft = Z.avail_out;
  inflateEnd(&Z);
  if (Status == Z_DATA_ERROR || Status == Z_NEED_DICT || Status == Z_MEM_ERROR)
    throw EReplayError("damaged: the compressed data cannot be read");
  if (Status != Z_STREAM_END) {
    if (InputLeft == 0) throw EReplayError("truncated: the compressed data ends too soon");
    throw EReplayError("damaged: the data is longer than the header says");
  }
  if (OutputLeft != 0) throw EReplayError("damaged: the data is shorter than the header says");
  if (InputLeft != 0) throw EReplayError("damaged: unexpected bytes after the compressed data");
  if (Crc(Plain) != ExpectedCrc) throw EReplayError("damaged: the checksum does not match");
  return Plain;
}

TReplay ParseReplayFile(const std::vector<uint8_t>& Bytes, size_t MaxBody) {
  try {
    return ParseBody(ReplayBodyOf(Bytes, MaxBody));
  } catch (const std::bad_alloc&) {
    throw EReplayError("too large: there is not memory enough to read it");
  } catch (const std::length_error&) {
    throw EReplayError("too large: there is not memory enough to read it");
  }
}

void SaveReplay(const TReplay& Replay, const std::string& FileName) {
  const std::vector<uint8_t> Bytes = ReplayFileBytes(Replay);
  std::string Error;
  const std::string Temp =
      WriteTempBeside(FileName, std::string(Bytes.begin(), Bytes.end()), Error);
  if (Temp.empty()) throw EReplayError(FileName + ": cannot be written (" + Error + ")");
  if (!RenameOver(Temp, FileName, Error)) {
    RemoveFile(Temp);
    throw EReplayError(FileName + ": cannot be written (" + Error + ")");
  }
}

TReplay LoadReplay(const std::string& FileName) {
  std::string Text, Error;
  if (!ReadFileBytes(FileName, Text, Error)) throw EReplayError(FileName + ": cannot be opened");
  const std::vector<uint8_t> Bytes(Text.begin(), Text.end());
  try {
    return ParseReplayFile(Bytes);
  } catch (const EReplayError& E) {
    throw EReplayError(FileName + ": " + E.what());
  }
}
