#pragma once
// The capture tool's command line.
#include <string>

struct CaptureOptions {
  int fps = 60;
  double from = 0;         // seconds of the production at the first frame written
  double to = -1;          // seconds at which writing stops; below 0: the production's own end
  std::string output = "zorbanel.mp4";
  std::string framesDir;   // not empty: numbered PNG frames go there instead of a video
  std::string production;  // empty: the working directory
};

constexpr int kMaxFps = 240;

enum class ParseResult { Run, Help, Bad };

// Reads the arguments after the program name. On Bad, `error` says which argument is wrong.
ParseResult ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options,
                                std::string& error);

extern const char kCaptureUsage[];
