// A layer is one textured quad with a screen blend: black leaves the frame, white brightens it.
#include "effects/LayerSlot.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "platform/GLWindow.h"
#include "platform/TextureCache.h"
#include "platform/Random.h"

namespace {

void DrawQuad(const LayerSlot& layer) {
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(layer.x0, layer.y0);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(layer.x0, layer.y1);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(layer.x1, layer.y1);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(layer.x1, layer.y0);
  glEnd();
}

// One axis of the layer in the window: texture coordinate 0 lands at `from`, 1 at `to` (window
// pixels), and tile boundary k at Edge(k), rounded to a pixel edge.
struct Axis {
  double from, to;
  int32_t texels;
  int32_t Edge(int32_t k) const {
    const int32_t texel = std::min(k * TextureCoverage::kTile, texels);
    const double s = static_cast<double>(texel) / static_cast<double>(texels);
    // Held far outside any viewport, where a box is clipped away all the same: the widths and
    // heights taken from two edges then stay well inside int32 whatever the rectangle.
    constexpr double kFar = 1 << 24;
    const double edge = from + (to - from) * s;
    return static_cast<int32_t>(std::lround(std::max(-kFar, std::min(kFar, edge))));
  }
  // Texels per window pixel.
  double Scale() const { return texels / std::fabs(to - from); }
};

// An axis-aligned 2D mapping without perspective: window x follows picture x alone, y follows y.
bool AxisAligned(const GLfloat* m) {
  return m[1] == 0 && m[4] == 0 && m[3] == 0 && m[7] == 0 && m[11] == 0 && m[15] == 1;
}

// The layer's texel axes as they land in the window, for a 2D mapping without perspective where
// window x follows picture x alone and y follows y; false for any other mapping.
bool WindowAxes(const LayerSlot& layer, int32_t width, int32_t height, Axis& across, Axis& down) {
  GLfloat model[16], projection[16];
  GLint viewport[4];
  glGetFloatv(GL_MODELVIEW_MATRIX, model);
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  if (!AxisAligned(model) || !AxisAligned(projection) || projection[8] != 0 || projection[9] != 0)
    return false;
  auto windowX = [&](float x) {
    const double ndc = projection[0] * (model[0] * x + model[12]) + projection[12];
    return viewport[0] + (ndc + 1.0) * viewport[2] / 2.0;
  };
  auto windowY = [&](float y) {
    const double ndc = projection[5] * (model[5] * y + model[13]) + projection[13];
    return viewport[1] + (ndc + 1.0) * viewport[3] / 2.0;
  };
  across = Axis{windowX(layer.x0), windowX(layer.x1), width};
  down = Axis{windowY(layer.y0), windowY(layer.y1), height};
  return true;
}

// The quad drawn only inside scissor boxes round the marked tiles of its picture: elsewhere the
// picture is black, which the screen blend leaves exactly as it was. The boxes follow a grid of
// pixel edges, so none overlaps another and no pixel is blended twice. False when the quad must
// be drawn whole: most tiles marked, no coverage, a mapping other than a move and scale, or a
// picture shrunk so far that its filter reaches past a tile's margin.
bool DrawMarkedTiles(const LayerSlot& layer, const TextureCoverage* coverage) {
  if (!coverage || coverage->markedCount * 4 > coverage->columns * coverage->rows * 3)
    return false;
  Axis across, down;
  if (!WindowAxes(layer, coverage->width, coverage->height, across, down)) return false;
  // Up to 4 texels a pixel, trilinear filtering reads level 3 at most: 2 of its texels, 16 of
  // level 0, plus the pixel's own 4, stay inside the tile of margin.
  if (!(across.Scale() <= 4.0) || !(down.Scale() <= 4.0)) return false;

  glEnable(GL_SCISSOR_TEST);
  for (int32_t row = 0; row < coverage->rows; ++row) {
    const int32_t y0 = down.Edge(row), y1 = down.Edge(row + 1);
    int32_t column = 0;
    while (column < coverage->columns) {
      if (!coverage->Marked(column, row)) {
        ++column;
        continue;
      }
      const int32_t first = column;
      while (column < coverage->columns && coverage->Marked(column, row)) ++column;
      const int32_t x0 = across.Edge(first), x1 = across.Edge(column);
      if (x0 == x1 || y0 == y1) continue;
      glScissor(std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0), std::abs(y1 - y0));
      DrawQuad(layer);
    }
  }
  glDisable(GL_SCISSOR_TEST);
  return true;
}

// Whether the bound texture is enlarged on both axes, with room to spare: then every pixel reads
// level 0 alone, and the plain linear filter gives the very values the trilinear one does, but
// the software renderer skips working out a level for each pixel. A full-window noise mask is.
bool MagnifiedEverywhere(const LayerSlot& layer) {
  GLint width = 0, height = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  Axis across, down;
  return width > 0 && height > 0 && WindowAxes(layer, width, height, across, down) &&
         across.Scale() <= kMostTexelsAPixel && down.Scale() <= kMostTexelsAPixel;
}

}  // namespace

bool LayerSlot::Jitter(float offset[2]) const {
  if (!(shakeAmount > 0.0f)) return false;
  // Offsets lie in [-shake/2, n - 1 - shake/2]. Below one pixel there is no whole offset to pick,
  // so such a layer does not jitter.
  const int n = shakeAmount < static_cast<float>(INT_MAX) ? static_cast<int>(shakeAmount) : INT_MAX;
  if (n < 1) return false;
  const int dy = Random() % n;
  const int dx = Random() % n;
  offset[0] = static_cast<float>(dx) - shakeAmount / 2.0f;
  offset[1] = static_cast<float>(dy) - shakeAmount / 2.0f;
  return true;
}

void LayerSlot::Draw() {
  // Left on the matrix on purpose: it shakes the later layers and the noise overlay too.
  float offset[2];
  if (Jitter(offset)) glTranslatef(offset[0], offset[1], 0.0f);

  glBindTexture(GL_TEXTURE_2D, texture);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_COLOR);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_LIGHTING);
  glColor4f(alpha, alpha, alpha, alpha);

  // At opacity 0 (or below, clamped to 0) the blend gives back the frame exactly: the state is
  // set as always, but the quad is not worth drawing.
  if (alpha > 0.0f) {
    // Only the loader's trilinear filter is swapped, and put back after: scenes may share it.
    GLint minFilter = 0, magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    const bool magnified = minFilter == GL_LINEAR_MIPMAP_LINEAR && magFilter == GL_LINEAR &&
                           MagnifiedEverywhere(*this);
    if (magnified) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    if (!DrawMarkedTiles(*this, CoverageOfTexture(texture))) DrawQuad(*this);
    if (magnified) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
  }

  glEnable(GL_DEPTH_TEST);
}
