#include "SideBySide.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

RgbPicture SideBySide(const RgbPicture& a, const RgbPicture& b, int levels) {
  RgbPicture out;
  out.width = a.width * 3;
  out.height = a.height;
  out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
  const size_t row = static_cast<size_t>(a.width) * 3;
  for (int y = 0; y < a.height; ++y) {
    uint8_t* line = &out.rgb[y * row * 3];
    std::memcpy(line, a.At(0, y), row);
    std::memcpy(line + row, b.At(0, y), row);
    for (size_t c = 0; c < row; ++c) {
      const int d = std::abs(a.At(0, y)[c] - b.At(0, y)[c]);
      line[2 * row + c] = static_cast<uint8_t>(std::min(255, d * 255 / std::max(levels, 1)));
    }
  }
  return out;
}
