// Moves and beat times as the script, the manifest and the checker read them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "driver/ContentManifest.h"
#include "timeline/Beats.h"
#include "timeline/EffectList.h"
#include "timeline/Move.h"
#include "timeline/ScriptCheck.h"
#include "timeline/Script.h"

namespace {

Tempo Tempo120() {
  Tempo t;
  t.bpm = 120;
  t.beatZero = 0.5f;
  return t;
}

std::string Notes(const LineProblems& p) {
  std::string all;
  for (const std::string& n : p.notes) all += n + "\n";
  return all;
}

}  // namespace

TEST(Beats, BeatsAndBarsTurnIntoSecondsOnlyWithATempo) {
  const struct {
    const char* token;
    bool length, known;
    float seconds;  // when read
    const char* why;  // part of the reason when not
  } cases[] = {
      {"b0", false, true, 0.5f, nullptr},
      {"b8", false, true, 4.5f, nullptr},
      {"B2.5", false, true, 1.75f, nullptr},
      {"1:1", false, true, 0.5f, nullptr},
      {"3:2", false, true, 5.0f, nullptr},  // beat 9
      {"2:4.5", false, true, 4.25f, nullptr},
      {"b2", true, true, 1.0f, nullptr},  // two beats long: no offset
      {"2:1", true, true, 0, "not as bar:beat"},
      {"0:1", false, true, 0, "bars from 1"},
      {"2:5", false, true, 0, "beats from 1 to 4"},
      {"b", false, true, 0, "not a beat number"},
      {"b8x", false, true, 0, "not a beat number"},
      {"b8", false, false, 0, "add 'tempo BPM' to the manifest"},
  };
  for (const auto& c : cases) {
    float seconds = -1;
    std::string why;
    const bool read =
        ReadBeatTime(c.token, c.known ? Tempo120() : Tempo(), c.length, seconds, why) == BeatRead::kRead;
    EXPECT_EQ(read, c.why == nullptr) << c.token << ": " << why;
    if (read) EXPECT_FLOAT_EQ(seconds, c.seconds) << c.token;
    else EXPECT_NE(why.find(c.why), std::string::npos) << c.token << ": " << why;
  }
  // Seeks by beat and bar land on the grid; from between two marks the first step is to the
  // nearer one that way.
  const struct { double from; int steps, unit; double to; } steps[] = {
      {5.0, 1, 1, 5.5}, {5.0, -1, 1, 4.5}, {5.2, 1, 1, 5.5}, {5.2, -1, 1, 5.0},
      {5.2, -2, 1, 4.5}, {5.2, 1, 4, 6.5}, {5.2, -1, 4, 4.5}, {4.5, -1, 4, 2.5},
  };
  for (const auto& s : steps)
    EXPECT_DOUBLE_EQ(StepOnBeats(s.from, Tempo120(), s.steps, s.unit), s.to) << s.from << " " << s.steps;
  EXPECT_EQ(BeatLabel(5.0, Tempo120()), "b9 (3:2)");
  EXPECT_EQ(BeatLabel(0.25, Tempo120()), "b-0.5 (0:4.5)");
  EXPECT_EQ(BeatLabel(5.0, Tempo()), "");
}

TEST(Moves, EachCurveGoesFromTheStartToTheTargetOverItsTime) {
  ActiveMove m;
  m.from[0] = 1;
  m.to[0] = 0.2f;
  m.start = 10;
  m.seconds = 2;
  const struct {
    int32_t curve;
    float quarter, half;  // how far along, at 10.5 s and at 11 s
  } cases[] = {
      {CURVE_LINEAR, 0.25f, 0.5f},
      {CURVE_STEP, 0, 0},
      {CURVE_SMOOTH, 0.15625f, 0.5f},
      {CURVE_EASE_IN, 0.0625f, 0.25f},
      {CURVE_EASE_OUT, 0.4375f, 0.75f},
  };
  for (const auto& c : cases) {
    m.curve = c.curve;
    const char* name = CurveName(c.curve);
    EXPECT_FLOAT_EQ(m.At(9, 0), 1) << name << " before the start";
    EXPECT_FLOAT_EQ(m.At(10, 0), 1) << name;
    EXPECT_FLOAT_EQ(m.At(10.5f, 0), 1 - 0.8f * c.quarter) << name;
    EXPECT_FLOAT_EQ(m.At(11, 0), 1 - 0.8f * c.half) << name;
    EXPECT_EQ(m.At(12, 0), 0.2f) << name << " ends exactly on the target";
    EXPECT_EQ(m.At(500, 0), 0.2f) << name;
    int32_t read = -1;
    EXPECT_TRUE(ReadCurve(name, read));
    EXPECT_EQ(read, c.curve);
  }
}

TEST(Moves, TheParserReadsTheMoveClauseAndBeatTimes) {
  const Tempo tempo = Tempo120();
  const struct {
    const char* line;
    float time, seconds;
    int32_t curve;
    const char* note;  // part of the one note expected, or nullptr for none
  } cases[] = {
      {"4 LAYER 1 FX_ALPHA 0 over 2 smooth\n", 4, 2, CURVE_SMOOTH, nullptr},
      {"4 LAYER 1 FX_ALPHA 0 OVER 1.5\n", 4, 1.5f, CURVE_LINEAR, nullptr},
      {"b8 LAYER 1 FX_MOVE 10 20 over b2 ease-out\n", 4.5f, 1, CURVE_EASE_OUT, nullptr},
      {"3:1 SCENE 0 FX_SATURATE 40 2 over b4 step\n", 4.5f, 2, CURVE_STEP, nullptr},
      {"4 SCENE 0 FX_BLUR 0.4 over 0 linear\n", 4, 0, CURVE_LINEAR, nullptr},
      {"4 LAYER 1 FX_ALPHA 0 over 2 wobbly\n", 4, 2, CURVE_LINEAR, "unknown curve 'wobbly'"},
      {"4 LAYER 1 FX_ALPHA 0 over -2 smooth\n", 4, 0, CURVE_LINEAR, "is not a length of time"},
      {"4 LAYER 1 FX_ALPHA 0 over\n", 4, 0, CURVE_LINEAR, "needs a duration"},
      {"4 LAYER 1 FX_ALPHA 0 over 2s\n", 4, 0, CURVE_LINEAR, "'2s' is not a number"},
      {"4 LAYER 1 FX_ALPHA 0 over 2 smooth please\n", 4, 2, CURVE_SMOOTH, "'please' after"},
      {"4 SCENE 0 FX_NOISE 1 over 2\n", 4, 0, CURVE_LINEAR, "FX_NOISE cannot move"},
      {"4 PARTICLE 0 FX_EXPLODE 3 100 over 2\n", 4, 0, CURVE_LINEAR, "FX_EXPLODE cannot move"},
      {"4 LAYER 1 FX_ALPHA 0 over 2:1\n", 4, 0, CURVE_LINEAR, "not as bar:beat"},
  };
  for (const auto& c : cases) {
    ScriptEvent e{};
    LineProblems problems;
    ParseEventLine(c.line, e, &problems, &tempo);
    EXPECT_FLOAT_EQ(e.time, c.time) << c.line;
    EXPECT_FLOAT_EQ(e.moveSeconds, c.seconds) << c.line;
    EXPECT_EQ(e.moveCurve, c.curve) << c.line;
    if (!c.note) {
      EXPECT_EQ(Notes(problems), "") << c.line;
    } else {
      ASSERT_EQ(problems.notes.size(), 1u) << c.line << Notes(problems);
      EXPECT_NE(problems.notes[0].find(c.note), std::string::npos) << problems.notes[0];
    }
  }
  // The parameters before the clause are read as a line without one reads them.
  ScriptEvent moved{}, plain{};
  ParseEventLine("b8 LAYER 1 FX_MOVE 10 20 over b2\n", moved, nullptr, &tempo);
  ParseEventLine("4.5 LAYER 1 FX_MOVE 10 20\n", plain);
  EXPECT_EQ(moved.params[0], plain.params[0]);
  EXPECT_EQ(moved.params[1], plain.params[1]);
  EXPECT_EQ(moved.params[2], 0.0f);
  // Without a tempo a time reads as it did before beats (its number's start), and a plain line
  // still takes no move.
  ScriptEvent e{};
  ParseEventLine("17:1 LAYER 1 FX_ALPHA 0\n", e);
  EXPECT_EQ(e.time, 17.0f);
  EXPECT_EQ(plain.moveSeconds, 0.0f);
}

TEST(Moves, TheCheckerNamesOverlapsWithTheirLinesAndBeats) {
  ScriptTargets targets;
  targets.scenes = 1;
  targets.layers = 2;
  targets.tempo = Tempo120();
  const std::string script =
      "0 LAYER 1 FX_START\n"
      "b0 LAYER 1 FX_ALPHA 0 over b8 smooth\n"  // 0.5 s to 4.5 s
      "2:1 LAYER 1 FX_ALPHA 1\n"                // 2.5 s: takes over
      "3 LAYER 0 FX_ALPHA 1\n"                  // another layer: no overlap
      "3.5 LAYER 1 FX_MOVE 5 5 over 1\n"        // another value: none either
      "4 LAYER 1 FX_MOVE 5 5\n"                 // takes over the move
      "10 SCENE 0 FX_NOISE 1 over 2\n"
      "11 SCENE 0 FX_QUIT\n";
  const ScriptCheck check = CheckScript(script, targets);
  std::vector<std::string> lines;
  for (const ScriptFinding& f : check.findings)
    lines.push_back(std::to_string(f.line) + ": " + f.text);
  const std::vector<std::string> expected = {
      "7: FX_NOISE cannot move: its value is set at once [at 10 s, b19 (5:4)]",
      "3: FX_ALPHA comes while the move of line 2 is under way (until 4.5 s): this line takes "
      "over from where that move has got to [at 2.5 s, b4 (2:1)]",
      "6: FX_MOVE comes while the move of line 5 is under way (until 4.5 s): this line takes "
      "over from where that move has got to [at 4 s, b7 (2:4)]",
  };
  // Other checks may add their own findings; these are the moves' and the beats'.
  for (const std::string& want : expected)
    EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end()) << want;
}

TEST(Moves, BeatTimesWithoutATempoAreSaidOnceWithTheirCount) {
  ScriptTargets targets;
  targets.layers = 1;
  std::string script = "0 LAYER 0 FX_START\n";
  for (int beat = 0; beat < 30; ++beat)  // 30 lines, each a beat time; the last 10 moves in beats
    script += "b" + std::to_string(beat) + " LAYER 0 FX_ALPHA 0.5" + (beat >= 20 ? " over b2" : "") + "\n";
  script += "40 SCENE 0 FX_QUIT\n";
  std::vector<std::string> tempo;
  for (const ScriptFinding& f : CheckScript(script, targets).findings)
    if (f.text.find("tempo") != std::string::npos) tempo.push_back(std::to_string(f.line) + ": " + f.text);
  ASSERT_EQ(tempo.size(), 1u);
  EXPECT_EQ(tempo[0],
            "2: beat time 'b0' needs the music's tempo: add 'tempo BPM' to the manifest; without "
            "it, it reads as 0 s (40 beat times without a tempo, on lines 2 to 31)");
}

TEST(Moves, TheManifestGivesTheTempoOnce) {
  const struct {
    const char* line;
    const char* error;  // part of it, or nullptr when the line is taken
    float bpm, beatZero;
    int32_t perBar;
  } cases[] = {
      {"tempo 128", nullptr, 128, 0, 4},
      {"tempo 90 0.25 3", nullptr, 90, 0.25f, 3},
      {"tempo 0", "more than 0 and at most 1000", 0, 0, 4},
      {"tempo fast", "is not a number", 0, 0, 4},
      {"tempo 120 0 3.5", "whole number from 1 to 64", 0, 0, 4},
      {"tempo 120 0 4 x", "tempo takes BPM", 0, 0, 4},
      {"tempo 120\ntempo 120", "already given on line 4", 120, 0, 4},
  };
  for (const auto& c : cases) {
    const std::string text = std::string("font f.jpg\nmusic m.ogg\nscript s.txt\n") + c.line + "\n";
    ContentManifest m;
    std::vector<std::string> errors;
    const bool ok = ParseManifest(text, "production.txt", m, errors);
    EXPECT_EQ(ok, c.error == nullptr) << c.line;
    if (c.error) {
      ASSERT_EQ(errors.size(), 1u) << c.line;
      EXPECT_NE(errors[0].find(c.error), std::string::npos) << errors[0];
      EXPECT_EQ(errors[0].rfind("production.txt:", 0), 0u) << errors[0];
    }
    EXPECT_FLOAT_EQ(m.tempo.bpm, c.bpm) << c.line;
    EXPECT_FLOAT_EQ(m.tempo.beatZero, c.beatZero) << c.line;
    EXPECT_EQ(m.tempo.beatsPerBar, c.perBar) << c.line;
  }
}

TEST(Moves, TheEffectListNamesEveryEffectAndWhetherItMoves) {
  const std::string list = EffectListText();
  for (const int32_t effect : {FX_START, FX_STOP, FX_SHOW, FX_HIDE, FX_CHANGE_CAM, FX_SHAKE, FX_ALPHA,
                               FX_MOVE, FX_RESIZE, FX_SATURATE, FX_BLUR, FX_NOISE, FX_AQUA,
                               FX_EXPLODE, FX_QUIT}) {
    const std::string head = std::string(EffectName(effect)) + " - ";
    const size_t at = list.find(head);
    ASSERT_NE(at, std::string::npos) << head;
    const std::string entry = list.substr(at, list.find("\nFX_", at) - at);
    const bool moves = MovingValueOf(SCENE, effect) != MovingValue::kNone ||
                       MovingValueOf(LAYER, effect) != MovingValue::kNone ||
                       MovingValueOf(PARTICLE, effect) != MovingValue::kNone;
    EXPECT_EQ(entry.find("can move") != std::string::npos, moves) << entry;
    EXPECT_EQ(entry.find("cannot move") != std::string::npos, !moves && EffectParamCount(effect) > 0)
        << entry;
  }
}
