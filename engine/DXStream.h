#pragma once
// Reader of the packs' container: a resource header followed by a "TPF0" component
// stream (class name, component name, a property list of tagged values, child
// components). The image pack and the sound pack both use it. Nothing read from the bytes
// is trusted: every length and count is checked against what is left, nesting is bounded,
// and any fault raises EReadError with a message instead of reading past the end.
//
// Byte layout, all integers little-endian:
//   resource header: 0xFF, u16 10, name bytes up to a 0 byte, u16 flags, u32 data size
//   stream:          "TPF0", short string class, short string name, properties, 0,
//                    children (each a component without "TPF0"), 0
//   property:        short string name, value; a property list ends with a 0 byte
//   short string:    u8 length, that many bytes

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/DXTypes.h"
#include "platform/Files.h"

class EReadError : public EDXError {
 public:
  using EDXError::EDXError;
};

// A pack file that is missing or cannot be read.
class EFOpenError : public EDXError {
 public:
  using EDXError::EDXError;
};

// The bytes of a whole file, in a buffer that is not cleared before the file is read in.
using TFileBytes = std::vector<uint8_t, TDefaultInitAllocator<uint8_t>>;

// The whole file; raises EFOpenError "Cannot open file \"NAME\". REASON" when it cannot be
// opened or read.
TFileBytes ReadWholeFile(const std::string& FileName);

// A whole file for reading: a regular file is mapped into memory, so that loading a pack
// touches the file's pages where they already lie instead of copying them into a fresh
// buffer; anything else (a pipe, a file that cannot be mapped) is read in whole. Raises
// EFOpenError as ReadWholeFile does.
class TFileView {
 public:
  // MapAhead maps every page at once (one call instead of a fault per page), for a file
  // that is read through at once; without it pages are mapped as they are first read.
  explicit TFileView(const std::string& FileName, bool MapAhead = true);
  TFileView(const TFileView&) = delete;
  TFileView& operator=(const TFileView&) = delete;
  std::span<const uint8_t> Bytes() const { return FFile.Bytes(); }

 private:
  TMappedFile FFile;
};

// Raises EReadError "Property NAME does not exist": the component being read has no such
// property.
[[noreturn]] void NoProperty(const std::string& Name);

// Value tags of the component stream.
enum class TValueType : uint8_t {
  Null = 0x00,
  List = 0x01,
  Int8 = 0x02,
  Int16 = 0x03,
  Int32 = 0x04,
  Extended = 0x05,  // 10-byte x87 real
  String = 0x06,    // short string
  Ident = 0x07,     // short string
  False = 0x08,
  True = 0x09,
  Binary = 0x0A,   // u32 length, bytes
  Set = 0x0B,      // short strings ended by an empty one
  LString = 0x0C,  // u32 length, bytes
  Nil = 0x0D,
  Collection = 0x0E,
  Single = 0x0F,    // 4-byte real
  Currency = 0x10,  // 8-byte, 1/10000 units
  Date = 0x11,      // 8-byte real
  WString = 0x12,   // u32 count of 16-bit units
  Int64 = 0x13,
  Utf8String = 0x14  // u32 length, bytes
};

struct TStreamProperty;

// One item of a collection value: an optional order number and its properties.
struct TStreamCollectionItem {
  bool HasOrder = false;
  int64_t Order = 0;
  std::vector<TStreamProperty> Properties;
};

struct TStreamValue {
  TValueType Type = TValueType::Null;
  int64_t Int = 0;                  // integer tags; also 0/1 for False/True
  double Real = 0.0;                // real tags
  std::string Text;                 // string and identifier tags (8-bit text)
  std::span<const uint8_t> Binary;  // points into the bytes being read
  std::vector<std::string> Set;
  std::vector<TStreamValue> List;
  std::vector<TStreamCollectionItem> Items;

  bool IsInteger() const;
  bool IsString() const;  // String, LString, WString, Utf8String
  bool IsBool() const { return Type == TValueType::False || Type == TValueType::True; }
  // Checked conversions; a value of another kind raises EReadError "Invalid property value".
  int32_t AsInt32() const;
  bool AsBool() const;
  const std::string& AsString() const;
  std::span<const uint8_t> AsBinary() const;
};

struct TStreamProperty {
  std::string Name;
  TStreamValue Value;
};

struct TStreamComponent {
  std::string ClassName;
  std::string Name;
  std::vector<TStreamProperty> Properties;
  std::vector<TStreamComponent> Children;
};

// Length of the resource header at the start of Bytes; raises EReadError "Invalid stream
// format" when there is none.
size_t ReadResourceHeader(std::span<const uint8_t> Bytes);

// Reads a whole pack: resource header, then one component. The values' binary spans point
// into Bytes, which must outlive the result.
TStreamComponent ReadComponentResource(std::span<const uint8_t> Bytes);

// The component stream alone, starting at "TPF0".
TStreamComponent ReadComponentStream(std::span<const uint8_t> Bytes);

// Little-endian cursor over a byte span; every read is bounds-checked and raises
// EReadError "Stream read error" when fewer bytes are left than asked for.
class TByteReader {
 public:
  explicit TByteReader(std::span<const uint8_t> Bytes) : FBytes(Bytes) {}
  size_t Position() const { return FPos; }
  size_t Remaining() const { return FBytes.size() - FPos; }
  bool AtEnd() const { return FPos >= FBytes.size(); }
  void Seek(size_t Position);
  void Skip(size_t Count);
  uint8_t PeekU8() const;
  uint8_t U8();
  uint16_t U16();
  uint32_t U32();
  int8_t I8() { return static_cast<int8_t>(U8()); }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  uint64_t U64();
  std::span<const uint8_t> Bytes(size_t Count);
  std::string ShortString();

 private:
  std::span<const uint8_t> FBytes;
  size_t FPos = 0;
};
