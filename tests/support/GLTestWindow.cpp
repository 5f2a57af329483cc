#include "support/GLTestWindow.h"

#include <algorithm>
#include <ostream>

#include "support/TestProcess.h"

static_assert(sizeof(GLTestWindow::Pixel) == 3, "pixels are read straight into the array");

bool GLTestWindow::Open(int32_t width, int32_t height) {
  // A test binary run by hand on a desktop still draws off screen unless told otherwise.
  PreferOffscreenVideo();
  window.Destroy();
  return window.Create("GL test", width, height, 32, 100.33f, false) && window.CheckExtensions();
}

GLTestWindow::Pixel GLTestWindow::At(int x, int y) const {
  uint8_t rgb[3] = {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, window.m_height - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  return Pixel{rgb[0], rgb[1], rgb[2]};
}

std::vector<GLTestWindow::Pixel> GLTestWindow::ReadAll() const {
  const int width = window.m_width;
  const int height = window.m_height;
  std::vector<Pixel> bottomUp(static_cast<size_t>(width) * height);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<Pixel> topDown(bottomUp.size());
  for (int row = 0; row < height; ++row)
    std::copy_n(bottomUp.begin() + static_cast<size_t>(height - 1 - row) * width, width,
                topDown.begin() + static_cast<size_t>(row) * width);
  return topDown;
}

int GLTestWindow::Count(const std::function<bool(const Pixel&)>& test) const {
  int count = 0;
  for (const Pixel& pixel : ReadAll()) count += test(pixel) ? 1 : 0;
  return count;
}

void PrintTo(const GLTestWindow::Pixel& pixel, std::ostream* out) {
  *out << "(" << int(pixel.r) << ", " << int(pixel.g) << ", " << int(pixel.b) << ")";
}
