#include "support/TestProcess.h"

#include <chrono>

int TestProcess::Wait(double seconds) {
  const auto start = std::chrono::steady_clock::now();
  int status = kTimedOut;
  while (Started() && !Ended(status)) {
    if (std::chrono::steady_clock::now() - start > std::chrono::duration<double>(seconds)) {
      Kill();
      return kTimedOut;
    }
    Pause();
  }
  return status;
}
