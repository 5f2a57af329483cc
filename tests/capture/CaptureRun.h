#pragma once
// A small production for capture runs, and a run of the capture tool in it.
#include <functional>
#include <string>
#include <vector>

#include "PngPicture.h"
#include "support/TempDir.h"

// Font, layer textures, music of three seconds and a script; when withContent, also a scene
// (a red square at the centre, animated at 30 frames per second) and a particle system of
// blue squares with its textures. The script switches on the scene with a shake, the trail, the
// noise overlay, the particle bursts and the yellow layer 16 in the top-left corner at opacity 0,
// lights the layer (FX_ALPHA 1) at 0.5 s and ends at 2 s.
void WriteCaptureProduction(const TempDir& dir, bool withContent = true);
// The scene and the particle system of that production, in the working directory.
void WriteCaptureContent();

struct CaptureRun {
  int status = -1;  // exit status, 128 + N for signal N, kKilledStatus when killed; -1: not in time
  std::string errors;  // what it wrote on standard error
};
// How a run is stopped from outside: asked to end (as Ctrl+C asks), or killed.
enum class Stop { Ask, Kill };
// Runs zorbanel-capture in dir with the arguments, with no display, killed after timeoutSeconds.
// With stopWhen, it is stopped once stopWhen() holds (tried every 20 ms).
CaptureRun RunCaptureTool(const TempDir& dir, const std::vector<std::string>& args,
                          double timeoutSeconds = 120, const std::function<bool()>& stopWhen = {},
                          Stop stop = Stop::Ask);

// The frame files of a folder of the production, by name, sorted.
std::vector<std::string> FrameNames(const TempDir& dir, const std::string& folder);
// A frame file decoded; an empty picture (and a test failure) when it cannot be read.
RgbPicture ReadFrame(const TempDir& dir, const std::string& path);

// ffprobe's answer for a video of dir, as CSV without names: `entries` as for -show_entries,
// frames counted by decoding them. Empty when it cannot be read.
std::string ProbeVideo(const TempDir& dir, const std::string& video, const std::string& entries);
// Every frame of a video of dir, decoded to 8-bit RGB one after the other.
std::string DecodeVideo(const TempDir& dir, const std::string& video);
// The sound of a video of dir, decoded to 16-bit mono samples at 44100 Hz, little-endian.
std::string DecodeSound(const TempDir& dir, const std::string& video);
