#include "Particles.h"

#include <cstdio>
#include <cstdlib>

#include "OffscreenDrawing.h"
#include "Textures.h"
#include "driver/ContentManifest.h"
#include "particles/ParticleSystem.h"
#include "platform/GLWindow.h"
#include "platform/Random.h"

namespace {

// One cloud of 400 sprites in a cube of 420 units round the scenes' origin, sizes 1.2 to 12.2.
// Runs of warm glows, flares and blue sparkles, in that order.
constexpr unsigned kSeed = 20260;
constexpr uint32_t kParticles = 400;
constexpr float kSizeRange = 12.0f;
constexpr float kSpread = 420.0f;
constexpr int32_t kRuns[] = {170, 60, 170};

}  // namespace

bool WriteParticles() {
  // Loading a texture needs a current context; no display is needed for it.
  PreferOffscreenDrawing();
  GLWindow window;
  if (!window.Create("zorbanel-content", 64, 64, 32, 45.0f, false) || !window.CheckExtensions()) {
    std::printf("Could not open a GL context for the particle textures\n");
    window.Destroy();
    return false;
  }
  SeedRandom(kSeed);
  ParticleSystem system;
  bool ok = system.Allocate(kParticles, kSizeRange, kSpread);
  if (ok) {
    system.Randomize();
    for (int i = 0; i < 3 && ok; ++i) ok = system.AddTexture(kParticleTextures[i], kRuns[i]);
  }
  const char* path = DefaultManifest().particleFiles[0].path.c_str();
  ok = ok && system.WriteFile(path);
  if (!ok) std::printf("Could not write %s\n", path);
  window.Destroy();
  return ok;
}
