#include "TextRender.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "FontFolders.h"
#include "platform/Files.h"

struct TextRender::Handles {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  std::vector<uint8_t> font;  // the face's file, which FreeType reads from as long as it lives
};

TextRender::TextRender() : m_handles(new Handles) {}

TextRender::~TextRender() {
  if (m_handles->face) FT_Done_Face(m_handles->face);
  if (m_handles->library) FT_Done_FreeType(m_handles->library);
  delete m_handles;
}

bool TextRender::Open(const std::string& fileName) {
  if (!m_handles->library && FT_Init_FreeType(&m_handles->library) != 0) {
    printf("Could not start FreeType\n");
    return false;
  }
  if (m_handles->face) {
    FT_Done_Face(m_handles->face);
    m_handles->face = nullptr;
  }
  const std::vector<std::string> folders = FontFolders();
  for (const std::string& folder : folders) {
    const std::string path = folder + fileName;
    if (ExamineFile(path.c_str()).kind != FileKind::regular ||
        !ReadWholeFile(path.c_str(), ReadLimit::kAny, m_handles->font))
      continue;
    if (FT_New_Memory_Face(m_handles->library, m_handles->font.data(),
                           static_cast<FT_Long>(m_handles->font.size()), 0, &m_handles->face) == 0)
      return true;
    m_handles->face = nullptr;
  }
  const std::string first = (folders.empty() ? std::string() : folders.front()) + fileName;
  printf("The font %s is missing: %s\n", first.c_str(), kFontInstall);
  return false;
}

void TextRender::SetSize(int pixelWidth, int pixelHeight) {
  FT_Set_Pixel_Sizes(m_handles->face, FT_UInt(pixelWidth), FT_UInt(pixelHeight));
}

float TextRender::Ascent() const { return m_handles->face->size->metrics.ascender / 64.0f; }

float TextRender::Descent() const { return -m_handles->face->size->metrics.descender / 64.0f; }

namespace {

// Walks the text (bytes as Latin-1 code points), calling visit(slot, penX) for each glyph
// once it is loaded, rendered and placed; returns the final pen position.
template <typename Visit>
float Layout(FT_Face face, const std::string& text, float tracking, bool render, Visit visit) {
  float pen = 0;
  FT_UInt previous = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(text[i]));
    if (previous && index && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern) == 0) pen += kern.x / 64.0f;
    }
    if (FT_Load_Glyph(face, index, render ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) == 0) {
      visit(face->glyph, pen);
      pen += face->glyph->advance.x / 64.0f;
    }
    if (i + 1 < text.size()) pen += tracking;
    previous = index;
  }
  return pen;
}

}  // namespace

float TextRender::Measure(const std::string& text, float tracking) const {
  return Layout(m_handles->face, text, tracking, false, [](FT_GlyphSlot, float) {});
}

void TextRender::Draw(Plane& plane, const std::string& text, float x, float baseline,
                      float tracking) const {
  Layout(m_handles->face, text, tracking, true, [&](FT_GlyphSlot slot, float pen) {
    const FT_Bitmap& bitmap = slot->bitmap;
    int left = int(x + pen + 0.5f) + slot->bitmap_left;
    int top = int(baseline + 0.5f) - slot->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      int y = top + int(row);
      if (y < 0 || y >= plane.height) continue;
      for (unsigned col = 0; col < bitmap.width; ++col) {
        int px = left + int(col);
        if (px < 0 || px >= plane.width) continue;
        float a = bitmap.buffer[row * bitmap.pitch + col] / 255.0f;
        float& v = plane.at(px, y);
        v = std::min(1.0f, v + a);
      }
    }
  });
}

void TextRender::DrawCentred(Plane& plane, const std::string& text, float cx, float baseline,
                             float tracking) const {
  Draw(plane, text, cx - Measure(text, tracking) / 2, baseline, tracking);
}
