// What the capture leaves of the user's files when it cannot do its work: the old output as it
// was, nothing beside it, and a line saying what went wrong and where.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/mount.h>
#include <sys/resource.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "CaptureRun.h"
#include "support/TempDir.h"
#include "support/TestScreen.h"

namespace {

bool HasFfmpeg() { return std::system("command -v ffprobe > /dev/null") == 0; }

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

// A write that fails, past a file-size limit or on a full disk, is told with the file it was
// for; the run fails and the older video or frame stays, with nothing left beside it.
TEST(CaptureOutputs, AFileSizeLimitOrAFullDiskKeepsTheOldOutput) {
#ifdef _WIN32
  GTEST_SKIP() << "the size limit and the small file system are Linux's (setrlimit, mount)";
#else
  TempDir dir;
  WriteCaptureProduction(dir, false);
  struct Case {
    bool full;      // a full disk; else a file-size limit
    bool video;     // a video; else PNG frames
    const char* why;
  };
  const Case cases[] = {{false, false, "File too large"}, {false, true, "File too large"},
                        {true, false, "No space left on device"},
                        {true, true, "No space left on device"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.full ? "full disk, " : "size limit, ") +
                 (c.video ? "video" : "frames"));
    if (c.video && !HasFfmpeg()) continue;
    const std::string out = dir.path + "/out";
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    // A file system of one page, which the old output fills; mounting needs root.
    const bool mounted = c.full && ::mount("tmpfs", out.c_str(), "tmpfs", 0, "size=4k") == 0;
    if (c.full && !mounted) {
      std::printf("no tmpfs can be mounted here: the full disk is not tried\n");
      continue;
    }
    const std::string old = c.video ? "out/video.mp4" : "out/frames/000001.png";
    dir.Write(old, "what was there");
    std::vector<std::string> args = {"--fps", "10", "--to", "0.3"};
    if (c.video) args.insert(args.end(), {"-o", "out/video.mp4"});
    else args.insert(args.end(), {"--frames", "out/frames"});
    rlimit saved;  // as `ulimit -f`; the test writes nothing meanwhile
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = {c.full ? saved.rlim_cur : 1024, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const CaptureRun run = RunCaptureTool(dir, args);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(run.status, 1) << run.errors;
    EXPECT_TRUE(Has(run.errors, c.why)) << run.errors;
    EXPECT_TRUE(Has(run.errors, c.video ? "out/video.mp4 is left as it was" : "out/frames/0000"))
        << run.errors;
    EXPECT_EQ(dir.Read(old), "what was there");
    EXPECT_EQ(FrameNames(dir, c.video ? "out" : "out/frames"),
              (std::vector<std::string>{c.video ? "video.mp4" : "000001.png"}));
    if (mounted) ::umount2(out.c_str(), MNT_DETACH);
  }
#endif
}

// Every part is checked before the join writes anything: a part that is missing, empty, not a
// video, a picture, or of another frame rate is named, and the old video stays.
TEST(CaptureOutputs, AJoinChecksEveryPartFirst) {
  ZB_REQUIRE_SCREEN();
  if (!HasFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempDir dir;
  WriteCaptureProduction(dir, false);
  for (const char* fps : {"10", "5"}) {
    const CaptureRun run =
        RunCaptureTool(dir, {"--fps", fps, "--to", "0.4", "-o", std::string("at") + fps + ".mp4"});
    ASSERT_EQ(run.status, 0) << run.errors;
  }
  std::string noise(20000, '\0');
  std::mt19937 random(3);
  for (char& c : noise) c = static_cast<char>(random());
  dir.Write("noise.mp4", noise);
  dir.Write("empty.mp4", "");
  dir.Write("joined.mp4", "the old join");
  struct Case {
    std::vector<std::string> args;  // after --join
    int status;
    const char* says;
  };
  const Case cases[] = {
      {{"joined.mp4", "at10.mp4", "missing.mp4"}, 1, "missing.mp4: No such file"},
      {{"joined.mp4", "at10.mp4", "empty.mp4"}, 1, "empty.mp4 is empty"},
      {{"joined.mp4", "noise.mp4", "at10.mp4"}, 1, "noise.mp4 is not a video ffprobe can read"},
      {{"joined.mp4", "at10.mp4", "textures/blank.jpg"}, 1, "blank.jpg is not a video"},
      {{"joined.mp4", "at10.mp4", "at5.mp4"}, 1, "at5.mp4 (video h264 800x600 5/1 fps"},
      {{"joined.mp4", "at10.mp4", "joined.mp4"}, 1, "joined.mp4 is not a video"},
      {{"at10.mp4", "at10.mp4", "at10.mp4"}, 2, "refusing to write"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--join"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CaptureRun run = RunCaptureTool(dir, args);
    EXPECT_EQ(run.status, c.status) << c.args[2] << ": " << run.errors;
    EXPECT_TRUE(Has(run.errors, c.says)) << run.errors;
  }
  EXPECT_EQ(dir.Read("joined.mp4"), "the old join");
}
