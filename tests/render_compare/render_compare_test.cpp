// The gl3 renderer against the classic one on the bundled production (the CTest fixture makes it
// in <build>/test-production), at moments that between them show every part of the picture.
// A frame of each renderer per moment, held to the tolerance zorbanel-compare applies.
#include <gtest/gtest.h>

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

}  // namespace

TEST(RenderCompare, Gl3DrawsWhatClassicDraws) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  const Tolerance tolerance;
  for (const Moment& moment : kMoments) {
    SCOPED_TRACE(std::string(moment.second) + " s: " + moment.shows);
    const std::string to = std::to_string(std::stod(moment.second) + 0.02);
    for (const char* renderer : {"classic", "gl3"}) {
      const ToolRun run = RunTool(
          dir.path, "capture",
          std::string("-C ") + ZB_TOOLS_DIR "/test-production --renderer " + renderer +
              " --fps 30 --from " + moment.second + " --to " + to + " --frames " + dir.path +
              "/" + renderer + "/" + moment.second);
      ASSERT_EQ(run.status, 0) << renderer << " capture: " << run.output;
    }
    const FolderComparison comparison =
        CompareFolders(dir.path + "/classic/" + moment.second,
                       dir.path + "/gl3/" + moment.second, tolerance.levels);
    for (const std::string& fault : comparison.faults) ADD_FAILURE() << fault;
    EXPECT_EQ(comparison.frames.size(), 1u);
    for (const FrameDifference& frame : comparison.frames)
      EXPECT_TRUE(MeetsTolerance(frame.difference, tolerance))
          << FrameLine(frame, tolerance.levels);
  }
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
