#pragma once
// The operations that load a production's content, as its manifest lists it, into the three
// stores. The manifest's order is the script's target order, so it never changes with what files
// are present.
#include <cstdint>
#include <string>

struct ContentManifest;

// "escenas_bin\" + name + ".bin", whole however long the name: the checker and the loader look
// for the same file.
std::string ScenePath(const std::string& name);

// Reads "escenas_bin\" + name + ".bin" into the next scene entry, binds its materials and loads
// its textures behind the loading screen. The entry is taken even when the file is missing, so
// later scenes keep their index. Returns the new scene count; a full store refuses the load.
int32_t LoadScene(const char* name);

// Sets up the next layer with its rectangle and opacity and loads its texture. A full store
// refuses the layer.
void AddLayer(const char* path, float x0, float y0, float x1, float y1, float alpha);

// Start-up steps, in the order start-up runs them.
// The scenes with their drawing settings, aqua preparation and fog.
void LoadSceneCatalogue(const ContentManifest& manifest);
// The manifest's music, when the check found it playable (`seconds`, its length, above 0);
// otherwise a silent stream, whose position runs as the music's would.
void LoadMusic(const ContentManifest& manifest, float seconds);
// The layers with their rectangles and opacities.
void LoadLayers(const ContentManifest& manifest);
// Each particle file into the next particle system; the entry is taken whatever the file holds.
void LoadParticleSystems(const ContentManifest& manifest);
// Every loaded scene, layer and particle system, in store order, and the noise mask sets.
void RegisterContent(const ContentManifest& manifest);
// Frees what the three loads above took (arrays and textures) and empties the stores, for
// shutdown or for a manifest whose content is loaded in its place.
void ReleaseContent();
