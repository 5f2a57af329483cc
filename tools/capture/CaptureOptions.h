#pragma once
// The capture tool's command line.
#include <string>
#include <vector>

#include "render/Renderer.h"

struct CaptureOptions {
  int fps = 60;
  double from = 0;         // seconds of the production at the first frame written
  double to = -1;          // seconds at which writing stops; below 0: the production's own end
  int part = 0;            // 1..parts: only that one of `parts` equal stretches; 0: all of it
  int parts = 0;
  bool exact = false;      // compose from second 0 instead of seeking to a warm-up before `from`
  int width = 0;           // the frames' size; 0: the picture's own (800 x 600)
  int height = 0;
  bool fill = false;       // the picture fills the frame's width, cut at top and bottom
  std::string preset = "ultrafast";  // the video encoder's speed
  std::string output = "zorbanel.mp4";
  std::string framesDir;   // not empty: numbered PNG frames go there instead of a video
  std::string production;  // empty: the working directory
  RendererKind renderer = RendererKind::Gl3;
  std::vector<std::string> join;  // not empty: join these videos into `output`, capture nothing
};

constexpr int kMaxFps = 240;
constexpr int kMaxParts = 1000;
constexpr int kMaxWidth = 3840;
constexpr int kMaxHeight = 2160;

enum class ParseResult { Run, Help, Bad };

// Reads the arguments after the program name. On Bad, `error` says which argument is wrong.
ParseResult ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options,
                                std::string& error);

extern const char kCaptureUsage[];
