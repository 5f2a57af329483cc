#pragma once
// The player's command line: zorbanel [options] [PRODUCTION_DIR].
#include <string>

#include "render/Renderer.h"

enum class WindowChoice { Ask, Window, Fullscreen };

struct PlayerOptions {
  std::string production;  // "" for the working directory
  WindowChoice window = WindowChoice::Ask;
  double from = -1;  // seconds; below 0: from the start
  double loopStart = -1, loopEnd = -1;  // a loop when loopEnd > loopStart >= 0
  bool dev = false;
  RendererKind renderer = RendererKind::Classic;
};

enum class PlayerCommand { Play, Help, Version, Bad };

extern const char kPlayerUsage[];

// A second of a production given on a command line (the player's and the capture tool's): the
// whole text a finite number from 0 to a day, so frame numbers stay far from any overflow.
constexpr double kMaxSeconds = 86400;
bool ReadSeconds(const char* text, double& value);

// argv without the program name. On Bad, error says what is wrong.
PlayerCommand ParsePlayerOptions(int argc, const char* const* argv, PlayerOptions& options,
                                 std::string& error);

// The working directory holds a production: a manifest (by name, whatever it is) or the bundled
// production's script. Otherwise false, and why names the folder and what it lacks.
bool HoldsProduction(std::string& why);

// Makes `dir` ("" keeps the working directory) the working directory and checks that it holds a
// production (its script). False, with a message on standard error naming the way to point the
// player at one, when it does not; nothing is written there.
bool EnterProduction(const std::string& dir);
