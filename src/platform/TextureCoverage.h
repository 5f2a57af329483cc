#pragma once
// Where a picture is pure black, on a grid of square tiles. A 2D layer is drawn with a blend that
// black leaves unchanged, so only the marked tiles of its picture can change the frame.
#include <cstddef>
#include <cstdint>
#include <vector>

struct DecodedImage;

struct TextureCoverage {
  static constexpr int32_t kTile = 32;  // texels a side
  int32_t width = 0;                    // of the picture, in texels
  int32_t height = 0;
  int32_t columns = 0;  // tiles across
  int32_t rows = 0;     // tiles down, row 0 at the top of the picture (texture row 0)
  // rows x columns; 1 where the tile or one beside it holds a texel that is not black. The
  // picture repeats past its edges, so tiles of opposite edges are beside each other. Sampled
  // anywhere else, with any filter that reaches under a tile's side away, the picture is black.
  std::vector<uint8_t> marked;
  int32_t markedCount = 0;

  bool Marked(int32_t column, int32_t row) const {
    return marked[static_cast<size_t>(row) * columns + column] != 0;
  }
};

TextureCoverage CoverageOf(const DecodedImage& image);
