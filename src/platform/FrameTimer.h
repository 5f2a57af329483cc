#pragma once
// Millisecond interval timer on the program's clock source: the high-resolution counter, or the
// 32-bit tick count where the machine has no counter.
#include <cstdint>

class FrameTimer {
 public:
  int32_t m_highResolution = 1;  // the counter is in use
  int64_t m_start = 0;           // counter at the last Start/Reset; tick mode uses the low 32 bits
  float m_secondsPerCount = 0.0f;

  // Probes the counter and takes the start value; must run before the first ElapsedMs.
  void Start();
  void Reset();
  // Milliseconds since the last Start or Reset: fractional with the counter, whole with ticks.
  double ElapsedMs() const;
};
