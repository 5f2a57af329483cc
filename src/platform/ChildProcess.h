#pragma once
// Another program run by this one (the video encoder, the scene converter). Its standard input is
// this process's or a pipe fed by Write; its output and errors are this process's or kept in
// unnamed temporary files read once it has ended, so a child that says much never waits on a full
// pipe and nothing is left on disk.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// The program a bare name starts (on Windows with ".exe", looked for beside this program first,
// then along PATH; never in the working directory); a name with a folder is taken as it is.
// Empty when there is no such program.
std::string FindProgram(const std::string& name);

// The program `name` in this program's own folder (".exe" added on Windows); the name as given
// when that folder cannot be told.
std::string ProgramBeside(const std::string& name);

// An unnamed temporary file for reading and writing, gone once closed; null when none can be made.
std::FILE* OpenScratchFile();

struct ChildOptions {
  bool pipeInput = false;   // Write feeds its standard input
  bool keepOutput = false;  // its standard output is kept for Output
  bool keepErrors = false;  // its standard error is kept for Errors
  // Ctrl+C on the terminal does not reach it: this process decides when its input ends.
  bool ownGroup = false;
};

class ChildProcess {
 public:
  ChildProcess();
  ~ChildProcess();  // a child still running is killed and waited for
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts args[0] (found as FindProgram says) with args. False with `error` when it cannot be
  // started (no such program, not one this system can run).
  bool Start(const std::vector<std::string>& args, const ChildOptions& options,
             std::string& error);
  bool Running() const;
  // The whole of data to its standard input; false once it no longer reads (a broken pipe never
  // ends this process).
  bool Write(const void* data, size_t size);
  // Closes its input and waits for its end; true when it exited by itself with status 0. `status`
  // is its exit status, or -1 when something else ended it.
  bool Wait(int& status);
  // What it wrote to a kept stream, complete once Wait has returned. On Windows CR LF reads as LF,
  // as text does there.
  const std::string& Output() const { return output_; }
  const std::string& Errors() const { return errors_; }

 private:
  struct Handles;
  void CloseInput();
  std::unique_ptr<Handles> handles_;
  std::string output_;
  std::string errors_;
};
