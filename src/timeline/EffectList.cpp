#include "timeline/EffectList.h"

#include "timeline/Move.h"
#include "timeline/Script.h"

namespace {

struct EffectHelp {
  int32_t effect;
  const char* what;
  const char* params[2];  // name: range, as many as the effect reads
};

const EffectHelp kHelp[] = {
    {FX_START, "starts drawing the target (a scene from its first animation frame)", {}},
    {FX_STOP, "stops drawing the target", {}},
    {FX_SHOW, "draws the scene again where its animation is", {}},
    {FX_HIDE, "stops drawing the scene; its animation runs on", {}},
    {FX_CHANGE_CAM, "shows the scene through another of its cameras",
     {"camera: 0 to the scene's cameras less one (others show camera 0)"}},
    {FX_SHAKE, "shakes the picture of the target", {"amount: 0 (still; below 1 too) upwards, scene units or window pixels"}},
    {FX_ALPHA, "opacity of the target", {"opacity: 0 (unseen) to 1"}},
    {FX_MOVE, "moves the layer by a step", {"step x: pixels, +-1000000", "step y: pixels, +-1000000"}},
    {FX_RESIZE, "gives the layer a width and height from its top-left corner",
     {"width: pixels, +-1000000", "height: pixels, +-1000000"}},
    {FX_SATURATE, "glow over the whole screen (count and spread move together)",
     {"count: copies drawn, 0 (off) upwards, whole (at most 2400 with spread 0; over 500 slow in software)", "spread: zoom of each copy, texture units (0.01 to 0.02 look right)"}},
    {FX_BLUR, "trail over the whole screen: the last frame drawn over the new one",
     {"opacity: 0 (off) to 1"}},
    {FX_NOISE, "noise masks over the whole screen", {"set: 0 (off), 1 or 2"}},
    {FX_AQUA, "the scene's water deformation", {"switch: 1 on, 0 off"}},
    {FX_EXPLODE, "bursts of the particle system",
     {"bursts: how many, whole", "interval: milliseconds between bursts, whole"}},
    {FX_QUIT, "ends the production", {}},
};

}  // namespace

std::string EffectListText() {
  std::string text;
  for (const EffectHelp& help : kHelp) {
    std::string targets, moving;
    for (const int32_t kind : {SCENE, LAYER, PARTICLE}) {
      if (!EffectActsOn(kind, help.effect)) continue;
      const char* word = kind == SCENE ? "SCENE" : kind == LAYER ? "LAYER" : "PARTICLE";
      targets += std::string(targets.empty() ? "" : ", ") + word;
      if (MovingValueOf(kind, help.effect) != MovingValue::kNone)
        moving += std::string(moving.empty() ? "" : ", ") + word;
    }
    if (IsWholeScreenEffect(help.effect)) targets = "SCENE (whole screen, any index)";
    text += std::string(EffectName(help.effect)) + " - " + help.what + "\n  on: " + targets + "\n";
    const int count = EffectParamCount(help.effect);
    if (count == 0) text += "  no parameters\n";
    for (int k = 0; k < count; ++k) text += std::string("  ") + help.params[k] + "\n";
    if (count > 0)
      text += moving.empty() ? std::string("  set at once: cannot move\n")
                             : "  can move (over DURATION [CURVE]) on " + moving + "\n";
  }
  return text;
}
