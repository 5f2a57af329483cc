#pragma once
// A readable summary of a scene: header, counts of objects, vertices and faces, materials with
// their texture paths, the bounding box, cameras (each with its distance to the box and whether it sees the box
// whole at frame 0) and lights with their track lengths.
#include <cstdio>
#include <string>
#include <vector>

class Scene;

// Texture paths of the scene's maps (in scene order, each once) whose files are not found in
// productionDir, where the player would look for them.
std::vector<std::string> MissingTextures(const Scene& scene, const std::string& productionDir);

void PrintSceneSummary(FILE* out, const Scene& scene, const std::string& productionDir);
