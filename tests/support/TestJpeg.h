#pragma once
// JPEG pictures made by the tests themselves, through the library's compressor.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One pixel of a picture being made: components bytes at out.
using PixelFill = std::function<void(int x, int y, uint8_t* out)>;

// colorSpace is a J_COLOR_SPACE value: JCS_RGB (3 components), JCS_GRAYSCALE (1) or JCS_CMYK (4).
std::vector<uint8_t> EncodeJpeg(int width, int height, int colorSpace, const PixelFill& fill,
                                int quality = 95);

// Writes the bytes to a file relative to the current directory ('/' separators), making its
// folders.
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// An RGB picture whose top half is top and bottom half is bottom.
std::vector<uint8_t> TwoBandJpeg(int width, int height, const uint8_t top[3],
                                 const uint8_t bottom[3]);

// A width x height RGB picture of one colour at the library's default quality, as the bytes
// TempDir::Write takes.
std::string EncodeSolidJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b);
