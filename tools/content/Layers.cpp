#include "Layers.h"

#include <algorithm>
#include <cmath>

#include "TextRender.h"

namespace {

constexpr float kCentreX = kLayerDesignWidth / 2.0f;
// Text wider than this is set smaller, so no line runs off the screen.
constexpr float kMaxTextWidth = kLayerDesignWidth * 0.8f;

struct TextStyle {
  const char* font;
  int size;
  float tracking;
  Color top, bottom;  // fill gradient from cap height down to the baseline
  Color glow;
  float glowRadius;
  float glowGain;
};

// A glow is a wide soft halo plus a tight bright one: the tight one keeps the letters crisp,
// the wide one lights the scene around them.
void AddGlow(Picture& picture, const Plane& ink, Color color, float radius, float gain) {
  Plane wide = ink;
  Blur(wide, radius, radius);
  AddTinted(picture, wide, color, gain);
  Plane tight = ink;
  Blur(tight, radius * 0.2f, radius * 0.2f);
  AddTinted(picture, tight, color, gain * 0.6f);
}

void PaintInk(Picture& picture, const Plane& ink, const TextStyle& style, int gradientTop,
              int gradientBottom) {
  AddGlow(picture, ink, style.glow, style.glowRadius, style.glowGain);
  PaintGradient(picture, ink, style.top, style.bottom, gradientTop, gradientBottom);
}

bool PaintText(Picture& picture, const TextStyle& style, const std::string& text, float baseline,
               Plane* inkOut = nullptr) {
  TextRender render;
  if (!render.Open(style.font)) return false;
  int size = style.size;
  render.SetSize(size, size);
  float width = render.Measure(text, style.tracking);
  if (width > kMaxTextWidth) {
    size = int(size * kMaxTextWidth / width);
    render.SetSize(size, size);
  }
  Plane ink(picture.width, picture.height);
  render.DrawCentred(ink, text, kCentreX, baseline, style.tracking);
  int capTop = int(baseline - size * 0.73f);
  PaintInk(picture, ink, style, capTop, int(baseline));
  if (inkOut) *inkOut = ink;
  return true;
}

// A horizontal hairline that fades out towards both ends.
Plane RuleInk(float y, float halfWidth, float thickness) {
  Plane ink(kLayerDesignWidth, kLayerDesignHeight);
  for (int py = int(y - thickness * 3); py <= int(y + thickness * 3); ++py) {
    if (py < 0 || py >= ink.height) continue;
    float across = std::exp(-std::pow((py + 0.5f - y) / thickness, 2.0f));
    for (int x = 0; x < ink.width; ++x) {
      float along = 1.0f - std::pow((x + 0.5f - kCentreX) / halfWidth, 2.0f);
      ink.at(x, py) = std::max(0.0f, along) * across;
    }
  }
  return ink;
}

void AddRule(Picture& picture, float y, float halfWidth, Color color, Color glow) {
  Plane ink = RuleInk(y, halfWidth, 1.2f);
  AddGlow(picture, ink, glow, 10, 1.5f);
  AddTinted(picture, ink, color, 1.0f);
}

// A soft horizontal light streak through a point, as a lens would smear a bright title. It
// dies out before the picture's edges, which would otherwise show as lit window borders.
void AddStreak(Picture& picture, float y, float halfWidth, Color color) {
  for (int py = 0; py < picture.height; ++py) {
    float across = std::exp(-std::pow((py + 0.5f - y) / 2.5f, 2.0f));
    if (across < 1e-3f) continue;
    for (int x = 0; x < picture.width; ++x) {
      float fromCentre = (x + 0.5f - kCentreX) / kCentreX;
      float along = std::exp(-std::pow((x + 0.5f - kCentreX) / halfWidth, 2.0f)) *
                    std::max(0.0f, 1.0f - fromCentre * fromCentre);
      picture.Add(x, py, color, along * across);
    }
  }
}

Picture Canvas() { return Picture(kLayerDesignWidth, kLayerDesignHeight); }

Picture Store(const Picture& design) { return Resample(design, kLayerWidth, kLayerHeight); }

}  // namespace

Picture PaintBlank() {
  Picture picture(64, 64);
  std::fill(picture.rgb.begin(), picture.rgb.end(), 1.0f);
  return picture;
}

bool PaintTitle(Picture& picture) {
  Picture design = Canvas();
  const TextStyle title = {"DejaVuSans-Bold.ttf", 160, 14, {1.0f, 1.0f, 1.0f}, {0.45f, 0.65f, 1.0f},
                           {0.15f, 0.3f, 1.0f}, 40, 1.3f};
  const TextStyle subtitle = {"DejaVuSans-ExtraLight.ttf", 30, 10, {0.85f, 0.9f, 1.0f},
                              {0.6f, 0.75f, 1.0f}, {0.2f, 0.35f, 0.9f}, 12, 0.8f};
  AddStreak(design, 400 - 160 * 0.36f, 420, {0.4f, 0.6f, 1.0f});
  if (!PaintText(design, title, "ZORBAN", 400)) return false;
  AddRule(design, 460, 300, {0.7f, 0.8f, 1.0f}, {0.2f, 0.35f, 1.0f});
  if (!PaintText(design, subtitle, "a zorbanel production", 515)) return false;
  picture = Store(design);
  return true;
}

bool PaintCoolYourIdeas(Picture& picture) {
  Picture design = Canvas();
  const TextStyle cool = {"DejaVuSans-Bold.ttf", 150, 6, {0.85f, 1.0f, 1.0f}, {0.1f, 0.65f, 1.0f},
                          {0.0f, 0.45f, 1.0f}, 36, 1.2f};
  const TextStyle ideas = {"DejaVuSans-ExtraLight.ttf", 84, 16, {1.0f, 1.0f, 1.0f},
                           {0.7f, 0.9f, 1.0f}, {0.1f, 0.4f, 0.9f}, 16, 0.9f};
  AddRule(design, 225, 260, {0.7f, 0.95f, 1.0f}, {0.0f, 0.5f, 1.0f});
  if (!PaintText(design, cool, "cool", 390)) return false;
  if (!PaintText(design, ideas, "your ideas", 500)) return false;
  AddRule(design, 555, 260, {0.7f, 0.95f, 1.0f}, {0.0f, 0.5f, 1.0f});
  picture = Store(design);
  return true;
}

bool PaintChoose(Picture& picture) {
  Picture design = Canvas();
  const TextStyle choose = {"DejaVuSans-Bold.ttf", 170, 10, {1.0f, 0.9f, 0.45f}, {1.0f, 0.25f, 0.45f},
                            {0.9f, 0.1f, 0.4f}, 40, 1.2f};
  const TextStyle marks = {"DejaVuSans-ExtraLight.ttf", 170, 0, {1.0f, 0.8f, 0.6f}, {1.0f, 0.4f, 0.5f},
                           {0.8f, 0.2f, 0.4f}, 20, 0.8f};
  TextRender render;
  if (!render.Open(choose.font)) return false;
  render.SetSize(choose.size, choose.size);
  float half = render.Measure("choose", choose.tracking) / 2 + 50;
  // Thin brackets either side of the word.
  if (!render.Open(marks.font)) return false;
  render.SetSize(marks.size, marks.size);
  Plane brackets(design.width, design.height);
  render.Draw(brackets, "[", kCentreX - half - render.Measure("["), 445);
  render.Draw(brackets, "]", kCentreX + half, 445);
  PaintInk(design, brackets, marks, int(445 - 170 * 0.73f), 445);
  if (!PaintText(design, choose, "choose", 445)) return false;
  picture = Store(design);
  return true;
}

bool PaintSearch(Picture& picture) {
  Picture design = Canvas();
  const TextStyle search = {"DejaVuSans-Bold.ttf", 170, 12, {0.75f, 1.0f, 0.8f}, {0.1f, 0.85f, 0.6f},
                            {0.0f, 0.8f, 0.45f}, 36, 1.1f};
  TextRender render;
  if (!render.Open(search.font)) return false;
  render.SetSize(search.size, search.size);
  Plane ink(design.width, design.height);
  render.DrawCentred(ink, "search", kCentreX, 445, search.tracking);
  // Scan lines cut through the letters; the glow underneath stays whole.
  AddGlow(design, ink, search.glow, search.glowRadius, search.glowGain);
  for (int y = 0; y < ink.height; ++y)
    for (int x = 0; x < ink.width; ++x) ink.at(x, y) *= (y / 3) % 2 ? 0.45f : 1.0f;
  PaintGradient(design, ink, search.top, search.bottom, int(445 - 170 * 0.73f), 445);
  AddStreak(design, 330, 380, {0.2f, 1.0f, 0.6f});
  AddRule(design, 500, 330, {0.6f, 1.0f, 0.8f}, {0.0f, 0.7f, 0.4f});
  picture = Store(design);
  return true;
}

bool PaintCredits(int which, Picture& picture) {
  struct Credit {
    const char* role;
    const char* name;
  };
  static const Credit kCredits[] = {
      {"CODE & DESIGN", "zorbanel team"},
      {"MUSIC", "synthesised in code"},
      {"GRAPHICS", "painted at build time"},
  };
  const Credit& credit = kCredits[std::clamp(which, 1, 3) - 1];
  Picture design = Canvas();
  const TextStyle role = {"DejaVuSans-Bold.ttf", 40, 16, {1.0f, 0.8f, 0.4f}, {1.0f, 0.5f, 0.15f},
                          {0.9f, 0.35f, 0.0f}, 14, 1.0f};
  const TextStyle name = {"DejaVuSans-Bold.ttf", 72, 4, {1.0f, 1.0f, 1.0f}, {0.75f, 0.8f, 0.95f},
                          {0.3f, 0.4f, 0.9f}, 26, 0.9f};
  if (!PaintText(design, role, credit.role, 330)) return false;
  AddRule(design, 360, 220, {1.0f, 0.75f, 0.45f}, {0.9f, 0.35f, 0.0f});
  if (!PaintText(design, name, credit.name, 460)) return false;
  picture = Store(design);
  return true;
}

bool PaintLogo(Picture& picture) {
  Picture design = Canvas();
  constexpr float cx = kCentreX, cy = 320;
  // Two rings: a bold inner one and a thin outer one.
  Plane rings(design.width, design.height);
  for (int y = 0; y < design.height; ++y)
    for (int x = 0; x < design.width; ++x) {
      float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      float inner = std::clamp(4.5f - std::fabs(d - 180), 0.0f, 1.0f);
      float outer = std::clamp(1.5f - std::fabs(d - 212), 0.0f, 1.0f) * 0.7f;
      rings.at(x, y) = std::max(inner, outer);
    }
  const TextStyle ring = {nullptr, 0, 0, {1.0f, 0.85f, 0.4f}, {1.0f, 0.45f, 0.1f},
                          {1.0f, 0.4f, 0.0f}, 30, 1.2f};
  PaintInk(design, rings, ring, int(cy - 212), int(cy + 212));
  const TextStyle zed = {"DejaVuSans-Bold.ttf", 260, 0, {1.0f, 1.0f, 0.9f}, {1.0f, 0.6f, 0.15f},
                         {1.0f, 0.45f, 0.05f}, 34, 1.1f};
  if (!PaintText(design, zed, "Z", cy + 260 * 0.73f / 2)) return false;
  const TextStyle name = {"DejaVuSans-Bold.ttf", 58, 26, {1.0f, 1.0f, 1.0f}, {1.0f, 0.75f, 0.4f},
                          {0.9f, 0.4f, 0.05f}, 18, 1.0f};
  if (!PaintText(design, name, "ZORBANEL", 630)) return false;
  picture = Store(design);
  return true;
}
