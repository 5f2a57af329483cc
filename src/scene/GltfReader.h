#pragma once
// Reads a glTF 2.0 file (.gltf with its buffers, or .glb) into an empty Scene: every mesh
// primitive of the default scene as one object with its node's world transform applied,
// materials from the base colour, cameras and point lights (KHR_lights_punctual) with their
// movement over the first animation sampled into tracks at kImportFrameRate.
//
// glTF is Y-up and right-handed like the engine, so positions are taken as they are; texture
// coordinates (origin at the top) become the engine's (u, v - 1). What the scene cannot hold
// is named once per file as a warning.
#include "scene/ImportedScene.h"

ImportResult ReadGltf(const char* path, Scene& scene);
