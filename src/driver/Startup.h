#pragma once
// The production's start-up and shutdown, shared by the player and the offline renderer so that
// both load, wire and release exactly the same way. Between the two runs a frame loop:
// Timeline::Dispatch, Timeline::Compose, present.
#include <string>

// The script: a folder that holds it holds a production.
constexpr char kScriptPath[] = "escenas_bin\\script2_full.txt";

// Seek rate of the player: a seek replays the frames before its target as drawn this often.
constexpr int kPlayerSeekFps = 60;

// What differs between a run on the screen and an offline render.
struct StartupOptions {
  unsigned randomSeed = 0;  // seeds the generator behind the random shakes
  bool fullscreen = true;   // a full-screen window is asked for (with a fall-back to a window)
};

// In this order: log file and banner, random seed, window and context, extension check, font, the
// scene catalogue, the two frame timers, the music, the layers, the particle file, the script, the
// timeline's wiring and the render targets. The music is loaded but not playing yet.
// False when the window could not be made: its reason has been shown and nothing else was made.
// Missing multitexture support ends the process, as a missing texture does.
bool StartProduction(const StartupOptions& options);

// Music, script events, scene and particle arrays, render targets and font, in this order.
void ShutdownProduction();

// The script at `script` can be played: it reads, is plain text and holds an event. Otherwise
// false, and fault says why, naming the file.
bool CheckScriptPlayable(const std::string& script, std::string& fault);

// What the loaded script would pass over, against what is loaded, to the log and standard error;
// then the number of events read.
void ReportScriptFindings();

struct ContentManifest;
// What StartProduction loaded the production from, or what a reload loaded it from since.
const ContentManifest& ProductionManifest();
void SetProductionManifest(const ContentManifest& manifest);
