#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CaptureOptions.h"

// The command line's edges: numbers out of range, huge, negative or with trailing text, parts
// that are not K/N within bounds, outputs that cannot be videos, and what --join takes.
TEST(CaptureOptions, TakesOnlyWhatItCanDo) {
  using Args = std::vector<const char*>;
  const Args run[] = {{}, {"--fps", "240", "--to", "86400", "--part", "1000/1000"},
                      {"--part", "1/2", "--frames", "dir"}, {"-o", "a.MP4"},
                      {"--join", "out.mp4", "a.mp4", "--fps"}};
  const Args bad[] = {
      {"--fps", "-1"}, {"--fps", "0"}, {"--fps", "241"}, {"--fps", "99999999999999999999"},
      {"--fps", ""}, {"--fps", "3.5"}, {"--fps", "30x"}, {"--from", "-0.5"}, {"--from", "86401"},
      {"--from", "1e999"}, {"--to", "inf"}, {"--to", "nan"}, {"--from", "3", "--to", "3"},
      {"--part", "0/3"}, {"--part", "-1/3"}, {"--part", "1/0"}, {"--part", "4/3"},
      {"--part", "2/1001"}, {"--part", "/3"}, {"--part", "1/"}, {"--part", "3"},
      {"--part", "1/3/4"}, {"--part", "1 /3"}, {"--part", "4294967297/4294967298"},
      {"--preset", "bogus"}, {"--preset", "fast", "--frames", "x"}, {"--bogus"}, {"--frames"},
      {"a.mp4", "b.mp4"}, {"--frames", "out", "video.mp4"}, {"video.webm"}, {"-o", ".mp4"},
      {"-o", ""}, {"-C", ""}, {"--join", "out.mp4"}, {"--join", "out.gif", "a.mp4"},
      {"--fps", "10", "--join", "out.mp4", "a.mp4"}, {"--renderer", "vulkan"}, {"--renderer"}};
  const auto parse = [](const Args& args, std::string& error) {
    CaptureOptions options;
    const ParseResult result =
        ParseCaptureOptions(static_cast<int>(args.size()), args.data(), options, error);
    EXPECT_TRUE(options.parts == 0 || (options.part >= 1 && options.part <= options.parts));
    return result;
  };
  for (const Args& args : run) {
    std::string error;
    EXPECT_EQ(parse(args, error), ParseResult::Run) << (args.empty() ? "" : args[0]) << error;
  }
  for (const Args& args : bad) {
    std::string error;
    EXPECT_EQ(parse(args, error), ParseResult::Bad)
        << args[0] << " " << (args.size() > 1 ? args[1] : "");
    EXPECT_FALSE(error.empty()) << args[0];
  }
  std::string error;
  EXPECT_EQ(parse({"--join", "out.mp4", "a.mp4", "--help"}, error), ParseResult::Help);

  // Shaders unless the reference frames are asked for.
  for (const auto& [args, renderer] : {std::pair<Args, RendererKind>{{}, RendererKind::Gl3},
                                       {{"--renderer", "classic"}, RendererKind::Classic},
                                       {{"--renderer", "gl3"}, RendererKind::Gl3}}) {
    CaptureOptions options;
    ASSERT_EQ(ParseCaptureOptions(static_cast<int>(args.size()), args.data(), options, error),
              ParseResult::Run);
    EXPECT_EQ(options.renderer, renderer);
  }
}

// --size takes even sides up to 3840 x 2160 and nothing else; --fill only with it.
TEST(CaptureOptions, Sizes) {
  struct Case {
    const char* size;
    int width, height;  // 0 x 0: refused
  };
  const Case cases[] = {{"1920x1080", 1920, 1080}, {"3840X2160", 3840, 2160}, {"2x2", 2, 2},
                        {"800x600", 800, 600},     {"3842x2160", 0, 0},     {"3840x2162", 0, 0},
                        {"1921x1080", 0, 0},       {"1920x1081", 0, 0},     {"0x0", 0, 0},
                        {"1920", 0, 0},            {"1920x", 0, 0},         {"x1080", 0, 0},
                        {"-1920x1080", 0, 0},      {"+1920x1080", 0, 0},    {"1920x-1080", 0, 0},
                        {"1920x1080x2", 0, 0},     {"1920*1080", 0, 0},     {"1920 x1080", 0, 0},
                        {"1920x 1080", 0, 0},      {"big", 0, 0},           {"", 0, 0}};
  for (const Case& c : cases) {
    for (bool fill : {false, true}) {
      std::vector<const char*> args = {"--size", c.size};
      if (fill) args.push_back("--fill");
      CaptureOptions options;
      std::string error;
      const ParseResult result =
          ParseCaptureOptions(static_cast<int>(args.size()), args.data(), options, error);
      EXPECT_EQ(result, c.width ? ParseResult::Run : ParseResult::Bad) << c.size;
      if (c.width == 0) {
        EXPECT_NE(error.find("--size"), std::string::npos) << c.size << ": " << error;
        continue;
      }
      EXPECT_EQ(options.width, c.width) << c.size;
      EXPECT_EQ(options.height, c.height) << c.size;
      EXPECT_EQ(options.fill, fill) << c.size;
    }
  }
  CaptureOptions options;
  std::string error;
  const char* fillAlone[] = {"--fill"};
  EXPECT_EQ(ParseCaptureOptions(1, fillAlone, options, error), ParseResult::Bad);
  EXPECT_NE(error.find("--size"), std::string::npos) << error;
}
