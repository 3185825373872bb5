#pragma once
// Writes the packs' container: the resource header and the "TPF0" component stream with
// its tagged values (the layout is described in engine/DXStream.h). Integers are written
// little-endian with the smallest integer tag that holds them.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TComponentWriter {
 public:
  std::vector<uint8_t>& Bytes() { return FBytes; }

  void U8(uint8_t V) { FBytes.push_back(V); }
  void U16(uint16_t V);
  void U32(uint32_t V);
  void Raw(std::span<const uint8_t> Data) { FBytes.insert(FBytes.end(), Data.begin(), Data.end()); }
  // At most 255 bytes; longer text is an error of the caller (answered false).
  bool ShortString(const std::string& Text);

  void Signature() { Raw(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("TPF0"), 4)); }
  bool BeginComponent(const std::string& ClassName, const std::string& Name);
  void EndList() { U8(0); }  // ends a property list, a collection, an item or the children

  bool PropertyName(const std::string& Name) { return ShortString(Name); }
  void Integer(int64_t V);
  void Bool(bool V) { U8(V ? 0x09 : 0x08); }
  void String(const std::string& Text);  // short string tag up to 255 bytes, else long
  bool Ident(const std::string& Name);
  void Binary(std::span<const uint8_t> Data);

  void BeginCollection() { U8(0x0E); }
  void BeginItem() { U8(0x01); }  // items are written without an order number

 private:
  std::vector<uint8_t> FBytes;
};

// The resource header that precedes a component stream of DataSize bytes.
std::vector<uint8_t> ResourceHeader(const std::string& Name, uint32_t DataSize);
