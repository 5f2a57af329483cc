#pragma once
// Frames into a video file through ffmpeg: H.264 picture and, when the production has its music,
// AAC sound taken from the music file for the captured stretch. ffmpeg writes beside the video,
// which takes its place only once ffmpeg has finished it.
#include <string>

#include "Ffmpeg.h"
#include "FrameSink.h"
#include "platform/Files.h"

struct VideoRequest {
  std::string output;     // the video file; its name's ending picks the container
  int width = 0;
  int height = 0;
  int fps = 0;
  std::string music;      // the music file, or empty for a silent video
  double musicStart = 0;  // seconds of music at the first frame
  double seconds = 0;     // length of the captured stretch
  std::string preset;     // the H.264 encoder's speed (see kVideoPresets)
};

// The encoder speeds, fastest first.
extern const char* const kVideoPresets[];
bool IsVideoPreset(const std::string& name);

class VideoEncoder : public FrameSink {
 public:
  // Without Finish the video is dropped and the file it was to replace stays as it was.
  ~VideoEncoder() override;
  // Starts ffmpeg reading raw frames from a pipe; false (with `error`) when it cannot start.
  bool Open(const VideoRequest& request, std::string& error);
  // One: ffmpeg takes the frames in order.
  int Workers() const override { return 1; }
  // A repeated picture is sent again: the encoder codes a frame equal to the one before as a
  // few bytes of "nothing moved", far cheaper than a new picture.
  bool Write(const std::vector<int64_t>& frames, const uint8_t* bgra, std::string& error) override;
  // Ends the frame stream, waits for ffmpeg to finish the file and puts it in place.
  bool Finish(std::string& error) override;

 private:
  AtomicFile m_output;
  std::string m_target;
  ChildProcess m_ffmpeg;
  size_t m_frameBytes = 0;
};
