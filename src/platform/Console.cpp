#ifndef _WIN32
#include "platform/Console.h"

#include <sys/stat.h>
#include <unistd.h>

// A terminal program already has its console.
void UseStartingConsole() {}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool SendStandardOutputTo(FILE* file) {
  if (::dup2(::fileno(file), STDOUT_FILENO) < 0) return false;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  return true;
}

bool StandardOutputIsStandardError() {
  struct stat out, err;
  return ::fstat(STDOUT_FILENO, &out) == 0 && ::fstat(STDERR_FILENO, &err) == 0 &&
         out.st_dev == err.st_dev && out.st_ino == err.st_ino;
}
#endif  // !_WIN32
