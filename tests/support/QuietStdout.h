#pragma once
// Standard output goes nowhere while a QuietStdout lives: the scene readers log every block,
// which would drown a test's or a benchmark's report.
// Header-only: the benchmarks use it without the test library.
#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#define ZB_NULL_DEVICE "NUL"
#else
#include <unistd.h>
#define ZB_NULL_DEVICE "/dev/null"
#endif

#include <cstdio>

class QuietStdout {
 public:
  QuietStdout() {
    std::fflush(stdout);
    saved_ = ::dup(1);
    const int null = ::open(ZB_NULL_DEVICE, O_WRONLY);
    ::dup2(null, 1);
    ::close(null);
  }
  ~QuietStdout() {
    std::fflush(stdout);
    ::dup2(saved_, 1);
    ::close(saved_);
  }
  QuietStdout(const QuietStdout&) = delete;
  QuietStdout& operator=(const QuietStdout&) = delete;

 private:
  int saved_;
};
