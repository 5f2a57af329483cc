#pragma once
// Pictures as PNG files of 8-bit RGB, from pictures as the GL driver reads them back: BGRA (the
// fourth byte unused), rows from the bottom.
#include <cstdint>
#include <string>
#include <vector>

// The PNG file of a picture, made for speed: one row filter (Sub) and zlib's fastest level.
// False when libpng refuses it (an empty picture).
bool EncodePng(int width, int height, const uint8_t* bgra, std::vector<uint8_t>& png);
