#pragma once
// Scenes for the binary file tests: one with every kind of record and field set to its own
// value, and field-by-field comparisons.
#include <gtest/gtest.h>

#include "scene/Scene.h"

// Two objects (the second without texture arrays), two cameras (one with a track), three
// materials with 0, 1 and 2 maps and header indices 5, 3, 9, two lights (one with a flare and
// a track).
void BuildRichScene(Scene& scene);

void ExpectSameParams(const SceneParams& a, const SceneParams& b);
void ExpectSameVertex(const Vertex& a, const Vertex& b);
void ExpectSameFace(const Face& a, const Face& b);  // indices and normals; not the references
void ExpectSameCameraFrame(const CameraFrame& a, const CameraFrame& b);
void ExpectSameLightFrame(const LightFrame& a, const LightFrame& b);
void ExpectSameMaterial(const Material& a, const Material& b);  // header and valid maps, no texture
// Everything the file stores, compared element by element; the arrays of `b` must be sound.
void ExpectSameStoredScene(const Scene& a, const Scene& b);
// The invariants a reader promises whatever the file held: every face and texture face points
// at its own object's elements by its indices, at most two maps, NUL-ended paths.
void ExpectSound(const Scene& scene);
