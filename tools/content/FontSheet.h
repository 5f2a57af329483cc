// "textures\font.jpg": the player's bitmap font. 16 x 16 cells of 16 x 16 pixels; glyph g sits in
// column g % 16, row g / 16 counted from the top of the upright sheet. Character codes 32..126
// are glyphs 0..94 of the first style (rows 0-5) and glyphs 128..222 of the second style
// (rows 8-13). The player's loader puts the file's first row at the bottom of the texture, so the
// sheet is stored upside down: the picture returned here is already flipped, ready to encode.
#pragma once

#include "Images.h"

constexpr int kFontCell = 16;
constexpr int kFontSheetSize = 16 * kFontCell;

// Paints the sheet. Style 0: DejaVu Sans Mono Bold, white fading to ice blue with a faint blue
// halo. Style 1: DejaVu Sans Mono Bold Oblique, gold fading to orange with a warm halo.
// Returns false (after a message) when a font file is missing.
bool PaintFontSheet(Picture& sheet);
