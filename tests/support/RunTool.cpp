#include "support/RunTool.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "support/TestProcess.h"

ToolRun RunTool(const std::string& folder, const std::string& tool, const std::string& arguments,
                int timeoutSeconds) {
  const bool path = std::filesystem::path(tool).has_root_directory();
  std::vector<std::string> command{path ? tool : ZB_TOOLS_DIR "/zorbanel-" + tool};
  std::istringstream words(arguments);
  for (std::string word; words >> word;) command.push_back(word);
  // Beside the folder, not in it: what a tool finds in its folder is part of what it is tested on.
  static int runs = 0;
  const std::string outputFile = (std::filesystem::temp_directory_path() /
                                  ("zorbanel-tool-" + std::to_string(CurrentProcessId()) + "-" +
                                   std::to_string(++runs) + ".txt")).string();
  ProcessSetup setup = HeadlessSetup(folder);
  setup.outputFile = setup.errorsFile = outputFile;
  ToolRun run;
  TestProcess process;
  if (process.Start(command, setup)) run.status = process.Wait(timeoutSeconds);
  // Read as text: on Windows a program's line ends are CR LF, which text reads as LF.
  std::stringstream output;
  output << std::ifstream(outputFile).rdbuf();
  run.output = output.str();
  std::error_code ec;
  std::filesystem::remove(outputFile, ec);
  return run;
}
