#pragma once
// Small scenes built by hand for the render and player tests.
#include <cstdint>

#include "scene/Scene.h"

// A scene that is released when the test ends, so its destructor has nothing to report.
struct OwnedScene : Scene {
  ~OwnedScene() { release(); }
};

enum class Facing { Viewer, Up };  // the square's front looks along +z, or along +y

// A square of two triangles around (x, y, z) with the given half size, its front towards +z
// (or +y), normals along the facing, texture coordinates 0..1 across it.
SceneObject squareObject(float x, float y, float z, float half, int32_t materialIndex,
                         Facing facing = Facing::Viewer);

// A material of one colour; alpha below 1 makes it transparent.
Material colourMaterial(float r, float g, float b, float alpha = 1.0f);

SceneCamera fixedCamera(float x, float y, float z, float tx, float ty, float tz, float fov);

SceneLight pointLight(int32_t number, float x, float y, float z);

// The red square of the player and capture tests, as the production's scene 0 file in the
// current folder: side 100 at the origin facing +z, red by its own emission, under one white
// light, seen from (0, 0, 200) with a 60-degree field of view so that it covers the middle of
// the picture; 100 frames at 30 frames per second.
void writeRedSquareScene();
