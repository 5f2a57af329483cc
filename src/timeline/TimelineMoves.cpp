// Values that move: the events start moves, and every frame puts each moving value where its
// move is at the music position of that frame.
#include <algorithm>

#include "effects/LayerSlot.h"
#include "particles/ParticleSystem.h"
#include "scene/Scene.h"
#include "timeline/Timeline.h"

bool Timeline::TakeOver(const ScriptEvent& e, MovingValue value, int32_t index) {
  // A value already moving stays where its move has got to at this event's time (not the
  // frame's, so the path is the same whatever the frame rate); this event goes on from there.
  const auto running = std::find_if(moves.begin(), moves.end(), [&](const ActiveMove& m) {
    return m.value == value && m.index == index;
  });
  if (running != moves.end()) {
    Settle(*running, e.time);
    moves.erase(running);
  }
  if (!(e.moveSeconds > 0)) return false;
  ActiveMove m;
  m.value = value;
  m.index = index;
  ReadValue(value, index, m.from);
  const bool relative = value == MovingValue::kLayerPosition;  // FX_MOVE steps by its parameters
  for (int k = 0; k < 2; ++k) m.to[k] = (relative ? m.from[k] : 0) + e.params[k];
  if (relative) {
    const LayerSlot& layer = *layerTargets[index];
    m.size[0] = layer.x1 - layer.x0;
    m.size[1] = layer.y1 - layer.y0;
  }
  m.start = e.time;
  m.seconds = e.moveSeconds;
  m.curve = e.moveCurve;
  moves.push_back(m);
  return true;
}

void Timeline::ApplyMoves(float now) {
  // Sizes after positions: a layer keeps its new size from the corner its move has just put.
  for (const bool sizes : {false, true}) {
    for (size_t k = 0; k < moves.size();) {
      ActiveMove& m = moves[k];
      if ((m.value == MovingValue::kLayerSize) != sizes) {
        ++k;
        continue;
      }
      if (!m.Ended(now)) {
        WriteValue(m, now);
        ++k;
        continue;
      }
      Settle(m, now);
      moves.erase(moves.begin() + static_cast<std::ptrdiff_t>(k));
    }
  }
}

void Timeline::Settle(const ActiveMove& m, float at) {
  WriteValue(m, at);
  if (m.value == MovingValue::kLayerSize) KeepLayerSize(m.index, m.At(at, 0), m.At(at, 1));
}

void Timeline::KeepLayerSize(int32_t layer, float width, float height) {
  for (ActiveMove& m : moves) {
    if (m.value != MovingValue::kLayerPosition || m.index != layer) continue;
    m.size[0] = width;
    m.size[1] = height;
  }
}

void Timeline::ReadValue(MovingValue value, int32_t i, float (&out)[2]) const {
  out[0] = out[1] = 0;
  switch (value) {
    case MovingValue::kSaturate:
      out[0] = saturateCount;
      out[1] = saturateSpread;
      break;
    case MovingValue::kBlur: out[0] = blurAlpha; break;
    case MovingValue::kSceneShake: out[0] = sceneTargets[i]->shakeAmount; break;
    case MovingValue::kLayerAlpha: out[0] = layerTargets[i]->alpha; break;
    case MovingValue::kLayerPosition:
      out[0] = layerTargets[i]->x0;
      out[1] = layerTargets[i]->y0;
      break;
    case MovingValue::kLayerSize:
      out[0] = layerTargets[i]->x1 - layerTargets[i]->x0;
      out[1] = layerTargets[i]->y1 - layerTargets[i]->y0;
      break;
    case MovingValue::kLayerShake: out[0] = layerTargets[i]->shakeAmount; break;
    case MovingValue::kParticleAlpha: out[0] = particleTargets[i]->alpha; break;
    case MovingValue::kNone: break;
  }
}

void Timeline::WriteValue(const ActiveMove& m, float now) {
  const float a = m.At(now, 0), b = m.At(now, 1);
  const int32_t i = m.index;
  // Content loaded again may have fewer targets than the move was started on.
  const auto has = [i](int32_t count) { return i >= 0 && i < count; };
  switch (m.value) {
    case MovingValue::kSaturate:
      saturateCount = a;
      saturateSpread = b;
      break;
    case MovingValue::kBlur: blurAlpha = a; break;
    case MovingValue::kSceneShake:
      if (has(sceneCount)) sceneTargets[i]->shakeAmount = a;
      break;
    case MovingValue::kLayerAlpha:
      if (has(layerCount)) layerTargets[i]->alpha = a;
      break;
    case MovingValue::kLayerPosition:
      if (!has(layerCount)) break;
      layerTargets[i]->x0 = a;
      layerTargets[i]->y0 = b;
      layerTargets[i]->x1 = a + m.size[0];
      layerTargets[i]->y1 = b + m.size[1];
      break;
    case MovingValue::kLayerSize:
      if (!has(layerCount)) break;
      layerTargets[i]->x1 = layerTargets[i]->x0 + a;
      layerTargets[i]->y1 = layerTargets[i]->y0 + b;
      break;
    case MovingValue::kLayerShake:
      if (has(layerCount)) layerTargets[i]->shakeAmount = a;
      break;
    case MovingValue::kParticleAlpha:
      if (has(particleCount)) particleTargets[i]->alpha = a;
      break;
    case MovingValue::kNone: break;
  }
}
