#pragma once
// The capture's progress on standard error, as encoders show it: one line rewritten in place with
// the frame, the production time, the frames rendered per second of wall time and the time left.
#include <chrono>
#include <cstdint>
#include <cstdio>

class Progress {
 public:
  // Frames [startFrame, endFrame) are rendered, at fps frames per production second.
  Progress(int64_t startFrame, int64_t endFrame, int fps, std::FILE* out = stderr);
  // Frame `frame` is done; the line is rewritten at most four times a second.
  void Frame(int64_t frame);
  // The last state, then a new line.
  void Finish();

 private:
  void Print();

  using WallClock = std::chrono::steady_clock;  // real time: the production's clock is virtual
  int64_t m_begin;
  int64_t m_end;
  int m_fps;
  std::FILE* m_out;
  int64_t m_done = 0;  // the frame after the last one rendered
  int64_t m_printedDone = -1;  // frames done at the last print; -1 before it
  WallClock::time_point m_start;
  WallClock::time_point m_printed;
};
