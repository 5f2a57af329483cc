#include "platform/Random.h"

namespace {

// glibc's random() of degree 31: an additive feedback generator, r[i] = r[i-3] + r[i-31],
// whose output is the sum shifted right by one. The ring holds the last 31 values.
constexpr int kDegree = 31;
constexpr int kSeparation = 3;
uint32_t g_ring[kDegree];
int g_front = kSeparation;
int g_rear = 0;
bool g_seeded = false;

void Seed(uint32_t seed) {
  if (seed == 0) seed = 1;
  g_ring[0] = seed;
  int64_t word = static_cast<int32_t>(seed);  // glibc keeps the seed in a signed 32-bit word
  for (int i = 1; i < kDegree; ++i) {
    // 16807 * word mod 2^31 - 1 by Schrage's method, as glibc computes it.
    const int64_t hi = word / 127773;
    const int64_t lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    g_ring[i] = static_cast<uint32_t>(word);
  }
  g_front = kSeparation;
  g_rear = 0;
  g_seeded = true;
  for (int i = 0; i < 10 * kDegree; ++i) Random();
}

}  // namespace

void SeedRandom(uint32_t seed) { Seed(seed); }

int Random() {
  if (!g_seeded) Seed(1);
  g_ring[g_front] += g_ring[g_rear];
  const int result = static_cast<int>(g_ring[g_front] >> 1);
  if (++g_front >= kDegree) g_front = 0;
  if (++g_rear >= kDegree) g_rear = 0;
  return result;
}
