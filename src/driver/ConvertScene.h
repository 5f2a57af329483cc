#pragma once
// The content-build step that turns a scene exported by a modeller into the binary scene the
// player loads: "escenas\" + name + ".ase", ".gltf", ".glb" or ".obj" becomes "escenas_bin\" +
// name + ".bin", and the scene's textures are copied into "textures\" (with the copy log beside
// the scene file). The two output folders are made when missing.
#include <string>

// The source of a scene: exactly one of the four exports must exist. Fills path with the one
// found; false with the reason in why when none or several do, or the name is too long.
bool FindSceneSource(const char* name, std::string& path, std::string& why);

// False when nothing new was written: the source is missing, ambiguous, unreadable, empty,
// without a geometric object or cut short, the name does not fit the 256-byte paths, or the
// scene file could not be written. An existing scene file then stays as it was. (The name is
// from when ASE was the only export read; it takes all four.)
bool ConvertSceneFromAse(const char* name);
