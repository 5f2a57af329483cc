#include "FontSheet.h"

#include <string>

#include "TextRender.h"

namespace {

struct GlyphStyle {
  const char* fontFile;
  int firstGlyph;  // the cell of character code 32
  Color top, bottom, halo;
};

// The player advances 10 pixels per glyph and draws each 16-pixel cell additively, so the ink
// keeps to a column about ten pixels wide in the middle of the cell and a one-pixel black frame
// keeps mipmapped neighbours from bleeding in.
constexpr int kPixelSize = 13;
constexpr int kBaseline = 12;
constexpr int kFrame = 1;

bool PaintStyle(Picture& sheet, const GlyphStyle& style) {
  TextRender text;
  if (!text.Open(style.fontFile)) return false;
  text.SetSize(kPixelSize, kPixelSize);
  for (int code = 33; code <= 126; ++code) {
    int glyph = style.firstGlyph + code - 32;
    Plane ink(kFontCell, kFontCell);
    std::string letter(1, char(code));
    text.DrawCentred(ink, letter, kFontCell / 2.0f, kBaseline);
    for (int y = 0; y < kFontCell; ++y)
      for (int x = 0; x < kFontCell; ++x)
        if (x < kFrame || y < kFrame || x >= kFontCell - kFrame || y >= kFontCell - kFrame)
          ink.at(x, y) = 0;
    Plane halo = ink;
    Blur(halo, 1.6f, 1.6f);
    Picture cell(kFontCell, kFontCell);
    AddTinted(cell, halo, style.halo, 0.9f);
    PaintGradient(cell, ink, style.top, style.bottom, 2, 14);
    int left = (glyph % 16) * kFontCell, top = (glyph / 16) * kFontCell;
    for (int y = kFrame; y < kFontCell - kFrame; ++y)
      for (int x = kFrame; x < kFontCell - kFrame; ++x) {
        const float* p = cell.px(x, y);
        sheet.Set(left + x, top + y, {p[0], p[1], p[2]});
      }
  }
  return true;
}

}  // namespace

bool PaintFontSheet(Picture& sheet) {
  sheet = Picture(kFontSheetSize, kFontSheetSize);
  const GlyphStyle styles[] = {
      {"DejaVuSansMono-Bold.ttf", 0, {1.0f, 1.0f, 1.0f}, {0.62f, 0.82f, 1.0f}, {0.15f, 0.35f, 0.9f}},
      {"DejaVuSansMono-BoldOblique.ttf", 128, {1.0f, 0.92f, 0.45f}, {1.0f, 0.45f, 0.1f},
       {0.8f, 0.25f, 0.0f}},
  };
  for (const GlyphStyle& style : styles)
    if (!PaintStyle(sheet, style)) return false;
  FlipVertical(sheet);
  return true;
}
