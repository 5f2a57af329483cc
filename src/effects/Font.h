#pragma once
// The bitmap font's layout: a 16 x 16 sheet of glyphs, each drawn as a 16-pixel square and
// followed by the next 10 pixels on.
#include <cstdint>

constexpr int kFontGlyphs = 256;
constexpr int kGlyphSide = 16;
constexpr int kGlyphAdvance = 10;

// The glyph a byte of text selects in a set (0 or 1; above 1 is 1): b - 32 + 128 x set, as a
// signed byte; -1 for one that selects no glyph of the sheet, which draws nothing and does not
// advance.
int32_t FontGlyph(char byte, int32_t set);
