#pragma once
// The capture's clock: it stands still while a frame is drawn and moves only when told, so frame
// k is drawn at exactly k / fps seconds whatever the rendering speed. One frame is a whole number
// of counts, so frame starts, the music's sample count and the frame timers carry no drift.
#include <cstdint>

#include "platform/Clock.h"

class FrameClock : public ClockSource {
 public:
  static constexpr int64_t kCountsPerFrame = 1000000;

  explicit FrameClock(int fps) : m_countsPerSecond(kCountsPerFrame * fps) {}

  bool Frequency(int64_t& countsPerSecond) override;
  int64_t Counter() override { return m_count; }
  uint32_t TickCount() override;  // whole milliseconds, wrapping at 32 bits like the real count

  static int64_t FrameStart(int64_t frame) { return frame * kCountsPerFrame; }
  // Moves on to `count`; false, leaving the clock alone, when it is already past it (a scene's
  // wait ran beyond the next frame's start: that frame shows the same picture on the screen).
  bool MoveTo(int64_t count);
  // A scene waiting for its next animation frame: moves on by at least missingMs and by one count
  // at least, since the frame timers scale counts in single precision and can fall a fraction of
  // a count short of what was asked.
  void Wait(double missingMs);

 private:
  int64_t m_countsPerSecond;
  int64_t m_count = 0;
};
