// The comparison tool: its figures, checked against values worked out by hand, and what it says
// and answers for folders of frames that match, differ, or cannot be compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "PictureDifference.h"
#include "PngPicture.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

namespace {

// A w x h picture of one colour, with `changed` pixels from the top-left moved by delta in red.
RgbPicture Flat(int w, int h, uint8_t value, int changed = 0, int delta = 0) {
  RgbPicture picture{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 3, value)};
  for (int i = 0; i < changed; ++i) picture.rgb[i * 3] = static_cast<uint8_t>(value + delta);
  return picture;
}

void WriteFrame(const TempDir& dir, const std::string& path, const RgbPicture& picture) {
  std::filesystem::create_directories(std::filesystem::path(dir.path + "/" + path).parent_path());
  std::string why;
  ASSERT_TRUE(WritePngFile(dir.path + "/" + path, picture, why)) << path << ": " << why;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

TEST(PictureDifference, FiguresAndTolerance) {
  const double kInf = INFINITY;
  // PSNR when the squares of the differences add up to `squares` over the 300 samples.
  auto psnr = [](double squares) { return 10 * std::log10(255.0 * 255.0 * 300 / squares); };
  struct Case {
    const char* what;
    RgbPicture b;  // against 100 pixels of grey 100
    int levels;
    double psnr;
    double share;
    bool meets;  // at 40 dB and 99.5 % within `levels`
  };
  const Case cases[] = {
      {"identical", Flat(10, 10, 100), 6, kInf, 100, true},
      {"every red off by 1", Flat(10, 10, 100, 100, 1), 0, psnr(100), 0, false},
      {"every red off by 1, within 1", Flat(10, 10, 100, 100, 1), 1, psnr(100), 100, true},
      {"every red off by 155", Flat(10, 10, 100, 100, 155), 255, psnr(100 * 155 * 155), 100,
       false},
      {"one pixel off by 7", Flat(10, 10, 100, 1, 7), 6, psnr(49), 99, false},
      {"one pixel off by 6", Flat(10, 10, 100, 1, 6), 6, psnr(36), 100, true},
      {"one pixel off by -7", Flat(10, 10, 100, 1, -7), 7, psnr(49), 100, true},
  };
  const RgbPicture a = Flat(10, 10, 100);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const PictureDifference d = MeasureDifference(a.rgb.data(), c.b.rgb.data(), 100, c.levels);
    if (std::isinf(c.psnr)) EXPECT_TRUE(std::isinf(d.psnr) && d.psnr > 0);
    else EXPECT_NEAR(d.psnr, c.psnr, 0.01);
    EXPECT_DOUBLE_EQ(d.withinShare, c.share);
    EXPECT_EQ(MeetsTolerance(d, Tolerance{c.levels, 40, 99.5}), c.meets);
  }
}

// Two frames of the same size and name in both folders: 000001 identical, 000002 with 1 % of its
// pixels off by 20 in red (PSNR 46.88 dB, 99 % within 6 levels).
TEST(CompareTool, StatusAndFigures) {
  struct Case {
    const char* what;
    std::string arguments;
    int status;
    std::vector<std::string> said;
  };
  const Case cases[] = {
      {"default tolerance", "a b", 1,
       {"outside the tolerance: 000002.png  PSNR 46.88 dB  99.000 % within 6 levels",
        "2 frames compared, 1 outside", "worst frames (lowest PSNR):\n  000002.png",
        "\n  000001.png  PSNR inf dB  100.000 %"}},
      {"a wider tolerance", "--levels 20 --min-share 99 a b", 0, {"0 outside the tolerance"}},
      {"identical frames asked for", "--min-psnr inf --min-share 0 a b", 1, {"000002.png  PSNR"}},
      {"a frame B lacks", "a c", 2, {"c/000002.png: missing (a has it)"}},
      {"frames of other sizes", "a d", 2, {"d/000001.png: 20x10, but a/000001.png is 10x10"}},
      {"not a PNG", "a e", 2, {"e/000001.png: "}},
      {"an empty folder", "a f", 2, {"f: no PNG frames there"}},
      {"one folder", "a", 2, {"two folders of frames are needed, 1 given", "Usage:"}},
      {"a bad level", "--levels 6.5 a b", 2, {"--levels takes a whole number from 0 to 255"}},
      {"a share above 100", "--min-share 101 a b", 2, {"--min-share takes a per cent"}},
      {"a missing value", "a b --min-psnr", 2, {"--min-psnr needs a value"}},
      {"an unknown option", "--fast a b", 2, {"unknown option --fast"}},
      {"a side-by-side frame that is not there", "--side-by-side 000009 out.png a a", 2,
       {"a/000009.png: "}},
  };
  TempDir dir;
  WriteFrame(dir, "a/000001.png", Flat(10, 10, 100));
  WriteFrame(dir, "a/000002.png", Flat(10, 10, 100));
  WriteFrame(dir, "b/000001.png", Flat(10, 10, 100));
  WriteFrame(dir, "b/000002.png", Flat(10, 10, 100, 1, 20));
  WriteFrame(dir, "c/000001.png", Flat(10, 10, 100));
  WriteFrame(dir, "d/000001.png", Flat(20, 10, 100));
  WriteFrame(dir, "d/000002.png", Flat(10, 10, 100));
  dir.Write("e/000001.png", "not a picture");
  WriteFrame(dir, "e/000002.png", Flat(10, 10, 100));
  dir.Write("f/notes.txt", "no frames here");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ToolRun run = RunTool(dir.path, "compare", c.arguments);
    EXPECT_EQ(run.status, c.status) << run.output;
    // Files are named with the system's separator: on Windows a backslash.
    std::string said = run.output;
    std::replace(said.begin(), said.end(), '\\', '/');
    for (const std::string& part : c.said) EXPECT_TRUE(Has(said, part)) << run.output;
  }
}

// A, B and their difference amplified so that --levels levels are full brightness.
TEST(CompareTool, SideBySidePicture) {
  TempDir dir;
  WriteFrame(dir, "a/000001.png", Flat(4, 2, 100));
  WriteFrame(dir, "b/000001.png", Flat(4, 2, 100, 2, 3));
  const ToolRun run = RunTool(dir.path, "compare", "--levels 3 --side-by-side 000001 out.png a b");
  ASSERT_EQ(run.status, 0) << run.output;
  RgbPicture out;
  std::string why;
  ASSERT_TRUE(ReadPngFile(dir.path + "/out.png", out, why)) << why;
  ASSERT_EQ(out.width, 12);
  ASSERT_EQ(out.height, 2);
  EXPECT_EQ(out.At(0, 0)[0], 100);
  EXPECT_EQ(out.At(4, 0)[0], 103);
  EXPECT_EQ(out.At(8, 0)[0], 255);
  EXPECT_EQ(out.At(8, 0)[1], 0);
  EXPECT_EQ(out.At(10, 0)[0], 0);
}
