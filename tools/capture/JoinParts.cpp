#include "JoinParts.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "CapturePlatform.h"
#include "Ffmpeg.h"
#include "ProductionInputs.h"

namespace {

const char kTool[] = "zorbanel-capture";

// One line of the concat list; the file: prefix keeps the path from being read relative to the
// list, which comes through a pipe.
std::string ListLine(const std::string& path) {
  std::string line = "file 'file:";
  for (const char c : path) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return line + "'\n";
}

// What ffprobe is asked of every part: the streams the join copies, and the container.
const char kPartEntries[] =
    "stream=codec_type,codec_name,width,height,r_frame_rate,sample_rate,channels:"
    "format=format_name,duration";

// A part's streams, one "type codec WxH rate" (or "type codec rate channels") each, in order.
std::string Streams(const std::string& answer) {
  std::string streams;
  for (int i = 0;; ++i) {
    const std::string at = "streams.stream." + std::to_string(i) + ".";
    const std::string type = FlatValue(answer, at + "codec_type");
    if (type.empty()) return streams;
    std::string stream = type + " " + FlatValue(answer, at + "codec_name");
    if (type == "video")
      stream += " " + FlatValue(answer, at + "width") + "x" + FlatValue(answer, at + "height") +
                " " + FlatValue(answer, at + "r_frame_rate") + " fps";
    else if (type == "audio")
      stream += " " + FlatValue(answer, at + "sample_rate") + " Hz " +
                FlatValue(answer, at + "channels") + " ch";
    streams += (streams.empty() ? "" : ", ") + stream;
  }
}

// A part the join can copy: a non-empty video file that ffprobe reads, with a video stream, a
// length and a video container (not a picture), whose streams are those of the first part.
// False with `error` naming the part and what is wrong with it.
bool CheckPart(const std::string& part, std::string& firstStreams, const std::string& first,
               std::string& error) {
  std::error_code ec;
  const std::filesystem::path path = std::filesystem::u8path(part);
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (ec) {
    error = part + ": " + ec.message();
    return false;
  }
  if (!std::filesystem::is_regular_file(status)) {
    error = part + " is not a video file";
    return false;
  }
  if (std::filesystem::file_size(path, ec) == 0) {
    error = part + " is empty";
    return false;
  }
  std::string answer, why;
  if (!ProbeFile(part, kPartEntries, answer, why)) {
    error = part + " is not a video ffprobe can read (" + why + ")";
    return false;
  }
  const std::string format = FlatValue(answer, "format.format_name");
  const std::string streams = Streams(answer);
  const bool picture = format == "image2" || format.find("_pipe") != std::string::npos;
  if (streams.find("video") != 0 || picture ||
      std::atof(FlatValue(answer, "format.duration").c_str()) <= 0) {
    error = part + " is not a video (" + format + ": " + streams + ")";
    return false;
  }
  if (firstStreams.empty()) {
    firstStreams = streams;
  } else if (streams != firstStreams) {
    error = part + " (" + streams + ") does not match " + first + " (" + firstStreams +
            "): parts must have the same size, frame rate and codecs";
    return false;
  }
  return true;
}

}  // namespace

CaptureStatus JoinParts(const std::string& output, const std::vector<std::string>& parts) {
  if (!HasProgram("ffprobe") || !HasProgram("ffmpeg")) {
    std::fprintf(stderr, "%s: --join needs ffmpeg and ffprobe (%s)\n", kTool, kFfmpegInstall);
    return kCaptureFailed;
  }
  // Every part is checked before anything is written.
  std::string list, firstStreams, error;
  for (const std::string& part : parts) {
    if (!CheckPart(part, firstStreams, parts.front(), error)) {
      std::fprintf(stderr, "%s: %s; %s is left as it was\n", kTool, error.c_str(), output.c_str());
      return kCaptureFailed;
    }
    list += ListLine(std::filesystem::absolute(std::filesystem::u8path(part)).u8string());
  }
  const std::string replaced = FileReplacedBy(output, false, parts);
  if (!replaced.empty()) {
    std::fprintf(stderr, "%s: refusing to write %s over the part %s\n", kTool, output.c_str(),
                 replaced.c_str());
    return kBadArguments;
  }
  std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
                                   "-f", "concat", "-safe", "0", "-protocol_whitelist",
                                   "file,pipe", "-i", "pipe:0", "-map", "0", "-c", "copy",
                                   "-movflags", "+faststart"};
  AtomicFile video;
  ChildProcess ffmpeg;
  const bool started =
      OpenVideoOutput(output, video, args, error) && StartFfmpeg(args, ffmpeg, error);
  if (started && !ffmpeg.Write(list.data(), list.size()))
    error = "ffmpeg did not read the list of parts";
  bool joined = started && WaitFfmpeg(ffmpeg, error) && error.empty() &&
                CheckVideoOutput(video, error);
  if (joined && !video.Commit()) {
    error = "cannot put the video in place as " + output + ": " + std::strerror(errno);
    joined = false;
  }
  if (!joined) {
    std::fprintf(stderr, "%s: %s; %s is left as it was\n", kTool, error.c_str(), output.c_str());
    return kCaptureFailed;
  }
  std::fprintf(stderr, "%s: %zu parts joined in %s\n", kTool, parts.size(), output.c_str());
  return kCaptured;
}
