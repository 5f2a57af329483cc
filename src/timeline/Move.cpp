#include "timeline/Move.h"

#include <strings.h>

#include "timeline/Script.h"

namespace {

const char* const kCurveNames[kMoveCurves] = {"linear", "step", "smooth", "ease-in", "ease-out"};

}  // namespace

const char* CurveName(int32_t curve) {
  return curve >= 0 && curve < kMoveCurves ? kCurveNames[curve] : "";
}

bool ReadCurve(const char* word, int32_t& curve) {
  for (int32_t c = 0; c < kMoveCurves; ++c) {
    if (::strcasecmp(word, kCurveNames[c]) == 0) {
      curve = c;
      return true;
    }
  }
  return false;
}

float CurveAt(int32_t curve, float f) {
  if (!(f > 0)) return 0;
  if (f >= 1) return 1;
  switch (curve) {
    case CURVE_STEP: return 0;
    case CURVE_SMOOTH: return f * f * (3 - 2 * f);
    case CURVE_EASE_IN: return f * f;
    case CURVE_EASE_OUT: return f * (2 - f);
    default: return f;
  }
}

MovingValue MovingValueOf(int32_t kind, int32_t effect) {
  if (!EffectActsOn(kind, effect)) return MovingValue::kNone;
  switch (effect) {
    case FX_SATURATE: return MovingValue::kSaturate;
    case FX_BLUR: return MovingValue::kBlur;
    case FX_SHAKE: return kind == SCENE ? MovingValue::kSceneShake : MovingValue::kLayerShake;
    case FX_ALPHA: return kind == LAYER ? MovingValue::kLayerAlpha : MovingValue::kParticleAlpha;
    case FX_MOVE: return MovingValue::kLayerPosition;
    case FX_RESIZE: return MovingValue::kLayerSize;
    default: return MovingValue::kNone;
  }
}

float ActiveMove::At(float now, int k) const {
  if (Ended(now)) return to[k];
  const float f = CurveAt(curve, (now - start) / seconds);
  return from[k] + (to[k] - from[k]) * f;
}

bool operator==(const ActiveMove& a, const ActiveMove& b) {
  return a.value == b.value && a.index == b.index && a.from[0] == b.from[0] &&
         a.from[1] == b.from[1] && a.to[0] == b.to[0] && a.to[1] == b.to[1] &&
         a.start == b.start && a.seconds == b.seconds && a.curve == b.curve &&
         a.size[0] == b.size[0] && a.size[1] == b.size[1];
}
