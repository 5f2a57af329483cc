#include "Masks.h"

#include <algorithm>
#include <cmath>

#include "Noise.h"

namespace {

constexpr int kSize = kMaskSize;

// Sparse bright specks: most pixels black, a few lit with a long tail of brightness.
void Grain(Plane& plane, Rng& rng, float density, float strength) {
  for (float& v : plane.v) {
    float r = rng.Uniform();
    if (r < density) v += strength * (0.3f + 0.7f * rng.Uniform());
  }
}

// Soft round blots of random size: dust on the lens.
void Dust(Plane& plane, Rng& rng, int count, float minRadius, float maxRadius, float strength) {
  for (int i = 0; i < count; ++i) {
    float cx = rng.Range(0, kSize), cy = rng.Range(0, kSize), radius = rng.Range(minRadius, maxRadius);
    float level = strength * rng.Range(0.4f, 1.0f);
    int reach = int(radius) + 2;
    for (int y = int(cy) - reach; y <= int(cy) + reach; ++y)
      for (int x = int(cx) - reach; x <= int(cx) + reach; ++x) {
        if (x < 0 || y < 0 || x >= kSize || y >= kSize) continue;
        float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
        float& v = plane.at(x, y);
        v = std::max(v, level * std::clamp(radius + 0.5f - d, 0.0f, 1.0f));
      }
  }
}

// Thin near-vertical lines that wander a little, some the full height, some broken.
void Scratches(Plane& plane, Rng& rng, int count) {
  for (int i = 0; i < count; ++i) {
    float x = rng.Range(0, kSize), drift = rng.Signed() * 0.15f, level = rng.Range(0.35f, 0.9f);
    int y0 = rng.Uniform() < 0.5f ? 0 : int(rng.Range(0, kSize * 0.6f));
    int y1 = std::min(kSize, y0 + int(rng.Range(kSize * 0.3f, kSize)));
    uint32_t seed = rng.Next();
    for (int y = y0; y < y1; ++y) {
      float wobble = (ValueNoise(0.5f, y / 40.0f, 1, 1 << 20, seed) - 0.5f) * 6;
      float fade = 0.6f + 0.4f * ValueNoise(3.5f, y / 15.0f, 1, 1 << 20, seed + 1);
      float cx = x + drift * (y - y0) + wobble;
      for (int dx = -1; dx <= 1; ++dx) {
        int px = int(std::floor(cx)) + dx;
        if (px < 0 || px >= kSize) continue;
        float cover = std::clamp(1.0f - std::fabs(px + 0.5f - cx), 0.0f, 1.0f);
        float& v = plane.at(px, y);
        v = std::max(v, level * fade * cover);
      }
    }
  }
}

// Curled hairs: short random walks with slowly turning heading.
void Hairs(Plane& plane, Rng& rng, int count) {
  for (int i = 0; i < count; ++i) {
    float x = rng.Range(0, kSize), y = rng.Range(0, kSize);
    float heading = rng.Range(0, 6.2832f), turn = rng.Signed() * 0.08f;
    int steps = int(rng.Range(40, 140));
    for (int s = 0; s < steps; ++s) {
      x += std::cos(heading);
      y += std::sin(heading);
      heading += turn + rng.Signed() * 0.05f;
      int px = int(x), py = int(y);
      if (px >= 0 && py >= 0 && px < kSize && py < kSize) plane.at(px, py) = std::max(plane.at(px, py), 0.7f);
    }
  }
}

}  // namespace

Picture PaintNoiseMask(int mask) {
  Rng rng(1000 + uint64_t(mask));
  Plane light(kSize, kSize);
  bool worn = mask > 4;
  if (!worn) {
    Grain(light, rng, 0.06f, 0.9f);
    Blur(light, 0.9f, 0.9f);
    Plane sparks(kSize, kSize);
    Grain(sparks, rng, 0.0015f, 1.0f);
    Dust(light, rng, 12, 0.6f, 2.2f, 0.8f);
    for (size_t i = 0; i < light.v.size(); ++i) light.v[i] = std::min(1.0f, light.v[i] * 1.6f + sparks.v[i]);
  } else {
    Grain(light, rng, 0.12f, 0.55f);
    Blur(light, 1.2f, 1.2f);
    for (float& v : light.v) v *= 2.0f;
    Scratches(light, rng, 3 + int(rng.Uniform() * 4));
    Hairs(light, rng, 1 + int(rng.Uniform() * 2));
    Dust(light, rng, 30, 0.8f, 5.0f, 0.9f);
  }
  Picture picture(kSize, kSize);
  Color tint = worn ? Color{1.0f, 0.93f, 0.8f} : Color{0.9f, 0.95f, 1.0f};
  AddTinted(picture, light, tint, 1.0f);
  return picture;
}
