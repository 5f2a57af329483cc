// Pictures as the content tool paints them: floating-point planes and RGB pictures with the few
// operations every recipe shares (blur, tinted add, resample, flip, conversion to bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Color {
  float r = 0, g = 0, b = 0;
};

Color Mix(Color a, Color b, float t);
Color Scale(Color c, float k);

// One channel, row 0 at the top. Values are usually coverage or intensity in 0..1.
struct Plane {
  int width = 0;
  int height = 0;
  std::vector<float> v;

  Plane() = default;
  Plane(int w, int h) : width(w), height(h), v(size_t(w) * h, 0.0f) {}
  float& at(int x, int y) { return v[size_t(y) * width + x]; }
  float at(int x, int y) const { return v[size_t(y) * width + x]; }
  // Bilinear sample at pixel coordinates (pixel centres at integer + 0.5), edges clamped.
  float Sample(float x, float y) const;
};

// RGB, row 0 at the top, linear 0..1 values (clamped only when converted to bytes).
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<float> rgb;

  Picture() = default;
  Picture(int w, int h) : width(w), height(h), rgb(size_t(w) * h * 3, 0.0f) {}
  float* px(int x, int y) { return &rgb[(size_t(y) * width + x) * 3]; }
  const float* px(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
  void Add(int x, int y, Color c, float k);
  void Set(int x, int y, Color c);
};

// Approximate Gaussian blur: three box passes per axis. Radii in pixels (0 skips that axis).
// With wrap the picture is treated as a tile (for textures that repeat).
void Blur(Plane& plane, float radiusX, float radiusY, bool wrap = false);

// picture += colour x gain x plane, pixel by pixel (same size required).
void AddTinted(Picture& picture, const Plane& plane, Color color, float gain);

// Lays a colour over the picture where the plane has coverage: picture moves towards the colour
// by the coverage. The colour runs from top at row y0 to bottom at row y1 (clamped outside).
void PaintGradient(Picture& picture, const Plane& coverage, Color top, Color bottom, int y0, int y1);

// Resamples to a new size with a triangle filter widened for shrinking, so a 4:3 design can be
// stored as a power-of-two texture that the player stretches back over the window.
Picture Resample(const Picture& source, int width, int height);

// Top row becomes the bottom row.
void FlipVertical(Picture& picture);

// 8-bit RGB rows, rounded and clamped; row 0 first.
std::vector<uint8_t> ToRgb8(const Picture& picture);

// A picture whose every pixel is colourAt(u, v), u and v in [0, 1) at the pixel's left/top edge
// (so a pattern periodic over [0, 1) tiles exactly).
template <typename ColourAt>
Picture PaintEach(int width, int height, ColourAt colourAt) {
  Picture picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.Set(x, y, colourAt(float(x) / width, float(y) / height));
  return picture;
}
