#pragma once
// Small drawing aids for the GL tests of screen effects, layers and particles.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/GLWindow.h"

// A texture whose texel (x, y) is given by fill, with y = 0 the first row (t = 0); nearest
// sampling, so every texel shows exactly where a test expects it.
inline uint32_t MakeTexture(int width, int height,
                            const std::function<void(int x, int y, uint8_t* rgb)>& fill) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) fill(x, y, &rgb[(static_cast<size_t>(y) * width + x) * 3]);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  return name;
}

inline uint32_t MakeWhiteTexture() {
  return MakeTexture(2, 2, [](int, int, uint8_t* rgb) { rgb[0] = rgb[1] = rgb[2] = 255; });
}

// An untextured, opaque rectangle in the pixel projection (origin top-left, y down), as a scene or
// an earlier layer would leave it in the frame.
inline void Paint(GLWindow& window, float r, float g, float b, float top = 0.0f, float bottom = -1.0f) {
  window.Begin2D();
  if (bottom < 0.0f) bottom = static_cast<float>(window.GetPictureHeight());
  const float w = static_cast<float>(window.GetPictureWidth());
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glColor3f(r, g, b);
  glBegin(GL_QUADS);
  glVertex2f(0.0f, top);
  glVertex2f(0.0f, bottom);
  glVertex2f(w, bottom);
  glVertex2f(w, top);
  glEnd();
}

inline void ClearFrame() {
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glDepthMask(GL_TRUE);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
