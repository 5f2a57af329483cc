// The authoring side of a particle system: what a content tool uses to make a cloud and write it.
// The player never calls these.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "particles/ParticleSystem.h"
#include "platform/TextureCache.h"
#include "platform/Random.h"

bool ParticleSystem::Allocate(uint32_t newCount, float newSizeRange, float newSpread) {
  Release();
  sizeRange = newSizeRange;
  spread = newSpread;
  assignCursor = 0;
  if (newCount == 0) return true;
  particles = new (std::nothrow) Particle[newCount];
  textureIndex = new (std::nothrow) int32_t[newCount];
  if (particles == nullptr || textureIndex == nullptr) {
    printf("Particles: no memory for %u particles\n", newCount);
    Release();
    return false;
  }
  count = newCount;
  for (uint32_t i = 0; i < count; ++i) textureIndex[i] = 0;
  return true;
}

// A whole number in [0, range) shifted down by half the range, so values fill a span of `range`
// centred on the origin. Below 1 the span holds no whole number, so the centre itself is used.
static float RandomInCube(float range) {
  const int n = static_cast<int>(range);
  if (n < 1) return 0.0f;
  return static_cast<float>(Random() % n) - range / 2.0f;
}

void ParticleSystem::Randomize() {
  const int m = static_cast<int>(sizeRange);
  for (uint32_t i = 0; i < count; ++i) {
    Particle& p = particles[i];
    p.x = RandomInCube(spread);
    p.y = RandomInCube(spread);
    p.z = RandomInCube(spread);
    // An empty size range leaves every particle at the smallest size of the range.
    p.size = (m >= 1 ? static_cast<float>(Random() % m) : 0.0f) + sizeRange / 10.0f;
  }
}

bool ParticleSystem::AddTexture(const char* path, int32_t run) {
  if (textureCount >= kMaxTextures) {
    printf("Particles: no more than %d textures fit, %s is passed over\n", kMaxTextures, path);
    return false;
  }
  if (strlen(path) >= static_cast<size_t>(kNameLength)) {
    printf("Particles: the texture name %s does not fit in %d bytes\n", path, kNameLength - 1);
    return false;
  }
  char* name = textureNames[textureCount];
  memset(name, 0, kNameLength);
  strcpy(name, path);
  textures[textureCount] = AcquireTexture(name, false);
  ++textureCount;
  // Runs past the last particle are clipped: the file holds exactly count indices.
  for (int32_t i = 0; i < run && static_cast<uint32_t>(assignCursor) < count; ++i) {
    textureIndex[assignCursor++] = textureCount - 1;
  }
  return true;
}
