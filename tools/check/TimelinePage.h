#pragma once
// The timeline page: one self-contained HTML file that shows the production along its music:
// the waveform, one lane per scene, layer and particle system, every event as a mark, the beat
// grid, the checker's findings at their times and pictures at chosen times.
#include <map>
#include <string>
#include <vector>

#include "Thumbnails.h"
#include "Waveform.h"
#include "timeline/Beats.h"
#include "timeline/ScriptCheck.h"

struct ContentManifest;

struct TimelinePage {
  std::string title;
  std::string script;  // the script's file name, for the marks' lines
  double seconds = 0;  // the span shown: the music, or the last event when longer
  Waveform wave;
  std::string waveNote;  // why there is no waveform
  Tempo tempo;           // unknown: no beat grid
  struct Lane {
    std::string id;  // "screen", "trail", "glow", "scene-0", "layer-2", "particle-1", "unloaded"
    std::string label;
    // The values the target starts with, by effect ("FX_ALPHA": {0}, "FX_MOVE": {x0, y0}); a
    // value not named starts at 0.
    std::map<std::string, std::vector<double>> start;
  };
  std::vector<Lane> lanes;
  struct Mark {
    size_t lane = 0;
    CheckedEvent at;
  };
  std::vector<Mark> marks;
  struct Finding {
    double seconds = -1;  // -1: no time (the manifest, a file, the script as a whole)
    std::string text;     // "file:line: what"
  };
  std::vector<Finding> findings;
  std::vector<Thumbnail> thumbnails;
  std::string thumbnailNote;
};

// The lanes and marks of a checked production. `fileFindings` are the manifest's and the files'
// (no time); the script's come from `script` and stand at their event's time when it has one.
TimelinePage MakeTimelinePage(const ContentManifest& manifest, const ScriptCheck& script,
                              const std::vector<std::string>& fileFindings);

// Seconds the production plays: to its first FX_QUIT, or the end of the music.
double PlayedSeconds(const TimelinePage& page);

// The page as HTML, all it shows within it.
std::string TimelineHtml(const TimelinePage& page);

// Puts the page at `path` through an atomic write. A file already there is replaced only when it
// is a page this tool wrote; anything else is the author's and is kept (false, with the reason).
bool WriteTimelinePage(const std::string& path, const std::string& html, std::string& error);
