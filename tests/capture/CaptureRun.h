#pragma once
// A small production for capture runs, and a run of the capture tool in it.
#include <string>
#include <vector>

#include "PngReader.h"
#include "support/TempDir.h"

// Font, layer textures, music of three seconds and a script; when withContent, also a scene
// (a red square at the centre, animated at 30 frames per second) and a particle system of
// blue squares with its textures. The script switches on the scene with a shake, the trail, the
// noise overlay, the particle bursts and the yellow layer 16 in the top-left corner at opacity 0,
// lights the layer (FX_ALPHA 1) at 0.5 s and ends at 2 s.
void WriteCaptureProduction(const TempDir& dir, bool withContent = true);

struct CaptureRun {
  int status = -1;     // exit status; -1 when it did not exit by itself in time
  std::string errors;  // what it wrote on standard error
};
// Runs zorbanel-capture in dir with the arguments, with no display, killed after timeoutSeconds.
// With stopOnFile, it is asked to stop (SIGTERM) once that file of dir exists.
CaptureRun RunCaptureTool(const TempDir& dir, const std::vector<std::string>& args,
                          double timeoutSeconds = 120, const std::string& stopOnFile = "");

// The frame files of a folder of the production, by name, sorted.
std::vector<std::string> FrameNames(const TempDir& dir, const std::string& folder);
// A frame file decoded; an empty picture (and a test failure) when it cannot be read.
RgbPicture ReadFrame(const TempDir& dir, const std::string& path);
