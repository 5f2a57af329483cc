#include "Ffmpeg.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <strings.h>

#include "CapturePlatform.h"

namespace {

// The output is written under a name of its own (or none) before it takes the video's, so ffmpeg
// is told the container instead of guessing it from the name.
const char* ContainerOf(const std::string& target) {
  static const char* const kContainers[][2] = {{".mp4", "mp4"}, {".m4v", "mp4"},
                                               {".mov", "mov"}, {".mkv", "matroska"},
                                               {".avi", "avi"}, {".ts", "mpegts"}};
  for (const auto& c : kContainers) {
    const size_t n = std::strlen(c[0]);
    if (target.size() > n && strcasecmp(target.c_str() + target.size() - n, c[0]) == 0)
      return c[1];
  }
  return nullptr;
}

}  // namespace

const char kVideoEndings[] = ".mp4, .m4v, .mov, .mkv, .avi or .ts";

bool IsVideoName(const std::string& name) { return ContainerOf(name) != nullptr; }

bool HasProgram(const char* name) { return !FindProgram(name).empty(); }

bool OpenVideoOutput(const std::string& target, AtomicFile& output, std::vector<std::string>& args,
                     std::string& error) {
  if (!output.Open(target.c_str())) {
    error = "cannot write beside " + target + ": " + std::strerror(errno);
    return false;
  }
  args.insert(args.end(), {"-f", ContainerOf(target), output.WritePath()});
  return true;
}

bool StartFfmpeg(const std::vector<std::string>& args, ChildProcess& process,
                 std::string& error) {
  if (!HasProgram("ffmpeg")) {
    error = std::string("ffmpeg is not installed (") + kFfmpegInstall +
            "); --frames does not need it";
    return false;
  }
  ChildOptions options;
  options.pipeInput = true;
  options.keepErrors = true;
  options.ownGroup = true;
  std::string why;
  if (process.Start(args, options, why)) return true;
  error = "cannot start ffmpeg: " + why;
  return false;
}

bool WaitFfmpeg(ChildProcess& process, std::string& error) {
  if (!process.Running()) return false;
  int status = 0;
  const bool ended = process.Wait(status);  // with status 0
  std::fputs(process.Errors().c_str(), stderr);
  if (ended && process.Errors().empty()) return true;
  if (error.empty()) error = "ffmpeg could not write the video (see its message above)";
  return false;
}

bool RunFfmpegTool(const std::vector<std::string>& args, std::string& output, std::string& errors) {
  ChildProcess tool;
  ChildOptions options;
  options.keepOutput = true;
  options.keepErrors = true;
  options.ownGroup = true;
  std::string why;
  int status = 0;
  if (!tool.Start(args, options, why)) {
    output.clear();
    errors = "cannot run " + why;
    return false;
  }
  const bool ended = tool.Wait(status);  // with status 0
  output = tool.Output();
  errors = tool.Errors();
  if (!ended && errors.empty()) errors = args[0] + " ended with status " + std::to_string(status);
  return ended && errors.empty();
}

bool ProbeFile(const std::string& path, const std::string& entries, std::string& answer,
               std::string& error) {
  if (RunFfmpegTool({"ffprobe", "-v", "error", "-show_entries", entries, "-of", "flat", path},
                    answer, error))
    return true;
  // One line for the message that quotes it.
  while (!error.empty() && (error.back() == '\n' || error.back() == '\r')) error.pop_back();
  for (size_t at; (at = error.find('\n')) != std::string::npos;) error.replace(at, 1, "; ");
  return false;
}

std::string FlatValue(const std::string& answer, const std::string& key) {
  std::istringstream lines(answer);
  for (std::string line; std::getline(lines, line);)
    if (line.compare(0, key.size() + 1, key + "=") == 0) {
      std::string value = line.substr(key.size() + 1);
      if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
      return value;
    }
  return "";
}

bool CheckVideoOutput(const AtomicFile& output, std::string& error) {
  const std::string path = output.WritePath();
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(std::filesystem::u8path(path), ec);
  if (ec || size == 0) {
    error = "ffmpeg wrote nothing";
    return false;
  }
  if (!HasProgram("ffprobe")) return true;
  std::string answer, why;
  if (!ProbeFile(path, "format=duration", answer, why)) {
    error = "ffmpeg's video cannot be read back (" + why + ")";
    return false;
  }
  if (std::atof(FlatValue(answer, "format.duration").c_str()) <= 0) {
    error = "ffmpeg's video has no length";
    return false;
  }
  return true;
}
