#pragma once
// Runs one of the built programs (zorbanel-<tool>), or the program at an absolute path, in a
// folder with no display and no sound device, as a user would from a shell, with a timeout.
#include <string>

struct ToolRun {
  int status = -1;     // exit status; -1 when it did not end in time
  std::string output;  // standard output and standard error together
};

// `arguments` are words separated by spaces.
ToolRun RunTool(const std::string& folder, const std::string& tool, const std::string& arguments,
                int timeoutSeconds = 120);
