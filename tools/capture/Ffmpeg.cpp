#include "Ffmpeg.h"

#include <errno.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <strings.h>

#include <cstring>

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

// Starts args[0] with standard input, output and error from the descriptors given (-1: this
// process's own). Arguments are built before the fork: the child only execs. Descriptors of this
// process are opened close-on-exec, so the child holds no end of its own input pipe.
pid_t Spawn(const std::vector<std::string>& args, int input, int output, int errors) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::setpgid(0, 0);
    if (input >= 0) ::dup2(input, STDIN_FILENO);
    if (output >= 0) ::dup2(output, STDOUT_FILENO);
    if (errors >= 0) ::dup2(errors, STDERR_FILENO);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  return child;
}

// What a child wrote into one of its in-memory files.
std::string ReadBack(int fd) {
  std::string text;
  char chunk[4096];
  for (off_t at = 0;;) {
    const ssize_t n = ::pread(fd, chunk, sizeof chunk, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(chunk, static_cast<size_t>(n));
    at += n;
  }
  return text;
}

// Ended with status 0; the waited status in `status`.
bool Reap(pid_t child, int& status) {
  status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

const char kVideoEndings[] = ".mp4, .m4v, .mov, .mkv, .avi or .ts";

bool IsVideoName(const std::string& name) { return ContainerOf(name) != nullptr; }

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

bool OpenVideoOutput(const std::string& target, AtomicFile& output, std::vector<std::string>& args,
                     std::string& error) {
  if (!output.Open(target.c_str())) {
    error = "no se puede escribir junto a " + target + ": " + std::strerror(errno);
    return false;
  }
  args.insert(args.end(), {"-f", ContainerOf(target), output.WritePath()});
  return true;
}

bool StartFfmpeg(const std::vector<std::string>& args, int input, FfmpegProcess& process,
                 std::string& error) {
  if (!ProgramOnPath("ffmpeg")) {
    error = "ffmpeg no esta instalado (bash scripts/install-deps.sh video); --frames no lo necesita";
    return false;
  }
  process.errors = ::memfd_create("ffmpeg-errors", MFD_CLOEXEC);
  if (process.errors < 0) {
    error = std::string("cannot keep ffmpeg's messages: ") + std::strerror(errno);
    return false;
  }
  process.pid = Spawn(args, input, -1, process.errors);
  if (process.pid < 0) {
    error = std::string("no se puede arrancar ffmpeg: ") + std::strerror(errno);
    ::close(process.errors);
    process.errors = -1;
    return false;
  }
  return true;
}

bool WaitFfmpeg(FfmpegProcess& process, std::string& error) {
  if (process.pid <= 0) return false;
  int status = 0;
  const bool exited = Reap(process.pid, status);
  process.pid = -1;
  const std::string said = process.errors >= 0 ? ReadBack(process.errors) : std::string();
  if (process.errors >= 0) ::close(process.errors);
  process.errors = -1;
  std::fputs(said.c_str(), stderr);
  if (exited && said.empty()) return true;
  if (error.empty())
    error = WIFEXITED(status) && WEXITSTATUS(status) == 127
                ? "no se pudo ejecutar ffmpeg"
                : "ffmpeg no pudo escribir el video (vea su mensaje arriba)";
  return false;
}

bool RunFfmpegTool(const std::vector<std::string>& args, std::string& output, std::string& errors) {
  const int out = ::memfd_create("ffmpeg-output", MFD_CLOEXEC);
  const int err = ::memfd_create("ffmpeg-errors", MFD_CLOEXEC);
  bool ok = false;
  errors.clear();
  output.clear();
  const pid_t child = out >= 0 && err >= 0 ? Spawn(args, -1, out, err) : -1;
  if (child < 0) {
    errors = std::string("cannot run ") + args[0] + ": " + std::strerror(errno);
  } else {
    int status = 0;
    ok = Reap(child, status);
    output = ReadBack(out);
    errors = ReadBack(err);
    if (!ok && errors.empty()) errors = args[0] + " ended with status " + std::to_string(status);
    ok = ok && errors.empty();
  }
  if (out >= 0) ::close(out);
  if (err >= 0) ::close(err);
  return ok;
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
  struct stat st;
  const std::string path = output.WritePath();
  if (::stat(path.c_str(), &st) != 0 || st.st_size <= 0) {
    error = "ffmpeg wrote nothing";
    return false;
  }
  if (!ProgramOnPath("ffprobe")) return true;
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
