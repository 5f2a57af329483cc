// 2D layers over a frame, read back: rectangle, orientation, screen blend and jitter.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include <jpeglib.h>

#include "support/GLDraw.h"
#include "effects/LayerSlot.h"
#include "platform/TextureCache.h"
#include "platform/Random.h"
#include "platform/TextureLoader.h"
#include "support/GLTestWindow.h"
#include "support/TempDir.h"
#include "support/TestJpeg.h"

namespace {

class Layers : public GLTestWindow {
 protected:
  void SetUp() override {
    GLTestWindow::SetUp();
    if (IsSkipped()) return;
    white = MakeWhiteTexture();
    ClearFrame();
    window.Begin2D();
  }

  LayerSlot Layer(uint32_t texture, float x0, float y0, float x1, float y1, float alpha = 1.0f) {
    LayerSlot layer;
    layer.texture = texture;
    layer.x0 = x0;
    layer.y0 = y0;
    layer.x1 = x1;
    layer.y1 = y1;
    layer.alpha = alpha;
    return layer;
  }

  // Top-left corner of the lit pixels, or INT_MAX when nothing is lit.
  std::pair<int, int> LitCorner() const {
    const std::vector<Pixel> all = ReadAll();
    int left = INT_MAX, top = INT_MAX;
    for (int y = 0; y < window.m_height; ++y)
      for (int x = 0; x < window.m_width; ++x)
        if (all[static_cast<size_t>(y) * window.m_width + x].r > 0) {
          left = std::min(left, x);
          top = std::min(top, y);
        }
    return {left, top};
  }

  uint32_t white = 0;
};

const GLTestWindow::Pixel kBlack{0, 0, 0};
const GLTestWindow::Pixel kWhite{255, 255, 255};

TEST_F(Layers, MovedAndResizedLayerCoversItsNewRectangle) {
  // A whole-window layer moved by (10, -20) and resized to 400 x 300.
  LayerSlot layer = Layer(white, 10.0f, -20.0f, 410.0f, 280.0f);
  layer.Draw();
  EXPECT_EQ(Count([](const Pixel& p) { return p.r == 255; }), 400 * 280);
  EXPECT_EQ(At(10, 0), kWhite);
  EXPECT_EQ(At(409, 279), kWhite);
  EXPECT_EQ(At(9, 100), kBlack);
  EXPECT_EQ(At(410, 100), kBlack);
  EXPECT_EQ(At(100, 280), kBlack);
}

TEST_F(Layers, LayerAndTextKeepTheirPlaceInThePictureAtAnyWindowSize) {
  struct Case {
    int w, h;            // window
    int x, y, pw, ph;    // where the 800 x 600 picture lands, y counted from the top
  };
  for (const Case& c : {Case{400, 300, 0, 0, 400, 300}, Case{1000, 700, 33, 0, 933, 700},
                        Case{640, 800, 0, 160, 640, 480}}) {
    SCOPED_TRACE(c.w);
    ASSERT_TRUE(Open(c.w, c.h));
    window.m_pictureWidth = 800;  // a window resized after it opened at the picture's size
    window.m_pictureHeight = 600;
    window.Resize(-1, -1);
    white = MakeWhiteTexture();
    ClearFrame();
    window.Begin2D();
    Layer(white, 0.0f, 0.0f, 400.0f, 300.0f).Draw();  // the picture's top-left quarter
    EXPECT_EQ(At(c.x + 2, c.y + 2), kWhite);
    EXPECT_EQ(At(c.x + c.pw / 2 - 2, c.y + c.ph / 2 - 2), kWhite);
    EXPECT_EQ(At(c.x + c.pw / 2 + 2, c.y + 2), kBlack);
    EXPECT_EQ(At(c.x + 2, c.y + c.ph / 2 + 2), kBlack);
    EXPECT_EQ(At(std::max(c.x - 1, 0), c.y + 2), c.x > 0 ? kBlack : kWhite);  // a bar, if any
    EXPECT_EQ(At(c.x + 2, std::max(c.y - 1, 0)), c.y > 0 ? kBlack : kWhite);
    window.End2D();

    // A glyph of a white sheet is a square 64 to 80 picture pixels up and right of the picture's
    // lower-left corner.
    ClearFrame();
    window.BuildFont();
    window.m_fontTexture = white;
    window.Print(64, 64, "A", 0, 1.0f);
    const auto up = [&](int px, int py) {  // picture units from its lower-left corner
      return At(c.x + px * c.pw / 800, c.y + c.ph - 1 - py * c.ph / 600);
    };
    EXPECT_EQ(up(72, 72), kWhite);
    EXPECT_EQ(up(56, 72), kBlack);
    EXPECT_EQ(up(72, 88), kBlack);
    window.DeleteFont();
  }
}

TEST_F(Layers, FirstImageRowIsAtTheTopEdge) {
  const uint32_t bands = MakeTexture(2, 2, [](int, int y, uint8_t* rgb) {
    rgb[y == 0 ? 0 : 1] = 255;  // row 0 red, row 1 green
  });
  LayerSlot layer = Layer(bands, 0.0f, 0.0f, 800.0f, 600.0f);
  layer.Draw();
  EXPECT_EQ(At(400, 100), (Pixel{255, 0, 0}));
  EXPECT_EQ(At(400, 500), (Pixel{0, 255, 0}));
}

TEST_F(Layers, OpacityZeroKeepsTheFrameAndOneScreensTheImageOverIt) {
  // Left quarter black, second quarter mid grey, right half white.
  const uint32_t image = MakeTexture(4, 1, [](int x, int, uint8_t* rgb) {
    rgb[0] = rgb[1] = rgb[2] = x == 0 ? 0 : x == 1 ? 128 : 255;
  });
  for (float alpha : {0.0f, 1.0f}) {
    SCOPED_TRACE(alpha);
    ClearFrame();
    Paint(window, 0.5f, 0.5f, 0.5f);
    window.Begin2D();
    LayerSlot layer = Layer(image, 0.0f, 0.0f, 800.0f, 600.0f, alpha);
    layer.Draw();
    const int grey = At(300, 300).r;
    EXPECT_NEAR(At(100, 300).r, 128, 1);  // black leaves the frame
    if (alpha == 0.0f) {
      EXPECT_NEAR(grey, 128, 1);
      EXPECT_NEAR(At(700, 300).r, 128, 1);
    } else {
      EXPECT_NEAR(grey, 191, 2);  // 0.5 + 0.5 x (1 - 0.5)
      EXPECT_EQ(At(700, 300), kWhite);
    }
  }
}

TEST_F(Layers, JitterStaysInRangeAndCarriesOverToLaterLayers) {
  SeedRandom(99);
  int low = INT_MAX, high = INT_MIN;
  bool moved = false;
  for (int frame = 0; frame < 150; ++frame) {
    ClearFrame();
    window.Begin2D();  // a new frame starts without the last frame's jitter
    // An invisible jittering layer, then a still one that is shaken along with it.
    LayerSlot shaking = Layer(white, 0.0f, 0.0f, 800.0f, 600.0f, 0.0f);
    shaking.shakeAmount = 10.0f;
    shaking.Draw();
    LayerSlot still = Layer(white, 100.0f, 100.0f, 110.0f, 110.0f);
    still.Draw();
    const auto corner = LitCorner();
    ASSERT_NE(corner.first, INT_MAX);
    for (int offset : {corner.first - 100, corner.second - 100}) {
      low = std::min(low, offset);
      high = std::max(high, offset);
      moved |= offset != 0;
    }
  }
  EXPECT_EQ(low, -5);
  EXPECT_EQ(high, 4);
  EXPECT_TRUE(moved);
}

TEST_F(Layers, JitterBelowOnePixelLeavesTheLayerStill) {
  for (float shake : {0.5f, 0.999f, -3.0f}) {
    SCOPED_TRACE(shake);
    for (int frame = 0; frame < 5; ++frame) {
      ClearFrame();
      window.Begin2D();
      LayerSlot layer = Layer(white, 100.0f, 100.0f, 110.0f, 110.0f);
      layer.shakeAmount = shake;
      layer.Draw();
      EXPECT_EQ(LitCorner(), std::make_pair(100, 100));
    }
  }
}

// A picture that is black but for a few patches is drawn only round them; the frame must come
// out exactly as with the quad drawn whole: moved, shrunk (mipmaps), mirrored and shaken, with a
// patch on the edge that the picture's repeat carries to the opposite edge, and stretched over
// billions of pixels, where a band of lit tiles runs the picture's whole width.
TEST_F(Layers, MostlyBlackPictureLeavesTheFrameItLeavesDrawnWhole) {
  TempDir dir;
  WriteFileBytes("patches.jpg", EncodeJpeg(512, 256, JCS_RGB, [](int x, int y, uint8_t* out) {
    const bool lit = (x < 6 && y > 100 && y < 120) || (x > 240 && x < 280 && y > 140 && y < 170);
    for (int c = 0; c < 3; ++c)
      out[c] = lit ? static_cast<uint8_t>(80 + (x + y + 50 * c) % 170) : 0;
  }));
  WriteFileBytes("band.jpg", EncodeJpeg(512, 256, JCS_RGB, [](int, int y, uint8_t* out) {
    for (int c = 0; c < 3; ++c) out[c] = y > 100 && y < 120 ? 200 : 0;
  }));
  struct Case {
    const char* picture;
    float x0, y0, x1, y1, shake;
    bool shows = true;  // false: the lit parts fall outside the window
  };
  for (const Case& c : {Case{"patches.jpg", 0, 0, 800, 600, 0}, Case{"patches.jpg", 100, 50, 240, 120, 0},
                        Case{"patches.jpg", 700, 500, 100, 100, 0}, Case{"patches.jpg", -30, 10, 790, 610, 7},
                        Case{"patches.jpg", 300, 300, 332, 316, 0},
                        Case{"band.jpg", 2e9f, 0, -2e9f, 600, 0, false}}) {
    SCOPED_TRACE(c.x0);
    const uint32_t covered = AcquireTexture(c.picture, false);
    const TextureCoverage* coverage = CoverageOfTexture(covered);
    ASSERT_NE(coverage, nullptr);
    ASSERT_LT(coverage->markedCount * 2, coverage->columns * coverage->rows);
    const uint32_t whole = TextureLoader::Upload(c.picture, PrepareTexture(c.picture), false);
    std::vector<Pixel> frames[2];
    for (int drawn = 0; drawn < 2; ++drawn) {
      Paint(window, 0.3f, 0.3f, 0.3f);
      window.Begin2D();
      SeedRandom(5);
      LayerSlot layer = Layer(drawn ? whole : covered, c.x0, c.y0, c.x1, c.y1, 0.8f);
      layer.shakeAmount = c.shake;
      layer.Draw();
      frames[drawn] = ReadAll();
    }
    EXPECT_TRUE(frames[0] == frames[1]);
    const Pixel grey = frames[1][0];  // a corner the patches do not reach
    if (c.shows) {
      EXPECT_GT(Count([&](const Pixel& p) { return !(p == grey); }), 10);
    }
  }
}

// An enlarged picture (a noise mask over the window) is drawn with the plain linear filter: the
// frame is the one a mipmapped filter that is left alone gives, and the texture, which scenes may
// share, keeps its trilinear filter.
TEST_F(Layers, EnlargedPictureDrawsAsMipmappedAndKeepsItsFilter) {
  TempDir dir;
  WriteFileBytes("noise.jpg", EncodeJpeg(256, 256, JCS_RGB, [](int x, int y, uint8_t* out) {
    for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>((x * 37 + y * 91 + c * 53) % 251);
  }));
  std::vector<Pixel> frames[2];
  for (int drawn = 0; drawn < 2; ++drawn) {
    const uint32_t texture = TextureLoader::Upload("noise.jpg", PrepareTexture("noise.jpg"), false);
    if (drawn) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    Paint(window, 0.3f, 0.3f, 0.3f);
    window.Begin2D();
    Layer(texture, -10, 5, 790, 600, 0.7f).Draw();
    frames[drawn] = ReadAll();
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, drawn ? GL_LINEAR_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR);
  }
  EXPECT_TRUE(frames[0] == frames[1]);
}

}  // namespace
