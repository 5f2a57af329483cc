#include "platform/StatusLine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>

namespace {

// Where the log could not be opened, standard output is the console itself.
bool LogIsStderr() {
  struct stat out, err;
  return ::fstat(STDOUT_FILENO, &out) == 0 && ::fstat(STDERR_FILENO, &err) == 0 &&
         out.st_dev == err.st_dev && out.st_ino == err.st_ino;
}

}  // namespace

void PrintStatus(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  std::vfprintf(stdout, format, args);
  std::fflush(stdout);
  if (!LogIsStderr()) std::vfprintf(stderr, format, copy);
  va_end(copy);
  va_end(args);
}
