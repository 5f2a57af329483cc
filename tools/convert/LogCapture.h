#pragma once
// The engine writes its progress log to standard output. While the tool calls into the engine
// the log is caught in a temporary file, so the tool's own report stays readable and the log
// can be searched for faults.
#include <cstdio>
#include <string>

class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Gives standard output back and returns what was written meanwhile.
  std::string stop();

 private:
  FILE* file_ = nullptr;
  int saved_ = -1;
};
