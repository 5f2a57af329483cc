// What the capture leaves of the user's files when it cannot do its work: the old output as it
// was, nothing beside it, and a line saying what went wrong and where.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "CaptureRun.h"
#include "PngFile.h"
#include "driver/ContentManifest.h"
#include "support/TempDir.h"

namespace {

bool HasFfmpeg() { return std::system("command -v ffprobe > /dev/null") == 0; }

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A folder at `path`, with `mount` a file system of its own, full once Fill has run; unmounted
// when the object goes. Mounting needs root: `mounted` tells.
struct SmallDisk {
  std::string path;
  bool mounted = false;
  SmallDisk(const std::string& where, bool mount) : path(where) {
    std::filesystem::create_directories(path);
    mounted = mount && ::mount("tmpfs", path.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~SmallDisk() {
    if (mounted) ::umount2(path.c_str(), MNT_DETACH);
  }
  void Fill() const {
    FILE* f = std::fopen((path + "/filler").c_str(), "wb");
    const std::string block(512, 'f');
    while (f && std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
    }
    if (f) std::fclose(f);
  }
};

// A run with the process's file-size limit at `bytes` (as `ulimit -f`); the test process writes
// nothing meanwhile.
CaptureRun RunUnderSizeLimit(const TempDir& dir, const std::vector<std::string>& args,
                             rlim_t bytes) {
  rlimit saved;
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = bytes;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const CaptureRun run = RunCaptureTool(dir, args);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  return run;
}

// The production's manifest with one path of the built-in one named otherwise.
void RenameInManifest(const TempDir& dir, const std::string& from, const std::string& to) {
  std::string text = kDefaultManifestText;
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
  dir.Write(kManifestFile, text);
}

}  // namespace

// A write that fails, past a file-size limit or on a full disk, is told with the file it was
// for; the run fails and the older video or frame stays, with nothing left beside it.
TEST(CaptureOutputs, AFileSizeLimitOrAFullDiskKeepsTheOldOutput) {
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
    SCOPED_TRACE(std::string(c.full ? "full disk, " : "size limit, ") + (c.video ? "video" : "frames"));
    if (c.video && !HasFfmpeg()) continue;
    std::filesystem::remove_all(dir.path + "/out");
    SmallDisk disk(dir.path + "/out", c.full);
    if (c.full && !disk.mounted) {
      std::printf("no tmpfs can be mounted here: the full disk is not tried\n");
      continue;
    }
    const std::string old = c.video ? "out/video.mp4" : "out/frames/000001.png";
    dir.Write(old, "what was there");
    if (c.full) disk.Fill();
    std::vector<std::string> args = {"--fps", "10", "--to", "0.3"};
    if (c.video) args.insert(args.end(), {"-o", "out/video.mp4"});
    else args.insert(args.end(), {"--frames", "out/frames"});
    const CaptureRun run = c.full ? RunCaptureTool(dir, args) : RunUnderSizeLimit(dir, args, 1024);
    EXPECT_EQ(run.status, 1) << run.errors;
    EXPECT_TRUE(Has(run.errors, c.why)) << run.errors;
    EXPECT_TRUE(Has(run.errors, c.video ? "out/video.mp4 is left as it was" : "out/frames/0000"))
        << run.errors;
    EXPECT_EQ(dir.Read(old), "what was there");
    std::vector<std::string> left = FrameNames(dir, c.video ? "out" : "out/frames");
    left.erase(std::remove(left.begin(), left.end(), "filler"), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{c.video ? "video.mp4" : "000001.png"}));
  }
}

// An output that is a file the production reads is refused however it is spelt or linked, and
// so is a frame folder where a frame would replace one; the file stays as it was.
TEST(CaptureOutputs, RefusesToWriteOverWhatTheProductionReads) {
  TempDir dir;
  WriteCaptureProduction(dir, false);
  const std::string script = dir.Read("escenas_bin/script2_full.txt");
  dir.Write("timeline.mkv", script);
  RenameInManifest(dir, "escenas_bin\\script2_full.txt", "timeline.mkv");
  dir.Write("shots/000007.png", dir.Read("textures/blank.jpg"));
  dir.Write("production.txt", dir.Read("production.txt") + "layer shots\\000007.png 0.0\n");
  std::filesystem::create_hard_link(dir.path + "/music/music.ogg", dir.path + "/sound.mp4");
  std::filesystem::create_directory(dir.path + "/sub");
  const std::string music = dir.Read("music/music.ogg");
  struct Case {
    std::vector<std::string> args;
    const char* named;
  };
  const Case cases[] = {{{"-o", "timeline.mkv"}, "timeline.mkv"},
                        {{"-o", "sub/../timeline.mkv"}, "timeline.mkv"},
                        {{"-o", "sound.mp4"}, "music.ogg"},
                        {{"--frames", "shots"}, "000007.png"}};
  for (const Case& c : cases) {
    const CaptureRun run = RunCaptureTool(dir, c.args);
    EXPECT_EQ(run.status, 2) << c.args[1] << ": " << run.errors;
    EXPECT_TRUE(Has(run.errors, "refusing") && Has(run.errors, c.named)) << run.errors;
  }
  EXPECT_EQ(dir.Read("timeline.mkv"), script);
  EXPECT_EQ(dir.Read("music/music.ogg"), music);
  EXPECT_EQ(FrameNames(dir, "shots"), std::vector<std::string>{"000007.png"});
}

// A stretch or part with no frame to write fails with a line that says why, leaving the old
// output; each run's log is a file of its own, and the player's log is not touched.
TEST(CaptureOutputs, NothingToCaptureIsAFailureAndEachRunKeepsItsOwnLog) {
  TempDir dir;
  WriteCaptureProduction(dir, false);  // ends with FX_QUIT at 2 s
  dir.Write("old.mp4", "the old video");
  dir.Write("LOGFILE.TXT", "the player's log");
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"--fps", "10", "--from", "3", "--to", "4", "-o", "old.mp4"}, "FX_QUIT event at second 2"},
      {{"--fps", "10", "--from", "1.95", "--part", "1/1", "--to", "3", "--frames", "late"},
       "FX_QUIT event at second 2"},
      {{"--fps", "10", "--to", "0.1", "--part", "1/3", "-o", "old.mp4"}, "part 1/3 holds no frame"},
  };
  for (const Case& c : cases) {
    const CaptureRun run = RunCaptureTool(dir, c.args);
    EXPECT_EQ(run.status, 1) << run.errors;
    EXPECT_TRUE(Has(run.errors, c.says)) << run.errors;
  }
  EXPECT_EQ(dir.Read("old.mp4"), "the old video");
  EXPECT_TRUE(FrameNames(dir, "late").empty());
  EXPECT_EQ(dir.Read("LOGFILE.TXT"), "the player's log");
  int logs = 0;
  for (const std::string& name : FrameNames(dir, ".")) {
    if (name.rfind("LOGFILE-capture-", 0) != 0) continue;
    ++logs;
    EXPECT_TRUE(Has(dir.Read(name), "VELK 3D Engine")) << name;
  }
  EXPECT_EQ(logs, 3);
}

// Every part is checked before the join writes anything: a part that is missing, empty, not a
// video, a picture, or of another frame rate is named, and the old video stays.
TEST(CaptureOutputs, AJoinChecksEveryPartFirst) {
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
  std::vector<uint8_t> png;
  const std::vector<uint8_t> rgb(16 * 16 * 3, 128);
  ASSERT_TRUE(EncodePng(16, 16, rgb.data(), png));
  dir.Write("picture.png", std::string(png.begin(), png.end()));
  dir.Write("joined.mp4", "the old join");
  struct Case {
    std::vector<std::string> parts;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {{"at10.mp4", "missing.mp4"}, 1, "missing.mp4: No such file"},
      {{"at10.mp4", "empty.mp4"}, 1, "empty.mp4 is empty"},
      {{"noise.mp4", "at10.mp4"}, 1, "noise.mp4 is not a video ffprobe can read"},
      {{"at10.mp4", "picture.png"}, 1, "picture.png is not a video"},
      {{"at10.mp4", "at5.mp4"}, 1, "at5.mp4 (video h264 800x600 5/1 fps"},
      {{"at10.mp4", "joined.mp4"}, 1, "joined.mp4 is not a video"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--join", "joined.mp4"};
    args.insert(args.end(), c.parts.begin(), c.parts.end());
    const CaptureRun run = RunCaptureTool(dir, args);
    EXPECT_EQ(run.status, c.status) << c.parts[1] << ": " << run.errors;
    EXPECT_TRUE(Has(run.errors, c.says)) << run.errors;
  }
  EXPECT_EQ(dir.Read("joined.mp4"), "the old join");
  const CaptureRun run = RunCaptureTool(dir, {"--join", "at10.mp4", "at10.mp4", "at10.mp4"});
  EXPECT_EQ(run.status, 2) << run.errors;
  EXPECT_TRUE(Has(run.errors, "refusing to write")) << run.errors;
}
