// A production made from scratch by following the README and the reference page: an ASE scene,
// textures, music, manifest and script of its own (tests/data/made-from-scratch). It converts,
// checks clean, plays to its quit and is captured; and every tool answers --help and --version.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/RunTool.h"
#include "support/TempDir.h"
#include "support/TestProduction.h"
#include "support/TestScreen.h"

namespace fs = std::filesystem;

TEST(MadeFromScratch, ConvertsChecksCleanPlaysAndIsCaptured) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  fs::copy(ZB_SOURCE_DIR "/tests/data/made-from-scratch", dir.path, fs::copy_options::recursive);
  ASSERT_EQ(RunTool(dir.path, "convert", "spinbox").status, 0);

  const ToolRun check = RunTool(dir.path, "check", "");
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(check.output, "");

  const PlayerRun run = RunPlayer(dir, 60.0);
  EXPECT_EQ(run.status, 0);
  const std::string log = dir.ReadText("LOGFILE.TXT");
  EXPECT_NE(log.find("- Script script.txt: 7 events read"), std::string::npos) << log;
  EXPECT_EQ(log.find("warning"), std::string::npos) << log;

  EXPECT_EQ(RunTool(dir.path, "capture", "--fps 5 --to 1 --frames shots").status, 0);
  EXPECT_TRUE(fs::exists(dir.path + "/shots/000004.png"));

  // A mistake shows with its line, and the exit status says so.
  dir.Write("script.txt", dir.Read("script.txt") + "4 LAYER 0 FX_QUIT");
  const ToolRun broken = RunTool(dir.path, "check", "");
  EXPECT_EQ(broken.status, 1);
  EXPECT_EQ(broken.output, "script.txt:9: no newline at the end of the last line: it is not read\n");
}

// The content tool carries what it writes: moved away from the build, it still makes a skeleton
// that checks clean and plays to its end.
TEST(MadeFromScratch, TheSkeletonOfAMovedContentToolPlays) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  fs::create_directory(dir.path + "/bin");
  // The two tools, and what a Windows program finds beside it: its libraries and fonts.
  for (const fs::directory_entry& file : fs::directory_iterator(ZB_TOOLS_DIR)) {
    const fs::path name = file.path().filename();
    if (name.stem() == "zorbanel-content" || name.stem() == "zorbanel-convert" ||
        name.extension() == ".dll" || name == "fonts")
      fs::copy(file.path(), fs::path(dir.path) / "bin" / name, fs::copy_options::recursive);
  }
  ASSERT_EQ(RunTool(dir.path, dir.path + "/bin/zorbanel-content", "--new prod").status, 0);
  EXPECT_NE(RunTool(dir.path, dir.path + "/bin/zorbanel-content", "--new prod").status, 0);  // not over it
  const ToolRun check = RunTool(dir.path + "/prod", "check", "");
  EXPECT_EQ(check.status, 0) << check.output;
  TempDir play;
  // Entry by entry: libstdc++ on Windows will not copy a folder into one that exists.
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.path + "/prod"))
    fs::copy(entry.path(), fs::path(play.path) / entry.path().filename(),
             fs::copy_options::recursive);
  EXPECT_EQ(RunPlayer(play, 120.0).status, 0);
}

TEST(Tools, AnswerHelpAndVersionAndRefuseUnknownOptions) {
  TempDir dir;
  for (const char* tool : {"convert", "content", "capture", "check"}) {
    SCOPED_TRACE(tool);
    const ToolRun help = RunTool(dir.path, tool, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("zorbanel-" + std::string(tool)), std::string::npos) << help.output;
    const ToolRun version = RunTool(dir.path, tool, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "zorbanel-" + std::string(tool) + " " ZB_VERSION "\n");
    EXPECT_EQ(RunTool(dir.path, tool, "--no-such-option").status, 2);
  }
  EXPECT_TRUE(fs::is_empty(dir.path));  // no folder named after an option
}
