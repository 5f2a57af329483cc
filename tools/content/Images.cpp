#include "Images.h"

#include <algorithm>
#include <cmath>

Color Mix(Color a, Color b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Color Scale(Color c, float k) { return {c.r * k, c.g * k, c.b * k}; }

float Plane::Sample(float x, float y) const {
  float fx = std::clamp(x - 0.5f, 0.0f, float(width - 1));
  float fy = std::clamp(y - 0.5f, 0.0f, float(height - 1));
  int x0 = int(fx), y0 = int(fy);
  int x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
  float tx = fx - x0, ty = fy - y0;
  float top = at(x0, y0) + (at(x1, y0) - at(x0, y0)) * tx;
  float bottom = at(x0, y1) + (at(x1, y1) - at(x0, y1)) * tx;
  return top + (bottom - top) * ty;
}

void Picture::Add(int x, int y, Color c, float k) {
  float* p = px(x, y);
  p[0] += c.r * k;
  p[1] += c.g * k;
  p[2] += c.b * k;
}

void Picture::Set(int x, int y, Color c) {
  float* p = px(x, y);
  p[0] = c.r;
  p[1] = c.g;
  p[2] = c.b;
}

namespace {

// One box pass over a line of n samples spaced by stride, with a running sum.
void BoxLine(float* line, int n, int stride, int radius, bool wrap, std::vector<float>& scratch) {
  scratch.resize(n);
  for (int i = 0; i < n; ++i) scratch[i] = line[size_t(i) * stride];
  auto sample = [&](int i) {
    if (wrap) return scratch[((i % n) + n) % n];
    return scratch[std::clamp(i, 0, n - 1)];
  };
  float sum = 0;
  for (int i = -radius; i <= radius; ++i) sum += sample(i);
  float scale = 1.0f / (2 * radius + 1);
  for (int i = 0; i < n; ++i) {
    line[size_t(i) * stride] = sum * scale;
    sum += sample(i + radius + 1) - sample(i - radius);
  }
}

void BoxAxis(Plane& plane, float radius, bool horizontal, bool wrap) {
  // Three passes of a box of this radius give a Gaussian of about the requested radius.
  int r = int(std::lround(radius / std::sqrt(3.0f)));
  if (r <= 0) return;
  std::vector<float> scratch;
  int lines = horizontal ? plane.height : plane.width;
  int n = horizontal ? plane.width : plane.height;
  int stride = horizontal ? 1 : plane.width;
  for (int pass = 0; pass < 3; ++pass)
    for (int l = 0; l < lines; ++l) {
      float* start = horizontal ? &plane.v[size_t(l) * plane.width] : &plane.v[l];
      BoxLine(start, n, stride, r, wrap, scratch);
    }
}

}  // namespace

void Blur(Plane& plane, float radiusX, float radiusY, bool wrap) {
  BoxAxis(plane, radiusX, true, wrap);
  BoxAxis(plane, radiusY, false, wrap);
}

void AddTinted(Picture& picture, const Plane& plane, Color color, float gain) {
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) picture.Add(x, y, color, plane.at(x, y) * gain);
}

void PaintGradient(Picture& picture, const Plane& coverage, Color top, Color bottom, int y0, int y1) {
  for (int y = 0; y < picture.height; ++y) {
    float t = y1 > y0 ? std::clamp(float(y - y0) / float(y1 - y0), 0.0f, 1.0f) : 0.0f;
    Color c = Mix(top, bottom, t);
    for (int x = 0; x < picture.width; ++x) {
      float a = std::clamp(coverage.at(x, y), 0.0f, 1.0f);
      if (a <= 0) continue;
      float* p = picture.px(x, y);
      p[0] += (c.r - p[0]) * a;
      p[1] += (c.g - p[1]) * a;
      p[2] += (c.b - p[2]) * a;
    }
  }
}

namespace {

// Weights of one output sample along an axis: a triangle filter, widened when shrinking.
struct Tap {
  int first = 0;
  std::vector<float> weights;
};

std::vector<Tap> Taps(int from, int to) {
  std::vector<Tap> taps(to);
  float scale = float(from) / float(to);
  float support = std::max(1.0f, scale);
  for (int o = 0; o < to; ++o) {
    float centre = (o + 0.5f) * scale;
    int first = int(std::floor(centre - support));
    int last = int(std::ceil(centre + support));
    Tap& tap = taps[o];
    tap.first = std::max(first, 0);
    float total = 0;
    for (int i = tap.first; i <= std::min(last, from - 1); ++i) {
      float w = std::max(0.0f, 1.0f - std::fabs(i + 0.5f - centre) / support);
      tap.weights.push_back(w);
      total += w;
    }
    if (total > 0)
      for (float& w : tap.weights) w /= total;
  }
  return taps;
}

}  // namespace

Picture Resample(const Picture& source, int width, int height) {
  std::vector<Tap> tx = Taps(source.width, width);
  std::vector<Tap> ty = Taps(source.height, height);
  Picture rows(width, source.height);
  for (int y = 0; y < source.height; ++y)
    for (int x = 0; x < width; ++x) {
      float* out = rows.px(x, y);
      for (size_t k = 0; k < tx[x].weights.size(); ++k) {
        const float* in = source.px(tx[x].first + int(k), y);
        for (int c = 0; c < 3; ++c) out[c] += in[c] * tx[x].weights[k];
      }
    }
  Picture result(width, height);
  for (int y = 0; y < height; ++y)
    for (size_t k = 0; k < ty[y].weights.size(); ++k) {
      float w = ty[y].weights[k];
      const float* in = rows.px(0, ty[y].first + int(k));
      float* out = result.px(0, y);
      for (int i = 0; i < width * 3; ++i) out[i] += in[i] * w;
    }
  return result;
}

void FlipVertical(Picture& picture) {
  size_t row = size_t(picture.width) * 3;
  for (int y = 0; y < picture.height / 2; ++y)
    std::swap_ranges(picture.rgb.begin() + y * row, picture.rgb.begin() + (y + 1) * row,
                     picture.rgb.begin() + (picture.height - 1 - y) * row);
}

std::vector<uint8_t> ToRgb8(const Picture& picture) {
  std::vector<uint8_t> bytes(picture.rgb.size());
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = uint8_t(std::lround(std::clamp(picture.rgb[i], 0.0f, 1.0f) * 255.0f));
  return bytes;
}
