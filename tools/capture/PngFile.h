#pragma once
// Writes a picture as a PNG file: 8-bit RGB, rows from the top.
#include <cstdint>
#include <string>

// False when the file cannot be written or the picture is empty; a partly written file is removed.
bool WritePng(const std::string& path, int width, int height, const uint8_t* rgb);
