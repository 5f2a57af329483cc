#include "VideoEncoder.h"

#include <errno.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

std::vector<std::string> FfmpegArguments(const VideoRequest& r) {
  std::vector<std::string> args = {
      "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
      "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size",
      std::to_string(r.width) + "x" + std::to_string(r.height), "-framerate", std::to_string(r.fps),
      "-i", "pipe:0"};
  if (!r.music.empty())
    args.insert(args.end(), {"-ss", Number(r.musicStart), "-t", Number(r.seconds), "-i", r.music,
                             "-map", "0:v", "-map", "1:a", "-c:a", "aac", "-b:a", "192k"});
  // yuv420p: the picture format every player decodes; +faststart: playable while it downloads.
  args.insert(args.end(), {"-c:v", "libx264", "-preset", "medium", "-crf", "18", "-pix_fmt",
                           "yuv420p", "-movflags", "+faststart", "-shortest", r.output});
  return args;
}

}  // namespace

bool ProgramOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string dirs(path);
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
    if (::access((dir + "/" + name).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

VideoEncoder::~VideoEncoder() {
  if (m_child > 0) Finish();
}

bool VideoEncoder::Open(const VideoRequest& request) {
  if (!ProgramOnPath("ffmpeg")) {
    error = "ffmpeg no esta instalado (bash scripts/install-deps.sh video); --frames no lo necesita";
    return false;
  }
  // Arguments are built before the fork: the child only execs.
  const std::vector<std::string> args = FfmpegArguments(request);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  int fds[2];
  if (::pipe(fds) != 0) {
    error = std::string("no se puede abrir la tuberia hacia ffmpeg: ") + std::strerror(errno);
    return false;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    error = std::string("no se puede arrancar ffmpeg: ") + std::strerror(errno);
    ::close(fds[0]);
    ::close(fds[1]);
    return false;
  }
  if (child == 0) {
    // A group of its own: Ctrl+C on the terminal stops the capture, which then lets ffmpeg
    // finish the file instead of losing it.
    ::setpgid(0, 0);
    ::dup2(fds[0], STDIN_FILENO);
    ::close(fds[0]);
    ::close(fds[1]);
    ::execvp("ffmpeg", argv.data());
    ::_exit(127);
  }
  ::close(fds[0]);
  m_pipe = fds[1];
  m_child = child;
  m_frameBytes = static_cast<size_t>(request.width) * request.height * 3;
  // A stopped encoder shows as a failed write, not as the end of this process.
  ::signal(SIGPIPE, SIG_IGN);
  return true;
}

bool VideoEncoder::Write(int64_t, const uint8_t* rgb) {
  if (m_pipe < 0) return false;
  size_t done = 0;
  while (done < m_frameBytes) {
    const ssize_t n = ::write(m_pipe, rgb + done, m_frameBytes - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = "ffmpeg dejo de aceptar fotogramas (vea su mensaje arriba)";
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool VideoEncoder::Finish() {
  if (m_pipe >= 0) ::close(m_pipe);
  m_pipe = -1;
  if (m_child <= 0) return false;
  int status = 0;
  while (::waitpid(m_child, &status, 0) < 0 && errno == EINTR) {
  }
  m_child = -1;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (error.empty())
    error = WIFEXITED(status) && WEXITSTATUS(status) == 127
                ? "no se pudo ejecutar ffmpeg"
                : "ffmpeg no pudo escribir el video (vea su mensaje arriba)";
  return false;
}
