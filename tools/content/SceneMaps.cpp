#include "SceneMaps.h"

#include <algorithm>
#include <cmath>

#include "Noise.h"

namespace {

constexpr float kTau = 6.28318530718f;
constexpr int kSize = kSceneMapSize;

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// 1 on the crest of the noise's mid level, falling off either side: thin connected lines.
float Ridge(float n, float sharpness) { return std::pow(1.0f - std::fabs(2.0f * n - 1.0f), sharpness); }

Color Add(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }

}  // namespace

Picture PaintMarble() {
  return PaintEach(kSize, kSize, [](float u, float v) {
    float turbulence = Fbm(u * 4, v * 4, 4, 4, 5, 0.55f, 11);
    float vein = 0.5f + 0.5f * std::sin(kTau * (u * 2 + v) + turbulence * 9.0f);
    float dark = std::pow(1.0f - vein, 5.0f);
    float cloud = Fbm(u * 8, v * 8, 8, 8, 4, 0.5f, 12);
    Color base = Mix({0.80f, 0.80f, 0.78f}, {0.95f, 0.94f, 0.91f}, cloud);
    return Mix(base, {0.28f, 0.33f, 0.32f}, Clamp01(dark * 1.3f));
  });
}

Picture PaintEnvironment() {
  Picture picture = PaintEach(kSize, kSize, [](float u, float v) {
    float x = u * 2 - 1 + 1.0f / kSize, y = 1 - v * 2 - 1.0f / kSize;  // y up, pixel centres
    float r2 = std::min(x * x + y * y, 1.0f);
    float nz = std::sqrt(1 - r2);
    // The reflection of a view along -z from a mirror sphere whose normal is (x, y, nz).
    float rx = 2 * nz * x, ry = 2 * nz * y, rz = 2 * nz * nz - 1;
    Color sky = Mix({1.0f, 0.62f, 0.42f}, {0.08f, 0.16f, 0.42f}, std::pow(Clamp01(ry), 0.45f));
    Color ground = Mix({0.22f, 0.14f, 0.16f}, {0.03f, 0.03f, 0.05f}, std::pow(Clamp01(-ry), 0.5f));
    Color c = ry >= 0 ? sky : ground;
    if (ry > 0.02f) {
      float clouds = Fbm(rx / (ry + 0.15f) * 2 + 8, rz / (ry + 0.15f) * 2 + 8, 64, 64, 4, 0.5f, 21);
      c = Mix(c, {0.95f, 0.85f, 0.85f}, Clamp01((clouds - 0.55f) * 2.5f) * 0.6f * Clamp01(ry * 4));
    }
    float glow = std::exp(-std::fabs(ry) * 14.0f);
    c = Add(c, Scale({1.0f, 0.55f, 0.3f}, glow * 0.6f));
    float sx = 0.45f, sy = 0.3f, sz = 0.84f;
    float facing = rx * sx + ry * sy + rz * sz;
    float sun = std::pow(Clamp01(facing), 600.0f) * 2 + std::pow(Clamp01(facing), 30.0f) * 0.5f;
    return Add(c, Scale({1.0f, 0.9f, 0.7f}, sun));
  });
  FlipVertical(picture);
  return picture;
}

Picture PaintWater() {
  return PaintEach(kSize, kSize, [](float u, float v) {
    float warpX = Fbm(u * 3, v * 3, 3, 3, 3, 0.5f, 31) * 2;
    float warpY = Fbm(u * 3 + 7, v * 3, 3, 3, 3, 0.5f, 32) * 2;
    float a = Ridge(ValueNoise(u * 6 + warpX, v * 6 + warpY, 6, 6, 33), 7.0f);
    float b = Ridge(ValueNoise(u * 10 + warpY, v * 10 - warpX, 10, 10, 34), 9.0f);
    float caustic = Clamp01(a * 0.8f + b * 0.6f);
    float depth = Fbm(u * 2, v * 2, 2, 2, 3, 0.5f, 35);
    Color base = Mix({0.0f, 0.12f, 0.22f}, {0.0f, 0.28f, 0.38f}, depth);
    return Add(base, Scale({0.5f, 0.9f, 1.0f}, caustic));
  });
}

Picture PaintMetal() {
  return PaintEach(kSize, kSize, [](float u, float v) {
    float brushed = Fbm(u * 4, v * 128, 4, 128, 3, 0.6f, 41);
    float blotch = Fbm(u * 4, v * 4, 4, 4, 3, 0.5f, 42);
    float level = 0.5f + 0.18f * (brushed - 0.5f) * 2 + 0.08f * (blotch - 0.5f);
    // Panel seams every half texture, straddling the tile edge so the repeat hides in a seam,
    // with a lit upper lip.
    float px = std::fmod(u * 2, 1.0f) * kSize / 2, py = std::fmod(v * 2, 1.0f) * kSize / 2;
    const float last = kSize / 2 - 1.0f;
    if (px < 1.0f || py < 1.0f || px >= last || py >= last) level *= 0.35f;
    else if (py < 2.5f) level *= 1.25f;
    // Rivets near each panel corner.
    float rivet = 0;
    for (float cx : {8.0f, kSize / 2 - 8.0f})
      for (float cy : {8.0f, kSize / 2 - 8.0f}) {
        float d = std::hypot(px - cx, py - cy);
        if (d < 3.2f) rivet = std::max(rivet, 1.0f - d / 3.2f);
      }
    level = level * (1 - rivet) + rivet * 0.9f;
    return Color{level * 0.95f, level * 0.98f, level * 1.05f};
  });
}

Picture PaintGlass() {
  return PaintEach(kSize, kSize, [](float u, float v) {
    float wobble = Fbm(u * 3, v * 3, 3, 3, 3, 0.5f, 51);
    float streak = std::pow(0.5f + 0.5f * std::sin(kTau * (u + v) * 2 + wobble * 4), 14.0f);
    float fine = std::pow(0.5f + 0.5f * std::sin(kTau * (u - v) * 5 + wobble * 6), 30.0f);
    Color base = Mix({0.42f, 0.68f, 0.78f}, {0.62f, 0.86f, 0.92f}, wobble);
    return Add(base, Scale({1.0f, 1.0f, 1.0f}, streak * 0.45f + fine * 0.2f));
  });
}

Picture PaintStone() {
  return PaintEach(kSize, kSize, [](float u, float v) {
    float body = Fbm(u * 6, v * 6, 6, 6, 5, 0.55f, 61);
    float grain = ValueNoise(u * 128, v * 128, 128, 128, 62);
    float crack = Ridge(Fbm(u * 4, v * 4, 4, 4, 4, 0.5f, 63), 24.0f);
    float level = 0.22f + 0.3f * body + 0.12f * (grain - 0.5f);
    level *= 1.0f - 0.8f * crack;
    return Color{level * 1.05f, level, level * 0.92f};
  });
}

Picture PaintCircuit() {
  // Traces on a grid of 16-pixel cells, joined to the right or downwards at random, with pads.
  constexpr int kCell = 16, kCells = kSize / kCell;
  Plane traces(kSize, kSize);
  Rng rng(71);
  auto mark = [&](int x, int y, float value) {
    float& t = traces.at((x + kSize) % kSize, (y + kSize) % kSize);
    t = std::max(t, value);
  };
  for (int cy = 0; cy < kCells; ++cy)
    for (int cx = 0; cx < kCells; ++cx) {
      int x = cx * kCell + kCell / 2, y = cy * kCell + kCell / 2;
      bool right = rng.Uniform() < 0.5f, down = rng.Uniform() < 0.35f, pad = rng.Uniform() < 0.25f;
      if (right)
        for (int i = 0; i <= kCell; ++i) mark(x + i, y, 1), mark(x + i, y + 1, 1);
      if (down)
        for (int i = 0; i <= kCell; ++i) mark(x, y + i, 1), mark(x + 1, y + i, 1);
      if (pad && (right || down))
        for (int dy = -3; dy <= 4; ++dy)
          for (int dx = -3; dx <= 4; ++dx)
            if (std::hypot(dx - 0.5f, dy - 0.5f) < 3.8f) mark(x + dx, y + dy, 1);
    }
  Plane glow = traces;
  Blur(glow, 4, 4, true);
  Picture picture = PaintEach(kSize, kSize, [](float u, float v) {
    float board = Fbm(u * 8, v * 8, 8, 8, 3, 0.5f, 72);
    return Mix(Color{0.01f, 0.05f, 0.06f}, Color{0.03f, 0.09f, 0.10f}, board);
  });
  AddTinted(picture, glow, {0.1f, 0.7f, 1.0f}, 1.2f);
  AddTinted(picture, traces, {0.5f, 0.95f, 1.0f}, 0.8f);
  return picture;
}

Picture PaintLava() {
  Plane heat(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      float u = float(x) / kSize, v = float(y) / kSize;
      float cracks = Ridge(Fbm(u * 5, v * 5, 5, 5, 4, 0.5f, 81), 10.0f);
      float pools = Clamp01((Fbm(u * 3, v * 3, 3, 3, 3, 0.5f, 82) - 0.62f) * 4);
      heat.at(x, y) = Clamp01(cracks + pools);
    }
  Plane glow = heat;
  Blur(glow, 6, 6, true);
  Picture picture = PaintEach(kSize, kSize, [](float u, float v) {
    float crust = Fbm(u * 16, v * 16, 16, 16, 3, 0.5f, 83);
    return Color{0.07f + 0.06f * crust, 0.04f + 0.03f * crust, 0.03f + 0.02f * crust};
  });
  AddTinted(picture, glow, {0.9f, 0.18f, 0.02f}, 0.9f);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      float h = heat.at(x, y);
      picture.Add(x, y, Mix({1.0f, 0.35f, 0.02f}, {1.0f, 0.95f, 0.5f}, h * h), h);
    }
  return picture;
}
