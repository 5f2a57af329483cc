#pragma once
// The production's start-up and shutdown, shared by the player and the offline renderer so that
// both load, wire and release exactly the same way. Between the two runs a frame loop:
// Timeline::Dispatch, Timeline::Compose, present.
#include <string>
#include <vector>

#include "render/Renderer.h"

// The script: a folder that holds it holds a production.
constexpr char kScriptPath[] = "escenas_bin\\script2_full.txt";

// Seek rate of the player: a seek replays the frames before its target as drawn this often.
constexpr int kPlayerSeekFps = 60;

// What differs between a run on the screen and an offline render.
struct StartupOptions {
  unsigned randomSeed = 0;  // seeds the generator behind the random shakes
  bool fullscreen = true;   // a full-screen window is asked for (with a fall-back to a window)
  RendererKind renderer = RendererKind::Classic;
};

// In this order: log file and banner, the check of every file the production names, random
// seed, window and context, extension check, font, the scene catalogue, the two frame timers, the
// music, the layers, the particle file, the script, the timeline's wiring and the render targets.
// The music is loaded but not playing yet.
// False when the production cannot play, with `status` the one the process ends with: 1 for a
// fault of its content (each told on standard error and the log; a file the manifest or a scene
// names that cannot be used stops it before the window opens, but for the music, replaced by a
// silent clock, and a scene's maps, by a checker pattern), 0 when the window could not be
// made or lacks multitexture (a message box has told why). Either way ShutdownProduction then
// lets go of what was made, as after a run.
bool StartProduction(const StartupOptions& options, int& status);

// In this order: music, script events, the scenes, layers and particle systems with their
// textures, the font and the render targets, while the GL context is still there; the window and
// the context are left to the process end. Safe at any point of start-up.
void ShutdownProduction();

// The script at `script` can be played: it reads, is plain text and holds an event. Otherwise
// false, and fault says why, naming the file.
bool CheckScriptPlayable(const std::string& script, std::string& fault);

// `contentWarnings` (what the content plays on with), then what the loaded script would pass over
// against what is loaded, to the log and standard error; then the number of events read.
void ReportScriptFindings(const std::vector<std::string>& contentWarnings);

struct ContentManifest;
// What StartProduction loaded the production from, or what a reload loaded it from since.
const ContentManifest& ProductionManifest();
void SetProductionManifest(const ContentManifest& manifest);
// The window's title and the information text's first line: the manifest's title, or the
// player's own.
const char* ProductionTitle();
const char* ProductionInfoTitle();
