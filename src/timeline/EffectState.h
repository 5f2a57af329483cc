#pragma once
// Everything the script's events and the frames since the start have left in the production:
// the timeline's cursor, flags and whole-screen settings, the noise overlay, and the effect fields
// of every registered scene, layer and particle system (particle positions included, since bursts
// move them). A seek goes back to the state taken at start-up and replays from there; two states
// compare equal when the production would go on the same way from either (random shakes aside).
#include <cstdint>
#include <vector>

#include "particles/ParticleSystem.h"
#include "timeline/Move.h"

class Timeline;

struct SceneEffects {
  int32_t cameraIndex = 0;
  float animFrame = 0;
  float shakeAmount = 0;
  bool aquaEnabled = false;
  bool timerStarted = false;
  std::vector<int32_t> deformPhases;  // one per object
};

struct LayerEffects {
  float alpha = 0, x0 = 0, x1 = 0, y0 = 0, y1 = 0, shakeAmount = 0;
};

struct ParticleEffects {
  float alpha = 0;
  int32_t burstsLeft = 0;
  int32_t burstInterval = 0;
  bool started = false;
  std::vector<Particle> particles;
};

struct EffectState {
  uint32_t cursor = 0;
  std::vector<bool> sceneActive, layerActive, particleActive;
  float saturateCount = 0, saturateSpread = 0, blurAlpha = 0;
  int8_t noiseMode = 0;
  float noiseFrame = 0;
  float fov = 0;  // the window's field of view, which the next frame's projection is built from
  std::vector<SceneEffects> scenes;
  std::vector<LayerEffects> layers;
  std::vector<ParticleEffects> particles;
  std::vector<ActiveMove> moves;

  // The state of the timeline and of every target it has registered.
  static EffectState Of(const Timeline& timeline);
  // Puts the state back into the timeline and its targets; targets registered since it was taken
  // are left alone.
  void ApplyTo(Timeline& timeline) const;
};

bool operator==(const EffectState& a, const EffectState& b);
inline bool operator!=(const EffectState& a, const EffectState& b) { return !(a == b); }
