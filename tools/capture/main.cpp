// zorbanel-capture: renders a production to a video, or to numbered PNG frames, at a fixed frame
// rate and without a visible window.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Capture.h"
#include "CaptureOptions.h"
#include "CapturePlatform.h"
#include "JoinParts.h"
#include "ProductionInputs.h"
#include "driver/ContentManifest.h"
#include "platform/Console.h"
#include "platform/Files.h"

namespace {

const char kTool[] = "zorbanel-capture";

namespace fs = std::filesystem;

std::string Absolute(const std::string& path) {
  return path.empty() ? path : fs::absolute(fs::u8path(path)).lexically_normal().u8string();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  std::vector<const char*> words;
  for (const std::string& argument : arguments) words.push_back(argument.c_str());
  if (words.size() == 2 && std::strcmp(words[1], "--version") == 0) {
    std::printf("%s %s\n", kTool, ZB_VERSION);
    return 0;
  }
  PrepareCaptureProcess();
  CaptureOptions options;
  std::string error;
  switch (ParseCaptureOptions(static_cast<int>(words.size()) - 1, words.data() + 1, options,
                              error)) {
    case ParseResult::Help:
      std::printf("%s%s", kCaptureUsage, kCapturePlatformUsage);
      return 0;
    case ParseResult::Bad:
      std::fprintf(stderr, "%s: %s\n\n%s%s", kTool, error.c_str(), kCaptureUsage,
                   kCapturePlatformUsage);
      return kBadArguments;
    case ParseResult::Run:
      break;
  }
  if (!options.join.empty()) return JoinParts(options.output, options.join);
  // Outputs are named from where the tool was started, the production is read from its folder.
  options.output = Absolute(options.output);
  options.framesDir = Absolute(options.framesDir);
  const std::string production = options.production.empty() ? "." : options.production;
  const std::string& output = options.framesDir.empty() ? options.output : options.framesDir;
  if (InsideProductionInputs(output, production)) {
    std::fprintf(stderr,
                 "%s: refusing to write %s inside the production's input folders (escenas, "
                 "escenas_bin, textures, music)\n",
                 kTool, output.c_str());
    return kBadArguments;
  }
  std::error_code ec;
  if (options.framesDir.empty() && fs::exists(fs::u8path(output), ec) &&
      !fs::is_regular_file(fs::u8path(output), ec)) {
    std::fprintf(stderr, "%s: %s exists and is not a file\n", kTool, output.c_str());
    return kBadArguments;
  }
  if (!EnterFolder(production.c_str())) {
    std::fprintf(stderr, "%s: cannot enter %s: %s\n", kTool, production.c_str(),
                 std::strerror(errno));
    return kCaptureFailed;
  }
  KeepReadsWithin(".");
  // A production is a folder whose manifest (or the built-in one) names a script that is there.
  ContentManifest manifest;
  std::vector<std::string> faults;
  if (!ReadProductionManifest(manifest, faults)) {
    for (const std::string& fault : faults) std::fprintf(stderr, "%s: %s\n", kTool, fault.c_str());
    return kCaptureFailed;
  }
  const char* script = manifest.script.path.c_str();
  if (ExamineFile(script).kind != FileKind::regular) {
    std::fprintf(stderr, "%s: %s holds no production: %s is missing\n", kTool,
                 Absolute(".").c_str(), script);
    return kCaptureFailed;
  }
  return RunCapture(options);
}
