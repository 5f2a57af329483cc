#pragma once
// A real GL window for GL tests: the engine's GLWindow opened in window mode (800 x 600 unless a
// test reopens it at another size) under SDL's offscreen driver where there is one, so no display
// is needed (elsewhere on a screen: TestScreen.h), with the multitexture entry points fetched.
// Derive a fixture from it, draw, and read the picture back before any SwapBuffers (the offscreen
// driver gives a single-buffered surface).
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/GLWindow.h"
#include "support/TestScreen.h"

class GLTestWindow : public ::testing::Test {
 public:
  struct Pixel {
    uint8_t r, g, b;
  };

 protected:
  void SetUp() override {
    ZB_REQUIRE_SCREEN();
    ASSERT_TRUE(Open(800, 600));
  }
  void TearDown() override { window.Destroy(); }

  // Closes the window if open and opens it again at width x height (field of view 100.33).
  bool Open(int32_t width, int32_t height);

  // The pixel at (x, y) in window pixels with the origin at the top-left corner, as in Begin2D.
  Pixel At(int x, int y) const;
  // The whole window, row by row from the top.
  std::vector<Pixel> ReadAll() const;
  // How many window pixels satisfy the test.
  int Count(const std::function<bool(const Pixel&)>& test) const;

  GLWindow window;
};

inline bool operator==(const GLTestWindow::Pixel& a, const GLTestWindow::Pixel& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b;
}
// Printed as (r, g, b) in failure messages.
void PrintTo(const GLTestWindow::Pixel& pixel, std::ostream* out);
