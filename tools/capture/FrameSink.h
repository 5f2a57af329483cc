#pragma once
// Where captured frames go: numbered PNG files or a video encoder. Pictures are 8-bit RGB, rows
// from the top.
#include <cstdint>
#include <string>

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // `frame` is the production's frame number (its time is frame / fps). False on a failure, after
  // which `error` says what went wrong.
  virtual bool Write(int64_t frame, const uint8_t* rgb) = 0;
  // Completes the output; false when it could not be completed.
  virtual bool Finish() = 0;
  std::string error;
};
