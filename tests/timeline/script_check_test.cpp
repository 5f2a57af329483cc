// What the checker tells the author about each line the player would pass over in silence.
#include <gtest/gtest.h>

#include <string>

#include "timeline/ScriptCheck.h"

namespace {

// Two scenes (the second with two cameras, the first prepared for FX_AQUA), three layers, one
// particle system, noise set 1 only, and ten seconds of music.
ScriptTargets Targets() {
  ScriptTargets t;
  t.scenes = 2;
  t.sceneCameras = {1, 2};
  t.sceneAqua = {true, false};
  t.layers = 3;
  t.particles = 1;
  t.noiseSet[0] = true;
  t.musicSeconds = 10.0f;
  return t;
}

const char kQuit[] = "9 SCENE 0 FX_QUIT\n";

}  // namespace

TEST(CheckScript, FindsEverySilentSkipOnItsLine) {
  const struct {
    const char* script;  // the line under test is line 3, after a comment and a good event
    const char* finding;
  } cases[] = {
      {"1 SCENE 0 FX_QUITT\n", "unknown effect 'FX_QUITT'"},
      {"1 SCREEN 0 FX_START\n", "unknown target kind 'SCREEN'"},
      {"3,5 LAYER 0 FX_START\n",
       "time '3,5' has a decimal comma: write 3.5 with a point; as written it reads as 3"},
      {"1 LAYER 0 FX_ALPHA 0,5\n", "parameter '0,5' has a decimal comma: write 0.5 with a point"},
      {"3s LAYER 0 FX_START\n", "time '3s' is not one number: only its start is read, as 3"},
      {"1 LAYER 1.5 FX_START\n", "index '1.5' is not a whole number: it reads as 1"},
      {"1 LAYER 0 FX_ALPHA half\n", "parameter 'half' is not a number: it reads as 0"},
      {"1\tLAYER 0 FX_START\n", "tab in the line"},
      {"1 LAYER 0 FX_START\r2 LAYER 0 FX_STOP\n", "carriage return inside the line"},
      {"1 LAYER 0 FX_START", "no newline at the end of the last line"},
      {"1 LAYER 3 FX_START\n", "LAYER 3 is not loaded: the production has 3 layers, 0 to 2"},
      {"1 SCENE -1 FX_START\n", "SCENE -1 is not loaded"},
      {"1 PARTICLE 1 FX_EXPLODE 3 100\n", "PARTICLE 1 is not loaded"},
      {"1 LAYER 0 FX_QUIT\n", "FX_QUIT does nothing on a LAYER target: whole-screen effects take a SCENE"},
      {"1 LAYER 0 FX_SHOW\n", "FX_SHOW does nothing on a LAYER target"},
      {"1 PARTICLE 0 FX_MOVE 1 1\n", "FX_MOVE does nothing on a PARTICLE target"},
      {"1 LAYER 0 FX_MOVE 10\n", "FX_MOVE takes 2 parameters, 1 given: the missing ones read as 0"},
      {"1 LAYER 0 FX_ALPHA 0.5 1\n", "FX_ALPHA takes 1 parameter, 2 given: the last one is not read"},
      {"1 SCENE 0 FX_START 1 2\n", "FX_START takes no parameters, 2 given: the last 2 are not read"},
      {"1 SCENE 1 FX_AQUA 1\n",
       "scene 1 is not prepared for FX_AQUA: add 'aqua' to its scene line in the manifest"},
      {"1 SCENE 0 FX_NOISE 2\n", "noise set 2 has no masks"},
      {"1 SCENE 0 FX_NOISE 3\n", "FX_NOISE 3 shows nothing"},
      {"1 SCENE 1 FX_CHANGE_CAM 2\n", "scene 1 has 2 cameras, 0 to 1: camera 2 shows camera 0"},
      {"1 SCENE 0 FX_CHANGE_CAM 1\n", "scene 0 has one camera, 0: camera 1 shows camera 0"},
      {"1 PARTICLE 2 FX_START\n", "PARTICLE 2 is not loaded: the production has one particle system, 0"},
      {"-0.5 SCENE 0 FX_START\n", "at -0.5 s, before the music starts: it comes due in the first frame"},
      {"1 SCENE 0 FX_AQUA 256\n", "FX_AQUA 256 is kept in 8 bits, which gives 0: the deformation is off"},
      // Values the player holds to a range, with the value it uses.
      {"1 SCENE 0 FX_SATURATE 1e7 0.01\n", "FX_SATURATE count 10000000 draws that many full-screen copies"},
      {"1 SCENE 0 FX_SATURATE 1e7 0\n", "FX_SATURATE count 10000000 is more than 2400: 2400 is used"},
      {"1 SCENE 0 FX_SATURATE 2147483647 0\n", "FX_SATURATE count 2147483648 is more than 2400"},
      {"1 SCENE 0 FX_SATURATE 2 nan\n", "FX_SATURATE spread nan is not a number: 0 is used"},
      {"1 SCENE 0 FX_NOISE 257\n", "FX_NOISE 257 shows nothing: the sets are 1 and 2, 0 is off"},
      {"1 SCENE 0 FX_NOISE -1\n", "FX_NOISE -1 shows nothing"},
      {"1 LAYER 0 FX_MOVE 3e9 0\n",
       "FX_MOVE step x 3000000000 is more than 1000000 pixels either way: 1000000 is used"},
      {"1 LAYER 0 FX_RESIZE 800 -2e9\n",
       "FX_RESIZE height -2000000000 is more than 1000000 pixels either way: -1000000 is used"},
      {"1 LAYER 0 FX_RESIZE nan 600\n", "FX_RESIZE width nan is not a number: 0 is used"},
      {"1 LAYER 0 FX_ALPHA 1.5\n", "FX_ALPHA opacity 1.5 is outside 0 to 1: 1 is used"},
      {"1 SCENE 0 FX_BLUR -0.2\n", "FX_BLUR opacity -0.2 is outside 0 to 1: 0 is used"},
      {"12 SCENE 0 FX_START\n", "at 12 s, after the end of the music (10 s): it never comes due"},
      {"1 SCENE 0\n", "an event needs TIME KIND INDEX EFFECT"},
      {"1 SCENE 0 FX_BLUR 0.5 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20\n",
       "more than 20 parameters"},
  };
  for (const auto& c : cases) {
    // The quit comes first, so a case without a final newline stays the last line.
    const std::string script = std::string("# a note\n") + kQuit + c.script;
    const ScriptCheck check = CheckScript(script, Targets());
    ASSERT_FALSE(check.findings.empty()) << c.script;
    EXPECT_EQ(check.findings[0].line, 3) << c.script;
    EXPECT_NE(check.findings[0].text.find(c.finding), std::string::npos)
        << c.script << " gave: " << check.findings[0].text;
  }
}

// With nothing of a kind loaded, the findings say so instead of giving a range.
TEST(CheckScript, EmptyListsAreSaidInWords) {
  ScriptTargets none;
  none.scenes = 1;
  none.sceneCameras = {0};
  const struct {
    const char* line;
    const char* finding;
  } cases[] = {
      {"1 LAYER 0 FX_START\n", "LAYER 0 is not loaded: the production has no layers"},
      {"1 PARTICLE 0 FX_START\n", "PARTICLE 0 is not loaded: the production has no particle systems"},
      {"1 SCENE 0 FX_CHANGE_CAM 1\n", "scene 0 has no cameras: FX_CHANGE_CAM does nothing"},
  };
  for (const auto& c : cases) {
    const ScriptCheck check = CheckScript(std::string(kQuit) + c.line, none);
    ASSERT_FALSE(check.findings.empty()) << c.line;
    EXPECT_EQ(check.findings[0].text, c.finding);
  }
}

// Two events of one time that set one thing differently: the earlier never shows. Steps that add
// up, equal values, other times and other targets are no conflict.
TEST(CheckScript, EventsOfOneTimeThatUndoEachOther) {
  const struct {
    const char* lines;
    const char* finding;  // on the second line; null: none
  } cases[] = {
      {"2 LAYER 0 FX_ALPHA 0.5\n2 LAYER 0 FX_ALPHA 1\n",
       "LAYER 0: line 2 sets FX_ALPHA 0.5 and this line FX_ALPHA 1, both at 2 s: only this line's "
       "takes effect"},
      {"2 SCENE 1 FX_START\n2 SCENE 1 FX_STOP\n", "SCENE 1: line 2 sets FX_START and this line FX_STOP"},
      {"2 LAYER 0 FX_ALPHA 1 over 2 smooth\n2 LAYER 0 FX_ALPHA 0\n",
       "LAYER 0: line 2 sets FX_ALPHA 1 over 2 s smooth and this line FX_ALPHA 0"},
      {"2 SCENE 0 FX_BLUR 0.5\n2 SCENE 1 FX_BLUR 0\n", "the screen: line 2 sets FX_BLUR 0.5"},
      {"2 SCENE 1 FX_CHANGE_CAM 0\n2 SCENE 1 FX_CHANGE_CAM 1.5\n",
       "SCENE 1: line 2 sets FX_CHANGE_CAM 0"},
      {"2 PARTICLE 0 FX_EXPLODE 3 100\n2 PARTICLE 0 FX_EXPLODE 3 50\n", "PARTICLE 0: line 2 sets"},
      {"2 LAYER 0 FX_ALPHA 0.5\n2 LAYER 0 FX_ALPHA 0.5\n", nullptr},
      {"2 SCENE 1 FX_CHANGE_CAM 1\n2 SCENE 1 FX_CHANGE_CAM 1.5\n", nullptr},
      {"2 LAYER 0 FX_MOVE 5 0\n2 LAYER 0 FX_MOVE -5 0\n", nullptr},
      {"2 SCENE 0 FX_START\n2 SCENE 0 FX_SHOW\n", nullptr},
      {"2 LAYER 0 FX_ALPHA 0.5\n2.01 LAYER 0 FX_ALPHA 1\n", nullptr},
      {"2 LAYER 0 FX_ALPHA 0.5\n2 LAYER 1 FX_ALPHA 1\n", nullptr},
      {"2 LAYER 0 FX_START\n2 LAYER 0 FX_ALPHA 0\n", nullptr},
  };
  for (const auto& c : cases) {
    const ScriptCheck check = CheckScript(std::string(kQuit) + c.lines, Targets());
    if (!c.finding) {
      EXPECT_TRUE(check.findings.empty()) << c.lines << check.findings[0].text;
      continue;
    }
    ASSERT_EQ(check.findings.size(), 1u) << c.lines;
    EXPECT_EQ(check.findings[0].line, 3) << c.lines;
    EXPECT_EQ(check.findings[0].text.rfind(c.finding, 0), 0u) << c.lines << check.findings[0].text;
  }
}

TEST(CheckScript, WholeFileFindingsAndACleanScript) {
  // Whole-screen effects take any scene index; comments and blank lines are no events.
  const ScriptCheck clean = CheckScript(
      "# intro\n\n0 SCENE 0 FX_START\n0 SCENE 7 FX_BLUR 0.5\n1 LAYER 2 FX_RESIZE 400 300\n"
      "2 PARTICLE 0 FX_EXPLODE 5 250\n3 SCENE 1 FX_CHANGE_CAM 1.9\n  # done\n9.5 SCENE 5 FX_QUIT\n",
      Targets());
  EXPECT_TRUE(clean.findings.empty()) << clean.findings[0].text;
  EXPECT_EQ(clean.events, 6);
  // A byte-order mark is passed over, as the player does.
  const ScriptCheck marked =
      CheckScript("\xEF\xBB\xBF" "2.5 SCENE 0 FX_START\n9 SCENE 0 FX_QUIT\n", Targets());
  EXPECT_TRUE(marked.findings.empty()) << marked.findings[0].text;
  ASSERT_EQ(marked.loaded.size(), 2u);
  EXPECT_EQ(marked.loaded[0].line, 1);
  EXPECT_FLOAT_EQ(marked.loaded[0].event.time, 2.5f);

  const struct {
    std::string script;
    const char* finding;
  } cases[] = {
      {"1 SCENE 0 FX_START\n", "no FX_QUIT on a SCENE target"},
      {"1 LAYER 0 FX_QUIT\n", "no FX_QUIT on a SCENE target"},
      {"11 SCENE 0 FX_QUIT\n", "no FX_QUIT on a SCENE target"},
      {std::string("\xff\xfe" "1\0 \0S\0", 8), "not plain text"},
  };
  for (const auto& c : cases) {
    const ScriptCheck check = CheckScript(c.script, Targets());
    ASSERT_FALSE(check.findings.empty()) << c.script;
    EXPECT_EQ(check.findings.back().line, 0);
    EXPECT_NE(check.findings.back().text.find(c.finding), std::string::npos) << check.findings.back().text;
  }

  // A damaged file reports a bounded number of findings.
  std::string noise;
  for (int i = 0; i < 5000; ++i) noise += "x\n";
  EXPECT_LE(CheckScript(noise, Targets()).findings.size(), 202u);
}
