// The production's images as the player will load them: decoded by its own JPEG decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "FontSheet.h"
#include "JpegWriter.h"
#include "Masks.h"
#include "SceneMaps.h"
#include "TextRender.h"
#include "Textures.h"
#include "driver/ContentManifest.h"
#include "platform/TextureLoader.h"
#include "support/TempDir.h"

namespace {

// Written once for the suite; every test reads the decoded files.
class TextureFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new TempDir;
    written = WriteTextures(dir->path);
  }
  static void TearDownTestSuite() {
    delete dir;
    dir = nullptr;
  }

  static DecodedImage Load(const std::string& name) {
    DecodedImage image;
    std::string error;
    std::string path = dir->path + "/" + name;
    EXPECT_TRUE(DecodeJpegFile(path.c_str(), image, error)) << name << ": " << error;
    return image;
  }

  static int Brightest(const DecodedImage& image, int x, int y) {
    const uint8_t* p = &image.pixels[size_t(y) * image.rowBytes + size_t(x) * 3];
    return std::max({p[0], p[1], p[2]});
  }

  static TempDir* dir;
  static bool written;
};

TempDir* TextureFiles::dir = nullptr;
bool TextureFiles::written = false;

bool PowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// The layer images of the bundled manifest that are masks of a noise set.
bool IsNoiseMask(const ContentManifest& m, size_t layer) {
  for (int32_t first : m.noiseSetFirstLayer)
    if (first >= 0 && layer >= static_cast<size_t>(first) && layer < static_cast<size_t>(first + kNoiseSetLayers))
      return true;
  return false;
}

// One test, so the whole set is painted once per test process.
TEST_F(TextureFiles, WrittenImagesLoadAsTheProductionNeeds) {
  ASSERT_TRUE(written);
  {
    SCOPED_TRACE("every image the player loads is a power-of-two RGB JPEG");
    std::vector<std::string> names;
    for (const ManifestLayer& layer : DefaultManifest().layers) names.push_back(layer.path);
    names.push_back(DefaultManifest().font.path);
    names.insert(names.end(), std::begin(kSceneMaps), std::end(kSceneMaps));
    names.insert(names.end(), std::begin(kParticleTextures), std::end(kParticleTextures));
    names.push_back(kFlareTexture);
    for (const std::string& name : names) {
      DecodedImage image = Load(name);
      EXPECT_TRUE(PowerOfTwo(image.width) && PowerOfTwo(image.height))
          << name << " is " << image.width << " x " << image.height;
      EXPECT_EQ(image.rowBytes, image.width * 3) << name;
    }
    for (const char* map : kSceneMaps) {
      DecodedImage image = Load(map);
      EXPECT_EQ(image.width, 256) << map;
      EXPECT_EQ(image.height, 256) << map;
    }
  }
  {
    // Layers are screened over the frame: a lit border would show as a frame around the
    // window, and a lit sprite edge as a square around each particle.
    SCOPED_TRACE("layers and sprites are drawn on black");
    // Every layer but the white card (the first) and the noise masks.
    const ContentManifest& manifest = DefaultManifest();
    std::vector<std::string> names = {kFlareTexture};
    for (size_t i = 1; i < manifest.layers.size(); ++i)
      if (!IsNoiseMask(manifest, i)) names.push_back(manifest.layers[i].path);
    names.insert(names.end(), std::begin(kParticleTextures), std::end(kParticleTextures));
    for (const std::string& name : names) {
      DecodedImage image = Load(name);
      int lit = 0, borderMax = 0;
      for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
          int v = Brightest(image, x, y);
          if (v > 128) ++lit;
          if (x == 0 || y == 0 || x == image.width - 1 || y == image.height - 1)
            borderMax = std::max(borderMax, v);
        }
      EXPECT_LE(borderMax, 8) << name << " has a lit edge";
      EXPECT_GT(lit, 20) << name << " shows nothing";
    }
    DecodedImage blank = Load(manifest.layers[0].path);
    EXPECT_GE(blank.pixels[0], 250);
  }
  {
    // The noise overlay flips through four masks per set: identical frames would not move.
    SCOPED_TRACE("noise masks differ within each set and are sparse");
    for (int set = 0; set < 2; ++set) {
      std::vector<DecodedImage> frames;
      for (int k = 1; k <= 4; ++k) {
        char name[32];
        snprintf(name, sizeof name, "textures\\mask_%02d.jpg", set * 4 + k);
        frames.push_back(Load(name));
      }
      for (size_t a = 0; a < frames.size(); ++a) {
        double mean = 0;
        for (uint8_t v : frames[a].pixels) mean += v;
        mean /= double(frames[a].pixels.size());
        EXPECT_GT(mean, 2.0) << "mask " << set * 4 + a + 1 << " is empty";
        EXPECT_LT(mean, 90.0) << "mask " << set * 4 + a + 1 << " would wash the frame out";
        for (size_t b = a + 1; b < frames.size(); ++b) EXPECT_NE(frames[a].pixels, frames[b].pixels);
      }
    }
  }
}

// Cell of glyph g as the font's display lists sample it: s from c/16, t from 1 - r - 1/16 to
// 1 - r, texture row t = 0 being the file's first row. screenRow 0 is the glyph's top on screen.
// channel -1 gives the brightest of the three.
int FontTexel(const DecodedImage& sheet, int glyph, int screenRow, int column, int channel = -1) {
  int r = glyph / 16, c = glyph % 16;
  int y = sheet.height - 1 - r * 16 - screenRow;
  int x = c * 16 + column;
  const uint8_t* p = &sheet.pixels[size_t(y) * sheet.rowBytes + size_t(x) * 3];
  return channel < 0 ? std::max({p[0], p[1], p[2]}) : p[channel];
}

int LitInRow(const DecodedImage& sheet, int glyph, int screenRow) {
  int lit = 0;
  for (int x = 0; x < 16; ++x) lit += FontTexel(sheet, glyph, screenRow, x) > 128;
  return lit;
}

int CellMax(const DecodedImage& sheet, int glyph) {
  int most = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) most = std::max(most, FontTexel(sheet, glyph, y, x));
  return most;
}

// The font sheet as the player decodes it, painted and encoded in memory.
DecodedImage FontSheetAsLoaded() {
  Picture picture;
  std::vector<uint8_t> bytes;
  std::string error;
  DecodedImage sheet;
  EXPECT_TRUE(PaintFontSheet(picture));
  EXPECT_TRUE(EncodeJpeg(picture, 95, bytes, error)) << error;
  EXPECT_TRUE(DecodeJpegMemory(bytes.data(), bytes.size(), sheet, error)) << error;
  return sheet;
}

TEST(FontSheet, HoldsBothSetsWhereTheFontCodeLooks) {
  DecodedImage sheet = FontSheetAsLoaded();
  ASSERT_EQ(sheet.width, 256);
  ASSERT_EQ(sheet.height, 256);
  // Printable codes 33..126: glyph code - 32 in set 0, code - 32 + 128 in set 1.
  for (int set = 0; set < 2; ++set)
    for (int code = 33; code <= 126; ++code)
      EXPECT_GT(CellMax(sheet, code - 32 + 128 * set), 160) << "set " << set << " code " << code;
  // Space, and the cells no string can select, stay black (they are added to the frame).
  for (int glyph : {0, 128, 95, 223})
    EXPECT_LT(CellMax(sheet, glyph), 24) << "glyph " << glyph;
  for (int glyph = 96; glyph < 128; ++glyph) EXPECT_LT(CellMax(sheet, glyph), 24) << "glyph " << glyph;
  for (int glyph = 224; glyph < 256; ++glyph) EXPECT_LT(CellMax(sheet, glyph), 24) << "glyph " << glyph;
}

TEST(FontSheet, GlyphsStandUprightOnScreen) {
  DecodedImage sheet = FontSheetAsLoaded();
  ASSERT_EQ(sheet.width, 256);
  ASSERT_EQ(sheet.height, 256);
  for (int set = 0; set < 2; ++set) {
    int tee = 'T' - 32 + 128 * set, underscore = '_' - 32 + 128 * set;
    int widestTop = 0, widestBottom = 0;
    for (int row = 0; row < 8; ++row) widestTop = std::max(widestTop, LitInRow(sheet, tee, row));
    for (int row = 8; row < 16; ++row) widestBottom = std::max(widestBottom, LitInRow(sheet, tee, row));
    EXPECT_GE(widestTop, 6) << "set " << set << ": the bar of T is not at the top";
    EXPECT_LE(widestBottom, 4) << "set " << set << ": T is wide at the bottom";
    int inkTop = 0, inkBottom = 0;
    for (int row = 0; row < 8; ++row) inkTop += LitInRow(sheet, underscore, row);
    for (int row = 8; row < 16; ++row) inkBottom += LitInRow(sheet, underscore, row);
    EXPECT_EQ(inkTop, 0) << "set " << set;
    EXPECT_GT(inkBottom, 4) << "set " << set << ": _ is not on the baseline";
  }
  // The second set is a style of its own (another colour), not a copy of the first.
  long differ = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      for (int c = 0; c < 3; ++c)
        differ += std::abs(FontTexel(sheet, 'A' - 32, y, x, c) - FontTexel(sheet, 'A' - 32 + 128, y, x, c));
  EXPECT_GT(differ, 16 * 255);
}

// Scene maps repeat across the models: the seam between the last and first column (and row)
// must look like any other neighbouring pair.
TEST(SceneMaps, RepeatWithoutSeams) {
  int index = 0;
  for (Picture (*paint)() : {PaintMarble, PaintWater, PaintMetal, PaintGlass, PaintStone, PaintCircuit,
                             PaintLava}) {
    SCOPED_TRACE("map " + std::to_string(index++));
    Picture map = paint();
    auto columnStep = [&](int a, int b) {
      double sum = 0;
      for (int y = 0; y < map.height; ++y)
        for (int c = 0; c < 3; ++c) sum += std::fabs(map.px(a, y)[c] - map.px(b, y)[c]);
      return sum / map.height;
    };
    auto rowStep = [&](int a, int b) {
      double sum = 0;
      for (int x = 0; x < map.width; ++x)
        for (int c = 0; c < 3; ++c) sum += std::fabs(map.px(x, a)[c] - map.px(x, b)[c]);
      return sum / map.width;
    };
    double inside = 0;
    for (int i = 0; i + 1 < map.width; ++i) inside += columnStep(i, i + 1) + rowStep(i, i + 1);
    inside /= 2.0 * (map.width - 1);
    EXPECT_LT(columnStep(map.width - 1, 0), inside * 3 + 0.01);
    EXPECT_LT(rowStep(map.height - 1, 0), inside * 3 + 0.01);
  }
}

TEST(JpegWriter, SameBytesEveryRunAndColoursSurviveTheRoundTrip) {
  std::vector<uint8_t> first, second;
  std::string error;
  ASSERT_TRUE(EncodeJpeg(PaintNoiseMask(6), 90, first, error)) << error;
  ASSERT_TRUE(EncodeJpeg(PaintNoiseMask(6), 90, second, error)) << error;
  EXPECT_EQ(first, second);

  // Left half red, right half blue, top rows green: channel order and orientation.
  Picture picture(64, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x)
      picture.Set(x, y, y < 8 ? Color{0, 1, 0} : (x < 32 ? Color{1, 0, 0} : Color{0, 0, 1}));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeJpeg(picture, 90, bytes, error)) << error;
  DecodedImage image;
  ASSERT_TRUE(DecodeJpegMemory(bytes.data(), bytes.size(), image, error)) << error;
  ASSERT_EQ(image.width, 64);
  ASSERT_EQ(image.height, 32);
  auto at = [&](int x, int y, int c) { return int(image.pixels[size_t(y) * image.rowBytes + x * 3 + c]); };
  EXPECT_GT(at(10, 2, 1), 200);
  EXPECT_LT(at(10, 2, 0), 50);
  EXPECT_GT(at(10, 20, 0), 200);
  EXPECT_LT(at(10, 20, 2), 50);
  EXPECT_GT(at(50, 20, 2), 200);
  EXPECT_LT(at(50, 20, 0), 50);
}

TEST(JpegWriter, UnwritablePathFailsWithoutThrowingAway) {
  TempDir dir;
  EXPECT_FALSE(WriteJpeg(dir.path + "/no/such/folder/x.jpg", Picture(8, 8), 90));
}

TEST(TextRender, MissingFontIsReportedNotFatal) {
  TextRender text;
  EXPECT_FALSE(text.Open("NoSuchFace-Bold.ttf"));
  ASSERT_TRUE(text.Open("DejaVuSans-Bold.ttf"));
  text.SetSize(32, 32);
  // Text partly off the plane is clipped, never written outside it.
  Plane plane(40, 20);
  text.Draw(plane, "Wide text", -15, 30);
  float ink = 0;
  for (float v : plane.v) ink += v;
  EXPECT_GT(ink, 1.0f);
}

}  // namespace
