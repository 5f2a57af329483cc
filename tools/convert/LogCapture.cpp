#include "LogCapture.h"

#include <unistd.h>

#include "platform/ChildProcess.h"

LogCapture::LogCapture() {
  std::fflush(stdout);
  file_ = OpenScratchFile();
  if (!file_) return;  // nothing caught: the log then simply shows
  saved_ = ::dup(1);
  ::dup2(::fileno(file_), 1);
}

LogCapture::~LogCapture() { stop(); }

std::string LogCapture::stop() {
  std::string text;
  if (!file_) return text;
  std::fflush(stdout);
  ::dup2(saved_, 1);
  ::close(saved_);
  std::rewind(file_);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text.append(buffer, n);
  std::fclose(file_);
  file_ = nullptr;
  return text;
}
