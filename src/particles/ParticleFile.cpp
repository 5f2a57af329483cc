// The particle file: count, generator parameters, texture names in 255-byte fields, then one
// 20-byte record per particle, all little-endian. The whole file is read into memory and checked
// before anything is allocated or loaded, so a damaged file leaves an empty system behind.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "particles/ParticleSystem.h"
#include "platform/Files.h"
#include "platform/TextureCache.h"

namespace {

constexpr size_t kHeaderBytes = 16;
constexpr size_t kRecordBytes = 20;

uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

float GetF32(const uint8_t* p) {
  const uint32_t bits = GetU32(p);
  float value;
  memcpy(&value, &bits, sizeof value);
  return value;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutF32(std::vector<uint8_t>& out, float value) {
  uint32_t bits;
  memcpy(&bits, &value, sizeof bits);
  PutU32(out, bits);
}

// A particle the player cannot use: a size so small that its burst weight 1/size is infinite
// (0, or a denormal such as 1e-45), or a value that is not finite, would spread to every other
// particle at the first burst.
bool UsableRecord(const Particle& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.size) &&
         std::isfinite(1.0f / p.size);
}

}  // namespace

bool ParticleSystem::ReadFile(const char* path) {
  if (!ReadRecords(path)) return false;
  for (int32_t t = 0; t < textureCount; ++t)
    textures[t] = AcquireTexture(textureNames[t], false);
  printf("Particles: %s, %u particles, %d textures\n", path, count, textureCount);
  return true;
}

bool ParticleSystem::ReadRecords(const char* path, std::string* fault) {
  Release();
  // Every refusal is one log line, and the caller may want its words.
  char why[320];
  auto refuse = [&](const char* format, auto... values) {
    std::snprintf(why, sizeof why, format, values...);
    printf("Particles: %s: %s\n", path, why);
    if (fault) *fault = why;
    return false;
  };

  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, ReadLimit::kParticles, bytes)) return refuse("cannot be read");
  const size_t size = bytes.size();
  if (size < kHeaderBytes)
    return refuse("has %zu bytes, fewer than the header's %zu", size, kHeaderBytes);
  const uint8_t* data = bytes.data();
  const uint32_t fileCount = GetU32(data);
  const float fileSizeRange = GetF32(data + 4);
  const float fileSpread = GetF32(data + 8);
  const int32_t fileTextures = static_cast<int32_t>(GetU32(data + 12));
  if (fileTextures < 0 || fileTextures > kMaxTextures)
    return refuse("declares %d textures (0 to %d)", fileTextures, kMaxTextures);
  const size_t recordsAt = kHeaderBytes + static_cast<size_t>(kNameLength) * fileTextures;
  if (size < recordsAt || (size - recordsAt) / kRecordBytes < fileCount)
    return refuse("declares %u particles and %d textures, which do not fit in its %zu bytes", fileCount,
                  fileTextures, size);
  for (int32_t t = 0; t < fileTextures; ++t) {
    if (memchr(data + kHeaderBytes + static_cast<size_t>(kNameLength) * t, 0, kNameLength) == nullptr)
      return refuse("the name of texture %d does not end within its %d bytes", t, kNameLength);
  }
  for (uint32_t j = 0; j < fileCount; ++j) {
    const uint8_t* record = data + recordsAt + kRecordBytes * j;
    const Particle p{GetF32(record), GetF32(record + 4), GetF32(record + 8), GetF32(record + 12)};
    const int32_t index = static_cast<int32_t>(GetU32(record + 16));
    if (index < 0 || index >= fileTextures)
      return refuse("particle %u uses texture %d and there are %d", j, index, fileTextures);
    if (!UsableRecord(p))
      return refuse("particle %u has size 0 (or one so small that it weighs infinitely) or a value "
                    "that is not finite", j);
  }

  if (!Allocate(fileCount, fileSizeRange, fileSpread)) return false;
  textureCount = fileTextures;
  for (int32_t t = 0; t < textureCount; ++t) {
    memcpy(textureNames[t], data + kHeaderBytes + static_cast<size_t>(kNameLength) * t, kNameLength);
    textures[t] = 0;
  }
  for (uint32_t j = 0; j < count; ++j) {
    const uint8_t* record = data + recordsAt + kRecordBytes * j;
    particles[j] = Particle{GetF32(record), GetF32(record + 4), GetF32(record + 8), GetF32(record + 12)};
    textureIndex[j] = static_cast<int32_t>(GetU32(record + 16));
  }
  return true;
}

bool ParticleSystem::WriteFile(const char* path) {
  // The writer refuses what the reader would refuse, so a tool never makes a file the player drops.
  if (textureCount < 0 || textureCount > kMaxTextures) {
    printf("Particles: %s is not written: %d textures (0 to %d)\n", path, textureCount, kMaxTextures);
    return false;
  }
  for (uint32_t j = 0; j < count; ++j) {
    if (textureIndex[j] < 0 || textureIndex[j] >= textureCount || !UsableRecord(particles[j])) {
      printf("Particles: %s is not written: particle %u is not valid (texture %d of %d, "
             "size %g)\n", path, j, textureIndex[j], textureCount, particles[j].size);
      return false;
    }
  }
  std::vector<uint8_t> out;
  out.reserve(kHeaderBytes + static_cast<size_t>(kNameLength) * textureCount + kRecordBytes * count);
  PutU32(out, count);
  PutF32(out, sizeRange);
  PutF32(out, spread);
  PutU32(out, static_cast<uint32_t>(textureCount));
  for (int32_t t = 0; t < textureCount; ++t) {
    out.insert(out.end(), textureNames[t], textureNames[t] + kNameLength);
  }
  for (uint32_t j = 0; j < count; ++j) {
    PutF32(out, particles[j].x);
    PutF32(out, particles[j].y);
    PutF32(out, particles[j].z);
    PutF32(out, particles[j].size);
    PutU32(out, static_cast<uint32_t>(textureIndex[j]));
  }
  // Written beside the old file and renamed over it when whole: a failed write keeps the old one.
  if (!WriteWholeFile(path, out.data(), out.size())) {
    printf("Particles: %s could not be written whole; the file before is kept\n", path);
    return false;
  }
  return true;
}
