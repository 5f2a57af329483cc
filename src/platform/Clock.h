#pragma once
// The one clock source of the program: a monotonic counter and the 32-bit millisecond tick count,
// with the Win32 names the rest of the engine uses. Tests and the offline renderer install a clock
// of their own, so that a frame can be run at an exact time.
#include <cstdint>

struct ClockSource {
  virtual ~ClockSource() = default;
  // Counts per second of Counter(); false when the machine has no high-resolution counter.
  virtual bool Frequency(int64_t& countsPerSecond) = 0;
  virtual int64_t Counter() = 0;
  virtual uint32_t TickCount() = 0;
  // Gives the CPU back for about ms milliseconds (the system may oversleep a little).
  virtual void SleepMs(uint32_t ms);
};

// nullptr restores the system clock. The source must outlive its installation.
void SetClockSource(ClockSource* source);
ClockSource& CurrentClock();

bool QueryPerformanceFrequency(int64_t* frequency);
bool QueryPerformanceCounter(int64_t* counter);
uint32_t GetTickCount();
void Sleep(uint32_t milliseconds);

// A clock that moves only when told to: counter in microseconds, ticks in milliseconds.
struct ManualClock : ClockSource {
  int64_t micros = 0;
  uint32_t ticks = 0;
  bool hasCounter = true;

  bool Frequency(int64_t& countsPerSecond) override;
  int64_t Counter() override { return micros; }
  uint32_t TickCount() override { return ticks; }
  // A virtual sleep is the clock moved on: nobody else would move it.
  void SleepMs(uint32_t ms) override { AdvanceMs(ms); }
  // Moves both readings on by ms milliseconds (ticks wrap at 32 bits, as the real count does).
  void AdvanceMs(double ms);
};
