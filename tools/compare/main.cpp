// zorbanel-compare: holds the PNG frames of two folders against each other, as the frames of two
// renderers are, and says whether every one is within the tolerance.
#include <cstdio>
#include <string>
#include <vector>

#include "ComparisonReport.h"
#include "CompareOptions.h"
#include "FolderComparison.h"
#include "PngPicture.h"
#include "SideBySide.h"
#include "platform/Console.h"

namespace {

const char kTool[] = "zorbanel-compare";

enum : int { kWithin = 0, kOutside = 1, kBadInput = 2 };

// The frame as a file name: the name given, with ".png" when it has no extension.
std::string FrameFileName(const std::string& frame) {
  const size_t dot = frame.rfind('.');
  const bool named =
      dot != std::string::npos && frame.find_first_of("/\\", dot) == std::string::npos;
  return named ? frame : frame + ".png";
}

bool WriteSideBySide(const CompareOptions& options) {
  const std::string name = FrameFileName(options.sideBySideFrame);
  RgbPicture a, b;
  std::string why;
  for (const auto& [folder, picture] : {std::pair{&options.folderA, &a}, {&options.folderB, &b}}) {
    const std::string path = FramePath(*folder, name);
    if (!ReadPngFile(path, *picture, why)) {
      std::fprintf(stderr, "%s: %s: %s\n", kTool, path.c_str(), why.c_str());
      return false;
    }
  }
  if (a.width != b.width || a.height != b.height) {
    std::fprintf(stderr, "%s: %s: the frames differ in size (%dx%d and %dx%d)\n", kTool,
                 name.c_str(), a.width, a.height, b.width, b.height);
    return false;
  }
  if (!WritePngFile(options.sideBySideOutput, SideBySide(a, b, options.tolerance.levels), why)) {
    std::fprintf(stderr, "%s: %s: cannot be written: %s\n", kTool,
                 options.sideBySideOutput.c_str(), why.c_str());
    return false;
  }
  std::printf("side by side: %s (%s of %s, of %s, and the difference)\n",
              options.sideBySideOutput.c_str(), name.c_str(), options.folderA.c_str(),
              options.folderB.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  CompareOptions options;
  std::string error;
  switch (ParseCompareOptions({arguments.begin() + 1, arguments.end()}, options, error)) {
    case CompareRequest::Help:
      std::printf("%s", kCompareUsage);
      return kWithin;
    case CompareRequest::Version:
      std::printf("%s %s\n", kTool, ZB_VERSION);
      return kWithin;
    case CompareRequest::Bad:
      std::fprintf(stderr, "%s: %s\n\n%s", kTool, error.c_str(), kCompareUsage);
      return kBadInput;
    case CompareRequest::Run:
      break;
  }
  const FolderComparison comparison =
      CompareFolders(options.folderA, options.folderB, options.tolerance.levels);
  for (const std::string& fault : comparison.faults)
    std::fprintf(stderr, "%s: %s\n", kTool, fault.c_str());
  PrintReport(stdout, comparison.frames, options.tolerance);
  bool bad = !comparison.faults.empty();
  if (!options.sideBySideFrame.empty() && !WriteSideBySide(options)) bad = true;
  if (bad) return kBadInput;
  for (const FrameDifference& frame : comparison.frames)
    if (!MeetsTolerance(frame.difference, options.tolerance)) return kOutside;
  return kWithin;
}
