#pragma once
// The pieces of a scene render that do not draw: the animation clock, the shake offset and the
// wait for the next animation frame.
#include <cstdint>
#include <functional>

#include "scene/SceneRecords.h"

struct MaterialLook;

class Scene;
struct Material;
struct MaterialHeader;
struct SceneObject;

// Called while a scene waits for its next animation frame, with the milliseconds still missing;
// returns false to stop waiting. The default sleeps on the clock source until a millisecond
// before the frame is due, then polls. A virtual clock moves itself on here, by at least missingMs
// rounded up to a step it can show (the timer's single-precision scale can leave a fraction of a
// count missing), so an offline renderer never waits on a clock that does not run.
using FrameWaitHandler = std::function<bool(double missingMs)>;
// An empty handler restores the default. Returns the handler it replaces.
FrameWaitHandler setFrameWaitHandler(FrameWaitHandler handler);

// Starts the scene's clock on its first call; later calls wait for a whole frame time since the
// previous call and advance animFrame by the (fractional) frames that have passed.
void advanceAnimationClock(Scene& scene);

// What a render (deformed: renderDeformed) changes in the scene besides the picture: the
// animation clock, the camera choice and the track's loop, and the aqua phase of every object it
// draws. A seek replays frames with it.
void advanceScene(Scene& scene, bool deformed);

// trunc(animFrame) as a usable index: 0 for negative or invalid values, capped at INT32_MAX.
int32_t animFrameIndex(float animFrame);

// Draws the random shake offset (x, y, z) for amount; false, drawing no random numbers, when
// there is no shake (amounts below 1).
bool shakeOffset(float amount, float offset[3]);

// What a render decides before it draws, the same whichever back end draws: the scene's clock
// and camera moved on, the eye it is seen from, and its shake (drawn from the random numbers).
struct SceneFrame {
  CameraFrame eye;
  bool shaken = false;
  float shake[3] = {0, 0, 0};  // added to the eye-space position of everything drawn
};
SceneFrame beginSceneFrame(Scene& scene);

// Depth writes, blending and culling as a material asks (state both back ends share).
void applyMaterialBlend(const MaterialHeader& header);

// The texture bound on the active unit wraps as the material's look asks. It is set at every
// bind: a texture may serve several materials.
void applyWrap(const MaterialLook& look);

// The object's material when the object is drawn in the opaque (or the additive) pass.
Material* materialInPass(Scene& scene, const SceneObject& object, bool transparent);
