#ifndef _WIN32
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/ChildProcess.h"

struct ChildProcess::Handles {
  pid_t pid = -1;
  int input = -1;
  int output = -1;  // the kept streams: files in memory, read back with pread
  int errors = -1;
};

namespace {

void Close(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

std::string ReadBack(int fd) {
  std::string text;
  char chunk[4096];
  for (off_t at = 0; fd >= 0;) {
    const ssize_t n = ::pread(fd, chunk, sizeof chunk, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(chunk, static_cast<size_t>(n));
    at += n;
  }
  return text;
}

}  // namespace

std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  if (!path || name.empty()) return std::string();
  const std::string dirs(path);
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
    const std::string program = dir + "/" + name;
    if (::access(program.c_str(), X_OK) == 0) return program;
    start = end + 1;
  }
  return std::string();
}

std::string ProgramBeside(const std::string& name) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? name : (self.parent_path() / name).string();
}

std::FILE* OpenScratchFile() { return std::tmpfile(); }

ChildProcess::ChildProcess() : handles_(new Handles) {}

ChildProcess::~ChildProcess() {
  CloseInput();
  if (handles_->pid > 0) {
    ::kill(handles_->pid, SIGKILL);
    while (::waitpid(handles_->pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  Close(handles_->output);
  Close(handles_->errors);
}

bool ChildProcess::Start(const std::vector<std::string>& args, const ChildOptions& options,
                         std::string& error) {
  Handles& h = *handles_;
  const std::string program = args.empty() ? std::string() : FindProgram(args[0]);
  if (program.empty()) {
    error = (args.empty() ? std::string("?") : args[0]) + ": " + std::strerror(ENOENT);
    return false;
  }
  // Arguments are built before the fork: the child only execs.
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int input[2] = {-1, -1}, report[2] = {-1, -1};
  // Every descriptor here is close-on-exec, so the child holds no end of its own input pipe.
  if (options.keepOutput) h.output = ::memfd_create("child-output", MFD_CLOEXEC);
  if (options.keepErrors) h.errors = ::memfd_create("child-errors", MFD_CLOEXEC);
  const bool ready = (!options.keepOutput || h.output >= 0) &&
                     (!options.keepErrors || h.errors >= 0) &&
                     (!options.pipeInput || ::pipe2(input, O_CLOEXEC) == 0) &&
                     ::pipe2(report, O_CLOEXEC) == 0;
  if (!ready) {
    error = std::string("cannot connect ") + args[0] + ": " + std::strerror(errno);
    for (int* fd : {&input[0], &input[1], &report[0], &report[1], &h.output, &h.errors}) Close(*fd);
    return false;
  }
  // A stopped reader shows as a failed write, not as the end of this process.
  if (options.pipeInput) ::signal(SIGPIPE, SIG_IGN);
  h.pid = ::fork();
  if (h.pid == 0) {
    if (options.ownGroup) ::setpgid(0, 0);
    if (input[0] >= 0) ::dup2(input[0], STDIN_FILENO);
    if (h.output >= 0) ::dup2(h.output, STDOUT_FILENO);
    if (h.errors >= 0) ::dup2(h.errors, STDERR_FILENO);
    ::execv(program.c_str(), argv.data());
    const int why = errno;
    (void)!::write(report[1], &why, sizeof why);
    ::_exit(127);
  }
  const int forkError = errno;
  Close(input[0]);
  Close(report[1]);
  h.input = input[1];
  int why = h.pid < 0 ? forkError : 0;
  // The report pipe closes at the exec; an exec that failed says why through it first.
  while (h.pid > 0 && ::read(report[0], &why, sizeof why) < 0 && errno == EINTR) {
  }
  Close(report[0]);
  if (why == 0) return true;
  error = program + ": " + std::strerror(why);
  CloseInput();
  if (h.pid > 0)
    while (::waitpid(h.pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  h.pid = -1;
  Close(h.output);
  Close(h.errors);
  return false;
}

bool ChildProcess::Running() const { return handles_->pid > 0; }

bool ChildProcess::Write(const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  if (handles_->input < 0) return false;
  for (size_t done = 0; done < size;) {
    const ssize_t n = ::write(handles_->input, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void ChildProcess::CloseInput() { Close(handles_->input); }

bool ChildProcess::Wait(int& status) {
  Handles& h = *handles_;
  CloseInput();
  status = -1;
  if (h.pid <= 0) return false;
  int raw = 0;
  pid_t ended;
  while ((ended = ::waitpid(h.pid, &raw, 0)) < 0 && errno == EINTR) {
  }
  if (ended == h.pid && WIFEXITED(raw)) status = WEXITSTATUS(raw);
  h.pid = -1;
  output_ = ReadBack(h.output);
  errors_ = ReadBack(h.errors);
  Close(h.output);
  Close(h.errors);
  return status == 0;
}
#endif
