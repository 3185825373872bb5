#include "engine/DXStream.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const char* const InvalidFormat = "Invalid stream format";
const char* const InvalidValue = "Invalid property value";

// Lists, collections and child components may nest; a damaged stream must not be able to
// recurse us off the stack.
constexpr int MaxDepth = 32;
// Every value, collection item and component read becomes a record some hundred times the
// size of the one or two bytes that can stand for it; a pack of the game has a few thousand.
// A stream of more is damage, and refusing it keeps a small file from taking gigabytes.
constexpr size_t MaxRecords = size_t{1} << 18;

class TComponentReader {
 public:
  explicit TComponentReader(std::span<const uint8_t> Bytes) : R(Bytes) {}
  TByteReader R;

  size_t Records = 0;

  void CheckDepth(int Depth) {
    if (Depth > MaxDepth) throw EReadError(InvalidFormat);
  }

  void CountRecord() {
    if (++Records > MaxRecords) throw EReadError(InvalidFormat);
  }

  // Reads properties up to and including the 0 byte ending the list.
  std::vector<TStreamProperty> ReadProperties(int Depth) {
    CheckDepth(Depth);
    std::vector<TStreamProperty> Properties;
    while (R.PeekU8() != 0) {
      TStreamProperty P;
      P.Name = R.ShortString();
      P.Value = ReadValue(Depth + 1);
      Properties.push_back(std::move(P));
    }
    R.U8();
    return Properties;
  }

  TStreamValue ReadValue(int Depth) {
    CheckDepth(Depth);
    CountRecord();
    TStreamValue V;
    const uint8_t Tag = R.U8();
    V.Type = static_cast<TValueType>(Tag);
    switch (V.Type) {
      case TValueType::Null:
      case TValueType::Nil:
        break;
      case TValueType::List:
        while (R.PeekU8() != 0) V.List.push_back(ReadValue(Depth + 1));
        R.U8();
        break;
      case TValueType::Int8:
        V.Int = R.I8();
        break;
      case TValueType::Int16:
        V.Int = R.I16();
        break;
      case TValueType::Int32:
        V.Int = R.I32();
        break;
      case TValueType::Int64:
        V.Int = static_cast<int64_t>(R.U64());
        break;
      case TValueType::Extended:
        V.Real = ReadExtended();
        break;
      case TValueType::Single: {
        const uint32_t Bits = R.U32();
        float F;
        std::memcpy(&F, &Bits, sizeof F);
        V.Real = F;
        break;
      }
      case TValueType::Date: {
        const uint64_t Bits = R.U64();
        std::memcpy(&V.Real, &Bits, sizeof V.Real);
        break;
      }
      case TValueType::Currency:
        V.Int = static_cast<int64_t>(R.U64());
        V.Real = static_cast<double>(V.Int) / 10000.0;
        break;
      case TValueType::String:
      case TValueType::Ident:
        V.Text = R.ShortString();
        break;
      case TValueType::LString:
      case TValueType::Utf8String: {
        const auto Bytes = R.Bytes(R.U32());
        V.Text.assign(Bytes.begin(), Bytes.end());
        break;
      }
      case TValueType::WString: {
        const uint32_t Units = R.U32();
        if (Units > R.Remaining() / 2) throw EReadError("Stream read error");
        V.Text.reserve(Units);
        for (uint32_t I = 0; I < Units; ++I) {
          const uint16_t U = R.U16();
          V.Text.push_back(static_cast<char>(U < 256 ? U : '?'));
        }
        break;
      }
      case TValueType::False:
        V.Int = 0;
        break;
      case TValueType::True:
        V.Int = 1;
        break;
      case TValueType::Binary:
        V.Binary = R.Bytes(R.U32());
        break;
      case TValueType::Set:
        for (;;) {
          std::string Name = R.ShortString();
          if (Name.empty()) break;
          CountRecord();
          V.Set.push_back(std::move(Name));
        }
        break;
      case TValueType::Collection:
        while (R.PeekU8() != 0) {
          CountRecord();
          TStreamCollectionItem Item;
          const uint8_t Next = R.PeekU8();
          if (Next == static_cast<uint8_t>(TValueType::Int8) ||
              Next == static_cast<uint8_t>(TValueType::Int16) ||
              Next == static_cast<uint8_t>(TValueType::Int32)) {
            Item.HasOrder = true;
            Item.Order = ReadValue(Depth + 1).Int;
          }
          if (R.U8() != static_cast<uint8_t>(TValueType::List)) throw EReadError(InvalidFormat);
          Item.Properties = ReadProperties(Depth + 1);
          V.Items.push_back(std::move(Item));
        }
        R.U8();
        break;
      default:
        throw EReadError(InvalidFormat);
    }
    return V;
  }

  // 80-bit x87 extended: sign, 15-bit exponent (bias 16383), 64-bit mantissa with an
  // explicit integer bit.
  double ReadExtended() {
    const uint64_t Mantissa = R.U64();
    const uint16_t SignExp = R.U16();
    const int Exponent = SignExp & 0x7FFF;
    const double Sign = (SignExp & 0x8000) ? -1.0 : 1.0;
    if (Exponent == 0 && Mantissa == 0) return 0.0 * Sign;
    if (Exponent == 0x7FFF) return Mantissa << 1 ? std::nan("") : Sign * INFINITY;
    return Sign * std::ldexp(static_cast<double>(Mantissa), Exponent - 16383 - 63);
  }

  TStreamComponent ReadComponent(int Depth) {
    CheckDepth(Depth);
    CountRecord();
    TStreamComponent C;
    // Optional filer flags: 0xF0 | flags, then a child position when flag 2 is set.
    if ((R.PeekU8() & 0xF0) == 0xF0) {
      const uint8_t Flags = R.U8() & 0x0F;
      if (Flags & 2) ReadValue(Depth + 1);
    }
    C.ClassName = R.ShortString();
    C.Name = R.ShortString();
    C.Properties = ReadProperties(Depth + 1);
    while (R.PeekU8() != 0) C.Children.push_back(ReadComponent(Depth + 1));
    R.U8();
    return C;
  }

  TStreamComponent ReadStream() {
    const auto Signature = R.Remaining() >= 4 ? R.Bytes(4) : std::span<const uint8_t>{};
    if (Signature.size() != 4 || std::memcmp(Signature.data(), "TPF0", 4) != 0)
      throw EReadError(InvalidFormat);
    return ReadComponent(0);
  }
};

}  // namespace

void TByteReader::Seek(size_t Position) {
  if (Position > FBytes.size()) throw EReadError("Stream read error");
  FPos = Position;
}

void TByteReader::Skip(size_t Count) {
  if (Count > Remaining()) throw EReadError("Stream read error");
  FPos += Count;
}

uint8_t TByteReader::PeekU8() const {
  if (AtEnd()) throw EReadError("Stream read error");
  return FBytes[FPos];
}

uint8_t TByteReader::U8() {
  const uint8_t V = PeekU8();
  ++FPos;
  return V;
}

uint16_t TByteReader::U16() {
  const auto B = Bytes(2);
  return static_cast<uint16_t>(B[0] | (B[1] << 8));
}

uint32_t TByteReader::U32() {
  const auto B = Bytes(4);
  return static_cast<uint32_t>(B[0]) | (static_cast<uint32_t>(B[1]) << 8) |
         (static_cast<uint32_t>(B[2]) << 16) | (static_cast<uint32_t>(B[3]) << 24);
}

uint64_t TByteReader::U64() {
  const uint64_t Low = U32();
  const uint64_t High = U32();
  return Low | (High << 32);
}

std::span<const uint8_t> TByteReader::Bytes(size_t Count) {
  if (Count > Remaining()) throw EReadError("Stream read error");
  const auto S = FBytes.subspan(FPos, Count);
  FPos += Count;
  return S;
}

std::string TByteReader::ShortString() {
  const auto S = Bytes(U8());
  return std::string(S.begin(), S.end());
}

bool TStreamValue::IsInteger() const {
  return Type == TValueType::Int8 || Type == TValueType::Int16 || Type == TValueType::Int32 ||
         Type == TValueType::Int64;
}

bool TStreamValue::IsString() const {
  return Type == TValueType::String || Type == TValueType::LString || Type == TValueType::WString ||
         Type == TValueType::Utf8String;
}

int32_t TStreamValue::AsInt32() const {
  if (!IsInteger() || Int < INT32_MIN || Int > INT32_MAX) throw EReadError(InvalidValue);
  return static_cast<int32_t>(Int);
}

bool TStreamValue::AsBool() const {
  if (!IsBool()) throw EReadError(InvalidValue);
  return Type == TValueType::True;
}

const std::string& TStreamValue::AsString() const {
  if (!IsString()) throw EReadError(InvalidValue);
  return Text;
}

std::span<const uint8_t> TStreamValue::AsBinary() const {
  if (Type != TValueType::Binary) throw EReadError(InvalidValue);
  return Binary;
}

size_t ReadResourceHeader(std::span<const uint8_t> Bytes) {
  // 0xFF, u16 10, the name up to its 0 byte (looked for in the first 79 bytes), u16
  // flags, u32 size: name length + 10 bytes in all.
  if (Bytes.size() < 3 || Bytes[0] != 0xFF || Bytes[1] != 10 || Bytes[2] != 0)
    throw EReadError(InvalidFormat);
  const size_t Window = Bytes.size() < 79 ? Bytes.size() : 79;
  for (size_t I = 3; I < Window; ++I) {
    if (Bytes[I] == 0) {
      const size_t NameLength = I - 3;
      const size_t End = NameLength + 10;
      if (End > Bytes.size()) throw EReadError(InvalidFormat);
      return End;
    }
  }
  throw EReadError(InvalidFormat);
}

TStreamComponent ReadComponentResource(std::span<const uint8_t> Bytes) {
  const size_t Start = ReadResourceHeader(Bytes);
  return ReadComponentStream(Bytes.subspan(Start));
}

TStreamComponent ReadComponentStream(std::span<const uint8_t> Bytes) {
  TComponentReader Reader(Bytes);
  return Reader.ReadStream();
}

TFileBytes ReadWholeFile(const std::string& FileName) {
  TMappedFile File;
  std::string Error;
  if (!File.Open(FileName, true, Error))
    throw EFOpenError("Cannot open file \"" + FileName + "\". " + Error);
  return TFileBytes(File.Bytes().begin(), File.Bytes().end());
}

TFileView::TFileView(const std::string& FileName, bool MapAhead) {
  std::string Error;
  if (!FFile.Open(FileName, MapAhead, Error))
    throw EFOpenError("Cannot open file \"" + FileName + "\". " + Error);
}

void NoProperty(const std::string& Name) {
  // The name comes from the file: bytes that are not printable (a 0 byte would end the
  // message early, others could steer a terminal) are shown as \xNN.
  std::string Shown;
  for (const char Ch : Name) {
    const unsigned char C = static_cast<unsigned char>(Ch);
    if (C >= 0x20 && C < 0x7F && C != '\\') {
      Shown += Ch;
    } else {
      static const char Hex[] = "0123456789abcdef";
      Shown += "\\x";
      Shown += Hex[C >> 4];
      Shown += Hex[C & 15];
    }
  }
  throw EReadError("Property " + Shown + " does not exist");
}
