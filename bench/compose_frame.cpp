// Frame cost on this machine's GL: one scene of a ripple-sized grid drawn alone, drawn with the
// aqua deformation, and composed into a whole frame with trail and glow as the production does.
// Runs off screen (SDL's offscreen driver); every iteration ends with glFinish so the figure is
// the finished picture, not the queued commands.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/GLWindow.h"
#include "scene/Scene.h"
#include "timeline/Timeline.h"

namespace {

GLWindow& benchWindow() {
  static GLWindow window;
  static bool open = false;
  if (!open) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    open = window.Create("bench", 800, 600, 32, 100.33f, false) && window.CheckExtensions();
    if (!open) std::abort();
    window.CreateRenderTargets();
  }
  return window;
}

// A side x side grid of quads in the xz plane, facing up, seen by a camera above it: 2 side^2
// triangles, one opaque material and (for a second, smaller grid) one transparent material.
struct GridScene : Scene {
  explicit GridScene(uint32_t side) {
    window = &benchWindow();
    setupMaterials(2);
    Material opaque, glass;
    for (int i = 0; i < 3; ++i) opaque.header.ambient[i] = glass.header.ambient[i] = 0.6f;
    opaque.header.ambient[3] = 1.0f;
    glass.header.ambient[3] = 0.4f;
    setMaterial(0, opaque);
    setMaterial(1, glass);
    setupObjects(2);
    setObject(0, grid(side, 0));
    setObject(1, grid(side / 4 + 1, 1));
    for (uint32_t i = 0; i < objectCount; ++i) {
      objects[i].bindMaterial(&materials[objects[i].materialIndex]);
      objects[i].copyCornerNormals();
      objects[i].prepareDeformation();
    }
    setupCameras(1);
    SceneCamera camera;
    camera.frame.position[1] = 400, camera.frame.position[2] = 300;
    camera.frame.fov = 60;
    setCamera(0, camera);
    setupLights(0);
  }
  ~GridScene() { release(); }

  static SceneObject grid(uint32_t side, int32_t material) {
    SceneObject object;
    const uint32_t n = side + 1;
    object.setupVertices(n * n);
    for (uint32_t z = 0; z < n; ++z)
      for (uint32_t x = 0; x < n; ++x) {
        Vertex v;
        v.position[0] = (static_cast<float>(x) / side - 0.5f) * 400;
        v.position[2] = (static_cast<float>(z) / side - 0.5f) * 400;
        object.setVertex(z * n + x, v);
      }
    object.setupFaces(2 * side * side);
    uint32_t f = 0;
    for (uint32_t z = 0; z < side; ++z)
      for (uint32_t x = 0; x < side; ++x) {
        const uint32_t a = z * n + x, b = a + 1, c = a + n + 1, d = a + n;
        const uint32_t triangles[2][3] = {{a, d, c}, {a, c, b}};
        for (const uint32_t* tri : triangles) {
          Face face;
          for (int k = 0; k < 3; ++k) {
            face.index[k] = tri[k];
            face.vertex[k] = &object.vertexRef(tri[k]);
            face.cornerNormal[k][1] = 1.0f;
          }
          object.setFace(f++, face);
        }
      }
    object.materialIndex = material;
    return object;
  }
};

void BM_RenderScene(benchmark::State& state) {
  benchWindow();
  GridScene scene(static_cast<uint32_t>(state.range(0)));
  for (auto _ : state) {
    scene.render();
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * 2 * state.range(0) * state.range(0));
}

void BM_RenderDeformed(benchmark::State& state) {
  benchWindow();
  GridScene scene(static_cast<uint32_t>(state.range(0)));
  for (auto _ : state) {
    scene.renderDeformed();
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * 2 * state.range(0) * state.range(0));
}

// The whole frame: capture, trail, glow and the full-screen image around one deformed scene.
void BM_ComposeFrame(benchmark::State& state) {
  GLWindow& window = benchWindow();
  GridScene scene(static_cast<uint32_t>(state.range(0)));
  scene.aquaEnabled = true;
  Timeline timeline;
  timeline.SetWindow(&window);
  timeline.RegisterScene(&scene);
  timeline.sceneActive[0] = true;
  timeline.blurAlpha = 0.6f;
  timeline.saturateCount = 4;
  timeline.saturateSpread = 3;
  for (auto _ : state) {
    timeline.Compose();
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * 2 * state.range(0) * state.range(0));
}

}  // namespace

BENCHMARK(BM_RenderScene)->Arg(32)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenderDeformed)->Arg(32)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ComposeFrame)->Arg(32)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
