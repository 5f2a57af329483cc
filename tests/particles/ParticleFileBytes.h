#pragma once
// Particle files put together byte by byte, so tests can damage any field.
#include <cstdint>
#include <cstring>
#include <string>

struct ParticleFileBytes {
  std::string bytes;

  ParticleFileBytes& U32(uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(v >> shift));
    return *this;
  }
  ParticleFileBytes& F32(float f) {
    uint32_t v;
    memcpy(&v, &f, sizeof v);
    return U32(v);
  }
  // A 255-byte name field: the name, its NUL, then filler that a reader must not care about.
  ParticleFileBytes& Name(const std::string& name, char filler = '#') {
    std::string field(255, filler);
    field.replace(0, name.size() + 1, name.c_str(), name.size() + 1);
    bytes += field;
    return *this;
  }
  ParticleFileBytes& Record(float x, float y, float z, float size, int32_t texture) {
    return F32(x).F32(y).F32(z).F32(size).U32(static_cast<uint32_t>(texture));
  }
  ParticleFileBytes& Header(uint32_t count, int32_t textures) {
    return U32(count).F32(10.0f).F32(200.0f).U32(static_cast<uint32_t>(textures));
  }
};
