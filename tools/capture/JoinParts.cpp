#include "JoinParts.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "Ffmpeg.h"

namespace {

const char kTool[] = "zorbanel-capture";

// One line of the concat list; the file: prefix keeps the path from being read relative to the
// list, which comes through a pipe.
std::string ListLine(const std::string& path) {
  std::string line = "file 'file:";
  for (const char c : path) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return line + "'\n";
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

CaptureStatus JoinParts(const std::string& output, const std::vector<std::string>& parts) {
  std::string list;
  for (const std::string& part : parts) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(part, ec)) {
      std::fprintf(stderr, "%s: %s is not a video file\n", kTool, part.c_str());
      return kCaptureFailed;
    }
    list += ListLine(std::filesystem::absolute(part).string());
  }
  std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
                                   "-f", "concat", "-safe", "0", "-protocol_whitelist",
                                   "file,pipe", "-i", "pipe:0", "-map", "0", "-c", "copy",
                                   "-movflags", "+faststart"};
  AtomicFile video;
  std::string error;
  int fds[2] = {-1, -1};
  pid_t child = -1;
  if (!OpenVideoOutput(output, video, args, error)) {
  } else if (::pipe2(fds, O_CLOEXEC) != 0) {
    error = std::string("cannot open a pipe to ffmpeg: ") + std::strerror(errno);
  } else {
    ::signal(SIGPIPE, SIG_IGN);
    child = StartFfmpeg(args, fds[0], error);
    ::close(fds[0]);
    if (child > 0 && !WriteAll(fds[1], list)) error = "ffmpeg did not read the list of parts";
    ::close(fds[1]);
  }
  bool joined = child > 0 && WaitFfmpeg(child, error) && error.empty();
  if (joined && !video.Commit()) {
    error = "cannot put the video in place as " + output + ": " + std::strerror(errno);
    joined = false;
  }
  if (!joined) {
    std::fprintf(stderr, "%s: %s\n", kTool, error.c_str());
    return kCaptureFailed;
  }
  std::fprintf(stderr, "%s: %zu parts joined in %s\n", kTool, parts.size(), output.c_str());
  return kCaptured;
}
