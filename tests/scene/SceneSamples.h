#pragma once
// A scene for the binary file tests with every kind of record and every field set to a value
// of its own, and the invariants a reader must keep.
#include <string>
#include <vector>

#include "scene/Scene.h"

// Two objects (the second without faces or texture arrays), two cameras (one with a track),
// three materials with 0, 1 and 2 maps and header indices 5, 3, 9, two lights (one with a flare
// and a track).
void BuildRichScene(Scene& scene);

// Whatever the file held: every face and texture face points at its own object's elements by
// its indices, every object kept has its four arrays, at most two maps, NUL-ended paths.
void ExpectSound(const Scene& scene);

// The floats' bytes as base64, for a glTF buffer written into its file as a data URI.
std::string Base64(const std::vector<float>& values);
