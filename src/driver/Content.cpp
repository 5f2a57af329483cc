#include "driver/Content.h"

#include <cstdio>
#include <new>

#include "driver/ContentManifest.h"
#include "driver/Program.h"
#include "platform/TextureCache.h"
#include "render/Renderer.h"
#include "scene/Material.h"

namespace {

// A store entry as new: its destructor frees what it holds, and every field starts over.
template <typename T>
void Renew(T& entry) {
  entry.~T();
  ::new (&entry) T();
}

void PrepareAqua(Scene& scene) {
  scene.buildVertexNormals();
  // Only the first two objects ripple; a scene whose file was missing has none to prepare.
  for (uint32_t i = 0; i < 2 && i < scene.objectCount; ++i) scene.objects[i].prepareDeformation();
}

void ApplyFog(Scene& scene, const ManifestScene& entry) {
  SceneParams params = scene.getParams();
  for (float& c : params.fogColor) c = 0.0f;
  params.fogDensity = entry.fogDensity;
  params.fogEnd = entry.fogEnd;
  params.fogStart = entry.fogStart;
  params.fogEnabled = true;
  scene.setParams(params);
}

// A scene with cameras is seen through them: framing it would change nothing, and the log
// says so rather than leave the option looking obeyed.
// 'frame always' sets the cameras aside for the framing eye.
void FrameScene(Scene& scene, const std::string& name, bool always) {
  if (scene.cameraCount > 0 && !always) {
    std::printf("- Scene %s is seen through its cameras (%u): 'frame' changes nothing; 'frame always' "
                "frames it all the same\n", name.c_str(), scene.cameraCount);
    return;
  }
  scene.framedOverCameras = always;
  scene.framedBounds = MeshBounds(scene);
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

std::string ScenePath(const std::string& name) { return "escenas_bin\\" + name + ".bin"; }

int32_t LoadScene(const char* name) {
  if (g_sceneCount >= kStoreCapacity) {
    std::printf("- No room for more scenes (%d): %s is not loaded\n", kStoreCapacity, name);
    return g_sceneCount;
  }
  Scene& scene = g_scenes[g_sceneCount];
  g_sceneFile.readScene(ScenePath(name).c_str(), scene);
  scene.window = &g_window;
  scene.bindMaterials();
  scene.loadTextures();
  ActiveRenderer().PrepareScene(scene);
  return ++g_sceneCount;
}

void AddLayer(const char* path, float x0, float y0, float x1, float y1, float alpha) {
  if (g_layerCount >= kStoreCapacity) {
    std::printf("- No room for more layers (%d): %s is not loaded\n", kStoreCapacity, path);
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

void LoadSceneCatalogue(const ContentManifest& manifest) {
  for (const ManifestScene& entry : manifest.scenes) {
    const int32_t index = g_sceneCount;
    if (LoadScene(entry.name.c_str()) == index) continue;  // refused: nothing to set
    Scene& scene = g_scenes[index];
    scene.clearsScreen = entry.clearsScreen;
    if (entry.aqua) PrepareAqua(scene);
    if (entry.fog) ApplyFog(scene, entry);
    // A reload may have dropped the option: the scene is seen as its line now says.
    scene.framedBounds = SceneBounds();
    scene.framedOverCameras = false;
    if (entry.frame) FrameScene(scene, entry.name, entry.frameAlways);
  }
}

void LoadMusic(const ContentManifest& manifest, float seconds) {
  if (seconds > 0)
    g_music.Load(manifest.music.path.c_str());
  else
    g_music.LoadSilence();  // the check has said why, or the manifest names no music
}

void LoadLayers(const ContentManifest& manifest) {
  for (const ManifestLayer& entry : manifest.layers)
    AddLayer(entry.path.c_str(), entry.x0, entry.y0, entry.x1, entry.y1, entry.alpha);
}

void LoadParticleSystems(const ContentManifest& manifest) {
  for (const ManifestEntry& file : manifest.particleFiles) {
    if (g_particleCount >= kStoreCapacity) {
      std::printf("- No room for more particle systems (%d): %s is not loaded\n", kStoreCapacity,
                  file.path.c_str());
      return;
    }
    g_particles[g_particleCount].ReadFile(file.path.c_str());
    ++g_particleCount;
  }
}

void RegisterContent(const ContentManifest& manifest) {
  for (int s = 0; s < kNoiseSets; ++s) g_noiseSetFirstLayer[s] = manifest.noiseSetFirstLayer[s];
  for (int32_t i = 0; i < g_sceneCount; ++i) g_timeline.RegisterScene(&g_scenes[i]);
  for (int32_t i = 0; i < g_layerCount; ++i) g_timeline.RegisterLayer(&g_layers[i]);
  for (int32_t i = 0; i < g_particleCount; ++i) g_timeline.RegisterParticleSystem(&g_particles[i]);
}

void ReleaseContent() {
  for (int32_t i = 0; i < g_sceneCount; ++i) {
    ActiveRenderer().ForgetScene(g_scenes[i]);
    g_scenes[i].release();  // first: a scene's destructor warns of arrays left to it
    Renew(g_scenes[i]);
  }
  for (int32_t i = 0; i < g_layerCount; ++i) {
    ReleaseTexture(g_layers[i].texture);
    Renew(g_layers[i]);
  }
  for (int32_t i = 0; i < g_particleCount; ++i) Renew(g_particles[i]);
  g_sceneCount = g_layerCount = g_particleCount = 0;
}
