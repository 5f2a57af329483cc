#include "Ffmpeg.h"

#include <errno.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
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

pid_t StartFfmpeg(const std::vector<std::string>& args, int input, std::string& error) {
  if (!ProgramOnPath("ffmpeg")) {
    error = "ffmpeg no esta instalado (bash scripts/install-deps.sh video); --frames no lo necesita";
    return -1;
  }
  // Arguments are built before the fork: the child only execs. Descriptors of this process are
  // opened close-on-exec, so ffmpeg holds no end of its own input pipe.
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child < 0) {
    error = std::string("no se puede arrancar ffmpeg: ") + std::strerror(errno);
    return -1;
  }
  if (child == 0) {
    ::setpgid(0, 0);
    if (input >= 0) ::dup2(input, STDIN_FILENO);
    ::execvp("ffmpeg", argv.data());
    ::_exit(127);
  }
  return child;
}

bool WaitFfmpeg(pid_t child, std::string& error) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (error.empty())
    error = WIFEXITED(status) && WEXITSTATUS(status) == 127
                ? "no se pudo ejecutar ffmpeg"
                : "ffmpeg no pudo escribir el video (vea su mensaje arriba)";
  return false;
}
