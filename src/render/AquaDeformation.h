#pragma once
// The aqua ripple, without drawing: the live vertices recomputed from the rest copy.
#include "scene/SceneObject.h"

// Rewrites every live vertex position from the rest copy at the object's current deformPhase.
// Does nothing for an object without a rest copy.
void deformVertices(SceneObject& object);

// One deformed frame's step of the phase, without drawing.
void advanceDeformation(SceneObject& object);
// The live vertices as the last deformed draw left them (the rest positions before the first):
// where a seek has moved deformPhase on without drawing.
void settleDeformation(SceneObject& object);
