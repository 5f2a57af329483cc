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

float* Timeline::Field(MovingValue value, int32_t i, int k) {
  // Content loaded again may have fewer targets than a move was started on.
  const auto has = [i](int32_t count) { return i >= 0 && i < count; };
  switch (value) {
    case MovingValue::kSaturate: return k == 0 ? &saturateCount : &saturateSpread;
    case MovingValue::kBlur: return k == 0 ? &blurAlpha : nullptr;
    case MovingValue::kSceneShake:
      return k == 0 && has(sceneCount) ? &sceneTargets[i]->shakeAmount : nullptr;
    case MovingValue::kLayerAlpha:
      return k == 0 && has(layerCount) ? &layerTargets[i]->alpha : nullptr;
    case MovingValue::kLayerShake:
      return k == 0 && has(layerCount) ? &layerTargets[i]->shakeAmount : nullptr;
    case MovingValue::kParticleAlpha:
      return k == 0 && has(particleCount) ? &particleTargets[i]->alpha : nullptr;
    default: return nullptr;
  }
}

void Timeline::ReadValue(MovingValue value, int32_t i, float (&out)[2]) {
  const LayerSlot* layer = i >= 0 && i < layerCount ? layerTargets[i] : nullptr;
  for (int k = 0; k < 2; ++k) {
    const float* field = Field(value, i, k);
    out[k] = field ? *field : 0;
  }
  if (!layer) return;
  if (value == MovingValue::kLayerPosition) {
    out[0] = layer->x0;
    out[1] = layer->y0;
  } else if (value == MovingValue::kLayerSize) {
    out[0] = layer->x1 - layer->x0;
    out[1] = layer->y1 - layer->y0;
  }
}

void Timeline::WriteValue(const ActiveMove& m, float now) {
  const float v[2] = {m.At(now, 0), m.At(now, 1)};
  for (int k = 0; k < 2; ++k)
    if (float* field = Field(m.value, m.index, k)) *field = v[k];
  LayerSlot* layer = m.index >= 0 && m.index < layerCount ? layerTargets[m.index] : nullptr;
  if (!layer) return;
  // A layer is kept as two corners: its corner moves with the far one, or only the far one.
  if (m.value == MovingValue::kLayerPosition) {
    layer->x0 = v[0];
    layer->y0 = v[1];
    layer->x1 = v[0] + m.size[0];
    layer->y1 = v[1] + m.size[1];
  } else if (m.value == MovingValue::kLayerSize) {
    layer->x1 = layer->x0 + v[0];
    layer->y1 = layer->y0 + v[1];
  }
}
