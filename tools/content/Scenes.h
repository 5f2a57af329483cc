// The eight scenes of the bundled production, made procedurally and written as ASE exports.
#pragma once

#include <string>

#include "AseWriter.h"

// The scenes the tool builds, in the bundled manifest's order (the script's scene index).
constexpr int kSceneCount = 8;

// Scene `index` of the catalogue. Same result on every call.
AseScene BuildScene(int index);

// Writes <productionDir>/escenas/<name>.ase for all eight (creating the folder).
bool WriteScenes(const std::string& productionDir);
