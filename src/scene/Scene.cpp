#include "scene/Scene.h"

#include "platform/TextureCache.h"
#include "scene/CheckedArray.h"

namespace {

// A scene array may be set up only once until the scene is released.
template <typename T>
void SetupOnce(T*& array, uint32_t& count, bool& ready, uint32_t n, const char* refusal) {
  if (ready) {
    checked::Tell(refusal, "Atencion");
    return;
  }
  checked::Allocate(array, count, ready, n);
}

// Frees every track of a camera or light array before the array itself.
template <typename T>
bool FreeWithTracks(T*& array, uint32_t& count, bool& ready) {
  if (ready)
    for (uint32_t i = 0; i < count; ++i) array[i].freeTrack();
  return checked::Free(array, count, ready);
}

}  // namespace

Scene::~Scene() {
  if (release()) checked::Tell("Escena liberada por el destructor de la clase", "Atencion");
}

void Scene::setupObjects(uint32_t n) {
  SetupOnce(objects, objectCount, objectsReady, n, "Vector de objetos ya iniciado para esta escena.");
}

void Scene::setupMaterials(uint32_t n) {
  SetupOnce(materials, materialCount, materialsReady, n,
            "Vector de materiales ya iniciado para esta escena.");
}

void Scene::setupCameras(uint32_t n) {
  SetupOnce(cameras, cameraCount, camerasReady, n, "Vector de camaras iniciado para esta escena.");
}

void Scene::setupLights(uint32_t n) {
  SetupOnce(lights, lightCount, lightsReady, n, "Vector de luces iniciado para esta escena.");
}

void Scene::setObject(uint32_t i, const SceneObject& value) {
  checked::Store(objects, objectsReady, objectCount, i, value,
                 "No esta iniciado el vector de objetos");
}

void Scene::setMaterial(uint32_t i, const Material& value) {
  checked::Store(materials, materialsReady, materialCount, i, value,
                 "No esta iniciado el vector de materiales");
}

void Scene::setCamera(uint32_t i, const SceneCamera& value) {
  checked::Store(cameras, camerasReady, cameraCount, i, value,
                 "No esta iniciado el vector de camaras");
}

void Scene::setLight(uint32_t i, const SceneLight& value) {
  checked::Store(lights, lightsReady, lightCount, i, value, "No esta iniciado el vector de luces");
}

bool Scene::release() {
  // The textures were taken from the program's texture cache when the scene was loaded.
  if (materialsReady)
    for (uint32_t i = 0; i < materialCount; ++i)
      for (uint32_t m = 0; m < materials[i].header.mapCount && m < 2; ++m)
        ReleaseTexture(materials[i].maps[m].texture);
  if (lightsReady)
    for (uint32_t i = 0; i < lightCount; ++i) ReleaseTexture(lights[i].flareTexture);
  if (objectsReady)
    for (uint32_t i = 0; i < objectCount; ++i) objects[i].release();
  const bool hadObjects = checked::Free(objects, objectCount, objectsReady);
  const bool hadMaterials = checked::Free(materials, materialCount, materialsReady);
  const bool hadCameras = FreeWithTracks(cameras, cameraCount, camerasReady);
  const bool hadLights = FreeWithTracks(lights, lightCount, lightsReady);
  return hadObjects || hadMaterials || hadCameras || hadLights;
}
