#pragma once
// Frames as numbered PNG files in one folder: DIR/000123.png is frame 123, shown at 123 / fps
// seconds of the production, so a part captured alone has the names it has in the whole.
#include <string>

#include "FrameSink.h"

class PngFrames : public FrameSink {
 public:
  PngFrames(std::string folder, int width, int height);
  // Makes the folder where it is missing; false (with `error`) when that is not possible.
  bool Open();
  bool Write(int64_t frame, const uint8_t* rgb) override;
  bool Finish() override { return true; }

 private:
  std::string m_folder;
  int m_width;
  int m_height;
};
