#pragma once
// Start-up figures count from the exec of the program, not from main: loading the program and its
// libraries is part of what a user waits for. The bench script puts the realtime clock, in
// nanoseconds, into ZB_EXEC_NS just before it starts the program.
#include <cstdlib>
#include <ctime>

// Milliseconds since the script's stamp, or -1 when the program was started without one.
inline double MsSinceExec() {
  const char* stamp = std::getenv("ZB_EXEC_NS");
  if (!stamp || !*stamp) return -1;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const long double nowNs = static_cast<long double>(now.tv_sec) * 1e9L + now.tv_nsec;
  return static_cast<double>((nowNs - std::strtold(stamp, nullptr)) / 1e6L);
}
