#include "tools/packwriter/ComponentWriter.h"

void TComponentWriter::U16(uint16_t V) {
  U8(static_cast<uint8_t>(V));
  U8(static_cast<uint8_t>(V >> 8));
}

void TComponentWriter::U32(uint32_t V) {
  U16(static_cast<uint16_t>(V));
  U16(static_cast<uint16_t>(V >> 16));
}

bool TComponentWriter::ShortString(const std::string& Text) {
  if (Text.size() > 255) return false;
  U8(static_cast<uint8_t>(Text.size()));
  Raw(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(Text.data()), Text.size()));
  return true;
}

bool TComponentWriter::BeginComponent(const std::string& ClassName, const std::string& Name) {
  return ShortString(ClassName) && ShortString(Name);
}

void TComponentWriter::Integer(int64_t V) {
  if (V >= INT8_MIN && V <= INT8_MAX) {
    U8(0x02);
    U8(static_cast<uint8_t>(V));
  } else if (V >= INT16_MIN && V <= INT16_MAX) {
    U8(0x03);
    U16(static_cast<uint16_t>(V));
  } else if (V >= INT32_MIN && V <= INT32_MAX) {
    U8(0x04);
    U32(static_cast<uint32_t>(V));
  } else {
    U8(0x13);
    U32(static_cast<uint32_t>(V));
    U32(static_cast<uint32_t>(static_cast<uint64_t>(V) >> 32));
  }
}

void TComponentWriter::String(const std::string& Text) {
  const std::span<const uint8_t> Data(reinterpret_cast<const uint8_t*>(Text.data()), Text.size());
  if (Text.size() <= 255) {
    U8(0x06);
    U8(static_cast<uint8_t>(Text.size()));
  } else {
    U8(0x0C);
    U32(static_cast<uint32_t>(Text.size()));
  }
  Raw(Data);
}

bool TComponentWriter::Ident(const std::string& Name) {
  if (Name.size() > 255) return false;
  U8(0x07);
  return ShortString(Name);
}

void TComponentWriter::Binary(std::span<const uint8_t> Data) {
  U8(0x0A);
  U32(static_cast<uint32_t>(Data.size()));
  Raw(Data);
}

std::vector<uint8_t> ResourceHeader(const std::string& Name, uint32_t DataSize) {
  TComponentWriter W;
  W.U8(0xFF);
  W.U16(10);  // resource type: RCDATA
  for (char C : Name) W.U8(static_cast<uint8_t>(C));
  W.U8(0);
  W.U16(0x1030);  // memory flags: movable, pure, discardable
  W.U32(DataSize);
  return std::move(W.Bytes());
}
