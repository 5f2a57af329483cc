// The authoring loop as a demo maker lives it: a --dev player in a real X window, driven by keys,
// its script edited while it plays, everything checked on the screen.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <jpeglib.h>

#include "driver/ConvertScene.h"
#include "platform/Files.h"
#include "scene/TextureImport.h"
#include "support/QuietStdout.h"
#include "support/TempDir.h"
#include "support/TestData.h"
#include "support/TestJpeg.h"
#include "support/TestMusic.h"
#include "support/TestProduction.h"

namespace {

constexpr double kWait = 30;  // for anything the player should show soon: generous under load

// A production whose picture is its clock: a white bar 8 pixels wide that moves 8 pixels right on
// every whole second, so the bar at x = 8 k shows second k. A full-width red band along the top
// is there only when the script says so.
std::string BarScript(bool redBand) {
  std::ostringstream script;
  script << "0 LAYER 0 FX_START\n";
  for (int k = 1; k < 60; ++k) script << k << " LAYER 0 FX_MOVE 8 0\n";
  if (redBand) script << "0 LAYER 1 FX_START\n";
  return script.str();
}

void WriteBarProduction(const TempDir& dir) {
  WriteSmallProduction(dir,
                       "layer textures/bar.jpg 1 0 0 8 600\n"
                       "layer textures/red.jpg 1 0 0 800 100\n",
                       BarScript(false));
  dir.Write("textures/bar.jpg", EncodeSolidJpeg(8, 8, 255, 255, 255));
  dir.Write("textures/red.jpg", EncodeSolidJpeg(8, 8, 255, 0, 0));
}

bool White(const uint8_t* p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; }

// The second the bar shows; -1 when the picture shows no single bar (not drawn yet, or read
// while a frame was being put on the screen).
int ShownSecond(const Screenshot& shot) {
  if (shot.width != 800 || shot.height != 600) return -1;
  int first = -1, count = 0;
  for (int x = 0; x < shot.width; ++x) {
    if (!White(shot.At(x, 300))) continue;
    if (first < 0) first = x;
    if (x != first + count++) return -1;
  }
  return count == 8 && first % 8 == 0 ? first / 8 : -1;
}

bool RedBandShown(const Screenshot& shot) {
  return shot.width == 800 && shot.At(400, 50)[0] > 200 && shot.At(400, 50)[1] < 60;
}

// Lit pixels where the information text goes (the top left), the bar's columns left out.
int TextPixels(const Screenshot& shot) {
  int lit = 0;
  for (int x = 0; x < 320 && shot.width == 800; ++x)
    for (int y = 0; y < 32 && !White(shot.At(x, 300)); ++y) lit += White(shot.At(x, y));
  return lit;
}

// The seconds of the player's last log line that starts with prefix; -1 when there is none.
double LoggedSeconds(const TempDir& dir, const std::string& prefix) {
  const std::string log = dir.Read("LOGFILE.TXT");
  const size_t at = log.rfind(prefix);
  double seconds = -1;
  if (at != std::string::npos) std::sscanf(log.c_str() + at + prefix.size(), "%lf", &seconds);
  return seconds;
}

// The bar of a time logged with two decimals can stand either side of a whole second.
bool ShowsTime(int shown, double seconds) {
  return shown == static_cast<int>(std::floor(seconds - 0.01)) ||
         shown == static_cast<int>(std::floor(seconds + 0.01));
}

}  // namespace

// With each renderer.
class DevPlayerDrawnBy : public testing::TestWithParam<const char*> {};

TEST_P(DevPlayerDrawnBy, PausesSeeksLoopsAndReloadsItsScriptOnTheScreen) {
  const std::string missing = PlayerOnScreen::MissingTools();
  if (!missing.empty()) GTEST_SKIP() << missing;
  TempDir dir;
  WriteBarProduction(dir);
  PlayerOnScreen player(dir, {"--dev", "--window", "--from", "30", "--renderer", GetParam()});
  ASSERT_TRUE(player.Started());
  auto shown = [&] { return ShownSecond(player.Shoot()); };
  auto waitShown = [&](int second) { return WaitUntil([&] { return shown() == second; }, kWait); };

  // --from: the first picture is already at second 30, and the time runs.
  int first = -1;
  ASSERT_TRUE(WaitUntil([&] { return (first = shown()) >= 0; }, kWait));
  EXPECT_GE(first, 30);
  EXPECT_TRUE(waitShown(first + 1));

  // Space: the picture holds at the second the pause was taken.
  ASSERT_TRUE(player.Type("space"));
  ASSERT_TRUE(player.WaitForLog("- Paused at", kWait));
  const double pausedAt = LoggedSeconds(dir, "- Paused at ");
  int held = -1;
  ASSERT_TRUE(WaitUntil([&] { return ShowsTime(held = shown(), pausedAt); }, kWait)) << pausedAt;
  for (int i = 0; i < 4; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(shown(), held) << "paused at " << pausedAt;
  }

  // Seeks while paused: each tap moves the picture by its seconds, two quick taps twice.
  const struct {
    const char* keys;
    int second;
  } seeks[] = {{"Right Right", held + 2}, {"Up", held + 12}, {"Left", held + 11},
               {"Down", held + 1}, {"Home", 0}};
  for (const auto& seek : seeks) {
    ASSERT_TRUE(player.Type(seek.keys));
    EXPECT_TRUE(waitShown(seek.second)) << seek.keys << " shows " << shown();
  }

  // Space again: the time moves on from 0.
  ASSERT_TRUE(player.Type("space"));
  ASSERT_TRUE(player.WaitForLog("- Playing on from", kWait));
  EXPECT_TRUE(waitShown(2));

  // L, two seconds, L: the time runs from the first mark to the second and wraps back.
  ASSERT_TRUE(player.Type("l"));
  ASSERT_TRUE(player.WaitForLog("- Loop starts at", kWait));
  const double loopStart = LoggedSeconds(dir, "- Loop starts at ");
  ASSERT_TRUE(WaitUntil([&] { return shown() >= std::floor(loopStart) + 2; }, kWait));
  ASSERT_TRUE(player.Type("l"));
  ASSERT_TRUE(player.WaitForLog("- Loop from", kWait));
  const double loopEnd = LoggedSeconds(dir, "s to ");
  const int low = static_cast<int>(std::floor(loopStart - 0.01));
  const int high = static_cast<int>(std::floor(loopEnd + 0.01));
  // The mark's own seek first brings the time back to the start; then it must reach the end
  // and wrap.
  bool started = false, atEnd = false, wrapped = false;
  WaitUntil([&] {
    const int second = shown();
    if (second < 0) return false;
    EXPECT_GE(second, low) << "loop " << loopStart << " to " << loopEnd;
    EXPECT_LE(second, high) << "loop " << loopStart << " to " << loopEnd;
    started = started || second < high - 1;
    atEnd = atEnd || (started && second >= high - 1);
    wrapped = atEnd && second < high - 1;
    return wrapped || second < low || second > high;
  }, kWait);
  EXPECT_TRUE(wrapped) << "loop " << loopStart << " to " << loopEnd;
  // A third L clears the loop: the time runs past its end.
  ASSERT_TRUE(player.Type("l"));
  ASSERT_TRUE(player.WaitForLog("- Loop cleared", kWait));
  EXPECT_TRUE(WaitUntil([&] { return shown() > high + 1; }, kWait));

  // The script saved while it plays: the red band appears without a key.
  EXPECT_FALSE(RedBandShown(player.Shoot()));
  dir.Write("script.txt", BarScript(true));
  EXPECT_TRUE(WaitUntil([&] { return RedBandShown(player.Shoot()); }, kWait));
  EXPECT_TRUE(player.WaitForLog("- Script reloaded at", kWait));
  // A save that the start-up would refuse (a NUL byte) is not taken: the band stays.
  dir.Write("script.txt", BarScript(false) + std::string(1, '\0') + "\n");
  EXPECT_TRUE(player.WaitForLog("- Not reloaded: script.txt: not plain text", kWait));
  EXPECT_TRUE(RedBandShown(player.Shoot()));

  // R reloads at once, even a script whose change its time on the disk does not show.
  const std::filesystem::file_time_type before = std::filesystem::last_write_time("script.txt");
  dir.Write("script.new", BarScript(false));
  std::filesystem::last_write_time("script.new", before);
  ASSERT_EQ(::rename("script.new", "script.txt"), 0);
  ASSERT_TRUE(player.Type("r"));
  EXPECT_TRUE(WaitUntil([&] { return !RedBandShown(player.Shoot()); }, kWait));

  // The manifest saved with the bar's picture swapped for the red one: the bar turns red. One
  // that names a missing picture is not taken: the red bar stays.
  const std::string manifest = dir.Read("production.txt");
  const auto swapped = [&](const std::string& picture) {
    std::string text = manifest;
    return text.replace(text.find("textures/bar.jpg"), 16, picture);
  };
  const auto redBar = [&] {
    const Screenshot shot = player.Shoot();
    int red = 0;
    for (int x = 0; x < shot.width && shot.width == 800; ++x)
      red += shot.At(x, 300)[0] > 200 && shot.At(x, 300)[1] < 60;
    return red == 8;
  };
  // A layer added mirrored is taken, with start-up's warning.
  dir.Write("production.txt", swapped("textures/red.jpg") + "layer textures/red.jpg 0 100 0 0 100\n");
  EXPECT_TRUE(WaitUntil(redBar, kWait));
  EXPECT_TRUE(player.WaitForLog("- Content loaded again from production.txt", kWait));
  EXPECT_TRUE(player.WaitForLog("- warning: production.txt:", kWait)) << dir.Read("LOGFILE.TXT");
  dir.Write("production.txt", swapped("textures/gone.jpg"));
  EXPECT_TRUE(player.WaitForLog("- Not reloaded: production.txt", kWait)) << dir.Read("LOGFILE.TXT");
  EXPECT_TRUE(redBar());

  // F1 shows the information text; Escape ends the run.
  EXPECT_EQ(TextPixels(player.Shoot()), 0);
  ASSERT_TRUE(player.Type("F1"));
  EXPECT_TRUE(WaitUntil([&] { return TextPixels(player.Shoot()) > 100; }, kWait));
  ASSERT_TRUE(player.Type("Escape"));
  EXPECT_EQ(player.Finish(kWait).status, 0);

  EXPECT_EQ(ForeignLines(player.Errors()), std::vector<std::string>());
}

INSTANTIATE_TEST_SUITE_P(Renderers, DevPlayerDrawnBy, testing::Values("classic", "gl3"));

namespace {

// A scene exported with nothing to see but its background colour (red, green, blue in 0-1).
std::string BackgroundAse(const char* colour) {
  return std::string("*SCENE { *SCENE_BACKGROUND_STATIC ") + colour +
         " }\n*GEOMOBJECT { *MESH { *MESH_NUMVERTEX 1 *MESH_VERTEX 0 1 2 3 } }\n";
}

// A font whose digits are greys that tell them apart (40 for '0' to 220 for '9') and whose
// other glyphs are a dim 16, so the information text can be read back from the screen. The
// digits' cells are filled in both row orders the picture may be uploaded in.
std::string DigitFont() {
  const std::vector<uint8_t> jpeg = EncodeJpeg(256, 256, JCS_RGB, [](int x, int y, uint8_t* out) {
    const int column = x / 16, row = y / 16;
    const bool digit = (row == 1 || row == 14) && column < 10;
    out[0] = out[1] = out[2] = static_cast<uint8_t>(digit ? 40 + 20 * column : 16);
  });
  return std::string(jpeg.begin(), jpeg.end());
}

// The seconds of the information text's "Time: S.T", read from the blue channel (the scenes'
// backgrounds have none) at the middle of each glyph; -1 when no time shows there.
double ShownTime(const Screenshot& shot) {
  if (shot.width != 800) return -1;
  double seconds = 0;
  for (int i = 6; i < 12; ++i) {  // after "Time: ", 10 pixels a glyph
    const int grey = shot.At(10 * i + 8, 24)[2];
    if (grey < 30) {  // the point: one tenth follows
      const int tenth = (shot.At(10 * i + 18, 24)[2] - 30) / 20;
      return i > 6 && tenth >= 0 && tenth <= 9 ? seconds + tenth / 10.0 : -1;
    }
    seconds = seconds * 10 + (grey - 30) / 20;
  }
  return -1;
}

// Lit pixels in the rows of a line of text whose top is row top, in the left half.
int LitInRows(const Screenshot& shot, int top) {
  int lit = 0;
  for (int x = 0; x < 400 && shot.width == 800; ++x)
    for (int y = top; y < top + 16; ++y) lit += shot.At(x, y)[2] > 10;
  return lit;
}

}  // namespace

TEST(DevPlayer, ReloadsChangedScenesTexturesAndExportsWhilePausedAndReadsTheSeekedTime) {
  const std::string missing = PlayerOnScreen::MissingTools();
  if (!missing.empty()) GTEST_SKIP() << missing;
  TempDir dir;
  WriteSmallProduction(dir, "scene sky\nlayer textures/tile.jpg 1 700 500 800 600\n",
                       "0 SCENE 0 FX_START\n0 LAYER 0 FX_START\n");
  dir.Write("textures/font.jpg", DigitFont());
  dir.Write("textures/tile.jpg", EncodeSolidJpeg(8, 8, 255, 255, 0));
  const auto convert = [&](const char* name, const char* colour) {
    dir.Write(std::string("escenas/") + name + ".ase", BackgroundAse(colour));
    QuietStdout quiet;
    return ConvertSceneFromAse(name);
  };
  ASSERT_TRUE(convert("sky", "1 0 0"));
  PlayerOnScreen player(dir, {"--dev", "--window", "--from", "12"});
  ASSERT_TRUE(player.Started());
  const auto shows = [&](int x, int y, int r, int g) {
    return WaitUntil([&] {
      const Screenshot shot = player.Shoot();
      if (shot.width != 800) return false;
      const uint8_t* p = shot.At(x, y);
      return std::abs(p[0] - r) < 40 && std::abs(p[1] - g) < 40;
    }, kWait);
  };
  ASSERT_TRUE(shows(400, 300, 255, 0)) << "the red scene";

  // Paused, a mark shows in the corner; every reload below keeps the second and the pause.
  ASSERT_TRUE(player.Type("space"));
  ASSERT_TRUE(player.WaitForLog("- Paused at", kWait));
  const double pausedAt = LoggedSeconds(dir, "- Paused at ");
  EXPECT_TRUE(WaitUntil([&] { return LitInRows(player.Shoot(), 0) > 50; }, kWait));

  // A scene converted anew, a texture replaced, an export saved: each shows without a key.
  ASSERT_TRUE(convert("grass", "0 1 0"));
  dir.Write("escenas_bin/sky.new", dir.Read("escenas_bin/grass.bin"));
  ASSERT_EQ(::rename("escenas_bin/sky.new", "escenas_bin/sky.bin"), 0);
  EXPECT_TRUE(shows(400, 300, 0, 255)) << "the scene file converted again";
  dir.Write("textures/tile.jpg", EncodeSolidJpeg(8, 8, 0, 255, 0));
  EXPECT_TRUE(shows(750, 550, 0, 255)) << "the layer's picture replaced";
  dir.Write("escenas/sky.ase", BackgroundAse("1 1 0"));
  EXPECT_TRUE(shows(400, 300, 255, 255)) << "the export saved";
  EXPECT_TRUE(player.WaitForLog("- Converting ", kWait));
  EXPECT_NEAR(LoggedSeconds(dir, "- Script reloaded at "), pausedAt, 0.011);
  EXPECT_EQ(dir.Read("LOGFILE.TXT").find("- Playing on"), std::string::npos);

  // A picture that cannot be read is refused, and the reason shows along the picture's bottom.
  EXPECT_EQ(LitInRows(player.Shoot(), 576), 0);
  dir.Write("textures/tile.jpg", "not a picture");
  EXPECT_TRUE(player.WaitForLog("- Not reloaded: ", kWait)) << dir.Read("LOGFILE.TXT");
  EXPECT_TRUE(WaitUntil([&] { return LitInRows(player.Shoot(), 576) > 100; }, kWait));

  // Paused, the information text follows the seeks.
  ASSERT_TRUE(player.Type("F1"));
  // One decimal of a time logged with two: within 0.06 of it.
  const auto timeShown = [&](double seconds) {
    return WaitUntil([&] { return std::fabs(ShownTime(player.Shoot()) - seconds) < 0.06; }, kWait);
  };
  EXPECT_TRUE(timeShown(pausedAt)) << ShownTime(player.Shoot()) << " paused at " << pausedAt;
  ASSERT_TRUE(player.Type("Left Left Left"));
  EXPECT_TRUE(timeShown(pausedAt - 3)) << ShownTime(player.Shoot()) << " paused at " << pausedAt;

  ASSERT_TRUE(player.Type("Escape"));
  EXPECT_EQ(player.Finish(kWait).status, 0);
}

// Named music that is missing: the production plays, --from and seeks work on the silent clock
// as on the music's, and the picture's bottom says why for a few seconds.
TEST(DevPlayer, PlaysOnASilentClockWhenItsMusicIsMissingAndSaysSoOnThePicture) {
  const std::string missing = PlayerOnScreen::MissingTools();
  if (!missing.empty()) GTEST_SKIP() << missing;
  TempDir dir;
  WriteBarProduction(dir);
  std::filesystem::remove(dir.path + "/music/music.ogg");
  PlayerOnScreen player(dir, {"--dev", "--window", "--from", "20"});
  ASSERT_TRUE(player.Started());
  // White text on the black band along the bottom, the bar's column left out.
  const auto bandText = [&] {
    const Screenshot shot = player.Shoot();
    int lit = 0;
    for (int x = 0; x < 800 && shot.width == 800; ++x)
      for (int y = 574; y < 596 && !White(shot.At(x, 300)); ++y) lit += White(shot.At(x, y));
    return lit;
  };
  EXPECT_TRUE(WaitUntil([&] { return bandText() > 50; }, kWait));
  int first = -1;
  ASSERT_TRUE(WaitUntil([&] { return (first = ShownSecond(player.Shoot())) >= 0; }, kWait));
  EXPECT_GE(first, 20);
  ASSERT_TRUE(player.Type("Up"));
  EXPECT_TRUE(WaitUntil([&] { return ShownSecond(player.Shoot()) >= first + 10; }, kWait));
  EXPECT_TRUE(WaitUntil([&] { return bandText() == 0; }, kWait)) << "the notice goes";
  // The music, once there, is loaded and plays on from the second the silent clock is at.
  dir.Write("tune.ogg", EncodeSilentOgg(60));
  std::filesystem::rename(dir.path + "/tune.ogg", dir.path + "/music/music.ogg");  // whole at once
  EXPECT_TRUE(player.WaitForLog("- Content loaded again", kWait)) << dir.Read("LOGFILE.TXT");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(bandText(), 0) << "no notice: the music plays";
  EXPECT_NE(player.Errors().find("music/music.ogg: file not found: the production plays on a "
                                 "silent clock"),
            std::string::npos)
      << player.Errors();
}

namespace {

// One object of an OBJ export in the material of crate.mtl: `faces` triangles after the `first`
// triangles of the objects before it (OBJ counts vertices over the whole file).
std::string ObjPart(int index, int faces, int first) {
  std::ostringstream part;
  part << "o part" << index << "\nusemtl crate\n";
  for (int f = 0; f < faces; ++f) {
    const double x = index + f * 0.001;
    const int v = 3 * (first + f);
    part << "v " << x << " 0 0\nv " << x << " 1 0\nv " << x << " 0 1\nf " << v + 1 << ' '
         << v + 2 << ' ' << v + 3 << '\n';
  }
  return part.str();
}

// A glTF export that takes seconds to convert: one triangle moved by `keys` animation keys,
// its buffer inside the file as a data URI.
std::string SlowGltf(int keys) {
  std::string buffer;
  const auto put = [&](float value) { buffer.append(reinterpret_cast<const char*>(&value), 4); };
  for (float v : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f}) put(v);
  for (int k = 0; k < keys; ++k) put(k / 30.0f);
  for (int k = 0; k < keys; ++k) put(k * 0.001f), put(0), put(0);
  static const char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string base64;
  // 36 + 16 * keys bytes: whole groups of three when keys is a multiple of 3.
  for (size_t i = 0; i + 2 < buffer.size(); i += 3) {
    const uint32_t n = (uint8_t(buffer[i]) << 16) | (uint8_t(buffer[i + 1]) << 8) |
                       uint8_t(buffer[i + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) base64 += kDigits[(n >> shift) & 63];
  }
  const std::string n = std::to_string(keys), size = std::to_string(buffer.size());
  return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],)"
         R"("meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"buffers":[{"byteLength":)" +
         size + R"(,"uri":"data:application/octet-stream;base64,)" + base64 +
         R"("}],"bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,)"
         R"("byteLength":)" + std::to_string(4 * keys) +
         R"(},{"buffer":0,"byteOffset":)" + std::to_string(36 + 4 * keys) +
         R"(,"byteLength":)" + std::to_string(12 * keys) +
         R"(}],"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3",)"
         R"("min":[0,0,0],"max":[1,1,0]},{"bufferView":1,"componentType":5126,"count":)" + n +
         R"(,"type":"SCALAR","min":[0],"max":[)" + std::to_string((keys - 1) / 30.0) +
         R"(]},{"bufferView":2,"componentType":5126,"count":)" + n +
         R"(,"type":"VEC3"}],"animations":[{"channels":[{"sampler":0,"target":{"node":0,)"
         R"("path":"translation"}}],"samplers":[{"input":1,"output":2}]}]})";
}


// The objects of the last scene the player loaded ("- Cargando N objetos."); -1 before any.
int LastObjectsLoaded(const TempDir& dir) {
  const std::string log = dir.Read("LOGFILE.TXT");
  int objects = -1;
  for (size_t at = log.find("- Cargando "); at != std::string::npos;
       at = log.find("- Cargando ", at + 1)) {
    int count = 0;
    char word[16] = "";
    if (std::sscanf(log.c_str() + at, "- Cargando %d %15s", &count, word) == 2 &&
        std::string(word) == "objetos.")
      objects = count;
  }
  return objects;
}

}  // namespace

TEST(DevPlayer, ConvertsExportsOffTheFrameLoopTakesTheLastSaveAndWatchesTheirPictures) {
  const std::string missing = PlayerOnScreen::MissingTools();
  if (!missing.empty()) GTEST_SKIP() << missing;
  TempDir dir;
  // The crate last: the log's last scene loaded is the crate. The tile shows the frames run.
  WriteSmallProduction(dir, "scene slow\nscene crate\nlayer textures/tile.jpg 1 700 500 800 600\n",
                       "0 SCENE 1 FX_START\n0 LAYER 0 FX_START\n");
  dir.Write("textures/tile.jpg", EncodeSolidJpeg(8, 8, 255, 255, 0));
  dir.Write("escenas/crate.mtl", "newmtl crate\nKd 1 1 1\nmap_Kd crate.png\n");
  dir.Write("escenas/crate.png", DataPicture("gris.png"));
  dir.Write("escenas/crate.obj", "mtllib crate.mtl\n" + ObjPart(0, 1, 0));
  dir.Write("escenas/slow.gltf", SlowGltf(3));
  {
    QuietStdout quiet;
    ASSERT_TRUE(ConvertSceneFromAse("crate"));
    ASSERT_TRUE(ConvertSceneFromAse("slow"));
  }
  const std::string slowScene = dir.Read("escenas_bin/slow.bin");
  PlayerOnScreen player(dir, {"--dev", "--window"});
  ASSERT_TRUE(player.Started());
  // The player watches its files from its first frame on.
  ASSERT_TRUE(WaitUntil([&] {
    const Screenshot shot = player.Shoot();
    return shot.width == 800 && shot.At(750, 550)[0] > 200 && shot.At(750, 550)[2] < 60;
  }, kWait));
  // The player's status lines, not the converter's own "Converting [picture]" lines.
  const auto conversions = [&] { return Count(dir.Read("LOGFILE.TXT"), "\n- Converting "); };

  // The picture an export names, replaced: converted again into the same JPEG file.
  const std::string paleta = DataPicture("paleta.png");
  std::vector<uint8_t> jpeg;
  std::string message;
  ASSERT_TRUE(PictureToJpeg(std::vector<uint8_t>(paleta.begin(), paleta.end()), jpeg, message));
  dir.Write("escenas/crate.png", paleta);
  EXPECT_TRUE(WaitUntil([&] { return conversions() == 1; }, kWait)) << dir.Read("LOGFILE.TXT");
  EXPECT_TRUE(WaitUntil([&] {
    return dir.Read("textures/crate.jpg") == std::string(jpeg.begin(), jpeg.end());
  }, kWait));
  EXPECT_TRUE(player.WaitForLog("- Content loaded again", kWait));

  // The export saved in 60 small writes, the last landing while the player converts what the
  // first 59 made: the whole file ends up loaded.
  constexpr int kParts = 60, kFaces = 500;
  {
    std::FILE* obj = std::fopen("escenas/crate.obj", "wb");
    ASSERT_NE(obj, nullptr);
    std::fputs("mtllib crate.mtl\n", obj);
    for (int k = 0; k < kParts; ++k) {
      if (k == kParts - 1) {
        const size_t before = conversions();
        EXPECT_TRUE(WaitUntil([&] { return conversions() > before; }, kWait));
      }
      const std::string part = ObjPart(k, kFaces, k * kFaces);
      std::fwrite(part.data(), 1, part.size(), obj);
      std::fflush(obj);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::fclose(obj);
  }
  EXPECT_TRUE(WaitUntil([&] { return LastObjectsLoaded(dir) == kParts; }, kWait))
      << LastObjectsLoaded(dir);

  // An export that takes seconds to convert: the production plays on and answers F1 meanwhile,
  // and Escape ends the run at once, the scene file left as it was.
  const size_t before = conversions();
  dir.Write("escenas/slow.gltf", SlowGltf(300000));
  ASSERT_TRUE(WaitUntil([&] { return conversions() > before; }, kWait));
  const size_t logged = dir.Read("LOGFILE.TXT").size();
  ASSERT_TRUE(player.Type("F1"));
  EXPECT_TRUE(WaitUntil([&] { return TextPixels(player.Shoot()) > 100; }, kWait));
  EXPECT_EQ(dir.Read("LOGFILE.TXT").find("- Content loaded again", logged), std::string::npos)
      << "F1 answered only once the conversion was done";
  ASSERT_TRUE(player.Type("Escape"));
  const PlayerRun run = player.Finish(3);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(dir.Read("escenas_bin/slow.bin") == slowScene);
  for (const auto& entry : std::filesystem::directory_iterator("escenas_bin"))
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
  EXPECT_FALSE(std::filesystem::exists("textures/crate_2.jpg"));
}
