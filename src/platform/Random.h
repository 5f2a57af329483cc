#pragma once
// The one source of the production's random numbers (particle bursts, the shake of scenes and
// layers). It is the GNU C library's rand(), written out, so a production draws the same
// numbers on every system: the Windows C library's rand() is another sequence, and its
// RAND_MAX is 32767.
#include <cstdint>

constexpr int kRandomMax = 2147483647;

// Starts the sequence again from `seed`, as srand() does (0 counts as 1).
void SeedRandom(uint32_t seed);
// The next number of the sequence, in [0, kRandomMax].
int Random();
