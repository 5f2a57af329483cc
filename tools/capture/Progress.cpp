#include "Progress.h"

#include <cmath>

namespace {

void FormatDuration(char* text, size_t size, double seconds) {
  // Beyond 99 hours a guess is no use.
  const long total = seconds > 0 ? static_cast<long>(std::fmin(seconds, 359999.0) + 0.5) : 0;
  std::snprintf(text, size, "%02ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
}

}  // namespace

Progress::Progress(int64_t startFrame, int64_t endFrame, int fps, std::FILE* out)
    : m_begin(startFrame), m_end(endFrame), m_fps(fps), m_out(out), m_done(startFrame),
      m_start(WallClock::now()), m_printed(m_start) {}

void Progress::Frame(int64_t frame) {
  m_done = frame + 1;
  const WallClock::time_point now = WallClock::now();
  if (m_printedDone >= 0 && now - m_printed < std::chrono::milliseconds(250)) return;
  m_printed = now;
  Print();
}

void Progress::Finish() {
  if (m_printedDone != m_done) Print();
  std::fputc('\n', m_out);
  std::fflush(m_out);
}

void Progress::Print() {
  const double spent = std::chrono::duration<double>(WallClock::now() - m_start).count();
  const double rate = spent > 0 ? (m_done - m_begin) / spent : 0;
  char left[32] = "--:--:--";
  if (rate > 0) FormatDuration(left, sizeof left, (m_end - m_done) / rate);
  std::fprintf(m_out, "\rframe %6lld/%lld  time %7.2f s  %5.1f fps  left %s ",
               static_cast<long long>(m_done), static_cast<long long>(m_end),
               static_cast<double>(m_done) / m_fps, rate, left);
  std::fflush(m_out);
  m_printedDone = m_done;
}
