#pragma once
// Values that move: an event whose line ends in "over DURATION [CURVE]" takes its value there
// over that time instead of at once, from whatever the value is when the event comes due. The
// value during a move is a function of the music position alone, so a seek, a loop or a capture
// lands on the same value as a run from the start.
#include <cstdint>

enum MoveCurve : int32_t {
  CURVE_LINEAR = 0,  // what "over D" alone gives
  CURVE_STEP = 1,    // holds the old value, then jumps to the new one at the end
  CURVE_SMOOTH = 2,  // slow at both ends
  CURVE_EASE_IN = 3,   // slow start
  CURVE_EASE_OUT = 4,  // slow end
};
constexpr int32_t kMoveCurves = 5;

// The word a script writes for the curve ("linear", "step", "smooth", "ease-in", "ease-out").
const char* CurveName(int32_t curve);
// False when the word names no curve; `curve` is then left as it was.
bool ReadCurve(const char* word, int32_t& curve);
// How far the value has gone, 0 to 1, at `fraction` (0 to 1) of the move's time.
float CurveAt(int32_t curve, float fraction);

// The number a moving event drives, and whose: a whole-screen setting, or the entry `index` of
// the scenes, layers or particle systems.
enum class MovingValue : int32_t {
  kNone = 0,
  kSaturate,      // glow count and spread
  kBlur,          // trail opacity
  kSceneShake,
  kLayerAlpha,
  kLayerPosition,  // top-left corner, the size kept
  kLayerSize,      // width and height, the top-left corner kept
  kLayerShake,
  kParticleAlpha,
};

// Which value an effect sets on a kind of target; kNone when what it sets cannot move (a switch,
// a camera, a burst count).
MovingValue MovingValueOf(int32_t targetKind, int32_t effect);

// One move under way.
struct ActiveMove {
  MovingValue value = MovingValue::kNone;
  int32_t index = 0;
  float from[2] = {0, 0};
  float to[2] = {0, 0};
  float start = 0;    // the event's time, not the frame's: the path does not depend on the frames
  float seconds = 0;
  int32_t curve = CURVE_LINEAR;
  float size[2] = {0, 0};  // position moves: the layer's width and height, which it keeps

  bool Ended(float now) const { return !(now < start + seconds); }
  // The value's k-th number at `now`.
  float At(float now, int k) const;
};

bool operator==(const ActiveMove& a, const ActiveMove& b);
