#pragma once
// Frames into a video file through ffmpeg: H.264 picture and, when the production has its music,
// AAC sound taken from the music file for the captured stretch.
#include <sys/types.h>

#include <string>

#include "FrameSink.h"

struct VideoRequest {
  std::string output;     // the video file; its name's ending picks the container
  int width = 0;
  int height = 0;
  int fps = 0;
  std::string music;      // the music file, or empty for a silent video
  double musicStart = 0;  // seconds of music at the first frame
  double seconds = 0;     // length of the captured stretch
};

// True when the named program can be run from the search path.
bool ProgramOnPath(const char* name);

class VideoEncoder : public FrameSink {
 public:
  ~VideoEncoder() override;
  // Starts ffmpeg reading raw frames from a pipe; false (with `error`) when it cannot start.
  bool Open(const VideoRequest& request);
  bool Write(int64_t frame, const uint8_t* rgb) override;
  // Ends the frame stream and waits for ffmpeg to finish the file.
  bool Finish() override;

 private:
  int m_pipe = -1;
  pid_t m_child = -1;
  size_t m_frameBytes = 0;
};
