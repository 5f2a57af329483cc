// The eight scenes of the bundled production, made procedurally and written as ASE exports.
#pragma once

#include <string>

#include "AseWriter.h"

// Catalogue order: the script addresses a scene by its position here.
constexpr int kSceneCount = 8;
constexpr const char* kSceneNames[kSceneCount] = {
    "rare_obj2", "cam_rutes2", "monolito", "giratorio", "flechas", "columnas", "nudo", "aguabola",
};

// Scene `index` of the catalogue. Same result on every call.
AseScene BuildScene(int index);

// Writes <productionDir>/escenas/<name>.ase for all eight (creating the folder).
bool WriteScenes(const std::string& productionDir);
