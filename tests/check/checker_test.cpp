// The checker as a user runs it: what it says where there is no production, a byte-order mark,
// and the timeline page, opened in a real browser when one is installed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/ContentManifest.h"
#include "platform/ChildProcess.h"
#include "platform/Files.h"
#include "support/RunTool.h"
#include "support/TempDir.h"
#include "support/TestMusic.h"
#include "support/TestProduction.h"

namespace {

// Occurrences of `piece` in `text`.
size_t Count(const std::string& text, const std::string& piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

// The page's document once its script has run, as headless Chromium gives it; empty when there
// is no Chromium.
std::string PageAfterScripts(const std::string& page, const std::string& profile) {
  const std::string chromium = FindProgram("chromium");
  if (chromium.empty()) return "";
  ChildProcess child;
  ChildOptions options;
  options.keepOutput = options.keepErrors = true;
  std::string error;
  int status = 0;
  EXPECT_TRUE(child.Start({chromium, "--headless", "--disable-gpu", "--no-sandbox",
                           "--user-data-dir=" + profile, "--dump-dom", "file://" + page},
                          options, error))
      << error;
  EXPECT_TRUE(child.Wait(status)) << child.Errors();
  return child.Output();
}

}  // namespace

TEST(Checker, AnswersAsThePlayerDoes) {
  const struct {
    const char* manifest;  // null: an empty folder
    const char* script;
    const char* arguments;
    int status;
    const char* output;  // the whole of it, or its start when it ends in "..."
  } cases[] = {
      {nullptr, "", "", 1,
       " holds no production (no production.txt, nor escenas_bin/script2_full.txt)."
       "\nName the production's folder: zorbanel-check DIR.\n"},
      // A byte-order mark at the start of the manifest and of the script is passed over.
      {"\xEF\xBB\xBF"
       "font f.jpg\nmusic m.ogg\nscript s.txt\n",
       "\xEF\xBB\xBF"
       "1 SCENE 0 FX_QUIT\n",
       "", 0, ""},
      // Without music the production plays on a silent clock: a note when no music is named, a
      // fault when the named music cannot be played.
      {"font f.jpg\nscript s.txt\n", "1 SCENE 0 FX_QUIT\n", "", 0,
       "production.txt: no music line: the production plays on a silent clock, to its FX_QUIT "
       "(note)\n"},
      {"font f.jpg\nmusic gone.ogg\nscript s.txt\n", "1 SCENE 0 FX_QUIT\n", "", 1,
       "production.txt:2: gone.ogg: file not found: the production plays on a silent clock\n"},
      {"font f.jpg\nmusic f.jpg\nscript s.txt\n", "1 SCENE 0 FX_QUIT\n", "", 1,
       "production.txt:2: f.jpg: not music the player reads (Ogg Vorbis, Ogg Opus, FLAC, WAV or "
       "MP3): ..."},
      {"font f.jpg\nmusic m.ogg\nscript s.txt\n", "1 SCENE 0 FX_QUIT\n", "--timeline page.txt", 2,
       "zorbanel-check: the timeline page's name must end in .html\n..."},
      {"font f.jpg\nmusic m.ogg\nscript s.txt\n", "1 SCENE 0 FX_QUIT\n", "--thumbnails 1", 2,
       "zorbanel-check: --thumbnails goes with --timeline\n..."},
      {"font f.jpg\nmusic m.ogg\nscript s.txt\n", "1 SCENE 0 FX_QUIT\n",
       "--timeline notes.html --thumbnails 1,x", 2,
       "zorbanel-check: --thumbnails takes seconds separated by commas, such as 10,42.5\n..."},
  };
  for (const auto& c : cases) {
    TempDir dir;
    if (c.manifest) {
      dir.Write("production.txt", c.manifest);
      dir.Write("f.jpg", EncodeSolidJpeg(16, 16, 255, 255, 255));
      dir.Write("m.ogg", EncodeSilentOgg(2.0));
      dir.Write("s.txt", c.script);
    }
    const ToolRun run = RunTool(dir.path, "check", c.arguments, 60);
    EXPECT_EQ(run.status, c.status) << c.arguments;
    std::string wanted = c.output;
    if (!c.manifest) wanted = "zorbanel-check: " + RealPath(dir.path.c_str()) + wanted;
    if (wanted.size() > 3 && wanted.compare(wanted.size() - 3, 3, "...") == 0)
      EXPECT_EQ(run.output.rfind(wanted.substr(0, wanted.size() - 3), 0), 0u) << run.output;
    else
      EXPECT_EQ(run.output, wanted);
  }
}

// Music that opens but gives out well before its announced end is a finding: the checker plays
// it through (the player tells of it only when it comes).
TEST(Checker, MusicThatGivesOutEarlyIsAFinding) {
  TempDir dir;
  dir.Write("production.txt", "font f.jpg\nmusic m.mp3\nscript s.txt\n");
  dir.Write("f.jpg", EncodeSolidJpeg(16, 16, 255, 255, 255));
  dir.Write("m.mp3", Spoilt(MarkedMusic("mp3")));
  dir.Write("s.txt", "1 SCENE 0 FX_QUIT\n");
  const ToolRun run = RunTool(dir.path, "check", "", 60);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("production.txt:2: m.mp3: damaged or cut short: its sound gives out "
                            "at 0.95 s of the 3.00 s the file announces"),
            std::string::npos)
      << run.output;
}

TEST(Checker, TimelinePageShowsLanesMarksFindingsAndPictures) {
  TempDir dir;
  WriteProductionMedia(dir, 10.0,
                       "0 SCENE 0 FX_START\n"
                       "0 LAYER 1 FX_START\n"
                       "2 LAYER 1 FX_ALPHA 0.25 over 1 smooth\n"
                       "3 SCENE 0 FX_BLUR 0.5\n"
                       "12 LAYER 1 FX_STOP\n"
                       "9 SCENE 0 FX_QUIT\n");
  dir.Write("production.txt", std::string(kDefaultManifestText) + "tempo 120\n");
  // A file of the author's by the page's name is kept; the checker's own page is replaced.
  dir.Write("notes.html", "<p>mine</p>");
  EXPECT_EQ(RunTool(dir.path, "check", "--timeline notes.html").status, 2);
  EXPECT_EQ(dir.Read("notes.html"), "<p>mine</p>");
  for (int run = 0; run < 2; ++run) {
    const ToolRun check = RunTool(dir.path, "check", "--timeline page.html --thumbnails 1", 120);
    EXPECT_EQ(check.status, 1) << check.output;
  }
  const std::string page = dir.Read("page.html");
  // Nothing comes from elsewhere.
  for (const char* link : {"src=\"http", "href=", "url(", "<link", "@import"})
    EXPECT_EQ(page.find(link), std::string::npos) << link;

  const std::string dom = PageAfterScripts(dir.path + "/page.html", dir.path + "/profile");
  if (dom.empty()) GTEST_SKIP() << "no chromium to open the page in (apt-get install chromium)";
  const ContentManifest& bundled = DefaultManifest();
  // Three lanes for the whole screen (the trail, the glow, the rest) and one for each scene, layer
  // and particle system.
  EXPECT_EQ(Count(dom, "class=\"row lane\""),
            3 + bundled.scenes.size() + bundled.layers.size() + bundled.particleFiles.size());
  EXPECT_NE(dom.find(">LAYER 1 " + bundled.layers[1].path + "<"), std::string::npos);
  EXPECT_EQ(Count(dom, "<g class=\"mark\""), 6u);
  EXPECT_NE(dom.find("data-effect=\"FX_ALPHA\" data-line=\"3\" data-time=\"2\""),
            std::string::npos);
  EXPECT_EQ(Count(dom, "class=\"moving\""), 1u);  // the move, drawn over its second
  EXPECT_NE(dom.find("ALPHA 0.25 over 1 s smooth"), std::string::npos);
  // The event after the music's end is a finding at its time; the grid has a bar every 2 s.
  EXPECT_NE(dom.find("<g class=\"finding\" data-time=\"12\">"), std::string::npos);
  EXPECT_GE(Count(dom, "class=\"bar\""), 5u);
  EXPECT_NE(dom.find("class=\"thumb\" src=\"data:image/png;base64,"), std::string::npos);
}

TEST(Checker, TimelinePageDrawsEachValueFromWhereItStarts) {
  TempDir dir;
  // The bundled manifest starts layer 1 at opacity 0, at 0,0 and 800 x 600.
  WriteProductionMedia(dir, 10.0,
                       "0 LAYER 1 FX_START\n"
                       "2 LAYER 1 FX_ALPHA 1 over 1\n"
                       "3 LAYER 1 FX_MOVE 10 -20 over 1\n"
                       "4 LAYER 1 FX_RESIZE 400 300\n"
                       "5 SCENE 0 FX_BLUR 0.5\n"
                       "6 SCENE 0 FX_SATURATE 40 0.1\n"
                       "9 SCENE 0 FX_QUIT\n");
  ASSERT_EQ(RunTool(dir.path, "check", "--timeline page.html --thumbnails 1", 120).status, 0);
  const std::string dom = PageAfterScripts(dir.path + "/page.html", dir.path + "/profile");
  if (dom.empty()) GTEST_SKIP() << "no chromium to open the page in (apt-get install chromium)";
  // A lane is 28 pixels high; a value's line runs from y 25 at the bottom of its range to 3 at
  // the top, from 0 s to the end.
  const struct {
    const char* lane;
    const char* effect;
    int part;
    const char* first;  // where the line starts at 0 s
    const char* last;   // and where it ends
  } cases[] = {
      {"layer-1", "FX_ALPHA", 0, "25.0", "3.0"},    // 0 to 1 of 0..1
      {"layer-1", "FX_MOVE", 0, "25.0", "3.0"},     // x: 0 to 10
      {"layer-1", "FX_MOVE", 1, "3.0", "25.0"},     // y: 0 to -20
      {"layer-1", "FX_RESIZE", 0, "3.0", "14.0"},   // width: 800 to 400
      {"layer-1", "FX_RESIZE", 1, "3.0", "14.0"},   // height: 600 to 300
      {"trail", "FX_BLUR", 0, "25.0", "14.0"},      // 0 to 0.5 of 0..1
      {"glow", "FX_SATURATE", 0, "25.0", "3.0"},    // 0 to 40 copies
  };
  for (const auto& c : cases) {
    const size_t row = dom.find(std::string("data-lane=\"") + c.lane + "\"");
    ASSERT_NE(row, std::string::npos) << c.lane;
    const std::string lane = dom.substr(row, dom.find("class=\"row lane\"", row) - row);
    const std::string line = std::string("data-effect=\"") + c.effect + "\" data-part=\"" +
                             std::to_string(c.part) + "\" points=\"";
    const size_t at = lane.find(line);
    ASSERT_NE(at, std::string::npos) << c.lane << " " << c.effect << " " << c.part;
    const std::string points = lane.substr(at + line.size(), lane.find('"', at + line.size()) -
                                                                 at - line.size());
    const std::string where = std::string(c.lane) + " " + c.effect + " " + std::to_string(c.part);
    EXPECT_EQ(points.rfind(std::string("0.0,") + c.first + " ", 0), 0u) << where << ": " << points;
    EXPECT_EQ(points.substr(points.rfind(',') + 1), c.last) << where << ": " << points;
  }
}
