#pragma once
// Reads a script as the player will and says, line by line, what it would pass over in silence
// or what would do nothing: the author's view of the loader and the dispatcher.
#include <cstdint>
#include <string>
#include <vector>

#include "timeline/Script.h"

// What the script can address. Counts of what is loaded; unknowns are left empty or zero.
struct ScriptTargets {
  int32_t scenes = 0;
  int32_t layers = 0;
  int32_t particles = 0;
  std::vector<int32_t> sceneCameras;  // cameras of each scene; empty when not known
  std::vector<bool> sceneAqua;        // each scene is prepared for FX_AQUA; empty when not known
  bool noiseSet[2] = {false, false};  // FX_NOISE 1 and 2 have masks to show
  float musicSeconds = 0;             // length of the music; 0 when not known
  Tempo tempo;                        // for beat times in the script
};

struct ScriptFinding {
  int line = 0;  // 0: the file as a whole
  std::string text;
};

// An event as the player loads it, with the line that gives it.
struct CheckedEvent {
  int line = 0;
  ScriptEvent event{};
};

struct ScriptCheck {
  std::vector<ScriptFinding> findings;
  std::vector<CheckedEvent> loaded;  // every line that names a target and an effect, in file order
  int32_t events = 0;      // lines the player loads as events
  bool plainText = true;   // false: UTF-16 or NUL bytes, nothing in it reads as meant
};

// The text as a text-mode read gives it (CR LF already folded to LF).
ScriptCheck CheckScript(const std::string& text, const ScriptTargets& targets);

// The script file's text, read in text mode. False, with the reason, when it cannot be read.
bool ReadScriptText(const char* path, std::string& text, std::string& error);
