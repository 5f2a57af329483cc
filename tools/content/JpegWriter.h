// Pictures out as baseline RGB JPEG files, the only image format the player reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Images.h"

// The picture as 8-bit RGB through the engine's encoder (platform/JpegEncoder.h): the same bytes
// on every run. Returns false with a message in error if the library refuses.
bool EncodeJpeg(const Picture& picture, int quality, std::vector<uint8_t>& out, std::string& error);

// Encodes and writes the file through OpenFile. Prints a message naming the file on failure.
bool WriteJpeg(const std::string& path, const Picture& picture, int quality);
