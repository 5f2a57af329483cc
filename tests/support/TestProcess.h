#pragma once
// A program a test runs: in a folder, with some environment variables set or removed, its output
// to a file, ended when the test says or killed after a time. The child dies with the test
// process, so a test killed on its timeout leaves nothing running.
#include <string>
#include <utility>
#include <vector>

struct ProcessSetup {
  std::string folder;  // the working directory; empty: the test's own
  std::vector<std::pair<std::string, std::string>> set;
  std::vector<std::string> unset;
  // Where standard output and standard error go (the same path: both into one file); empty:
  // the test's own.
  std::string outputFile;
  std::string errorsFile;
};

// The status of a program that ended: its exit code, 128 + N when POSIX signal N ended it.
// A program stopped with Kill() ends with kKilledStatus on every system.
constexpr int kKilledStatus = 137;
// What Wait answers for a program still running at the timeout (then killed).
constexpr int kTimedOut = -1;

class TestProcess {
 public:
  TestProcess() = default;
  ~TestProcess();
  TestProcess(const TestProcess&) = delete;
  TestProcess& operator=(const TestProcess&) = delete;

  // command[0] is the program: a path, or a name looked up on PATH.
  bool Start(const std::vector<std::string>& command, const ProcessSetup& setup);
  bool Started() const;
  // True once it has ended, with its status.
  bool Ended(int& status);
  // Waits up to seconds for the end; kills it then. Its status, or kTimedOut. On Windows the
  // message boxes it shows meanwhile get their default answer, as from a user pressing Enter:
  // with a display, a box there waits for an answer no test gives.
  int Wait(double seconds);
  // Asks it to end as a user would: a termination signal, which SDL turns into the window's close
  // message; on Windows the close message to its windows and Ctrl+Break to a console program.
  void AskToEnd();
  void Kill();

 private:
  // One step of Wait's polling: a short sleep; on Windows also the answer to any box shown.
  void Pause();
#ifdef _WIN32
  void* process_ = nullptr;
  unsigned long id_ = 0;
#else
  int pid_ = -1;
#endif
  bool ended_ = false;
  int status_ = kTimedOut;
};

// The environment of a program run "on a machine with no display and no sound device": on Linux
// SDL's offscreen video driver (a GL context without a display) and its dummy audio driver.
ProcessSetup HeadlessSetup(const std::string& folder);

// Sets an environment variable of this process (and so of its children), or removes it (null).
void SetVariable(const char* name, const char* value);
// Where SDL has an offscreen video driver (Linux), GL tests use it unless told otherwise, so a
// test program run by hand on a desktop draws no windows.
void PreferOffscreenVideo();

// This process's id, for names no other process uses.
int CurrentProcessId();
