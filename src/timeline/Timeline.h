#pragma once
// The production's conductor: the sorted script events with a cursor, a table of every target the
// script can address with an on/off flag each, and the whole-screen effect settings. Dispatch
// applies the events the music has reached; Compose draws a frame from the resulting state.
#include <cstdint>

#include "timeline/Script.h"

class Scene;
class LayerSlot;
class ParticleSystem;
class MusicPlayer;
class GLWindow;

constexpr int kTimelineTargets = 100;

// Noise overlay: 0 off, 1 and 2 pick a mask set; the flip-book position advances per frame.
extern int8_t g_noiseMode;
extern float g_noiseFrame;

class Timeline {
 public:
  Scene* sceneTargets[kTimelineTargets] = {};
  bool sceneActive[kTimelineTargets] = {};
  LayerSlot* layerTargets[kTimelineTargets] = {};
  bool layerActive[kTimelineTargets] = {};
  ParticleSystem* particleTargets[kTimelineTargets] = {};
  bool particleActive[kTimelineTargets] = {};
  int32_t sceneCount = 0;
  int32_t layerCount = 0;
  int32_t particleCount = 0;
  ScriptEvent* events = nullptr;
  int32_t eventCount = 0;
  int32_t dumpCount = 0;
  MusicPlayer* music = nullptr;
  float saturateCount = 0;
  float saturateSpread = 0;
  float blurAlpha = 0;
  uint32_t cursor = 0;
  GLWindow* window = nullptr;

  Timeline() = default;
  ~Timeline() { ReleaseEvents(); }
  Timeline(const Timeline&) = delete;
  Timeline& operator=(const Timeline&) = delete;

  // Reads the script into a zeroed array sized by a counting pass; a missing file leaves no
  // events. Replaces any events loaded before.
  void LoadScript(const char* path);
  void SortEvents();
  // Diagnostics: one "%f" line per event time, truncating or appending.
  void DumpEventTimes(const char* path) const;
  void AppendEventTimes(const char* path) const;

  void SetMusic(MusicPlayer* player) { music = player; }
  void SetWindow(GLWindow* target) { window = target; }

  // A target's index in the script is its registration order. A full table refuses more.
  void RegisterScene(Scene* scene);
  void RegisterLayer(LayerSlot* layer);
  void RegisterParticleSystem(ParticleSystem* system);

  // Applies every event whose time the music position has reached; true when FX_QUIT came due.
  bool Dispatch();
  void Compose();
  void ReleaseEvents();

 private:
  void WriteEventTimes(const char* path, const char* mode) const;
  void ApplyToScene(const ScriptEvent& e);
  void ApplyToLayer(const ScriptEvent& e);
  void ApplyToParticles(const ScriptEvent& e);
};
