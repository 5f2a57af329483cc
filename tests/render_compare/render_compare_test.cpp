// The gl3 renderer against the classic one on the bundled production (the CTest fixture makes it
// in <build>/test-production), at moments that between them show every part of the picture.
// A frame of each renderer per moment, held to the tolerance zorbanel-compare applies.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ComparisonReport.h"
#include "FolderComparison.h"
#include "support/RunTool.h"
#include "support/TempDir.h"
#include "support/TestProcess.h"
#include "support/TestScreen.h"

namespace {

struct Moment {
  const char* second;
  const char* shows;
};

const Moment kMoments[] = {
    {"5", "the fogged colonnade of columnas and the title card under the noise overlay"},
    {"28", "cam_rutes2 drawn over rare_obj2 with the feedback trail and the glow"},
    {"50.4", "the knot with its environment map and rings, a particle burst and the glow"},
    {"74", "three scenes at once with the trail, the glow and the second noise set"},
    {"84", "aguabola under the aqua deformation, with the glow"},
};

// One frame of `production` from FROM to FROM + 0.02 s at 30 fps by each renderer, into
// frames/classic and frames/gl3, held to the tolerance.
void ExpectEachRendererAlike(const std::string& production, const std::string& from,
                             const std::string& frames) {
  const std::string to = std::to_string(std::stod(from) + 0.02);
  std::filesystem::create_directories(frames);
  for (const char* renderer : {"classic", "gl3"}) {
    const ToolRun run = RunTool(frames, "capture",
                                "-C " + production + " --renderer " + renderer +
                                    " --fps 30 --from " + from + " --to " + to + " --frames " +
                                    frames + "/" + renderer);
    ASSERT_EQ(run.status, 0) << renderer << " capture: " << run.output;
  }
  const Tolerance tolerance;
  const FolderComparison comparison =
      CompareFolders(frames + "/classic", frames + "/gl3", tolerance.levels);
  for (const std::string& fault : comparison.faults) ADD_FAILURE() << fault;
  EXPECT_EQ(comparison.frames.size(), 1u);
  for (const FrameDifference& frame : comparison.frames)
    EXPECT_TRUE(MeetsTolerance(frame.difference, tolerance)) << FrameLine(frame, tolerance.levels);
}

}  // namespace

TEST(RenderCompare, Gl3DrawsWhatClassicDraws) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  for (const Moment& moment : kMoments) {
    SCOPED_TRACE(std::string(moment.second) + " s: " + moment.shows);
    ExpectEachRendererAlike(ZB_TOOLS_DIR "/test-production", moment.second,
                            dir.path + "/" + moment.second);
  }
}

// One effect at a time, pushed past what the production asks of it, on the bundled production's
// scenes and pictures: each case a script of its own, a frame from each renderer at 0.6 s.
TEST(RenderCompare, EachEffectAloneWithinTheTolerance) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  std::filesystem::copy(ZB_TOOLS_DIR "/test-production", dir.path + "/production",
                        std::filesystem::copy_options::recursive);
  const struct {
    const char* name;
    const char* script;
  } cases[] = {
      {"fog and the noise overlay", "0 SCENE 5 FX_START\n0 SCENE 0 FX_NOISE 1\n"},
      {"the trail over a shaking scene",
       "0 SCENE 1 FX_START\n0 SCENE 1 FX_SHAKE 20\n0 SCENE 0 FX_BLUR 0.6\n"},
      {"a glow of 280 copies alike, summed by levels",
       "0 SCENE 3 FX_START\n0 SCENE 0 FX_SATURATE 280 0\n"},
      {"a glow of 280 copies each smaller, in two batches",
       "0 SCENE 3 FX_START\n0 SCENE 0 FX_SATURATE 280 0.5\n"},
      {"ten layers, more than the frame pass blends, one shaking",
       "0 SCENE 6 FX_START\n0 LAYER 3 FX_START\n0 LAYER 4 FX_START\n0 LAYER 5 FX_START\n"
       "0 LAYER 6 FX_START\n0 LAYER 7 FX_START\n0 LAYER 8 FX_START\n0 LAYER 9 FX_START\n"
       "0 LAYER 10 FX_START\n0 LAYER 11 FX_START\n0 LAYER 11 FX_ALPHA 0.3\n"
       "0 LAYER 16 FX_START\n0 LAYER 16 FX_RESIZE 300 200\n0 LAYER 4 FX_SHAKE 12\n"},
      {"particles bursting over a scene",
       "0 SCENE 4 FX_START\n0 PARTICLE 0 FX_START\n0.3 PARTICLE 0 FX_EXPLODE 4 120\n"},
      {"the aqua ripple", "0 SCENE 7 FX_START\n0 SCENE 7 FX_AQUA 1\n"},
  };
  int number = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dir.Write("production/escenas_bin/script2_full.txt", c.script);
    ExpectEachRendererAlike(dir.path + "/production", "0.6",
                            dir.path + "/case" + std::to_string(++number));
  }
}

// A modeller's scene in place of the production's first: an object turning under a moving
// parent, spot and directional lights, unlit, masked, vertex-coloured, wrapped and transformed
// materials. Both renderers alike while it moves, and it moves.
TEST(RenderCompare, AModellersSceneMovesAndLightsAlike) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  const std::string production = dir.path + "/production";
  std::filesystem::copy(ZB_TOOLS_DIR "/test-production", production,
                        std::filesystem::copy_options::recursive);
  std::filesystem::remove(production + "/escenas/rare_obj2.ase");
  std::filesystem::copy_file(ZB_SOURCE_DIR "/tests/data/gltf/ModellerScene.gltf",
                             production + "/escenas/rare_obj2.gltf");
  std::filesystem::copy_file(production + "/textures/credits1.jpg", production + "/escenas/wall.jpg");
  const ToolRun convert = RunTool(production, "convert", "--quiet rare_obj2");
  ASSERT_EQ(convert.status, 0) << convert.output;
  dir.Write("production/escenas_bin/script2_full.txt", "0 SCENE 0 FX_START\n");
  for (const char* second : {"0.6", "1.6"}) {
    SCOPED_TRACE(second);
    ExpectEachRendererAlike(production, second, dir.path + "/at" + second);
  }
  const std::string early = dir.Read("at0.6/gl3/000018.png"), late = dir.Read("at1.6/gl3/000048.png");
  EXPECT_FALSE(early.empty());
  EXPECT_NE(early, late);
}

// Where the driver offers no core-profile context (Mesa told to offer OpenGL 2.1 alone), the
// capture says so in one line and draws with the classic renderer: the reference frames.
TEST(RenderCompare, WithoutACoreContextTheClassicRendererDraws) {
  ZB_REQUIRE_SCREEN();
#ifdef _WIN32
  GTEST_SKIP() << "Wine makes its contexts its own way: Mesa's version override does not reach "
                  "the core-profile request";
#endif
  TempDir dir;
  const std::string stretch = std::string("-C ") + ZB_TOOLS_DIR +
                              "/test-production --fps 30 --from 28 --to 28.02 --frames " +
                              dir.path + "/";
  const ToolRun classic = RunTool(dir.path, "capture", stretch + "classic --renderer classic");
  ASSERT_EQ(classic.status, 0) << classic.output;
  SetVariable("MESA_GL_VERSION_OVERRIDE", "2.1");
  const ToolRun fallback = RunTool(dir.path, "capture", stretch + "fallback");
  SetVariable("MESA_GL_VERSION_OVERRIDE", nullptr);
  ASSERT_EQ(fallback.status, 0) << fallback.output;
  EXPECT_NE(fallback.output.find("drawing with the classic renderer"), std::string::npos)
      << fallback.output;
  const FolderComparison comparison =
      CompareFolders(dir.path + "/classic", dir.path + "/fallback", 0);
  ASSERT_EQ(comparison.frames.size(), 1u);
  EXPECT_TRUE(comparison.faults.empty());
  EXPECT_EQ(comparison.frames[0].difference.withinShare, 100.0) << "the very same frame";
}
