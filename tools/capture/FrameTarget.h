#pragma once
// Frames of a size of the capture's own choosing: the production draws into an off-screen frame
// buffer of that size instead of its window, which keeps the picture's size, so everything is
// laid out as on the screen and drawn at the frame's size, the picture fitted in as a full-screen
// window fits it (bars beside it). Filling the width draws a taller frame and reads back its
// middle.
#include <string>

#include "platform/GLWindow.h"

class FrameTarget {
 public:
  FrameTarget() = default;
  FrameTarget(const FrameTarget&) = delete;
  FrameTarget& operator=(const FrameTarget&) = delete;
  ~FrameTarget();

  // Draws the production at width x height from now on (the window's context current, after
  // start-up); with `fill`, the picture as wide as the frame. False with `error` when the driver
  // cannot draw off the window at that size.
  bool Open(int width, int height, bool fill, std::string& error);
  // Keeps the drawing size should the window have been resized meanwhile (a window shown on the
  // screen can be).
  void Hold();
  // The part of the frame buffer that is the frame, from its lower-left corner.
  GLWindow::Rect Frame() const { return m_frame; }

 private:
  unsigned m_framebuffer = 0;  // 0: the window is drawn into, at its own size
  unsigned m_colour = 0;
  unsigned m_depth = 0;
  int m_drawWidth = 0;
  int m_drawHeight = 0;
  GLWindow::Rect m_frame{0, 0, 0, 0};
};

// The frame buffer's height for a frame of width x height showing a picture of pictureWidth x
// pictureHeight: the frame's own, or with `fill` the picture's height at the frame's width (even,
// at least the frame's height). The frame is read from its middle rows.
int DrawHeight(int width, int height, int pictureWidth, int pictureHeight, bool fill);
