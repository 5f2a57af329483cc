#pragma once
// The aqua ripple, without drawing: the live vertices recomputed from the rest copy.
#include "scene/SceneObject.h"

// Rewrites every live vertex position from the rest copy at the object's current deformPhase.
// Does nothing for an object without a rest copy.
void deformVertices(SceneObject& object);
