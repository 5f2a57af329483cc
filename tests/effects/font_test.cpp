// Text drawn through the font's display lists, read back pixel by pixel. Each glyph cell of the
// test sheet has red equal to its glyph number, so the colour says which glyph landed where.
#include <gtest/gtest.h>

#include "support/GLDraw.h"
#include "support/GLTestWindow.h"

namespace {

class Font : public GLTestWindow {
 protected:
  void SetUp() override {
    GLTestWindow::SetUp();
    if (IsSkipped()) return;
    // Lists made before the font: a byte that maps below the font's first list would reach them.
    decoys = glGenLists(kDecoys);
    for (GLuint i = 0; i < kDecoys; ++i) {
      glNewList(decoys + i, GL_COMPILE);
      glDisable(GL_TEXTURE_2D);
      glBegin(GL_QUADS);
      glVertex2i(-2000, -2000);
      glVertex2i(2000, -2000);
      glVertex2i(2000, 2000);
      glVertex2i(-2000, 2000);
      glEnd();
      glEnable(GL_TEXTURE_2D);
      glEndList();
    }
    window.BuildFont();
    // Glyph g: column g % 16, row g / 16 counted from t = 1 downwards; 16 x 16 texels a cell.
    window.m_fontTexture = MakeTexture(256, 256, [](int x, int y, uint8_t* rgb) {
      const int row = 15 - y / 16;
      rgb[0] = static_cast<uint8_t>(row * 16 + x / 16);
    });
    ClearFrame();
  }
  void TearDown() override {
    window.DeleteFont();
    glDeleteLists(decoys, kDecoys);
    GLTestWindow::TearDown();
  }

  // Red of the pixel at (x, y) counted from the lower-left corner, as Print counts.
  int RedUp(int x, int y) const { return At(x, window.m_height - 1 - y).r; }

  static constexpr GLuint kDecoys = 128;
  GLuint decoys = 0;
};

TEST_F(Font, GlyphsSitSixteenWideTenApartFromTheLowerLeftCorner) {
  window.Print(100, 200, "AB", 0, 1.0f);
  for (int x = 96; x < 130; ++x) {
    int expected = 0;
    if (x >= 100 && x < 116) expected += 33;
    if (x >= 110 && x < 126) expected += 34;
    for (int y : {200, 207, 215}) EXPECT_NEAR(RedUp(x, y), expected, 1) << "x " << x << " y " << y;
    EXPECT_EQ(RedUp(x, 199), 0) << x;
    EXPECT_EQ(RedUp(x, 216), 0) << x;
  }
  // The top line of the window.
  ClearFrame();
  window.Print(0, window.m_height - 16, "!", 0, 1.0f);
  EXPECT_NEAR(RedUp(3, window.m_height - 1), 1, 1);
  EXPECT_NEAR(RedUp(3, window.m_height - 16), 1, 1);
}

TEST_F(Font, SetsAndHighBytesSelectGlyphsOrNothing) {
  ASSERT_EQ(window.m_fontBase, decoys + kDecoys) << "the decoy lists must sit right below the font";
  // The decoys really draw: calling one lights the window, in the state Print draws in.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glColor3f(1.0f, 1.0f, 1.0f);
  glCallList(decoys + 5);
  ASSERT_GT(Count([](const Pixel& p) { return p.r > 0; }), 400000);

  struct Case {
    const char* text;
    int set;
    int glyph;  // -1: nothing at all may be drawn
  };
  const Case cases[] = {
      {"A", 1, 161},      {"A", 5, 161},      {"\xA1", 1, 1},  {"\xFF", 1, 95},
      {"A", -1, -1},      {"\xC1", 0, -1},    {"A", -7, -1},   {"", 0, -1},
      {"A", -2147483647, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "byte " << int(static_cast<unsigned char>(c.text[0]))
                                    << " set " << c.set);
    ClearFrame();
    window.Print(300, 300, c.text, c.set, 1.0f);
    const int lit = Count([](const Pixel& p) { return p.r > 0 || p.g > 0 || p.b > 0; });
    if (c.glyph < 0) {
      EXPECT_EQ(lit, 0);
    } else {
      EXPECT_EQ(lit, 16 * 16);
      EXPECT_NEAR(RedUp(305, 305), c.glyph, 1);
    }
  }
}

TEST_F(Font, PrintLeavesTheMatricesAndBrightnessScales) {
  window.Begin2D();
  glTranslatef(7.0f, 9.0f, 0.0f);
  GLfloat projection[16], modelview[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  window.Print(0, 0, "Hola", 0, 0.5f);
  GLfloat projectionAfter[16], modelviewAfter[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelviewAfter);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(projection[i], projectionAfter[i]) << i;
    EXPECT_EQ(modelview[i], modelviewAfter[i]) << i;
  }
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  // Half brightness: 'H' (glyph 40) adds half its red, at the lower-left corner whatever 2D held.
  EXPECT_NEAR(RedUp(3, 3), 20, 1);
}

}  // namespace
