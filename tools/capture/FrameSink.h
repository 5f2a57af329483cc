#pragma once
// Where captured frames go: numbered PNG files or a video encoder. Pictures come as the GL driver
// reads them back, 8-bit BGRA with the fourth byte unused and rows from the bottom; each sink
// reorders them on its own thread. Sinks are called from encoder threads (see EncodeQueue).
#include <cstdint>
#include <string>
#include <vector>

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // How many pictures may be written at once; 1 keeps them in frame order.
  virtual int Workers() const = 0;
  // Writes the picture as each of `frames`, the production's frame numbers (frame k shows at
  // k / fps seconds), ascending; the picture is encoded once however many frames show it. False
  // on a failure, with `error` saying what went wrong.
  virtual bool Write(const std::vector<int64_t>& frames, const uint8_t* bgra,
                     std::string& error) = 0;
  // Completes the output once every picture is written; false (with `error`) when it cannot.
  virtual bool Finish(std::string& error) = 0;
};
