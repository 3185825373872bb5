#pragma once
// Hand-assembled pack bytes for the reader tests, written field by field from the file
// layout (not through the pack writer), so that reader and writer cannot share a mistake.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct TBytes {
  std::vector<uint8_t> B;
  TBytes& U8(uint8_t V) {
    B.push_back(V);
    return *this;
  }
  TBytes& U8s(std::initializer_list<uint8_t> Vs) {
    B.insert(B.end(), Vs);
    return *this;
  }
  TBytes& U16(uint16_t V) { return U8(V & 0xFF).U8(V >> 8); }
  TBytes& U32(uint32_t V) { return U16(V & 0xFFFF).U16(V >> 16); }
  TBytes& Text(const std::string& S) {
    B.insert(B.end(), S.begin(), S.end());
    return *this;
  }
  TBytes& Short(const std::string& S) { return U8(static_cast<uint8_t>(S.size())).Text(S); }
  TBytes& Append(const std::vector<uint8_t>& V) {
    B.insert(B.end(), V.begin(), V.end());
    return *this;
  }
  // Property tags.
  TBytes& Prop(const std::string& Name) { return Short(Name); }
  TBytes& Int8(int8_t V) { return U8(0x02).U8(static_cast<uint8_t>(V)); }
  TBytes& Int16(int16_t V) { return U8(0x03).U16(static_cast<uint16_t>(V)); }
  TBytes& Int32(int32_t V) { return U8(0x04).U32(static_cast<uint32_t>(V)); }
  TBytes& Str(const std::string& S) { return U8(0x06).Short(S); }
  TBytes& Ident(const std::string& S) { return U8(0x07).Short(S); }
  TBytes& Bool(bool V) { return U8(V ? 0x09 : 0x08); }
  TBytes& Binary(const std::vector<uint8_t>& V) {
    return U8(0x0A).U32(static_cast<uint32_t>(V.size())).Append(V);
  }
};

// 0xFF, 10, a name, 0, flags, size, then "TPF0", class name, empty component name.
inline TBytes PackStart(const std::string& ClassName = "TPictureCollectionComponent") {
  TBytes T;
  T.U8(0xFF).U16(10).Text("PACK").U8(0).U16(0x1030).U32(0);
  T.Text("TPF0").Short(ClassName).Short("");
  return T;
}

// A 24-bit information-header DIB of W x H pixels given top row first as 0x00RRGGBB.
inline std::vector<uint8_t> Dib24(int32_t W, int32_t H, const std::vector<uint32_t>& TopFirst) {
  TBytes T;
  const uint32_t RowBytes = (static_cast<uint32_t>(W) * 3 + 3) & ~3u;
  T.U32(40).U32(static_cast<uint32_t>(W)).U32(static_cast<uint32_t>(H)).U16(1).U16(24);
  T.U32(0).U32(RowBytes * static_cast<uint32_t>(H)).U32(0).U32(0).U32(0).U32(0);
  for (int32_t Y = H - 1; Y >= 0; --Y) {
    for (int32_t X = 0; X < W; ++X) {
      const uint32_t C = TopFirst[static_cast<size_t>(Y * W + X)];
      T.U8(C & 0xFF).U8((C >> 8) & 0xFF).U8((C >> 16) & 0xFF);
    }
    for (uint32_t P = static_cast<uint32_t>(W) * 3; P < RowBytes; ++P) T.U8(0);
  }
  return T.B;
}

// "Picture.Data" bytes of a TDIB picture.
inline std::vector<uint8_t> TDibData(const std::vector<uint8_t>& Dib) {
  TBytes T;
  T.Short("TDIB").Append(Dib);
  return T.B;
}
