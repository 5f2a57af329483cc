#pragma once
// Hand-built binary scene files for tests, written byte by byte in little-endian order,
// independently of the engine's own encoder.
#include <cstdint>
#include <cstring>
#include <string>

struct Bytes {
  std::string data;

  Bytes& u8(uint8_t v) {
    data.push_back(static_cast<char>(v));
    return *this;
  }
  Bytes& u32(uint32_t v) {
    for (int k = 0; k < 4; ++k) u8(static_cast<uint8_t>(v >> (8 * k)));
    return *this;
  }
  Bytes& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
  Bytes& f32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return u32(bits);
  }
  Bytes& zeros(size_t n) {
    data.append(n, '\0');
    return *this;
  }
  Bytes& fill(size_t n, char c) {
    data.append(n, c);
    return *this;
  }
  // A 255-byte path field: the text, then NULs.
  Bytes& path(const std::string& text) {
    data += text;
    return zeros(255 - text.size());
  }
  size_t size() const { return data.size(); }
};

inline uint32_t U32At(const std::string& bytes, size_t offset) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<uint8_t>(bytes.at(offset + k));
  return v;
}

inline float F32At(const std::string& bytes, size_t offset) {
  const uint32_t bits = U32At(bytes, offset);
  float v;
  std::memcpy(&v, &bits, 4);
  return v;
}

// The 68-byte scene header with every field zero but the given frame speed.
inline Bytes& Header(Bytes& b, int32_t frameSpeed = 0) {
  return b.i32(0).i32(frameSpeed).zeros(60);
}

// A vertex record whose position x is x and everything else zero.
inline Bytes& VertexRecord(Bytes& b, float x) { return b.f32(x).zeros(48); }
