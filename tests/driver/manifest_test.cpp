// The production manifest: what it lists, what it refuses, and what the player does with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/ContentManifest.h"
#include "support/TestProduction.h"
#include "support/TempDir.h"
#include "support/TestMusic.h"

namespace {

ContentManifest Parse(const std::string& text, std::vector<std::string>& errors) {
  ContentManifest m;
  ParseManifest(text, "production.txt", m, errors);
  return m;
}

const char kFiles[] = "font textures/font.jpg\nmusic music/m.ogg\nscript s.txt\n";

}  // namespace

TEST(Manifest, ReadsEveryEntryInAnyCaseAndEitherSeparator) {
  std::vector<std::string> errors;
  const ContentManifest m = Parse(
      "# notes\r\n"
      "FONT textures\\font.jpg\n"
      "Music  music/tune.ogg   # trailing note\n"
      "script\tscript.txt\n"
      "scene box\n"
      "scene glass OVERLAY fog 10 200.5 0.25 aqua\n"
      "layer textures/a.jpg\n"
      "layer textures/b.jpg 0.5 10 20 110 70\n"
      "layer textures/c.jpg 0\nlayer textures/d.jpg 0\nlayer textures/e.jpg 0\n"
      "noise 2 1\n"
      "particles p/one.bin\nparticles p/two.bin\n",
      errors);
  ASSERT_TRUE(errors.empty()) << errors[0];
  EXPECT_EQ(m.font.path, "textures\\font.jpg");
  EXPECT_EQ(m.music.path, "music/tune.ogg");
  EXPECT_EQ(m.script.path, "script.txt");
  EXPECT_EQ(m.script.line, 4);
  ASSERT_EQ(m.scenes.size(), 2u);
  EXPECT_TRUE(m.scenes[0].clearsScreen);
  EXPECT_FALSE(m.scenes[0].fog || m.scenes[0].aqua);
  EXPECT_FALSE(m.scenes[1].clearsScreen);
  EXPECT_TRUE(m.scenes[1].fog && m.scenes[1].aqua);
  EXPECT_FLOAT_EQ(m.scenes[1].fogEnd, 200.5f);
  EXPECT_FLOAT_EQ(m.scenes[1].fogDensity, 0.25f);
  ASSERT_EQ(m.layers.size(), 5u);
  EXPECT_FLOAT_EQ(m.layers[0].alpha, 1.0f);
  EXPECT_EQ(m.layers[0].x1, 800.0f);
  EXPECT_EQ(m.layers[1].alpha, 0.5f);
  EXPECT_EQ(m.layers[1].y1, 70.0f);
  EXPECT_EQ(m.noiseSetFirstLayer[0], -1);
  EXPECT_EQ(m.noiseSetFirstLayer[1], 1);
  ASSERT_EQ(m.particleFiles.size(), 2u);
  EXPECT_EQ(m.particleFiles[1].line, 14);
}

TEST(Manifest, EachFaultNamesItsLine) {
  const struct {
    const char* line;  // the manifest's fourth line, after the three files
    const char* error;
  } cases[] = {
      {"scenes box", "production.txt:4: unknown entry 'scenes'"},
      {"scene", "production.txt:4: scene needs a name"},
      {"scene ../box", "production.txt:4: scene name '../box' must be a bare name"},
      {"scene box fog 1 2", "production.txt:4: fog needs START END DENSITY"},
      {"scene box fog 1 2 0,5", "production.txt:4: fog density '0,5' is not a number"},
      {"scene box wobbly", "production.txt:4: unknown scene option 'wobbly'"},
      {"layer textures/a.jpg 1 0 0 800", "production.txt:4: layer takes IMAGE [ALPHA [X0 Y0 X1 Y1]]"},
      {"layer textures/a.jpg nan", "production.txt:4: alpha 'nan' is not a number"},
      {"layer ../../etc/passwd", "production.txt:4: '../../etc/passwd' is outside the production folder"},
      {"layer /etc/passwd", "production.txt:4: '/etc/passwd' is outside the production folder"},
      {"particles C:\\p.bin", "production.txt:4: 'C:\\p.bin' is outside the production folder"},
      {"font textures/other.jpg", "production.txt:4: font is already given on line 1"},
      {"noise 3 0", "production.txt:4: noise set must be 1 or 2"},
      {"noise 1 0", "production.txt:4: noise set 1 needs layers 0 to 3, but there are 0 layers"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> errors;
    Parse(std::string(kFiles) + c.line + "\n", errors);
    ASSERT_EQ(errors.size(), 1u) << c.line;
    EXPECT_EQ(errors[0].rfind(c.error, 0), 0u) << errors[0];
  }
  std::vector<std::string> errors;
  Parse("scene box\n", errors);
  EXPECT_EQ(errors.size(), 3u);  // no font, music or script line
}

TEST(Manifest, TheBuiltInOneIsTheBundledProduction) {
  const ContentManifest& m = DefaultManifest();
  EXPECT_EQ(m.source, "(built-in)");
  ASSERT_EQ(m.scenes.size(), 8u);
  EXPECT_EQ(m.scenes[7].name, "aguabola");
  ASSERT_EQ(m.layers.size(), 17u);
  EXPECT_EQ(m.layers[16].path, "textures\\logo2.jpg");
  EXPECT_EQ(m.noiseSetFirstLayer[0], 3);
  EXPECT_EQ(m.noiseSetFirstLayer[1], 7);
  EXPECT_EQ(m.font.path, "textures\\font.jpg");
  EXPECT_EQ(m.music.path, "music\\music.ogg");
  EXPECT_EQ(m.script.path, "escenas_bin\\script2_full.txt");
  ASSERT_EQ(m.particleFiles.size(), 1u);
  EXPECT_EQ(m.particleFiles[0].path, "ESCENAS_BIN\\PARTICLES02.BIN");
}

// The player refuses what it cannot play before its window opens, and says what it skips.
TEST(PlayerStart, StopsOnABadManifestOrScriptAndWarnsOfSkippedLines) {
  const struct {
    const char* manifestExtra;
    const char* script;  // nullptr: no script file
    int status;
    const char* logLine;
  } cases[] = {
      {"layer textures/missing.jpg 2 2\n", "9 SCENE 0 FX_QUIT\n", 1,
       "- error: production.txt:4: layer takes IMAGE"},
      {"", nullptr, 1, "- error: s.txt: cannot be read: No such file or directory"},
      {"", "# only a note\n", 1, "- error: s.txt: no events: nothing would play"},
      {"", "\xff\xfe" "9", 1, "- error: s.txt: not plain text"},
      {"", "0 LAYER 0 FX_QUIT\n0.5 SCENE 0 FX_QUITT\n1 SCENE 0 FX_QUIT\n", 0,
       "- warning: s.txt:1: FX_QUIT does nothing on a LAYER target"},
      {"", "0 LAYER 0 FX_QUIT\n0.5 SCENE 0 FX_QUITT\n1 SCENE 0 FX_QUIT\n", 0,
       "- warning: s.txt:2: unknown effect 'FX_QUITT'"},
      {"", "0 LAYER 0 FX_QUIT\n0.5 SCENE 0 FX_QUITT\n1 SCENE 0 FX_QUIT\n", 0,
       "- Script s.txt: 3 events read"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("production.txt", std::string(kFiles) + c.manifestExtra);
    dir.Write("textures/font.jpg", EncodeSolidJpeg(16, 16, 255, 255, 255));
    dir.Write("music/m.ogg", EncodeSilentOgg(3.0));
    if (c.script) dir.Write("s.txt", c.script);
    const PlayerRun run = RunPlayer(dir, 30.0);
    EXPECT_EQ(run.status, c.status) << c.logLine;
    const std::string log = dir.Read("LOGFILE.TXT");
    EXPECT_NE(log.find(c.logLine), std::string::npos) << log;
    // A refusal comes before the window opens (its first log line tells there is no display).
    if (c.status != 0) {
      EXPECT_EQ(log.find("No hay pantalla"), std::string::npos) << log;
    }
  }
}
