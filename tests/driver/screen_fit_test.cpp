// The player on a screen whose shape is not the picture's: full screen on the desktop's own mode
// with the picture between bars, F11 and Alt+Enter to a window and back, the production's title.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "support/TestProduction.h"

namespace {

constexpr double kWait = 30;

bool White(const uint8_t* p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; }

// The lower half of the picture is a white layer: its width on a row through it is the
// picture's width on the screen.
int WhiteWidth(const Screenshot& shot, int row) {
  int white = 0;
  for (int x = 0; x < shot.width && row < shot.height; ++x) white += White(shot.At(x, row));
  return white;
}

// Lit pixels in the band of rows [0, 32) between columns from and to: where the information
// text's two lines go.
int TextPixels(const Screenshot& shot, int from, int to) {
  int lit = 0;
  for (int x = from; x < to && x < shot.width; ++x)
    for (int y = 0; y < 32 && y < shot.height; ++y) lit += White(shot.At(x, y));
  return lit;
}

}  // namespace

TEST(ScreenFit, FullScreenLetterboxesWithoutAskingAndF11AndAltEnterToggleAWindow) {
  const std::string missing = PlayerOnScreen::MissingTools();
  if (!missing.empty()) GTEST_SKIP() << missing;
  TempDir dir;
  WriteSmallProduction(dir, "title Ferro Glade\nlayer textures/white.jpg 1 0 300 800 600\n",
                       "0 LAYER 0 FX_START\n");
  dir.Write("textures/white.jpg", EncodeSolidJpeg(8, 8, 255, 255, 255));
  // A plain start: full screen on a 1280 x 800 desktop, where no 800 x 600 mode exists.
  PlayerOnScreen player(dir, {}, "1280x800");
  ASSERT_TRUE(player.Started());
  const auto widthIs = [&](int width) {
    return WaitUntil([&] { return std::abs(WhiteWidth(player.Shoot(), 650) - width) <= 1; },
                     kWait);
  };
  // 800 x 600 at 4:3 on 800 rows: 1067 columns, 106 of bar either side.
  ASSERT_TRUE(widthIs(1067)) << WhiteWidth(player.Shoot(), 650);
  const Screenshot full = player.Shoot();
  EXPECT_FALSE(White(full.At(50, 650)));
  EXPECT_FALSE(White(full.At(1230, 650)));
  EXPECT_TRUE(player.Xdotool("search --name 'Ferro Glade'")) << "the window carries the title";

  // The information text starts at the picture's corner, not in the bar.
  ASSERT_TRUE(player.Type("F1"));
  EXPECT_TRUE(WaitUntil([&] { return TextPixels(player.Shoot(), 107, 400) > 100; }, kWait));
  EXPECT_EQ(TextPixels(player.Shoot(), 0, 105), 0);

  const struct {
    const char* keys;
    int width;
  } toggles[] = {{"F11", 800}, {"F11", 1067}, {"alt+Return", 800}, {"alt+Return", 1067}};
  for (const auto& toggle : toggles) {
    ASSERT_TRUE(player.Type(toggle.keys));
    EXPECT_TRUE(widthIs(toggle.width)) << toggle.keys << ": " << WhiteWidth(player.Shoot(), 650);
  }

  ASSERT_TRUE(player.Type("Escape"));
  EXPECT_EQ(player.Finish(kWait).status, 0);
  EXPECT_EQ(ForeignLines(player.Errors()), std::vector<std::string>());
}
