#include "Sprites.h"

#include <algorithm>
#include <cmath>

namespace {

// dx, dy in [-1, 1] from the centre; window is 1 in the middle and 0 from radius 1 outwards.
template <typename Shape>
Picture PaintSprite(int size, Shape shape) {
  return PaintEach(size, size, [&](float u, float v) {
    float dx = (u + 0.5f / size) * 2 - 1, dy = (v + 0.5f / size) * 2 - 1;
    float d = std::sqrt(dx * dx + dy * dy);
    float window = std::pow(std::clamp(1.0f - d, 0.0f, 1.0f), 1.5f);
    return Scale(shape(dx, dy, d), window);
  });
}

Color Add(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }

// A thin streak along one axis: narrow across, long along.
float Streak(float along, float across, float length, float width) {
  return std::exp(-std::fabs(along) / length) * std::exp(-(across * across) / (width * width));
}

}  // namespace

Picture PaintFlare() {
  return PaintSprite(128, [](float dx, float dy, float d) {
    float core = std::exp(-d * d * 90.0f);
    float halo = std::exp(-d * d * 9.0f) * 0.55f;
    float star = (Streak(dx, dy, 0.35f, 0.025f) + Streak(dy, dx, 0.25f, 0.025f)) * 0.7f;
    float ring = std::exp(-std::pow((d - 0.72f) / 0.04f, 2.0f)) * 0.12f;
    Color c = Scale({1.0f, 0.85f, 0.6f}, halo + star);
    c = Add(c, Scale({1.0f, 1.0f, 1.0f}, core));
    return Add(c, Scale({0.5f, 0.7f, 1.0f}, ring));
  });
}

Picture PaintWarmParticle() {
  return PaintSprite(64, [](float, float, float d) {
    float glow = std::exp(-d * d * 5.0f);
    float core = std::exp(-d * d * 40.0f);
    return Add(Scale({1.0f, 0.55f, 0.2f}, glow), Scale({1.0f, 0.95f, 0.8f}, core * 0.8f));
  });
}

Picture PaintCoolSparkle() {
  return PaintSprite(64, [](float dx, float dy, float d) {
    float core = std::exp(-d * d * 60.0f);
    float cross = Streak(dx, dy, 0.22f, 0.05f) + Streak(dy, dx, 0.22f, 0.05f);
    float rx = (dx + dy) * 0.7071f, ry = (dx - dy) * 0.7071f;
    float diagonal = (Streak(rx, ry, 0.1f, 0.04f) + Streak(ry, rx, 0.1f, 0.04f)) * 0.5f;
    float glow = std::exp(-d * d * 8.0f) * 0.35f;
    return Add(Scale({0.45f, 0.7f, 1.0f}, glow + cross + diagonal), Scale({1, 1, 1}, core));
  });
}
