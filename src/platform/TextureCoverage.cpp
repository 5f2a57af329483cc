#include "platform/TextureCoverage.h"

#include <algorithm>

#include "platform/TextureLoader.h"

TextureCoverage CoverageOf(const DecodedImage& image) {
  TextureCoverage coverage;
  const int32_t tile = TextureCoverage::kTile;
  coverage.width = image.width;
  coverage.height = image.height;
  coverage.columns = (image.width + tile - 1) / tile;
  coverage.rows = (image.height + tile - 1) / tile;
  const size_t cells = static_cast<size_t>(coverage.columns) * coverage.rows;
  std::vector<uint8_t> lit(cells, 0);
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = image.pixels.data() + static_cast<size_t>(y) * image.rowBytes;
    uint8_t* litRow = &lit[static_cast<size_t>(y / tile) * coverage.columns];
    for (int32_t column = 0; column < coverage.columns; ++column) {
      if (litRow[column]) continue;
      const uint8_t* from = row + static_cast<size_t>(column) * tile * 3;
      const uint8_t* to = row + static_cast<size_t>(std::min(image.width, (column + 1) * tile)) * 3;
      litRow[column] = std::any_of(from, to, [](uint8_t v) { return v != 0; });
    }
  }
  coverage.marked.assign(cells, 0);
  for (int32_t r = 0; r < coverage.rows; ++r) {
    for (int32_t c = 0; c < coverage.columns; ++c) {
      if (!lit[static_cast<size_t>(r) * coverage.columns + c]) continue;
      for (int32_t dr = -1; dr <= 1; ++dr)
        for (int32_t dc = -1; dc <= 1; ++dc) {
          const int32_t mr = (r + dr + coverage.rows) % coverage.rows;
          const int32_t mc = (c + dc + coverage.columns) % coverage.columns;
          coverage.marked[static_cast<size_t>(mr) * coverage.columns + mc] = 1;
        }
    }
  }
  coverage.markedCount =
      static_cast<int32_t>(std::count(coverage.marked.begin(), coverage.marked.end(), 1));
  return coverage;
}
