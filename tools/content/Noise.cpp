#include "Noise.h"

#include <cmath>

uint32_t Rng::Next() {
  // SplitMix64: fast, and good enough for grain and melody variation.
  m_state += 0x9E3779B97F4A7C15ull;
  uint64_t z = m_state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return uint32_t((z ^ (z >> 31)) >> 32);
}

float Rng::Uniform() { return float(Next() >> 8) * (1.0f / 16777216.0f); }

namespace {

float Lattice(int x, int y, uint32_t seed) {
  uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 13;
  h *= 0x5BD1E995u;
  h ^= h >> 15;
  return float(h & 0xFFFFFF) * (1.0f / 16777215.0f);
}

int Wrap(int i, int period) { return ((i % period) + period) % period; }

}  // namespace

float ValueNoise(float x, float y, int periodX, int periodY, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = int(fx), iy = int(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  int x0 = Wrap(ix, periodX), x1 = Wrap(ix + 1, periodX);
  int y0 = Wrap(iy, periodY), y1 = Wrap(iy + 1, periodY);
  float a = Lattice(x0, y0, seed), b = Lattice(x1, y0, seed);
  float c = Lattice(x0, y1, seed), d = Lattice(x1, y1, seed);
  float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
  return top + (bottom - top) * ty;
}

float Fbm(float x, float y, int periodX, int periodY, int octaves, float gain, uint32_t seed) {
  float sum = 0, amplitude = 1, total = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += ValueNoise(x, y, periodX, periodY, seed + uint32_t(o) * 101u) * amplitude;
    total += amplitude;
    amplitude *= gain;
    x *= 2;
    y *= 2;
    periodX *= 2;
    periodY *= 2;
  }
  return sum / total;
}
