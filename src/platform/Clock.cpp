#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace {

struct SystemClock : ClockSource {
  bool Frequency(int64_t& countsPerSecond) override {
    countsPerSecond = 1000000000;
    return true;
  }
  int64_t Counter() override {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  uint32_t TickCount() override { return static_cast<uint32_t>(Counter() / 1000000); }
};

SystemClock g_systemClock;
ClockSource* g_clock = &g_systemClock;

}  // namespace

void ClockSource::SleepMs(uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetClockSource(ClockSource* source) { g_clock = source ? source : &g_systemClock; }
ClockSource& CurrentClock() { return *g_clock; }

bool QueryPerformanceFrequency(int64_t* frequency) { return g_clock->Frequency(*frequency); }

bool QueryPerformanceCounter(int64_t* counter) {
  *counter = g_clock->Counter();
  return true;
}

uint32_t GetTickCount() { return g_clock->TickCount(); }

void Sleep(uint32_t milliseconds) { g_clock->SleepMs(milliseconds); }

bool ManualClock::Frequency(int64_t& countsPerSecond) {
  countsPerSecond = 1000000;
  return hasCounter;
}

void ManualClock::AdvanceMs(double ms) {
  micros += static_cast<int64_t>(ms * 1000.0 + (ms >= 0 ? 0.5 : -0.5));
  ticks += static_cast<uint32_t>(static_cast<int64_t>(ms));
}
