// The font sheet drawn by the player's own font code: text must come out upright and readable.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "FontSheet.h"
#include "JpegWriter.h"
#include "platform/TextureLoader.h"
#include "support/GLTestWindow.h"
#include "support/TempDir.h"

namespace {

class FontOnScreen : public GLTestWindow {
 protected:
  void SetUp() override {
    GLTestWindow::SetUp();
    if (IsSkipped()) return;
    Picture sheet;
    ASSERT_TRUE(PaintFontSheet(sheet));
    ASSERT_TRUE(WriteJpeg(dir.path + "/font.jpg", sheet, 95));
    window.BuildFont();
    window.m_fontTexture = TextureLoader::LoadTexture((dir.path + "/font.jpg").c_str(), false);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  void TearDown() override {
    window.DeleteFont();
    GLTestWindow::TearDown();
  }

  // Lit pixels in one screen row (counted from the top of the window) across x0 .. x0 + 15.
  int LitInRow(int x0, int row) const {
    int lit = 0;
    for (int x = x0; x < x0 + 16; ++x) {
      Pixel p = At(x, row);
      lit += std::max({p.r, p.g, p.b}) > 128;
    }
    return lit;
  }

  TempDir dir;
};

TEST_F(FontOnScreen, LettersStandUprightInBothSets) {
  // Print puts the glyph's lower-left corner at (x, y) counted from the window's bottom, so the
  // 16-pixel cell covers window rows height - y - 16 .. height - y - 1 from the top.
  const int y = 300, top = window.m_height - y - 16;
  window.Print(100, y, "T", 0, 1.0f);
  window.Print(200, y, "T", 1, 1.0f);
  window.Print(300, y, "_", 0, 1.0f);
  for (int x0 : {100, 200}) {
    int barRow = 0, stemRow = 0;
    for (int r = 0; r < 8; ++r) barRow = std::max(barRow, LitInRow(x0, top + r));
    for (int r = 8; r < 16; ++r) stemRow = std::max(stemRow, LitInRow(x0, top + r));
    EXPECT_GE(barRow, 6) << "T at " << x0 << " has no bar at the top";
    EXPECT_LE(stemRow, 4) << "T at " << x0 << " is wide at the bottom";
  }
  int upper = 0, lower = 0;
  for (int r = 0; r < 8; ++r) upper += LitInRow(300, top + r);
  for (int r = 8; r < 16; ++r) lower += LitInRow(300, top + r);
  EXPECT_EQ(upper, 0);
  EXPECT_GT(lower, 4);
  // Set 0 is white-blue, set 1 gold: compare the brightest pixel of each T.
  Pixel cool{0, 0, 0}, warm{0, 0, 0};
  for (int r = 0; r < 16; ++r)
    for (int x = 0; x < 16; ++x) {
      Pixel a = At(100 + x, top + r), b = At(200 + x, top + r);
      if (a.r + a.g + a.b > cool.r + cool.g + cool.b) cool = a;
      if (b.r + b.g + b.b > warm.r + warm.g + warm.b) warm = b;
    }
  EXPECT_GE(cool.b, cool.r);
  EXPECT_GT(warm.r, warm.b + 100);
}

}  // namespace
