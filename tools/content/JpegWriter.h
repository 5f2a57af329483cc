// Pictures out as baseline RGB JPEG files, the only image format the player reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Images.h"

// Encodes with full-resolution chroma (no subsampling: thin coloured text stays sharp) and the
// exact integer DCT, so the bytes are the same on every run. Returns false with a message in
// error if the library refuses.
bool EncodeJpeg(const Picture& picture, int quality, std::vector<uint8_t>& out, std::string& error);

// Encodes and writes the file through OpenFile. Prints a message naming the file on failure.
bool WriteJpeg(const std::string& path, const Picture& picture, int quality);
