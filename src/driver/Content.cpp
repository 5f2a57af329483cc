#include "driver/Content.h"

#include <cstdio>

#include "driver/Program.h"
#include "platform/TextureCache.h"
#include "scene/Material.h"

namespace {

struct CatalogueEntry {
  const char* name;
  bool clearsScreen;  // false: drawn over the scenes before it in the same frame
};

const CatalogueEntry kSceneCatalogue[] = {
    {"rare_obj2", true}, {"cam_rutes2", false}, {"monolito", false}, {"giratorio", true},
    {"flechas", false},  {"columnas", true},    {"nudo", true},      {"aguabola", true},
};
constexpr int32_t kFogScene = 5;   // "columnas"
constexpr int32_t kAquaScene = 7;  // "aguabola"

struct LayerEntry {
  const char* path;
  float alpha;
};

// Layers 3-6 and 7-10 are the two noise mask sets of the compositor.
const LayerEntry kLayerList[] = {
    {"textures\\blank.jpg", 1.0f},       {"textures\\zorban.jpg", 0.0f},
    {"textures\\cool_your_ideas.jpg", 1.0f},
    {"textures\\mask_01.jpg", 0.5f},     {"textures\\mask_02.jpg", 0.5f},
    {"textures\\mask_03.jpg", 0.5f},     {"textures\\mask_04.jpg", 0.5f},
    {"textures\\mask_05.jpg", 0.5f},     {"textures\\mask_06.jpg", 0.6f},
    {"textures\\mask_07.jpg", 0.7f},     {"textures\\mask_08.jpg", 0.2f},
    {"textures\\choose.jpg", 0.0f},      {"textures\\search.jpg", 0.0f},
    {"textures\\credits1.jpg", 0.0f},    {"textures\\credits2.jpg", 0.0f},
    {"textures\\credits3.jpg", 0.0f},    {"textures\\logo2.jpg", 1.0f},
};

const char* const kParticleFile = "ESCENAS_BIN\\PARTICLES02.BIN";

void PrepareAqua(Scene& scene) {
  scene.buildVertexNormals();
  // Only the first two objects ripple; a scene whose file was missing has none to prepare.
  for (uint32_t i = 0; i < 2 && i < scene.objectCount; ++i) scene.objects[i].prepareDeformation();
}

void ApplyFog(Scene& scene) {
  SceneParams params = scene.getParams();
  for (float& c : params.fogColor) c = 0.0f;
  params.fogDensity = 0.5f;
  params.fogEnd = 3500.0f;
  params.fogStart = 800.0f;
  params.fogEnabled = true;
  scene.setParams(params);
}

}  // namespace

void Scene::bindMaterials() {
  for (uint32_t i = 0; i < objectCount; ++i) {
    const int32_t index = objects[i].materialIndex;
    const bool valid = materials && index >= 0 && static_cast<uint32_t>(index) < materialCount;
    objects[i].bindMaterial(valid ? &materials[index] : nullptr);
  }
}

void Scene::buildVertexNormals() {
  for (uint32_t i = objectCount; i-- > 0;) objects[i].copyCornerNormals();
}

int32_t LoadScene(const char* name) {
  if (g_sceneCount >= kStoreCapacity) {
    std::printf("- No caben más escenas (%d): %s no se carga\n", kStoreCapacity, name);
    return g_sceneCount;
  }
  char path[256];
  std::snprintf(path, sizeof path, "escenas_bin\\%s.bin", name);
  Scene& scene = g_scenes[g_sceneCount];
  g_sceneFile.readScene(path, scene);
  scene.window = &g_window;
  scene.bindMaterials();
  scene.loadTextures();
  return ++g_sceneCount;
}

void AddLayer(const char* path, float x0, float y0, float x1, float y1, float alpha) {
  if (g_layerCount >= kStoreCapacity) {
    std::printf("- No caben más capas (%d): %s no se carga\n", kStoreCapacity, path);
    return;
  }
  LayerSlot& layer = g_layers[g_layerCount];
  layer.x0 = x0;
  layer.x1 = x1;
  layer.y0 = y0;
  layer.y1 = y1;
  layer.alpha = alpha;
  layer.texture = AcquireTexture(path, false);
  ++g_layerCount;
}

void LoadSceneCatalogue() {
  const int32_t first = g_sceneCount;
  for (const CatalogueEntry& entry : kSceneCatalogue) {
    const int32_t index = g_sceneCount;
    if (LoadScene(entry.name) > index) g_scenes[index].clearsScreen = entry.clearsScreen;
  }
  // The settings belong to the catalogue positions; nothing to set on a scene that was refused.
  if (first + kAquaScene < g_sceneCount) PrepareAqua(g_scenes[first + kAquaScene]);
  if (first + kFogScene < g_sceneCount) ApplyFog(g_scenes[first + kFogScene]);
}

void LoadLayers() {
  for (const LayerEntry& entry : kLayerList) AddLayer(entry.path, 0.0f, 0.0f, 800.0f, 600.0f, entry.alpha);
}

void LoadParticleSystems() {
  if (g_particleCount >= kStoreCapacity) {
    std::printf("- No caben más sistemas de partículas (%d): %s no se carga\n", kStoreCapacity,
                kParticleFile);
    return;
  }
  g_particles[g_particleCount].ReadFile(kParticleFile);
  ++g_particleCount;
}

void RegisterContent() {
  for (int32_t i = 0; i < g_sceneCount; ++i) g_timeline.RegisterScene(&g_scenes[i]);
  for (int32_t i = 0; i < g_layerCount; ++i) g_timeline.RegisterLayer(&g_layers[i]);
  for (int32_t i = 0; i < g_particleCount; ++i) g_timeline.RegisterParticleSystem(&g_particles[i]);
}

void ReleaseContent() {
  for (int32_t i = 0; i < g_sceneCount; ++i) g_scenes[i].release();
  for (int32_t i = 0; i < g_particleCount; ++i) g_particles[i].Release();
}
