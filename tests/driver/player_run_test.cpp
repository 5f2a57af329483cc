#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunTool.h"
#include "support/TestProduction.h"
#include "support/TempDir.h"
#include "support/TestScreen.h"

TEST(PlayerRun, QuitsAtTheScriptsQuitEventWithAFullLog) {
  TempDir dir;
  WriteProductionMedia(dir, 6.0, "0 LAYER 0 FX_START\n2.0 SCENE 0 FX_QUIT\n1 SCENE 0 FX_BLUR 0.5\n");
  ZB_REQUIRE_SCREEN();
  const PlayerRun run = RunPlayer(dir, 30.0);
  EXPECT_EQ(run.status, 0);
  // The clock is the music: two seconds of it, plus start-up, and well short of the track's end.
  EXPECT_GT(run.seconds, 1.9);
  EXPECT_LT(run.seconds, 5.5);
  const std::string log = dir.ReadText("LOGFILE.TXT");
  EXPECT_EQ(log.rfind("VELK 3D Engine - Beta test console\n- Opening OpenGL Window\n", 0), 0u) << log;
}

TEST(PlayerRun, ClosingTheWindowEndsAScriptWithoutQuit) {
  TempDir dir;
  WriteProductionMedia(dir, 6.0, "0 LAYER 16 FX_START\n");
  ZB_REQUIRE_SCREEN();
  // The run is closed from outside after a while: SDL turns the termination signal into the
  // window's close message, which must end the loop and run the normal shutdown.
  const PlayerRun run = RunPlayer(dir, 30.0, 1.5);
  EXPECT_EQ(run.status, 0);
  EXPECT_GT(run.seconds, 1.4);
  EXPECT_LT(run.seconds, 10.0);
  EXPECT_NE(dir.Read("LOGFILE.TXT").find("VELK 3D Engine"), std::string::npos);
}

// A frame of a million glow copies takes minutes in software: the request to end is answered
// between its copies, not after it.
TEST(PlayerRun, ClosingIsAnsweredWithinAHeavyFrame) {
  TempDir dir;
  WriteSmallProduction(dir, "", "0 SCENE 0 FX_SATURATE 1000000 0.3\n");
  ZB_REQUIRE_SCREEN();
  const PlayerRun run = RunPlayer(dir, 60.0, 3.0);
  EXPECT_EQ(run.status, 0);
  EXPECT_LT(run.seconds, 5.5);
}

// As a user starts it on a machine with no display and no sound device: the console holds the
// player's own lines, none of the libraries' probing.
TEST(PlayerRun, HeadlessConsoleHoldsOnlyThePlayersLines) {
#ifdef _WIN32
  GTEST_SKIP() << "SDL has no offscreen video driver on Windows: without a display nothing plays";
#else
  TempDir dir;
  WriteProductionMedia(dir, 6.0, "0 LAYER 0 FX_START\n1 SCENE 0 FX_QUIT\n");
  const ToolRun run = RunTool(dir.path, "/usr/bin/env",
                              "-u SDL_VIDEODRIVER -u SDL_AUDIODRIVER -u DISPLAY -u WAYLAND_DISPLAY "
                              "-u XDG_RUNTIME_DIR " ZB_PLAYER " --window", 60);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("- No display"), std::string::npos) << run.output;
  EXPECT_EQ(ForeignLines(run.output), std::vector<std::string>());
#endif
}

// Pictures before the music: without a music line, or with the named music missing, the
// production plays on a silent clock that runs as the music would, to its FX_QUIT.
TEST(PlayerRun, WithoutItsMusicPlaysOnASilentClockToItsQuit) {
  const struct {
    const char* music;  // the manifest's music line
    const char* logged;
  } cases[] = {
      {"", "- production.txt: no music line: the production plays on a silent clock, to its FX_QUIT\n"},
      {"music music/gone.ogg\n",
       "- warning: production.txt:4: music/gone.ogg: file not found: the production plays on a "
       "silent clock\n"},
  };
  ZB_REQUIRE_SCREEN();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.music);
    TempDir dir;
    dir.Write("production.txt", std::string("font font.jpg\nscript script.txt\nlayer white.jpg\n") + c.music);
    dir.Write("font.jpg", EncodeSolidJpeg(16, 16, 255, 255, 255));
    dir.Write("white.jpg", EncodeSolidJpeg(8, 8, 255, 255, 255));
    dir.Write("script.txt", "0 LAYER 0 FX_START\n2 SCENE 0 FX_QUIT\n");
    const PlayerRun run = RunPlayer(dir, 30.0);
    EXPECT_EQ(run.status, 0);
    EXPECT_GT(run.seconds, 1.9);  // the clock runs in real time, not at once
    EXPECT_LT(run.seconds, 10.0);
    const std::string log = dir.ReadText("LOGFILE.TXT");
    EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    // Not tried, so no message box stands in the way: the warning has told it.
    EXPECT_EQ(log.find("could not be loaded"), std::string::npos) << log;
  }
}
