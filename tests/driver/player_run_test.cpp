#include <gtest/gtest.h>

#include <string>

#include "support/TestProduction.h"
#include "support/TempDir.h"
#include "support/TestMusic.h"

namespace {

// The smallest production the player starts with: font, music and a script; no scene, layer or
// particle file is there, and start-up carries on without them... except the layer textures,
// which the player cannot run without.
void WriteMinimalProduction(const TempDir& dir, const std::string& script) {
  dir.Write("textures/font.jpg", EncodeSolidJpeg(16, 16, 255, 255, 255));
  for (const char* name : {"blank", "zorban", "cool_your_ideas", "mask_01", "mask_02", "mask_03",
                           "mask_04", "mask_05", "mask_06", "mask_07", "mask_08", "choose",
                           "search", "credits1", "credits2", "credits3", "logo2"})
    dir.Write(std::string("textures/") + name + ".jpg", EncodeSolidJpeg(8, 8, 40, 40, 40));
  dir.Write("music/music.ogg", EncodeSilentOgg(6.0));
  dir.Write("escenas_bin/script2_full.txt", script);
}

}  // namespace

TEST(PlayerRun, QuitsAtTheScriptsQuitEventWithAFullLog) {
  TempDir dir;
  WriteMinimalProduction(dir, "0 LAYER 0 FX_START\n2.0 SCENE 0 FX_QUIT\n1 SCENE 0 FX_BLUR 0.5\n");
  const PlayerRun run = RunPlayer(dir, 30.0);
  EXPECT_EQ(run.status, 0);
  // The clock is the music: two seconds of it, plus start-up, and well short of the track's end.
  EXPECT_GT(run.seconds, 1.9);
  EXPECT_LT(run.seconds, 5.5);
  const std::string log = dir.Read("LOGFILE.TXT");
  EXPECT_EQ(log.rfind("VELK 3D Engine - Beta test console\n- Opening OpenGL Window\n", 0), 0u) << log;
}

TEST(PlayerRun, ClosingTheWindowEndsAScriptWithoutQuit) {
  TempDir dir;
  WriteMinimalProduction(dir, "0 LAYER 16 FX_START\n");
  // The run is closed from outside after a while: SDL turns the termination signal into the
  // window's close message, which must end the loop and run the normal shutdown.
  const PlayerRun run = RunPlayer(dir, 30.0, 1.5);
  EXPECT_EQ(run.status, 0);
  EXPECT_GT(run.seconds, 1.4);
  EXPECT_LT(run.seconds, 10.0);
  EXPECT_NE(dir.Read("LOGFILE.TXT").find("VELK 3D Engine"), std::string::npos);
}
