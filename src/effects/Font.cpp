// The bitmap font: one 16 x 16 glyph sheet turned into 256 display lists, each drawing its cell
// as a 16-pixel square and moving on 10 pixels, so a string is one call over its bytes.
#include "effects/Font.h"

#include <cstddef>

#include "platform/GLWindow.h"

namespace {
constexpr int kGlyphs = kFontGlyphs;
constexpr float kCell = 0.0625f;  // one of 16 cells across the sheet, in texture units
}  // namespace

int32_t FontGlyph(char byte, int32_t set) {
  if (set > 1) set = 1;
  const int64_t glyph = static_cast<signed char>(byte) + static_cast<int64_t>(set) * 128 - 32;
  return glyph >= 0 && glyph < kGlyphs ? static_cast<int32_t>(glyph) : -1;
}

void GLWindow::BuildFont() {
  m_fontBase = glGenLists(kGlyphs);
  glBindTexture(GL_TEXTURE_2D, m_fontTexture);
  for (int g = 0; g < kGlyphs; ++g) {
    const float c = static_cast<float>(g % 16) / 16.0f;
    const float r = static_cast<float>(g / 16) / 16.0f;
    glNewList(m_fontBase + g, GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(c, 1.0f - r - kCell);
    glVertex2i(0, 0);
    glTexCoord2f(c + kCell, 1.0f - r - kCell);
    glVertex2i(16, 0);
    glTexCoord2f(c + kCell, 1.0f - r);
    glVertex2i(16, 16);
    glTexCoord2f(c, 1.0f - r);
    glVertex2i(0, 16);
    glEnd();
    glTranslated(10.0, 0.0, 0.0);
    glEndList();
  }
}

void GLWindow::DeleteFont() { glDeleteLists(m_fontBase, kGlyphs); }

void GLWindow::Print(int32_t x, int32_t y, const char* text, int32_t set, float brightness) {
  if (set > 1) set = 1;
  glEnable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, m_fontTexture);
  glDisable(GL_DEPTH_TEST);

  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, GetPictureWidth(), 0.0, GetPictureHeight(), -1.0, 1.0);  // origin lower-left, y up
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glTranslated(x, y, 0.0);

  glListBase(m_fontBase);
  glColor4f(brightness, brightness, brightness, 0.5f);
  glBlendFunc(GL_ONE, GL_ONE);  // text adds to the frame: black cells are transparent
  glDisable(GL_LIGHTING);

  // Bytes that select no glyph of this font are dropped: their list names may belong to someone
  // else's lists. They would have drawn nothing and not advanced, so no position changes.
  GLubyte glyphs[256];
  size_t pending = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    const int32_t glyph = FontGlyph(*p, set);
    if (glyph >= 0) glyphs[pending++] = static_cast<GLubyte>(glyph);
    if (pending == sizeof glyphs || (p[1] == '\0' && pending > 0)) {
      glCallLists(static_cast<GLsizei>(pending), GL_UNSIGNED_BYTE, glyphs);
      pending = 0;
    }
  }

  glDisable(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glEnable(GL_DEPTH_TEST);
}

void GLWindow::PrintOnBand(int32_t y, const char* text) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, GetPictureWidth(), 0.0, GetPictureHeight(), -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
  glRecti(0, y - 2, GetPictureWidth(), y + 18);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  Print(2, y, text, 0, 1.0f);
}
