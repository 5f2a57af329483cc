#include "timeline/Timeline.h"

#include <cstdint>
#include <utility>

#include "effects/LayerSlot.h"
#include "particles/ParticleSystem.h"
#include "platform/MusicPlayer.h"
#include "scene/Scene.h"

int8_t g_noiseMode = 0;
float g_noiseFrame = 0;

namespace {

// Registers target in the next free entry; a full table keeps what it has.
template <typename T>
void Register(T* (&table)[kTimelineTargets], int32_t& count, T* target) {
  if (count >= kTimelineTargets) return;
  table[count++] = target;
}

// Events naming an entry that holds no registered target are passed over.
bool Registered(int32_t index, int32_t count) { return index >= 0 && index < count; }

}  // namespace

void Timeline::RegisterScene(Scene* scene) { Register(sceneTargets, sceneCount, scene); }

void Timeline::RegisterLayer(LayerSlot* layer) { Register(layerTargets, layerCount, layer); }

void Timeline::RegisterParticleSystem(ParticleSystem* system) {
  Register(particleTargets, particleCount, system);
}

void Timeline::ForgetTargets() {
  for (int32_t i = 0; i < kTimelineTargets; ++i) {
    sceneTargets[i] = nullptr;
    layerTargets[i] = nullptr;
    particleTargets[i] = nullptr;
    sceneActive[i] = layerActive[i] = particleActive[i] = false;
  }
  sceneCount = layerCount = particleCount = 0;
  moves.clear();
}

bool Timeline::Dispatch() {
  // Without a clock nothing can come due.
  if (!music) return false;
  float now = 0;
  bool read = false;
  Due due = Due::Applied;
  while (due == Due::Applied && cursor < static_cast<uint32_t>(eventCount)) {
    now = music->Position();
    read = true;
    due = ApplyNextEvent(now);
  }
  if (due == Due::Quit) return true;
  // At the position the events were last looked at, so the values match the events applied.
  if (!moves.empty()) ApplyMoves(read ? now : music->Position());
  return false;
}

Timeline::Due Timeline::ApplyNextEvent(float now) {
  const ScriptEvent& e = events[cursor];
  // Written so that an event whose time is not a number never comes due.
  if (!(now >= e.time)) return Due::NotYet;
  switch (e.targetKind) {
    case SCENE:
      if (e.effect == FX_QUIT) return Due::Quit;
      ApplyToScene(e);
      break;
    case LAYER:
      ApplyToLayer(e);
      break;
    case PARTICLE:
      ApplyToParticles(e);
      break;
    default:
      break;
  }
  ++cursor;
  return Due::Applied;
}

void Timeline::ApplyToScene(const ScriptEvent& e) {
  // Whole-screen settings ride on scene events whatever their index.
  switch (e.effect) {
    case FX_SATURATE:
      if (TakeOver(e, MovingValue::kSaturate, 0)) return;
      saturateCount = e.params[0];
      saturateSpread = e.params[1];
      return;
    case FX_BLUR:
      if (TakeOver(e, MovingValue::kBlur, 0)) return;
      blurAlpha = e.params[0];
      return;
    case FX_NOISE:
      g_noiseMode = static_cast<int8_t>(TruncateParam(e.params[0]));
      return;
    default:
      break;
  }
  const int32_t i = e.targetIndex;
  if (!Registered(i, sceneCount)) return;
  Scene& scene = *sceneTargets[i];
  switch (e.effect) {
    case FX_START:
      sceneActive[i] = true;
      scene.animFrame = 0;
      break;
    case FX_SHOW:
      sceneActive[i] = true;
      break;
    case FX_STOP:
    case FX_HIDE:
      sceneActive[i] = false;
      break;
    case FX_CHANGE_CAM:
      scene.cameraIndex = TruncateParam(e.params[0]);
      break;
    case FX_SHAKE:
      if (!TakeOver(e, MovingValue::kSceneShake, i)) scene.shakeAmount = e.params[0];
      break;
    case FX_AQUA:
      // Kept to its 8 bits, as the flag is stored.
      scene.aquaEnabled = static_cast<int8_t>(TruncateParam(e.params[0])) != 0;
      break;
    default:
      break;
  }
}

void Timeline::ApplyToLayer(const ScriptEvent& e) {
  const int32_t i = e.targetIndex;
  if (!Registered(i, layerCount)) return;
  LayerSlot& layer = *layerTargets[i];
  switch (e.effect) {
    case FX_START:
      layerActive[i] = true;
      break;
    case FX_STOP:
      layerActive[i] = false;
      break;
    case FX_ALPHA:
      if (!TakeOver(e, MovingValue::kLayerAlpha, i)) layer.alpha = e.params[0];
      break;
    case FX_MOVE:
      if (TakeOver(e, MovingValue::kLayerPosition, i)) break;
      layer.x0 += e.params[0];
      layer.x1 += e.params[0];
      layer.y0 += e.params[1];
      layer.y1 += e.params[1];
      break;
    case FX_RESIZE:
      if (TakeOver(e, MovingValue::kLayerSize, i)) break;
      layer.x1 = layer.x0 + e.params[0];
      layer.y1 = layer.y0 + e.params[1];
      KeepLayerSize(i, e.params[0], e.params[1]);
      break;
    case FX_SHAKE:
      if (!TakeOver(e, MovingValue::kLayerShake, i)) layer.shakeAmount = e.params[0];
      break;
    default:
      break;
  }
}

void Timeline::ApplyToParticles(const ScriptEvent& e) {
  const int32_t i = e.targetIndex;
  if (!Registered(i, particleCount)) return;
  ParticleSystem& system = *particleTargets[i];
  switch (e.effect) {
    case FX_START:
      particleActive[i] = true;
      break;
    case FX_STOP:
      particleActive[i] = false;
      break;
    case FX_ALPHA:
      if (!TakeOver(e, MovingValue::kParticleAlpha, i)) system.alpha = e.params[0];
      break;
    case FX_EXPLODE:
      system.burstsLeft = TruncateParam(e.params[0]);
      system.burstInterval = TruncateParam(e.params[1]);
      break;
    default:
      break;
  }
}

void Timeline::ReleaseEvents() {
  delete[] events;
  events = nullptr;
  eventCount = 0;
  dumpCount = 0;
  cursor = 0;
}

bool Timeline::ReplaceScript(const char* path) {
  Timeline fresh;
  fresh.tempo = tempo;
  fresh.LoadScript(path);
  // Blank or unreadable lines load as events that do nothing: a script of only those is empty.
  int32_t usable = 0;
  for (int32_t i = 0; i < fresh.eventCount; ++i) usable += fresh.events[i].targetKind != 0;
  if (usable == 0) return false;
  fresh.SortEvents();
  std::swap(events, fresh.events);
  std::swap(eventCount, fresh.eventCount);
  std::swap(dumpCount, fresh.dumpCount);
  return true;
}
