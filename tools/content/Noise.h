// Deterministic randomness for the content: a small seeded generator and tileable value noise.
// Nothing here reads the clock or addresses, so every run paints and plays the same bytes.
#pragma once

#include <cstdint>

class Rng {
 public:
  explicit Rng(uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
  uint32_t Next();
  float Uniform();                       // [0, 1)
  float Range(float lo, float hi) { return lo + (hi - lo) * Uniform(); }
  float Signed() { return Uniform() * 2.0f - 1.0f; }  // [-1, 1)

 private:
  uint64_t m_state;
};

// Smooth value noise on an integer lattice that repeats every periodX cells in x and periodY
// cells in y, so a texture sampled over whole periods tiles without seams. Result in [0, 1].
float ValueNoise(float x, float y, int periodX, int periodY, uint32_t seed);

// Sum of octaves of ValueNoise (each twice the frequency, `gain` times the amplitude),
// normalised to [0, 1]. The periods double with each octave, so the sum tiles too.
float Fbm(float x, float y, int periodX, int periodY, int octaves, float gain, uint32_t seed);
