#ifndef _WIN32
#include "support/TestProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

void Redirect(const std::string& path, int fd) {
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (file < 0) return;
  ::dup2(file, fd);
  ::close(file);
}

}  // namespace

TestProcess::~TestProcess() {
  if (Started() && !ended_) Kill();
}

bool TestProcess::Start(const std::vector<std::string>& command, const ProcessSetup& setup) {
  if (command.empty()) return false;
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  // Truncated here, appended to by the child: one path for both streams keeps both.
  for (const std::string* file : {&setup.outputFile, &setup.errorsFile})
    if (!file->empty()) ::close(::open(file->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
  const pid_t parent = ::getpid();
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) ::_exit(126);
    if (!setup.folder.empty() && ::chdir(setup.folder.c_str()) != 0) ::_exit(126);
    for (const auto& [name, value] : setup.set) ::setenv(name.c_str(), value.c_str(), 1);
    for (const std::string& name : setup.unset) ::unsetenv(name.c_str());
    if (!setup.outputFile.empty()) Redirect(setup.outputFile, STDOUT_FILENO);
    if (!setup.errorsFile.empty()) Redirect(setup.errorsFile, STDERR_FILENO);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  pid_ = pid;
  ended_ = false;
  return pid > 0;
}

bool TestProcess::Started() const { return pid_ > 0; }

bool TestProcess::Ended(int& status) {
  int raw = 0;
  if (!ended_ && Started() && ::waitpid(pid_, &raw, WNOHANG) == pid_) {
    ended_ = true;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
  }
  status = status_;
  return ended_;
}

void TestProcess::Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

void TestProcess::AskToEnd() {
  if (Started() && !ended_) ::kill(pid_, SIGTERM);
}

void TestProcess::Kill() {
  if (!Started() || ended_) return;
  ::kill(pid_, SIGKILL);
  int raw = 0;
  ::waitpid(pid_, &raw, 0);
  ended_ = true;
  status_ = kKilledStatus;
}

ProcessSetup HeadlessSetup(const std::string& folder) {
  ProcessSetup setup;
  setup.folder = folder;
  setup.set = {{"SDL_VIDEODRIVER", "offscreen"}, {"SDL_AUDIODRIVER", "dummy"}};
  setup.unset = {"DISPLAY"};
  return setup;
}

void SetVariable(const char* name, const char* value) {
  if (value) ::setenv(name, value, 1);
  else ::unsetenv(name);
}

void PreferOffscreenVideo() { ::setenv("SDL_VIDEODRIVER", "offscreen", 0); }

int CurrentProcessId() { return static_cast<int>(::getpid()); }
#endif
