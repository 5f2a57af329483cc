#pragma once
// Pictures as PNG files: 8-bit RGB, rows from the top.
#include <cstdint>
#include <string>
#include <vector>

// The PNG file of a picture, made for speed: one row filter (Sub) and zlib's fastest level.
// False when libpng refuses it (an empty picture).
bool EncodePng(int width, int height, const uint8_t* rgb, std::vector<uint8_t>& png);
