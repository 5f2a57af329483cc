#pragma once
// A clock that can be held still: while held it shows the moment it was held at, and once let go
// it runs on from there, the time spent held left out. A paused player runs on it, so every
// timer (scene animation, bursts, the silent music output) stands still with the music.
#include <cstdint>

#include "platform/Clock.h"

class HeldClock : public ClockSource {
 public:
  // The clock it follows; it must outlive this one.
  explicit HeldClock(ClockSource& base) : m_base(base) {}

  bool Frequency(int64_t& countsPerSecond) override { return m_base.Frequency(countsPerSecond); }
  int64_t Counter() override;
  uint32_t TickCount() override;

  void Hold();
  void Release();
  bool IsHeld() const { return m_held; }
  ClockSource& Base() { return m_base; }

 private:
  ClockSource& m_base;
  bool m_held = false;
  int64_t m_heldAt = 0, m_countsLeftOut = 0;
  uint32_t m_ticksHeldAt = 0, m_ticksLeftOut = 0;
};
