#pragma once
// The production's conductor: the sorted script events with a cursor, a table of every target the
// script can address with an on/off flag each, and the whole-screen effect settings. Dispatch
// applies the events the music has reached; Compose draws a frame from the resulting state.
#include <cstdint>
#include <vector>

#include "timeline/EffectState.h"
#include "timeline/Move.h"
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
// First layer of each mask set (the flip-book picks one of the four from there); -1: no set.
extern int32_t g_noiseSetFirstLayer[2];

// The music position of frame k of a run drawn framesPerSecond times a second: the output has
// played floor(k * rate / framesPerSecond) samples by then.
float MusicPositionAtFrame(int64_t frame, int framesPerSecond);
// The first frame of such a run whose music position has reached `seconds`: where an event of
// that time comes due.
int64_t FirstFrameAt(float seconds, int framesPerSecond);

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
  EffectState start;  // as start-up left the production, before the first event
  Tempo tempo;        // for beat times in the script; set before LoadScript
  std::vector<ActiveMove> moves;  // under way, one at most per value

  Timeline() = default;
  ~Timeline() { ReleaseEvents(); }
  Timeline(const Timeline&) = delete;
  Timeline& operator=(const Timeline&) = delete;

  // Reads the script into a zeroed array sized by a counting pass; a missing file leaves no
  // events. Replaces any events loaded before.
  void LoadScript(const char* path);
  void SortEvents();
  // Loads and sorts the script at path in place of the events held, the cursor kept; false,
  // keeping the events held, when the file gives no event with a target.
  bool ReplaceScript(const char* path);
  // Diagnostics: one "%f" line per event time, truncating or appending.
  void DumpEventTimes(const char* path) const;
  void AppendEventTimes(const char* path) const;

  void SetMusic(MusicPlayer* player) { music = player; }
  void SetWindow(GLWindow* target) { window = target; }

  // A target's index in the script is its registration order. A full table refuses more.
  void RegisterScene(Scene* scene);
  void RegisterLayer(LayerSlot* layer);
  void RegisterParticleSystem(ParticleSystem* system);
  // Empties the three tables, for a production whose content is loaded anew.
  void ForgetTargets();

  // Applies every event whose time the music position has reached; true when FX_QUIT came due.
  bool Dispatch();
  void Compose();
  void ReleaseEvents();

  // Takes the state to which a seek returns: once everything is registered, before play.
  void MarkStart();
  // Brings the production to `seconds` as a run from the start would have it there, frames
  // drawn `framesPerSecond` times a second: the events up to then re-applied and the frames
  // before it replayed without drawing (scene animations, bursts, aqua, noise), then the music
  // moved to `seconds`. The picture's own history (trail, glow) is not replayed. A seek past
  // an FX_QUIT stops at it, so the next Dispatch ends the production. The clock source must be
  // the one the run goes on with.
  void Seek(float seconds, int framesPerSecond);

 private:
  enum class Due { Applied, NotYet, Quit };
  // Applies events[cursor] if it is due at `now` (the cursor then moves on; not for FX_QUIT).
  Due ApplyNextEvent(float now);
  // What Compose changes besides the picture, for one frame.
  void AdvanceFrame();
  void AdvanceNoise();
  // The layer the noise overlay draws this frame, or -1 when it draws none.
  int32_t NoiseLayer() const;
  void WriteEventTimes(const char* path, const char* mode) const;
  void ApplyToScene(const ScriptEvent& e);
  void ApplyToLayer(const ScriptEvent& e);
  void ApplyToParticles(const ScriptEvent& e);
  // For an event that sets `value`: leaves a move already under way on it where it has got to,
  // then starts the event's own move. False when the event sets the value at once (the caller
  // does that, as it always has).
  bool TakeOver(const ScriptEvent& e, MovingValue value, int32_t index);
  // Puts every moving value where its move is at `now`; moves that have ended are dropped.
  void ApplyMoves(float now);
  void Settle(const ActiveMove& move, float at);
  // A layer's new width and height, for a move of its corner under way.
  void KeepLayerSize(int32_t layer, float width, float height);
  // The number k of a value held in one field, or nullptr (a layer's corner and size are kept
  // as its two corners; a target no longer loaded).
  float* Field(MovingValue value, int32_t index, int k);
  void ReadValue(MovingValue value, int32_t index, float (&out)[2]);
  void WriteValue(const ActiveMove& move, float now);
};
