#include "platform/FrameTimer.h"

#include "platform/Clock.h"

void FrameTimer::Start() {
  int64_t frequency = 0;
  if (QueryPerformanceFrequency(&frequency) && frequency > 0) {
    QueryPerformanceCounter(&m_start);
    m_secondsPerCount = static_cast<float>(1.0L / frequency);
  } else {
    m_highResolution = 0;
    m_start = GetTickCount();
  }
}

void FrameTimer::Reset() {
  if (m_highResolution) QueryPerformanceCounter(&m_start);
  else m_start = GetTickCount();
}

double FrameTimer::ElapsedMs() const {
  if (m_highResolution) {
    int64_t now = 0;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now - m_start) * m_secondsPerCount * 1000.0;
  }
  // Unsigned 32-bit difference: an interval across the wrap of the tick count stays right.
  return static_cast<double>(GetTickCount() - static_cast<uint32_t>(m_start));
}
