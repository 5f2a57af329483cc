#pragma once
// What a production is made of: its scenes, layers, noise mask sets, particle files, music, script
// and font, read from the manifest file in the production folder. Without that file the player
// loads the bundled production's own list, which is built into the program.
#include <cstdint>
#include <string>
#include <vector>

#include "timeline/Beats.h"

// The manifest's name in the production folder.
extern const char kManifestFile[];

struct ManifestEntry {
  std::string path;
  int line = 0;  // where the manifest states it; 0 when it does not
};

struct ManifestScene {
  std::string name;           // read from "escenas_bin\" + name + ".bin"
  bool clearsScreen = true;   // "overlay": drawn over the scenes before it in the same frame
  bool aqua = false;          // prepared for FX_AQUA
  bool frame = false;         // without a camera, seen from where the whole scene fits
  bool frameAlways = false;   // "frame always": so seen even when it has cameras
  bool fog = false;           // black linear fog, whatever the scene file says
  float fogStart = 0;
  float fogEnd = 0;
  float fogDensity = 0;
  int line = 0;
};

struct ManifestLayer {
  std::string path;
  float alpha = 1.0f;
  float x0 = 0, y0 = 0, x1 = 800, y1 = 600;  // window pixels, origin top left
  int line = 0;
};

constexpr int kNoiseSets = 2;
constexpr int kNoiseSetLayers = 4;  // the flip-book's masks, from a set's first layer on

struct ContentManifest {
  std::string source;  // the manifest file, or "(built-in)"
  // The production's name, for the window title and the information text; empty: the player's.
  std::string title;
  int titleLine = 0;
  ManifestEntry font;
  ManifestEntry music;  // no path: the production plays on a silent clock
  ManifestEntry script;
  std::vector<ManifestScene> scenes;
  std::vector<ManifestLayer> layers;
  std::vector<ManifestEntry> particleFiles;
  int32_t noiseSetFirstLayer[kNoiseSets] = {-1, -1};  // -1: the set has no layers
  int noiseSetLine[kNoiseSets] = {0, 0};
  Tempo tempo;        // "tempo BPM [BEAT0_SECONDS [BEATS_A_BAR]]"; unknown when not given
  int tempoLine = 0;
  // What the player plays on with but the author may not mean, one "source:line: what" each.
  std::vector<std::string> warnings;
};

// Reads a manifest's text. Every fault is one line "source:line: what is wrong" in `errors`;
// false when there is any, and `manifest` is then not to be played. What it may play but the
// author should look at goes to `manifest.warnings`.
bool ParseManifest(const std::string& text, const char* source, ContentManifest& manifest,
                   std::vector<std::string>& errors);

// For a manifest without music, one line "source: what" that says how the production plays;
// empty when it names its music.
std::string SilentClockNote(const ContentManifest& manifest);

// Both list the same font, music, scenes, layers, particle files and noise sets, with the same
// settings: loaded, they give the same content. Their scripts and line numbers may differ.
bool SameContent(const ContentManifest& a, const ContentManifest& b);

// The bundled production's manifest, as built into the program, and its text.
const ContentManifest& DefaultManifest();
extern const char kDefaultManifestText[];

// The manifest of the production in the working directory: its manifest file, or the built-in
// list when there is none. False, with the faults in `errors`, when the file cannot be used:
// also when the name is there but leads to nothing readable (a dangling link, a folder).
bool ReadProductionManifest(ContentManifest& manifest, std::vector<std::string>& errors);
