#include "FrameClock.h"

#include <cmath>

bool FrameClock::Frequency(int64_t& countsPerSecond) {
  countsPerSecond = m_countsPerSecond;
  return true;
}

uint32_t FrameClock::TickCount() {
  return static_cast<uint32_t>(m_count / (m_countsPerSecond / 1000));
}

bool FrameClock::MoveTo(int64_t count) {
  if (m_count > count) return false;
  m_count = count;
  return true;
}

void FrameClock::Wait(double missingMs) {
  const double counts = std::ceil(missingMs * static_cast<double>(m_countsPerSecond) / 1000.0);
  m_count += counts >= 1 ? static_cast<int64_t>(counts) : 1;
}
