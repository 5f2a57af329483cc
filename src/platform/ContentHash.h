#pragma once
// FNV-1a over a file's bytes: enough to tell a user's edit from the bytes a tool wrote, which is
// all the records that keep it are for (not a defence against forgery).
#include <cstddef>
#include <cstdint>
#include <vector>

inline uint64_t ContentHash(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
  return hash;
}
