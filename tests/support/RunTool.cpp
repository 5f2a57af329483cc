#include "support/RunTool.h"

#include <sys/wait.h>

#include <cstdio>

ToolRun RunTool(const std::string& folder, const std::string& tool, const std::string& arguments,
                int timeoutSeconds) {
  const std::string program = tool[0] == '/' ? tool : ZB_TOOLS_DIR "/zorbanel-" + tool;
  const std::string command = "cd '" + folder + "' && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy " +
                              "DISPLAY= timeout " + std::to_string(timeoutSeconds) + " " + program +
                              " " + arguments + " 2>&1";
  ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}
