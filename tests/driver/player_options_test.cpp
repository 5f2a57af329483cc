#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/PlayerOptions.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

namespace {

PlayerCommand Parse(std::vector<const char*> args, PlayerOptions& options) {
  std::string error;
  const PlayerCommand command =
      ParsePlayerOptions(static_cast<int>(args.size()), args.data(), options, error);
  EXPECT_EQ(command == PlayerCommand::Bad, !error.empty());
  return command;
}

}  // namespace

TEST(PlayerOptions, ReadsEveryOption) {
  PlayerOptions o;
  ASSERT_EQ(Parse({"--window", "--from", "12.5", "--loop", "3", "7.25", "--dev", "--renderer",
                   "gl3", "prod"},
                  o),
            PlayerCommand::Play);
  EXPECT_EQ(o.renderer, RendererKind::Gl3);
  EXPECT_EQ(o.window, WindowChoice::Window);
  EXPECT_EQ(o.from, 12.5);
  EXPECT_EQ(o.loopStart, 3);
  EXPECT_EQ(o.loopEnd, 7.25);
  EXPECT_TRUE(o.dev);
  EXPECT_EQ(o.production, "prod");

  PlayerOptions d;
  ASSERT_EQ(Parse({"-C", "dir", "--fullscreen"}, d), PlayerCommand::Play);
  EXPECT_EQ(d.production, "dir");
  EXPECT_EQ(d.window, WindowChoice::Fullscreen);
  EXPECT_LT(d.from, 0);
  EXPECT_FALSE(d.dev);
  EXPECT_EQ(d.renderer, RendererKind::Classic);
}

TEST(PlayerOptions, HelpVersionAndBadArguments) {
  struct Case {
    std::vector<const char*> args;
    PlayerCommand command;
  };
  const Case cases[] = {
      {{"-h"}, PlayerCommand::Help},
      {{"--help", "--bogus"}, PlayerCommand::Help},
      {{"--version"}, PlayerCommand::Version},
      {{"--bogus"}, PlayerCommand::Bad},
      {{"--from"}, PlayerCommand::Bad},
      {{"--from", "-1"}, PlayerCommand::Bad},
      {{"--from", "nan"}, PlayerCommand::Bad},
      {{"--from", "1e308"}, PlayerCommand::Bad},
      {{"--from", "3s"}, PlayerCommand::Bad},
      {{"--loop", "5"}, PlayerCommand::Bad},
      {{"--loop", "5", "5"}, PlayerCommand::Bad},
      {{"--loop", "6", "5"}, PlayerCommand::Bad},
      {{"--window", "--fullscreen"}, PlayerCommand::Bad},
      {{"--renderer"}, PlayerCommand::Bad},
      {{"--renderer", "GL3"}, PlayerCommand::Bad},
      {{"--renderer", ""}, PlayerCommand::Bad},
      {{"a", "b"}, PlayerCommand::Bad},
      {{"-C", "a", "b"}, PlayerCommand::Bad},
      {{""}, PlayerCommand::Bad},
  };
  for (const Case& c : cases) {
    PlayerOptions o;
    EXPECT_EQ(Parse(c.args, o), c.command) << c.args[0] << " (" << c.args.size() << " args)";
  }
}

TEST(PlayerOptions, TheProgramAnswersWithoutTouchingAFolderThatHoldsNoProduction) {
  TempDir dir;
  struct Case {
    const char* args;
    int status;
  };
  const Case cases[] = {{"--help", 0}, {"--version", 0}, {"--from x", 2}, {"", 1}, {"-C .", 1}};
  for (const Case& c : cases) {
    const ToolRun run = RunTool(dir.path, ZB_PLAYER, c.args, 30);
    EXPECT_EQ(run.status, c.status) << c.args;
    if (c.status == 1) {
      EXPECT_NE(run.output.find("zorbanel -C DIR"), std::string::npos) << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path + "/LOGFILE.TXT")) << c.args;
  }
  // The checker finds there what the player finds, not the built-in production's files.
  const ToolRun check = RunTool(dir.path, "check", "", 30);
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.output.find("holds no production"), std::string::npos) << check.output;
#ifndef _WIN32  // links are made by administrators only on Windows
  // A manifest gone astray is the author's production, named as such, not a folder without one.
  std::filesystem::create_symlink("gone.txt", dir.path + "/production.txt");
  const ToolRun run = RunTool(dir.path, ZB_PLAYER, "", 30);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("production.txt: cannot be read: a link to a file that is not there"),
            std::string::npos)
      << run.output;
#endif
}
