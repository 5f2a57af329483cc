#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/TempDir.h"
#include "timeline/Script.h"
#include "timeline/Timeline.h"

namespace {

ScriptEvent Parse(const char* line) {
  ScriptEvent e{};
  ParseEventLine(line, e);
  return e;
}

}  // namespace

TEST(ParseEventLine, ReadsEveryFieldInAnyCaseAndSpacing) {
  ScriptEvent e = Parse("42.5  scene   3 Fx_Change_Cam 1 -2.5 1e2\n");
  EXPECT_FLOAT_EQ(e.time, 42.5f);
  EXPECT_EQ(e.targetKind, SCENE);
  EXPECT_EQ(e.targetIndex, 3);
  EXPECT_EQ(e.effect, FX_CHANGE_CAM);
  EXPECT_FLOAT_EQ(e.params[0], 1.0f);
  EXPECT_FLOAT_EQ(e.params[1], -2.5f);
  EXPECT_FLOAT_EQ(e.params[2], 100.0f);
  EXPECT_EQ(e.params[3], 0.0f);

  EXPECT_EQ(Parse("1 layer 0 fx_alpha 1\n").targetKind, LAYER);
  EXPECT_EQ(Parse("1 PARTICLE 0 FX_EXPLODE 1\n").targetKind, PARTICLE);
  // Every keyword maps to its code, including the ones sharing a prefix.
  const struct { const char* word; int32_t code; } effects[] = {
      {"FX_START", 1001}, {"FX_STOP", 1002}, {"FX_SHOW", 1003},      {"FX_HIDE", 1004},
      {"FX_SHAKE", 101},  {"FX_SATURATE", 102}, {"FX_CHANGE_CAM", 1005}, {"FX_BLUR", 103},
      {"FX_ALPHA", 201},  {"FX_MOVE", 202},  {"FX_RESIZE", 203},    {"FX_EXPLODE", 301},
      {"FX_NOISE", 104},  {"FX_AQUA", 302},  {"FX_QUIT", 305},
  };
  for (const auto& fx : effects) {
    const std::string line = std::string("0 SCENE 0 ") + fx.word + "\n";
    EXPECT_EQ(Parse(line.c_str()).effect, fx.code) << fx.word;
  }
}

TEST(ParseEventLine, UnreadableOrMissingTokensLeaveTheirFieldsAlone) {
  // Unknown words keep the zero start state, and the tokens after them are still read.
  ScriptEvent e = Parse("2 SCREEN 4 FX_WOBBLE 7\n");
  EXPECT_FLOAT_EQ(e.time, 2.0f);
  EXPECT_EQ(e.targetKind, 0);
  EXPECT_EQ(e.targetIndex, 4);
  EXPECT_EQ(e.effect, 0);
  EXPECT_FLOAT_EQ(e.params[0], 7.0f);

  // A word where a number belongs leaves the field, the next number goes to the next field.
  e = Parse("x LAYER one FX_MOVE ten 20\n");
  EXPECT_EQ(e.time, 0.0f);
  EXPECT_EQ(e.targetIndex, 0);
  EXPECT_EQ(e.params[0], 0.0f);
  EXPECT_FLOAT_EQ(e.params[1], 20.0f);

  // FX_MOVE with one parameter: the second keeps what the record held.
  ScriptEvent partial{};
  partial.params[1] = 99.0f;
  ParseEventLine("3 LAYER 1 FX_MOVE 10\n", partial);
  EXPECT_FLOAT_EQ(partial.params[0], 10.0f);
  EXPECT_FLOAT_EQ(partial.params[1], 99.0f);

  // An index too large for 32 bits must not wrap round into a small valid one.
  EXPECT_EQ(Parse("0 SCENE 4294967297 FX_START\n").targetIndex, INT32_MAX);

  // Blank lines have no first token at all.
  ScriptEvent blank = Parse("   \n");
  EXPECT_EQ(blank.time, 0.0f);
  EXPECT_EQ(blank.targetKind, 0);
}

TEST(ParseEventLine, TwentyParamsAtMostAndTabsJoinTokens) {
  std::string line = "1 SCENE 0 FX_START";
  for (int i = 1; i <= 25; ++i) line += " " + std::to_string(i);
  line += "\n";
  ScriptEvent e = Parse(line.c_str());
  for (int i = 0; i < kEventParams; ++i) EXPECT_FLOAT_EQ(e.params[i], i + 1.0f);

  // A tab is no separator: "1.5\tSCENE" is one token whose number is still read, and every
  // later token moves one field to the left.
  e = Parse("1.5\tSCENE 2 FX_START 9\n");
  EXPECT_FLOAT_EQ(e.time, 1.5f);
  EXPECT_EQ(e.targetKind, 0);   // "2" is no kind keyword
  EXPECT_EQ(e.targetIndex, 0);  // "FX_START" is no number
  EXPECT_EQ(e.effect, 0);       // "9" is no effect keyword
}

TEST(ParseEventLine, OverlongInputIsCutNotOverrun) {
  std::string line(1000, '7');
  line += " SCENE 1 FX_START\n";
  ScriptEvent e = Parse(line.c_str());
  EXPECT_TRUE(std::isinf(e.time));
  EXPECT_EQ(e.targetKind, 0);  // beyond the work buffer
}

TEST(LoadScript, CountsOnlyNewlineTerminatedLines) {
  TempDir dir;
  Timeline t;

  dir.Write("empty.txt", "");
  t.LoadScript("empty.txt");
  EXPECT_EQ(t.eventCount, 0);
  EXPECT_EQ(t.events, nullptr);

  dir.Write("one.txt", "1 SCENE 0 FX_START");
  t.LoadScript("one.txt");
  EXPECT_EQ(t.eventCount, 0);

  dir.Write("two.txt", "1 SCENE 0 FX_START\n2 SCENE 0 FX_STOP\n3 SCENE 0 FX_QUIT");
  t.LoadScript("two.txt");
  ASSERT_EQ(t.eventCount, 2);
  EXPECT_EQ(t.dumpCount, 2);
  EXPECT_EQ(t.events[1].effect, FX_STOP);

  t.LoadScript("missing.txt");
  EXPECT_EQ(t.eventCount, 0);
  EXPECT_EQ(t.events, nullptr);
}

TEST(LoadScript, WindowsLineEndsNotesAndCaseFoldedPath) {
  TempDir dir;
  // The byte-order mark some editors save first is no part of the first time.
  // Blank and comment lines take no event, however long: a file of them costs no memory.
  const std::string longNote = "# " + std::string(600, 'x') + " 9 SCENE 0 FX_QUIT\r\n";
  dir.Write("escenas_bin/script2_full.txt",
            "\xEF\xBB\xBF" "0.5 LAYER 16 FX_ALPHA 0.8\r\n\r\n   \r\n" + longNote +
                "  # 3 SCENE 0 FX_START\r\n7 SCENE 2 FX_QUIT\r\n");
  Timeline t;
  t.LoadScript("ESCENAS_BIN\\script2_full.txt");
  ASSERT_EQ(t.eventCount, 2);
  EXPECT_FLOAT_EQ(t.events[0].time, 0.5f);
  EXPECT_FLOAT_EQ(t.events[0].params[0], 0.8f);
  EXPECT_EQ(t.events[1].effect, FX_QUIT);
  EXPECT_EQ(t.events[1].targetIndex, 2);  // the CR must not end up in the last token
}

TEST(LoadScript, LongLinesSplitIntoChunksOf254) {
  TempDir dir;
  // 254 characters then the newline: the newline is a blank chunk of its own, no event.
  std::string exact = "5 SCENE 1 FX_SHAKE 3";
  exact += std::string(254 - exact.size(), ' ');
  // 300 characters: the last 46 are read as a line of their own.
  std::string longer = "6 LAYER 2 FX_ALPHA 1";
  longer += std::string(254 - longer.size(), ' ');
  longer += "8 LAYER 3 FX_MOVE 4 5";
  longer += std::string(300 - longer.size(), ' ');
  dir.Write("long.txt", exact + "\n" + longer + "\n");

  Timeline t;
  t.LoadScript("long.txt");
  ASSERT_EQ(t.eventCount, 3);
  EXPECT_EQ(t.events[0].effect, FX_SHAKE);
  EXPECT_FLOAT_EQ(t.events[0].params[0], 3.0f);
  EXPECT_EQ(t.events[1].effect, FX_ALPHA);
  EXPECT_FLOAT_EQ(t.events[2].time, 8.0f);
  EXPECT_EQ(t.events[2].targetIndex, 3);
  EXPECT_FLOAT_EQ(t.events[2].params[1], 5.0f);
}

TEST(SortEvents, OrdersByTimeAndKeepsNotANumberLast) {
  TempDir dir;
  dir.Write("s.txt", "10 SCENE 0 FX_STOP\nnan SCENE 0 FX_QUIT\n0 SCENE 0 FX_START\n1.5 LAYER 0 FX_START\n"
                     "-inf SCENE 1 FX_START\n");
  Timeline t;
  t.LoadScript("s.txt");
  t.SortEvents();
  ASSERT_EQ(t.eventCount, 5);
  EXPECT_TRUE(std::isinf(t.events[0].time));
  EXPECT_EQ(t.events[1].time, 0.0f);
  EXPECT_EQ(t.events[2].time, 1.5f);
  EXPECT_EQ(t.events[3].time, 10.0f);
  EXPECT_TRUE(std::isnan(t.events[4].time));

  ScriptEvent a{}, b{};
  a.time = 1.0f;
  b.time = 2.0f;
  EXPECT_EQ(CompareEventTimes(a, b), -1);
  EXPECT_EQ(CompareEventTimes(b, a), 1);
  EXPECT_EQ(CompareEventTimes(a, a), 0);
}

TEST(EventTimeDumps, WriteOneLinePerEventTruncatingOrAppending) {
  TempDir dir;
  dir.Write("s.txt", "10 SCENE 0 FX_STOP\n0 SCENE 0 FX_START\n1.5 LAYER 0 FX_START\n");
  Timeline t;
  t.LoadScript("s.txt");
  dir.Write("times.txt", "old contents\n");
  t.DumpEventTimes("times.txt");
  EXPECT_EQ(dir.ReadText("times.txt"), "10.000000\n0.000000\n1.500000\n");
  t.SortEvents();
  t.AppendEventTimes("times.txt");
  EXPECT_EQ(dir.ReadText("times.txt"),
            "10.000000\n0.000000\n1.500000\n0.000000\n1.500000\n10.000000\n");
}

