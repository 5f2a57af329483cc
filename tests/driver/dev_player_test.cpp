// The authoring loop as a demo maker lives it: a --dev player in a real X window, driven by keys,
// its script edited while it plays, everything checked on the screen.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"
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
  dir.Write("production.txt",
            "font textures/font.jpg\n"
            "music music/music.ogg\n"
            "script script.txt\n"
            "layer textures/bar.jpg 1 0 0 8 600\n"
            "layer textures/red.jpg 1 0 0 800 100\n");
  dir.Write("textures/font.jpg", EncodeSolidJpeg(16, 16, 255, 255, 255));
  dir.Write("textures/bar.jpg", EncodeSolidJpeg(8, 8, 255, 255, 255));
  dir.Write("textures/red.jpg", EncodeSolidJpeg(8, 8, 255, 0, 0));
  dir.Write("music/music.ogg", EncodeSilentOgg(60));
  dir.Write("script.txt", BarScript(false));
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

TEST(DevPlayer, PausesSeeksLoopsAndReloadsItsScriptOnTheScreen) {
  const std::string missing = PlayerOnScreen::MissingTools();
  if (!missing.empty()) GTEST_SKIP() << missing;
  TempDir dir;
  WriteBarProduction(dir);
  PlayerOnScreen player(dir, {"--dev", "--window", "--from", "30"});
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
