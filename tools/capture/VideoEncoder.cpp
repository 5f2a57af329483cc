#include "VideoEncoder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Ffmpeg.h"

const char* const kVideoPresets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                     "medium",    "slow",      "slower",   "veryslow", nullptr};

bool IsVideoPreset(const std::string& name) {
  for (const char* const* p = kVideoPresets; *p; ++p)
    if (name == *p) return true;
  return false;
}

namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

std::vector<std::string> FfmpegArguments(const VideoRequest& r) {
  std::vector<std::string> args = {
      "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
      "-f", "rawvideo", "-pix_fmt", "bgr0", "-video_size",
      std::to_string(r.width) + "x" + std::to_string(r.height), "-framerate", std::to_string(r.fps),
      "-i", "pipe:0"};
  if (!r.music.empty())
    args.insert(args.end(), {"-ss", Number(r.musicStart), "-t", Number(r.seconds), "-i", r.music,
                             "-map", "0:v", "-map", "1:a", "-c:a", "aac", "-b:a", "192k"});
  // The frames come bottom row first: vflip turns them by pointing at the rows backwards, no copy.
  // yuv420p: the picture format every player decodes; +faststart: playable while it downloads.
  args.insert(args.end(), {"-vf", "vflip", "-c:v", "libx264", "-preset", r.preset, "-crf", "18",
                           "-pix_fmt", "yuv420p", "-movflags", "+faststart", "-shortest"});
  return args;
}

}  // namespace

// A video never finished is dropped: the stage goes, the old file stays.
VideoEncoder::~VideoEncoder() {
  std::string ignored;
  WaitFfmpeg(m_ffmpeg, ignored);
}

bool VideoEncoder::Open(const VideoRequest& request, std::string& error) {
  std::vector<std::string> args = FfmpegArguments(request);
  if (!OpenVideoOutput(request.output, m_output, args, error)) return false;
  if (!StartFfmpeg(args, m_ffmpeg, error)) {
    m_output.Abandon();
    return false;
  }
  m_frameBytes = static_cast<size_t>(request.width) * request.height * 4;
  m_target = request.output;
  return true;
}

bool VideoEncoder::Write(const std::vector<int64_t>& frames, const uint8_t* bgra,
                         std::string& error) {
  if (!m_ffmpeg.Running()) return false;
  for (size_t i = 0; i < frames.size(); ++i) {
    if (!m_ffmpeg.Write(bgra, m_frameBytes)) {
      error = "ffmpeg stopped taking frames (see its message): " + m_target +
              " is left as it was";
      return false;
    }
  }
  return true;
}

bool VideoEncoder::Finish(std::string& error) {
  if (!WaitFfmpeg(m_ffmpeg, error) || !CheckVideoOutput(m_output, error)) {
    m_output.Abandon();
    error += ": " + m_target + " is left as it was";
    return false;
  }
  if (!m_output.Commit()) {
    error = "cannot put the video in place as " + m_target + ": " + std::strerror(errno);
    return false;
  }
  return true;
}
