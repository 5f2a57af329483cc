#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CaptureOptions.h"

// The command line's edges: numbers out of range, huge, negative or with trailing text, parts
// that are not K/N within bounds, and what --join takes.
TEST(CaptureOptions, TakesOnlyWhatItCanDo) {
  struct Case {
    std::vector<const char*> args;
    ParseResult result;
  };
  const Case cases[] = {
      {{}, ParseResult::Run},
      {{"--fps", "240", "--from", "0", "--to", "86400", "--part", "1000/1000"}, ParseResult::Run},
      {{"--fps", "-1"}, ParseResult::Bad},
      {{"--fps", "99999999999999999999"}, ParseResult::Bad},
      {{"--fps", ""}, ParseResult::Bad},
      {{"--fps", "3.5"}, ParseResult::Bad},
      {{"--from", "-0.5"}, ParseResult::Bad},
      {{"--from", "1e999"}, ParseResult::Bad},
      {{"--to", "inf"}, ParseResult::Bad},
      {{"--from", "3", "--to", "3"}, ParseResult::Bad},
      {{"--part", "1/1"}, ParseResult::Run},
      {{"--part", "-1/3"}, ParseResult::Bad},
      {{"--part", "1/0"}, ParseResult::Bad},
      {{"--part", "/3"}, ParseResult::Bad},
      {{"--part", "3"}, ParseResult::Bad},
      {{"--part", "1/3/4"}, ParseResult::Bad},
      {{"--part", "1 /3"}, ParseResult::Bad},
      {{"--part", "4294967297/4294967298"}, ParseResult::Bad},
      {{"--part", "1/2", "--frames", "dir"}, ParseResult::Run},
      {{"-o", "a.MP4"}, ParseResult::Run},
      {{"-o", ".mp4"}, ParseResult::Bad},
      {{"-o", ""}, ParseResult::Bad},
      {{"-C", ""}, ParseResult::Bad},
      {{"--join", "out.mp4", "a.mp4", "--help"}, ParseResult::Help},
      {{"--join", "out.mp4", "a.mp4", "--fps"}, ParseResult::Run},  // a part's odd name
      {{"--join", "out.mp4"}, ParseResult::Bad},
      {{"--join", "out.png", "a.mp4"}, ParseResult::Bad},
      {{"--fps", "10", "--join", "out.mp4", "a.mp4"}, ParseResult::Bad},
  };
  for (const Case& c : cases) {
    CaptureOptions options;
    std::string error;
    const ParseResult result =
        ParseCaptureOptions(static_cast<int>(c.args.size()), c.args.data(), options, error);
    std::string line;
    for (const char* a : c.args) line += std::string(a) + " ";
    EXPECT_EQ(result, c.result) << line << error;
    EXPECT_EQ(error.empty(), result != ParseResult::Bad) << line;
    if (result == ParseResult::Run && options.join.empty()) {
      EXPECT_TRUE(options.parts == 0 || (options.part >= 1 && options.part <= options.parts)) << line;
      EXPECT_TRUE(options.fps >= 1 && options.fps <= kMaxFps) << line;
    }
  }
}
