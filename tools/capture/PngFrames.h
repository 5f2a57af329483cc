#pragma once
// Frames as numbered PNG files in one folder: DIR/000123.png is frame 123, shown at 123 / fps
// seconds of the production, so a part captured alone has the names it has in the whole. Each
// file appears whole or not at all.
#include <string>

#include "FrameSink.h"

class PngFrames : public FrameSink {
 public:
  PngFrames(std::string folder, int width, int height);
  // Makes the folder where it is missing; false (with `error`) when that is not possible.
  bool Open(std::string& error);
  int Workers() const override;
  bool Write(const std::vector<int64_t>& frames, const uint8_t* bgra, std::string& error) override;
  bool Finish(std::string&) override { return true; }

 private:
  std::string m_folder;
  int m_width;
  int m_height;
  // The folder was made or found empty: every file in it is a frame named here, so a new
  // frame's name needs no match by case (which reads the whole folder for each frame).
  bool m_namesOwn = false;
};
