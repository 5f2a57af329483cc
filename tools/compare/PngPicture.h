#pragma once
// 8-bit RGB pictures and their PNG files, through libpng: the frames the capture tool writes, read
// back, and the comparison's own pictures.
#include <cstdint>
#include <string>
#include <vector>

struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // rows from the top
  const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// False, with the reason, for bytes that are not a PNG or are damaged.
bool ReadPng(const std::string& bytes, RgbPicture& picture, std::string& why);
// The same for a file; the reason does not repeat the file's name.
bool ReadPngFile(const std::string& path, RgbPicture& picture, std::string& why);
// Writes the picture whole or not at all (the old file stays); false with the reason.
bool WritePngFile(const std::string& path, const RgbPicture& picture, std::string& why);
