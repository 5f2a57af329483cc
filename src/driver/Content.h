#pragma once
// The production's fixed content and the operations that load it into the three stores. The order
// of every table is the script's target order, so it never changes with what files are present.
#include <cstdint>

// Reads "escenas_bin\" + name + ".bin" into the next scene entry, binds its materials and loads
// its textures behind the loading screen. The entry is taken even when the file is missing, so
// later scenes keep their index. Returns the new scene count; a full store refuses the load.
int32_t LoadScene(const char* name);

// Sets up the next layer with its rectangle and opacity and loads its texture. A full store
// refuses the layer.
void AddLayer(const char* path, float x0, float y0, float x1, float y1, float alpha);

// Start-up steps, in the order start-up runs them.
// The eight scenes with their drawing settings, the aqua preparation and the fog.
void LoadSceneCatalogue();
// The seventeen full-window layers.
void LoadLayers();
// The particle file into the next particle system; the entry is taken whatever the file holds.
void LoadParticleSystems();
// Every loaded scene, layer and particle system, in store order.
void RegisterContent();
// What start-up loaded and shutdown frees: scene arrays and particle arrays.
void ReleaseContent();
