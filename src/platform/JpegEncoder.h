#pragma once
// Pictures out as baseline JPEG files, the one image format the player reads: used by the
// converter for a scene's pictures in other formats and by the content tool for what it paints.
#include <cstdint>
#include <string>
#include <vector>

// Encodes width x height RGB pixels (rows top first, no gaps) with full-resolution chroma (no
// subsampling: thin coloured detail stays sharp) and the exact integer DCT, so the bytes are the
// same on every run and every machine. False with the library's message in error if it refuses.
bool EncodeJpeg(const uint8_t* rgb, int width, int height, int quality, std::vector<uint8_t>& out,
                std::string& error);
