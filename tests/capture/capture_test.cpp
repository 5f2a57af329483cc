#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "CaptureRun.h"
#include "FrameClock.h"
#include "PngFile.h"
#include "PngPicture.h"
#include "support/TestMusic.h"
#include "support/TestProduction.h"
#include "driver/ContentManifest.h"
#include "render/SceneRenderer.h"
#include "scene/Scene.h"
#include "support/TempDir.h"
#include "support/TestScreen.h"

namespace {

std::vector<std::string> Names(int first, int count) {
  std::vector<std::string> names;
  for (int k = first; k < first + count; ++k) {
    char name[16];
    std::snprintf(name, sizeof name, "%06d.png", k);
    names.push_back(name);
  }
  return names;
}

bool HasFfmpeg() { return std::system("command -v ffprobe > /dev/null") == 0; }

bool Lit(const RgbPicture& p) { return p.At(100, 75)[0] >= 200 && p.At(100, 75)[1] >= 200; }

}  // namespace

// Shakes draw random numbers, the particle bursts and the scene's animation run on timers, the
// trail and the noise carry state from frame to frame: with all of that on, two captures of the
// same stretch must still agree byte for byte, and a stretch captured alone must be the same
// frames as in a capture from the start.
TEST(Capture, SameFramesEveryTimeAndAPartAsInTheWhole) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  WriteCaptureProduction(dir);
  struct Stretch {
    const char* from;
    const char* to;
    int first;
  };
  const Stretch stretches[] = {{"0.4", "0.6", 12}, {"1.0", "1.2", 30}};
  for (const Stretch& s : stretches) {
    for (const char* folder : {"a", "b"}) {
      const std::string out = std::string(folder) + s.from;
      const CaptureRun run = RunCaptureTool(
          dir, {"--fps", "30", "--from", s.from, "--to", s.to, "--frames", out});
      ASSERT_EQ(run.status, 0) << run.errors;
      EXPECT_EQ(FrameNames(dir, out), Names(s.first, 6)) << run.errors;
    }
  }
  const CaptureRun whole = RunCaptureTool(dir, {"--fps", "30", "--to", "1.2", "--frames", "whole"});
  ASSERT_EQ(whole.status, 0) << whole.errors;
  ASSERT_EQ(FrameNames(dir, "whole"), Names(0, 36));

  for (const Stretch& s : stretches) {
    std::set<std::string> distinct;
    for (const std::string& name : Names(s.first, 6)) {
      const std::string a = dir.Read(std::string("a") + s.from + "/" + name);
      ASSERT_FALSE(a.empty());
      EXPECT_EQ(a, dir.Read(std::string("b") + s.from + "/" + name)) << "again: " << name;
      EXPECT_EQ(a, dir.Read("whole/" + name)) << "from the start: " << name;
      distinct.insert(a);
    }
    EXPECT_GT(distinct.size(), 3u) << "the shake moves the picture from frame to frame";
  }
  // The pictures hold what the production shows: the red square at the centre, the particles.
  const RgbPicture frame = ReadFrame(dir, "whole/000020.png");
  ASSERT_EQ(frame.width, 800);
  ASSERT_EQ(frame.height, 600);
  EXPECT_GE(frame.At(400, 300)[0], 180);
  int blue = 0;
  for (size_t i = 0; i < frame.rgb.size(); i += 3) blue += frame.rgb[i + 2] >= 150 && frame.rgb[i] < 100;
  EXPECT_GT(blue, 50) << "the particles above the square";
}

// Frame k is composed at music time k / fps: the layer lit at 0.5 s shows from frame 15 at 30 fps
// and from frame 30 at 60 fps, and not a frame earlier. At 60 fps the square's 30-frame pace makes
// every second frame repeat the picture on the screen; the composed ones fall on even numbers.
TEST(Capture, AnEventShowsFromTheFrameOfItsTimeOn) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  WriteCaptureProduction(dir);
  struct Rate {
    const char* fps;
    int eventFrame;
  };
  for (const Rate& rate : {Rate{"30", 15}, Rate{"60", 30}}) {
    const std::string out = std::string("fps") + rate.fps;
    const CaptureRun run =
        RunCaptureTool(dir, {"--fps", rate.fps, "--from", "0.45", "--to", "0.55", "--frames", out});
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::vector<std::string> names = FrameNames(dir, out);
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
      const int frame = std::atoi(name.c_str());
      const RgbPicture picture = ReadFrame(dir, out + "/" + name);
      ASSERT_EQ(picture.width, 800);
      EXPECT_EQ(Lit(picture), frame >= rate.eventFrame) << rate.fps << " fps, frame " << frame;
    }
    EXPECT_LT(std::atoi(names.front().c_str()), rate.eventFrame);
  }
}

// A late stretch starts with a seek and two seconds drawn unwritten: its frames are those of the
// capture composed from second 0 (--exact), shakes, bursts and noise included; the trail's
// rounding may keep a last unit of its older history.
TEST(Capture, ASoughtStretchLooksAsTheExactOne) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  WriteProductionMedia(dir, 6.0,
                       "0 SCENE 0 FX_START\n"
                       "0 SCENE 0 FX_SHAKE 8\n"
                       "0 SCENE 0 FX_BLUR 0.5\n"
                       "0 SCENE 0 FX_NOISE 1\n"
                       "0 PARTICLE 0 FX_START\n"
                       "3.2 PARTICLE 0 FX_EXPLODE 30 40\n"
                       "0 LAYER 16 FX_START\n"
                       "0 LAYER 16 FX_ALPHA 0\n"
                       "0 LAYER 16 FX_RESIZE 200 150\n"
                       "0 LAYER 16 FX_SHAKE 6\n"
                       "3.5 LAYER 16 FX_ALPHA 1\n"
                       "5 SCENE 0 FX_QUIT\n");
  WriteCaptureContent();
  for (const char* out : {"sought", "exact"}) {
    std::vector<std::string> args = {"--fps", "30", "--from", "3.4", "--to", "3.6", "--frames", out};
    if (out == std::string("exact")) args.push_back("--exact");
    const CaptureRun run = RunCaptureTool(dir, args);
    ASSERT_EQ(run.status, 0) << run.errors;
    ASSERT_EQ(FrameNames(dir, out), Names(102, 6)) << run.errors;
  }
  std::set<std::vector<uint8_t>> distinct;
  int largest = 0;
  for (const std::string& name : Names(102, 6)) {
    const RgbPicture sought = ReadFrame(dir, "sought/" + name), exact = ReadFrame(dir, "exact/" + name);
    ASSERT_EQ(sought.rgb.size(), exact.rgb.size());
    EXPECT_EQ(Lit(sought), std::atoi(name.c_str()) >= 105) << name;
    for (size_t i = 0; i < sought.rgb.size(); ++i)
      largest = std::max(largest, std::abs(int{sought.rgb[i]} - exact.rgb[i]));
    distinct.insert(sought.rgb);
  }
  EXPECT_LE(largest, 1);
  EXPECT_GT(distinct.size(), 3u) << "the shake moves the picture from frame to frame";
}

// Without --to the capture ends where the player would: at the script's quit event.
TEST(Capture, EndsAtTheQuitEvent) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  WriteCaptureProduction(dir, false);
  const CaptureRun run = RunCaptureTool(dir, {"--fps", "10", "--frames", "all"});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(FrameNames(dir, "all"), Names(0, 20));  // 2 s at 10 fps, the quit frame not drawn
}

// Stopped from outside (SIGTERM, or Ctrl+C on a terminal), the capture ends after the frame in
// hand, keeps what it wrote and says so in its status.
TEST(Capture, StopsWhenAskedAndKeepsItsFrames) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  WriteCaptureProduction(dir, false);
  const CaptureRun run =
      RunCaptureTool(dir, {"--fps", "240", "--frames", "part"}, 120,
                     [&] { return std::filesystem::exists(dir.path + "/part/000002.png"); });
  EXPECT_EQ(run.status, 130) << run.errors;
  EXPECT_NE(run.errors.find("capture interrupted"), std::string::npos) << run.errors;
  const std::vector<std::string> names = FrameNames(dir, "part");
  ASSERT_GE(names.size(), 3u);
  EXPECT_LT(names.size(), 480u) << "2 s at 240 fps would be 480";
  EXPECT_EQ(ReadFrame(dir, "part/" + names.back()).width, 800) << "the last frame is whole";
}

// Asked to stop inside a frame of a million glow copies (minutes in software), the capture
// ends within moments and writes no part-drawn frame.
TEST(Capture, StopsAtOnceInsideAHeavyFrame) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  WriteSmallProduction(dir, "", "0 SCENE 0 FX_SATURATE 1000000 0.3\n");
  const auto start = std::chrono::steady_clock::now();
  const CaptureRun run = RunCaptureTool(dir, {"--fps", "10", "--frames", "heavy"}, 60, [&] {
    return std::chrono::steady_clock::now() - start > std::chrono::seconds(3);
  });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5500));
  EXPECT_EQ(run.status, 130) << run.errors;
  EXPECT_TRUE(FrameNames(dir, "heavy").empty());
}

TEST(Capture, RefusesWhatItCannotCapture) {
  ZB_REQUIRE_SCREEN();
  TempDir empty;
  CaptureRun run = RunCaptureTool(empty, {"--frames", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("holds no production"), std::string::npos) << run.errors;
  EXPECT_TRUE(FrameNames(empty, "out").empty());
  EXPECT_TRUE(empty.Read("LOGFILE.TXT").empty()) << "nothing is started";

  // Each bad command line is told with the usage (the shapes themselves: CaptureOptions).
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--fps", "0"}, {"--frames"}, {"--join", "out.mp4"}}) {
    run = RunCaptureTool(empty, args);
    EXPECT_EQ(run.status, 2) << args[0];
    EXPECT_NE(run.errors.find("Usage: zorbanel-capture"), std::string::npos) << args[0];
  }

  // The production (ending with FX_QUIT at 2 s) reads its script from timeline.mkv, a layer
  // from shots/000007.png (where --frames shots would write frame 7) and its music also through
  // a hard link.
  TempDir dir;
  WriteCaptureProduction(dir, false);
  const std::string script = dir.Read("escenas_bin/script2_full.txt");
  dir.Write("timeline.mkv", script);
  dir.Write("shots/000007.png", dir.Read("textures/blank.jpg"));
  std::string manifest = kDefaultManifestText;
  const std::string scriptEntry = "escenas_bin\\script2_full.txt";
  manifest.replace(manifest.find(scriptEntry), scriptEntry.size(), "timeline.mkv");
  dir.Write(kManifestFile, manifest + "layer shots\\000007.png 0.0\n");
  std::filesystem::create_hard_link(dir.path + "/music/music.ogg", dir.path + "/sound.mp4");
#ifndef _WIN32  // links are made by administrators only on Windows
  std::filesystem::create_directory_symlink(dir.path + "/textures", dir.path + "/linked");
#endif
  std::filesystem::create_directory(dir.path + "/sub");
  dir.Write("old.mp4", "the old video");
  dir.Write("LOGFILE.TXT", "the player's log");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string says;
  };
  // Files are named with the system's own folder separator.
  const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));
  const Case cases[] = {
      // Nothing is written where the production reads from, by name, link or identity.
      {{"-o", "textures/clip.mp4"}, 2, "refusing"},
      {{"-o", "TEXTURES/clip.mp4"}, 2, "refusing"},
      {{"--frames", "escenas_bin/shots"}, 2, "refusing"},
#ifndef _WIN32
      {{"-o", "linked/clip.mp4"}, 2, "refusing"},
#endif
      {{"-o", "sub/../timeline.mkv"}, 2, "the production reads timeline.mkv"},
      {{"-o", "sound.mp4"}, 2, "the production reads music" + sep + "music.ogg"},
      {{"--frames", "shots"}, 2, "shots" + sep + "000007.png"},
      // Stretches and parts with no frame to write.
      {{"--from", "5", "-o", "old.mp4"}, 1, "the production ends at second 2"},
      {{"--fps", "30", "--from", "0.01", "--to", "0.02", "-o", "old.mp4"}, 1, "no frame falls between"},
      {{"--fps", "10", "--from", "3", "--to", "4", "-o", "old.mp4"}, 1, "FX_QUIT event at second"},
      {{"--fps", "10", "--from", "1.95", "--to", "3", "--part", "1/1", "--frames", "late"}, 1,
       "FX_QUIT event at second 2"},
      {{"--fps", "10", "--to", "0.1", "--part", "1/3", "-o", "old.mp4"}, 1,
       "part 1/3 holds no frame of the 1 in the stretch"},
  };
  for (const Case& c : cases) {
    run = RunCaptureTool(dir, c.args);
    EXPECT_EQ(run.status, c.status) << c.args[1];
    EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
  }
  EXPECT_EQ(FrameNames(dir, "textures").size(), 19u) << "nothing added";
  EXPECT_TRUE(FrameNames(dir, "escenas_bin/shots").empty());
  EXPECT_EQ(FrameNames(dir, "shots"), std::vector<std::string>{"000007.png"});
  EXPECT_TRUE(FrameNames(dir, "late").empty());
  EXPECT_EQ(dir.Read("timeline.mkv"), script);
  EXPECT_EQ(dir.Read("old.mp4"), "the old video");
  // Each run that started the production has a log of its own; the player's is not touched.
  EXPECT_EQ(dir.Read("LOGFILE.TXT"), "the player's log");
  std::vector<std::string> logs;  // the runs past start-up: the last eight cases
  for (const std::string& name : FrameNames(dir, "."))
    if (name.rfind("LOGFILE-capture-", 0) == 0) logs.push_back(dir.Read(name).substr(0, 14));
  EXPECT_EQ(logs, std::vector<std::string>(8, "VELK 3D Engine"));

  std::remove((dir.path + "/textures/logo2.jpg").c_str());
  run = RunCaptureTool(dir, {"--frames", "broken"});
  EXPECT_EQ(run.status, 1) << "a texture is missing: start-up cannot go on";
  EXPECT_NE(run.errors.find("logo2.jpg"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("could not start"), std::string::npos) << run.errors;
  dir.Write("textures/logo2.jpg", EncodeSolidJpeg(8, 8, 255, 255, 0));

  // Without its music the production plays on a silent clock to its FX_QUIT; without that
  // either, it has no end.
  dir.Write("music/music.ogg", "");
  run = RunCaptureTool(dir, {"--fps", "10", "--frames", "silent"});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.errors.find("music.ogg: empty file: the production plays on a silent clock"),
            std::string::npos)
      << run.errors;
  EXPECT_EQ(FrameNames(dir, "silent"), Names(0, 20));
  dir.Write("timeline.mkv", "0 LAYER 16 FX_START\n");
  run = RunCaptureTool(dir, {"--frames", "endless"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("no music and no FX_QUIT event, so it has no end: give --to"),
            std::string::npos)
      << run.errors;
}

// The video takes the place of the old one only once whole.
TEST(Capture, WritesAVideoWithTheMusic) {
  ZB_REQUIRE_SCREEN();
  if (!HasFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempDir dir;
  WriteCaptureProduction(dir, false);
  dir.Write("out.mp4", "an older video");
  const CaptureRun run = RunCaptureTool(dir, {"--fps", "10", "--to", "1", "-o", "out.mp4"});
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string streams =
      ProbeVideo(dir, "out.mp4", "stream=codec_name,width,height,nb_read_frames");
  EXPECT_NE(streams.find("h264,800,600,10"), std::string::npos) << streams;
  EXPECT_NE(streams.find("aac"), std::string::npos) << streams;

  // Without a music line: the video alone, to the quit event at 2 s.
  std::string manifest = kDefaultManifestText;
  manifest.erase(manifest.find("music "), manifest.find('\n', manifest.find("music ")) + 1 -
                                              manifest.find("music "));
  dir.Write(kManifestFile, manifest);
  const CaptureRun silent = RunCaptureTool(dir, {"--fps", "10", "-o", "silent.mp4"});
  ASSERT_EQ(silent.status, 0) << silent.errors;
  const std::string alone =
      ProbeVideo(dir, "silent.mp4", "stream=codec_name,width,height,nb_read_frames");
  EXPECT_NE(alone.find("h264,800,600,20"), std::string::npos) << alone;
  EXPECT_EQ(alone.find("aac"), std::string::npos) << alone;
}

// The video's sound is the music's, in step with its frames, whatever the music's format: a
// capture from 0.5 s hears the tone that starts at 1.0 s of music at its own 0.5 s.
TEST(Capture, TheSoundKeepsStepWithThePictureInEveryMusicFormat) {
  ZB_REQUIRE_SCREEN();
  if (!HasFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  for (const char* format : {"wav", "flac", "opus", "mp3"}) {
    SCOPED_TRACE(format);
    TempDir dir;
    WriteCaptureProduction(dir, false);
    const std::string ogg = "music\\music.ogg";
    std::string manifest = kDefaultManifestText;
    manifest.replace(manifest.find(ogg), ogg.size(), std::string("music\\tune.") + format);
    dir.Write(kManifestFile, manifest);
    dir.Write(std::string("music/tune.") + format, MarkedMusic(format));
    const CaptureRun run = RunCaptureTool(dir, {"--fps", "10", "--from", "0.5", "--to", "1.5",
                                                "-o", "out.mp4"});
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors.find("tune."), std::string::npos) << run.errors;
    const std::string sound = DecodeSound(dir, "out.mp4");
    size_t first = 0;
    while (2 * first + 1 < sound.size() &&
           std::abs(static_cast<int16_t>(static_cast<uint8_t>(sound[2 * first]) |
                                         static_cast<uint8_t>(sound[2 * first + 1]) << 8)) < 3277)
      ++first;
    EXPECT_NEAR(static_cast<double>(first) / 44100, kMarkStart - 0.5, 0.005);
  }
}

// A capture that fails half way (the encoder gives up, or says it could not finish the file
// yet ends with status 0, as on a full disk) or is killed leaves the file it was to replace as
// it was and nothing beside it; frames killed mid-way are whole.
TEST(Capture, AFailedOrKilledCaptureKeepsWhatWasThere) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  WriteCaptureProduction(dir, false);
  dir.Write("out/video.mp4", "the good video");
#ifndef _WIN32  // the stand-in encoder is a shell script
  const std::string path = std::getenv("PATH");
  SetVariable("PATH", (dir.path + "/bin:" + path).c_str());
  // What the encoder does once it has read every frame; its last argument is the output.
  // A file that is not a video is only caught by reading it back, which needs ffprobe.
  const bool readsBack = HasFfmpeg();
  for (const char* ending :
       {"echo half > \"$last\"; exit 1",
        "echo half > \"$last\"; echo 'Error writing trailer: No space left on device' >&2",
        ": > \"$last\"", "echo 'not a video' > \"$last\""}) {
    if (!readsBack && std::string(ending).find("not a video") != std::string::npos) continue;
    dir.Write("bin/ffmpeg",
              std::string("#!/bin/sh\nfor last; do :; done\ncat > /dev/null\n") + ending + "\n");
    std::filesystem::permissions(dir.path + "/bin/ffmpeg", std::filesystem::perms::owner_all);
    const CaptureRun run = RunCaptureTool(dir, {"--fps", "10", "--to", "0.3", "-o", "out/video.mp4"});
    EXPECT_EQ(run.status, 1) << ending << ": " << run.errors;
    EXPECT_NE(run.errors.find("out/video.mp4 is left as it was"), std::string::npos) << run.errors;
  }
  SetVariable("PATH", path.c_str());
#endif
  CaptureRun run;

  int polls = 0;  // killed a few polls after the frames started
  const auto started = [&] {
    return dir.Read("capture-errors.txt").find("frames 0 to") != std::string::npos &&
           ++polls > 10;
  };
  if (HasFfmpeg()) {
    run = RunCaptureTool(dir, {"--fps", "240", "-o", "out/video.mp4"}, 120, started, Stop::Kill);
    EXPECT_EQ(run.status, kKilledStatus) << run.errors;
  }
  EXPECT_EQ(dir.Read("out/video.mp4"), "the good video");
  EXPECT_EQ(FrameNames(dir, "out"), std::vector<std::string>{"video.mp4"}) << "no litter";

  run = RunCaptureTool(dir, {"--fps", "240", "--frames", "out/frames"}, 120,
                       [&] { return std::filesystem::exists(dir.path + "/out/frames/000003.png"); },
                       Stop::Kill);
  EXPECT_EQ(run.status, kKilledStatus) << run.errors;
  const std::vector<std::string> names = FrameNames(dir, "out/frames");
  ASSERT_GE(names.size(), 4u);
  for (const std::string& name : names) {
#ifdef _WIN32
    // Without unnamed files the frame being written when the run was killed keeps its temporary
    // name; the next write into the folder sweeps it.
    if (name.rfind(".tmp-", 0) == 0) continue;
#endif
    ASSERT_EQ(name.size(), 10u) << name;
    EXPECT_EQ(ReadFrame(dir, "out/frames/" + name).width, 800) << name;
  }
}

// A capture in parts, joined, has every frame and plays as the capture in one piece does; the
// parts are encoded apart, so the pictures match up to the encoder's own loss.
TEST(Capture, PartsJoinIntoTheWholeCapture) {
  ZB_REQUIRE_SCREEN();
  if (!HasFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempDir dir;
  WriteCaptureProduction(dir);
  const std::vector<std::string> common = {"--fps", "10", "--from", "0.3", "--to", "1.8"};
  std::vector<std::string> join = {"--join", "joined.mp4"};
  for (const char* part : {"1/3", "2/3", "3/3"}) {
    std::vector<std::string> args = common;
    const std::string name = std::string("part") + part[0] + ".mp4";
    args.insert(args.end(), {"--part", part, "-o", name});
    const CaptureRun run = RunCaptureTool(dir, args);
    ASSERT_EQ(run.status, 0) << part << ": " << run.errors;
    join.push_back(name);
  }
  std::vector<std::string> whole = common;
  whole.insert(whole.end(), {"-o", "whole.mp4"});
  CaptureRun run = RunCaptureTool(dir, whole);
  ASSERT_EQ(run.status, 0) << run.errors;
  run = RunCaptureTool(dir, join);
  ASSERT_EQ(run.status, 0) << run.errors;

  // Each part's sound starts with the encoder's own lead-in, a few ms long.
  double joinedSeconds = 0, wholeSeconds = 0;
  EXPECT_EQ(std::sscanf(ProbeVideo(dir, "joined.mp4", "format=duration").c_str(), "%lf",
                        &joinedSeconds), 1);
  EXPECT_EQ(std::sscanf(ProbeVideo(dir, "whole.mp4", "format=duration").c_str(), "%lf",
                        &wholeSeconds), 1);
  EXPECT_NEAR(joinedSeconds, wholeSeconds, 0.05);
  EXPECT_EQ(ProbeVideo(dir, "joined.mp4", "stream=codec_name"), "h264\naac\n");
  const std::string joined = DecodeVideo(dir, "joined.mp4"), one = DecodeVideo(dir, "whole.mp4");
  ASSERT_EQ(joined.size(), one.size());
  ASSERT_EQ(joined.size(), 15u * 800 * 600 * 3);
  const size_t frameBytes = 800 * 600 * 3;
  for (size_t f = 0; f < 15; ++f) {
    uint64_t sum = 0;
    for (size_t i = f * frameBytes; i < (f + 1) * frameBytes; ++i)
      sum += std::abs(static_cast<int>(static_cast<uint8_t>(joined[i])) -
                      static_cast<uint8_t>(one[i]));
    EXPECT_LT(static_cast<double>(sum) / frameBytes, 2.0) << "frame " << f;
  }
}

// A scene paced at 30 frames per second waits on the frame clock without spinning, at rates
// below, at and above its own, and its animation keeps real time: after t seconds of clock it
// stands at 30 t frames (as whole milliseconds per frame: 1000 / 30 = 33).
// Another size: the picture drawn as large as it fits at its 4:3 between black bars, or with
// --fill as wide as the frame, its top and bottom cut; the red square grows with it.
TEST(Capture, OtherSizesKeepThePicturesAspect) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  WriteCaptureProduction(dir);
  struct Case {
    const char* fill;
    int bar;          // columns of black at each side
  };
  int squareWidth[2] = {0, 0};
  for (const Case& c : {Case{nullptr, 80}, Case{"--fill", 0}}) {
    const std::string out = c.fill ? "filled" : "bars";
    std::vector<std::string> args = {"--fps", "10", "--from", "1", "--to", "1.1",
                                     "--size", "320x120", "--frames", out};
    if (c.fill) args.push_back(c.fill);
    const CaptureRun run = RunCaptureTool(dir, args);
    ASSERT_EQ(run.status, 0) << run.errors;
    const RgbPicture frame = ReadFrame(dir, out + "/000010.png");
    ASSERT_EQ(frame.width, 320);
    ASSERT_EQ(frame.height, 120);
    int barLit = 0;
    for (int y = 0; y < frame.height; ++y)
      for (int x = 0; x < c.bar; ++x)
        for (int side : {x, 319 - x})
          barLit += frame.At(side, y)[0] + frame.At(side, y)[1] + frame.At(side, y)[2] > 0;
    EXPECT_EQ(barLit, 0) << out;
    int red = 0;
    for (int x = 0; x < frame.width; ++x) red += frame.At(x, 60)[0] >= 180 && frame.At(x, 60)[2] < 100;
    EXPECT_GT(red, 0) << out;
    squareWidth[c.fill ? 1 : 0] = red;
  }
  // Twice the picture's width, twice the square's, give or take its edge pixels.
  EXPECT_NEAR(squareWidth[1], 2 * squareWidth[0], 3);
}

TEST(FrameClock, SceneWaitsMoveTheClockAndKeepTheAnimationInTime) {
  for (int fps : {1, 24, 30, 60, 144, 240}) {
    FrameClock clock(fps);
    SetClockSource(&clock);
    int waits = 0;
    setFrameWaitHandler([&](double missingMs) {
      clock.Wait(missingMs);
      return ++waits < 100000;  // a wait that never ends stops here and fails below
    });
    Scene scene;
    scene.params.frameSpeed = 30;
    int renders = 0;
    for (int64_t k = 0; k < 3 * fps; ++k) {
      if (!clock.MoveTo(FrameClock::FrameStart(k))) continue;
      advanceAnimationClock(scene);
      ++renders;
    }
    const double seconds = static_cast<double>(clock.Counter()) / (FrameClock::kCountsPerFrame * fps);
    setFrameWaitHandler(nullptr);
    SetClockSource(nullptr);
    EXPECT_LT(waits, 100000) << fps << " fps";
    EXPECT_NEAR(scene.animFrame, seconds * 1000 / 33, 0.01) << fps << " fps";
    EXPECT_LE(renders, static_cast<int>(seconds * 1000 / 33) + 2) << fps << " fps: paced";
  }
}

TEST(PngFile, ReadsBackWhatItWrote) {
  std::mt19937 random(7);
  struct Size {
    int width, height;
  };
  for (const Size size : {Size{1, 1}, Size{37, 23}, Size{800, 4}}) {
    // Noise, flat runs and gradients.
    std::vector<uint8_t> rgb(static_cast<size_t>(size.width) * size.height * 3);
    for (size_t i = 0; i < rgb.size(); ++i) {
      const size_t row = i / (size.width * 3);
      rgb[i] = row % 3 == 0 ? static_cast<uint8_t>(random()) : row % 3 == 1 ? 77 : static_cast<uint8_t>(i + row);
    }
    // As the driver reads it back: BGRA, rows from the bottom.
    std::vector<uint8_t> bgra(static_cast<size_t>(size.width) * size.height * 4, 255);
    for (int y = 0; y < size.height; ++y)
      for (int x = 0; x < size.width; ++x)
        for (int c = 0; c < 3; ++c)
          bgra[(static_cast<size_t>(size.height - 1 - y) * size.width + x) * 4 + 2 - c] =
              rgb[(static_cast<size_t>(y) * size.width + x) * 3 + c];
    std::vector<uint8_t> png;
    ASSERT_TRUE(EncodePng(size.width, size.height, bgra.data(), png));
    RgbPicture picture;
    std::string why;
    ASSERT_TRUE(ReadPng(std::string(png.begin(), png.end()), picture, why)) << why;
    EXPECT_EQ(picture.width, size.width);
    EXPECT_EQ(picture.height, size.height);
    EXPECT_EQ(picture.rgb, rgb) << size.width << "x" << size.height;
  }
}
