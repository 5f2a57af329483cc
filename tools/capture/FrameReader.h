#pragma once
// Reads composed frames back from the GL driver without waiting for them: a read is started into
// a pixel buffer when the frame is drawn and collected only after the next frame has been handed
// to the driver, so the driver's threads finish one frame while this thread prepares the next.
// Without pixel buffers (an old driver) the read is done at once. Pixels come as the driver keeps
// them, BGRA with rows from the bottom, so the read is a plain copy; the encoders reorder them.
#include <cstdint>
#include <vector>

#include "platform/OpenGL.h"

class FrameReader {
 public:
  // Reads width x height pixels from (x, y), in pixels from the lower-left corner of the frame
  // buffer. Needs the window's GL context current.
  FrameReader(int x, int y, int width, int height);
  ~FrameReader();

  // Starts reading the frame buffer as it stands now. Only one read is in flight: Take it first.
  void Start();
  bool InFlight() const { return m_inFlight; }
  // The picture of the read in flight into `bgra` (width x height x 4, rows from the bottom).
  // False when the driver cannot give it (its buffer could not be mapped).
  bool Take(std::vector<uint8_t>& bgra);

 private:
  int m_x;
  int m_y;
  int m_width;
  int m_height;
  bool m_inFlight = false;
  GLuint m_buffer = 0;             // 0: no pixel buffers, read at once into m_direct
  std::vector<uint8_t> m_direct;
  PFNGLBINDBUFFERPROC m_bind = nullptr;
  PFNGLDELETEBUFFERSPROC m_delete = nullptr;
  PFNGLMAPBUFFERPROC m_map = nullptr;
  PFNGLUNMAPBUFFERPROC m_unmap = nullptr;
};
