#include "platform/StatusLine.h"

#include <cstdarg>
#include <cstdio>

#include "platform/Console.h"

void PrintStatus(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  std::vfprintf(stdout, format, args);
  std::fflush(stdout);
  if (!StandardOutputIsStandardError()) std::vfprintf(stderr, format, copy);
  va_end(copy);
  va_end(args);
}
