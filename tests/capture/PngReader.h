#pragma once
// Reads the PNG files the capture tool writes, through libpng.
#include <cstdint>
#include <string>
#include <vector>

struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // rows from the top
  const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// False, with the reason, for a file that is not a PNG or is damaged.
bool ReadPng(const std::string& bytes, RgbPicture& picture, std::string& why);
