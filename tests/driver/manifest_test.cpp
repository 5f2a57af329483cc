// The production manifest: what it lists, what it refuses, and what the player does with it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/ContentManifest.h"
#include "support/RunTool.h"
#include "support/TestProduction.h"
#include "support/TempDir.h"
#include "support/TestScreen.h"
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
      "\xEF\xBB\xBF# notes, after the byte-order mark some editors save\r\n"
      "FONT textures\\font.jpg\n"
      "Music  music/tune.ogg   # trailing note\n"
      "script\tscript.txt\n"
      "scene box frame always\n"
      "scene glass OVERLAY fog 10 200.5 0.25 aqua Frame\n"
      "layer textures/a.jpg\n"
      "layer textures/b.jpg 0.5 10 20 110 70\n"
      "layer textures/c.jpg 0\nlayer textures/d.jpg 0\nlayer textures/e.jpg 0\n"
      "noise 2 1\n"
      "particles p/one.bin\nparticles p/two.bin\n"
      "Title   Ferro Glade: part 2   # as it shows on the window\n",
      errors);
  ASSERT_TRUE(errors.empty()) << errors[0];
  EXPECT_EQ(m.font.path, "textures\\font.jpg");
  EXPECT_EQ(m.music.path, "music/tune.ogg");
  EXPECT_EQ(m.script.path, "script.txt");
  EXPECT_EQ(m.script.line, 4);
  ASSERT_EQ(m.scenes.size(), 2u);
  EXPECT_TRUE(m.scenes[0].clearsScreen);
  EXPECT_FALSE(m.scenes[0].fog || m.scenes[0].aqua);
  EXPECT_TRUE(m.scenes[0].frame && m.scenes[0].frameAlways);
  EXPECT_FALSE(m.scenes[1].clearsScreen);
  EXPECT_TRUE(m.scenes[1].fog && m.scenes[1].aqua && m.scenes[1].frame);
  EXPECT_FALSE(m.scenes[1].frameAlways);
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
  EXPECT_EQ(m.title, "Ferro Glade: part 2");
}

TEST(Manifest, EachFaultNamesItsLine) {
  const struct {
    std::string line;  // the manifest's fourth line, after the three files
    std::string error;
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
      {"layer textures/a.jpg 1.5", "production.txt:4: alpha 1.5 is outside 0 to 1"},
      {"layer textures/a.jpg -0.1", "production.txt:4: alpha -0.1 is outside 0 to 1"},
      {"layer textures/a.jpg 1 2000000000 0 -2000000000 600",
       "production.txt:4: x0 2000000000 is more than 1000000 pixels from the window"},
      {"layer textures/a.jpg 1 0 0 800 -1e7", "production.txt:4: y1 -1e7 is more than 1000000 pixels"},
      {"scene box fog 800 300 0.5", "production.txt:4: fog end 300 must lie beyond its start 800"},
      {"scene box fog 800 800 0.5", "production.txt:4: fog end 800 must lie beyond its start 800"},
      {"scene box fog -5 300 0.5", "production.txt:4: fog start -5 is negative"},
      {"scene box fog 0 300 -1", "production.txt:4: fog density -1 is negative"},
      // Names the file system cannot hold: the player could not open them.
      {"scene " + std::string(252, 's'), "production.txt:4: '" + std::string(40, 's') + "...' is too long"},
      {"layer textures/" + std::string(256, 'l') + ".jpg", "production.txt:4: 'textures/llll"},
      {"particles " + std::string(2100, 'd') + "/" + std::string(2100, 'd'), "is too long to be a file's name"},
      {"noise 1 0", "production.txt:4: noise set 1 needs layers 0 to 3, but there are 0 layers"},
      {"title  # nothing", "production.txt:4: title needs the production's name"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> errors;
    Parse(std::string(kFiles) + c.line + "\n", errors);
    ASSERT_EQ(errors.size(), 1u) << c.line;
    EXPECT_NE(errors[0].find(c.error), std::string::npos) << errors[0];
    EXPECT_EQ(errors[0].rfind("production.txt:4: ", 0), 0u) << errors[0];
  }
  std::vector<std::string> errors;
  Parse("scene box\n", errors);
  // No font or script line; without music the production plays on a silent clock.
  EXPECT_EQ(errors, (std::vector<std::string>{"production.txt: no font line",
                                              "production.txt: no script line"}));
}

// Layers the player draws as told, but which are rarely what was meant.
TEST(Manifest, WarnsOfMirroredAndEmptyLayers) {
  const struct {
    const char* line;
    const char* warning;  // nullptr: none
  } cases[] = {
      {"layer textures/a.jpg 1 800 0 0 600",
       "production.txt:4: x1 y1 is the corner opposite x0 y0, not a size: the layer is drawn "
       "mirrored left to right"},
      {"layer textures/a.jpg 1 0 600 800 0", "drawn mirrored upside down"},
      {"layer textures/a.jpg 1 800 600 0 0", "drawn mirrored both ways"},
      {"layer textures/a.jpg 1 100 0 100 600",
       "production.txt:4: the layer's rectangle has no area: it shows nothing"},
      {"layer textures/a.jpg 1 100 100 50 50x", nullptr},  // a fault, not a warning
      {"layer textures/a.jpg 0 0 0 800 600", nullptr},
  };
  for (const auto& c : cases) {
    std::vector<std::string> errors;
    const ContentManifest m = Parse(std::string(kFiles) + c.line + "\n", errors);
    if (!c.warning) {
      EXPECT_TRUE(m.warnings.empty()) << c.line;
      continue;
    }
    EXPECT_TRUE(errors.empty()) << c.line;
    ASSERT_EQ(m.warnings.size(), 1u) << c.line;
    EXPECT_NE(m.warnings[0].find(c.warning), std::string::npos) << m.warnings[0];
  }
}

// A manifest name that leads to nothing readable is the author's file gone astray: a fault
// naming it, not the built-in production.
TEST(Manifest, ANameThatCannotBeReadIsAFault) {
  const struct {
    const char* what;
    void (*make)();
    const char* error;
  } cases[] = {
      {"folder", [] { ASSERT_TRUE(std::filesystem::create_directory("production.txt")); },
       "production.txt: cannot be read: not a regular file"},
#ifndef _WIN32  // links are made by administrators only on Windows
      {"dangling link", [] { ASSERT_EQ(::symlink("gone.txt", "production.txt"), 0); },
       "production.txt: cannot be read: a link to a file that is not there"},
      {"link loop", [] { ASSERT_EQ(::symlink("production.txt", "production.txt"), 0); },
       "production.txt: cannot be read: Too many levels of symbolic links"},
#endif
  };
  for (const auto& c : cases) {
    TempDir dir;
    c.make();
    ContentManifest m;
    std::vector<std::string> errors;
    EXPECT_FALSE(ReadProductionManifest(m, errors)) << c.what;
    ASSERT_EQ(errors.size(), 1u) << c.what;
    EXPECT_EQ(errors[0], c.error);
  }
  TempDir empty;
  ContentManifest m;
  std::vector<std::string> errors;
  EXPECT_TRUE(ReadProductionManifest(m, errors));
  EXPECT_EQ(m.source, "(built-in)");
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

// The player refuses what it cannot play before its window opens, and says what it skips or
// holds; the checker names the same line in the same words.
TEST(PlayerStart, StopsOnABadManifestOrScriptAndWarnsOfSkippedLines) {
  ZB_REQUIRE_SCREEN();
  const char kSkips[] = "0 LAYER 0 FX_QUIT\n0.5 SCENE 0 FX_QUITT\n1 SCENE 0 FX_QUIT\n";
  const char kHolds[] = "0 SCENE 0 FX_QUIT\n1 SCENE 0 FX_SATURATE 1e7 0\n-1 SCENE 0 FX_NOISE 257\n";
  const struct {
    const char* manifestExtra;
    const char* script;  // nullptr: no script file
    int status;
    const char* logLine;
    const char* checker;  // what the checker's report holds; nullptr: not checked
  } cases[] = {
      {"layer textures/missing.jpg 2 2\n", "9 SCENE 0 FX_QUIT\n", 1,
       "- error: production.txt:4: layer takes IMAGE", nullptr},
      {"layer textures/font.jpg 1.5\n", "9 SCENE 0 FX_QUIT\n", 1,
       "- error: production.txt:4: alpha 1.5 is outside 0 to 1",
       "production.txt:4: alpha 1.5 is outside 0 to 1"},
      {"layer textures/font.jpg 1 800 0 0 600\n", "0 SCENE 0 FX_QUIT\n", 0,
       "- warning: production.txt:4: x1 y1 is the corner opposite x0 y0",
       "production.txt:4: x1 y1 is the corner opposite x0 y0"},
      {"", nullptr, 1, "- error: s.txt: cannot be read: No such file or directory", nullptr},
      {"", "# only a note\n", 1, "- error: s.txt: no events: nothing would play", nullptr},
      {"", "\xff\xfe" "9", 1, "- error: s.txt: not plain text", nullptr},
      {"", kSkips, 0, "- warning: s.txt:1: FX_QUIT does nothing on a LAYER target", nullptr},
      {"", kSkips, 0, "- warning: s.txt:2: unknown effect 'FX_QUITT'",
       "s.txt:2: unknown effect 'FX_QUITT'"},
      {"", kSkips, 0, "- Script s.txt: 3 events read", nullptr},
      {"", kHolds, 0, "- warning: s.txt:2: FX_SATURATE count 10000000 is more than 2400: 2400 is used",
       "s.txt:2: FX_SATURATE count 10000000 is more than 2400: 2400 is used"},
      {"", kHolds, 0, "- warning: s.txt:3: FX_NOISE 257 shows nothing",
       "s.txt:3: at -1 s, before the music starts: it comes due in the first frame"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("production.txt", std::string(kFiles) + c.manifestExtra);
    dir.Write("textures/font.jpg", EncodeSolidJpeg(16, 16, 255, 255, 255));
    dir.Write("music/m.ogg", EncodeSilentOgg(3.0));
    if (c.script) dir.Write("s.txt", c.script);
    const PlayerRun run = RunPlayer(dir, 30.0);
    EXPECT_EQ(run.status, c.status) << c.logLine;
    const std::string log = dir.ReadText("LOGFILE.TXT");
    EXPECT_NE(log.find(c.logLine), std::string::npos) << log;
    // A refusal comes before the window opens (its first log line tells there is no display).
    if (c.status != 0) {
      EXPECT_EQ(log.find("No display"), std::string::npos) << log;
    }
    if (c.checker) {
      const ToolRun check = RunTool(dir.path, "check", "", 60);
      EXPECT_EQ(check.status, 1) << check.output;
      EXPECT_NE(check.output.find(c.checker), std::string::npos) << check.output;
    }
  }
}
