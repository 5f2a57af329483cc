#include "platform/GLWindow.h"
#include "platform/TextureCache.h"
#include "render/Renderer.h"
#include "scene/Scene.h"

namespace {

// One presented frame: black, with the text near the lower-left corner.
void showLoadingFrame(GLWindow* window, const char* text) {
  if (!window) return;
  Renderer& renderer = ActiveRenderer();
  renderer.ClearToBlack(*window);
  renderer.Print(*window, 64, 64, text, 0, 1.0f);
  SwapBuffers(window->m_hDC);
}

}  // namespace

void Material::loadMaps(GLWindow* window) {
  for (uint32_t i = 0; i < header.mapCount && i < 2; ++i) {
    maps[i].texture = AcquireTextureOrStandIn(maps[i].bitmap, maps[i].spherical);
    showLoadingFrame(window, maps[i].bitmap);
  }
}

void Scene::loadTextures() {
  for (uint32_t i = 0; i < materialCount; ++i) materials[i].loadMaps(window);
  showLoadingFrame(window, "Cargando...");
  for (uint32_t i = 0; i < lightCount; ++i) {
    if (!lights[i].hasFlare) continue;
    lights[i].setFlareBitmap("textures\\particle2.jpg");
    lights[i].loadFlare();
  }
}
