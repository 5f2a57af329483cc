#pragma once
// Reads a Wavefront OBJ file, with the MTL material libraries it names beside it, into an empty
// Scene: one object per group and material, with faces cut into triangles, and materials from
// the diffuse colour, dissolve and diffuse map. OBJ holds no cameras, lights or animation.
//
// Positions are taken as written (exporters write Y up); texture coordinates, with their origin
// at the bottom like the engine's ASE sources, become (u, -v). What the scene cannot hold is
// named once per file as a warning.
#include "scene/ImportedScene.h"

ImportResult ReadObj(const char* path, Scene& scene);
