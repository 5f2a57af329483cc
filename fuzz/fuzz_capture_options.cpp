// The capture's command line on any arguments (one a line), and the check that keeps its output
// out of the production's input folders on whatever path the arguments name.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "InputChecks.h"
#include "ProductionInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngine();
  const std::vector<std::string> args =
      ArgumentsOf(std::string(reinterpret_cast<const char*>(data), size));
  const std::string fault = CaptureOptionsFault(args);
  if (!fault.empty()) {
    std::fprintf(stderr, "capture options: %s\n", fault.c_str());
    abort();
  }
  for (const std::string& path : args) InsideProductionInputs(path, ScratchPath("production"));
  return 0;
}
