// The particle file reader on any bytes, without its texture loads; a file it accepts must give
// particles a burst can use (finite after it) and texture indices inside the table.
#include <cmath>
#include <cstdlib>

#include "FuzzInput.h"
#include "particles/ParticleSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngine();
  const char* path = WriteInput("particles.bin", data, size);
  ParticleSystem system;
  if (!system.ReadRecords(path)) {
    if (system.count != 0) abort();
    return 0;
  }
  for (uint32_t j = 0; j < system.count; ++j) {
    if (system.textureIndex[j] < 0 || system.textureIndex[j] >= system.textureCount) abort();
    if (!(system.particles[j].size != 0.0f) || !std::isfinite(system.particles[j].size)) abort();
  }
  // Small clouds only: a burst is linear in the count, and the fuzzer wants many inputs a second.
  if (system.count > 4096) return 0;
  system.Burst();
  // No accepted file may turn the cloud into NaN or infinity.
  for (uint32_t j = 0; j < system.count; ++j) {
    const Particle& p = system.particles[j];
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) abort();
  }
  return 0;
}
