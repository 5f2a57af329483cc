// readScene throughput on a large synthetic scene, from a warm file cache, beside what the
// machine does at best with the same bytes: one memcpy of the file into fresh pages. The read
// fills fresh pages too, so the ratio of the two says how much the parsing itself costs.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>
#include <string>

#include "platform/Files.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "support/QuietStdout.h"

namespace {

// Objects of a regular grid mesh, with texture coordinates, and animated cameras and lights.
void BuildLargeScene(Scene& scene, uint32_t objects, uint32_t side) {
  const uint32_t vertices = side * side;
  const uint32_t faces = 2 * (side - 1) * (side - 1);
  scene.setupObjects(objects);
  for (uint32_t o = 0; o < objects; ++o) {
    SceneObject object;
    object.setupVertices(vertices);
    object.setupTexVertices(vertices);
    for (uint32_t i = 0; i < vertices; ++i) {
      Vertex v;
      v.position[0] = static_cast<float>(i % side);
      v.position[2] = static_cast<float>(i / side);
      v.position[1] = static_cast<float>(o);
      object.setVertex(i, v);
      object.setTexVertex(i, TexVertex{v.position[0] / side, v.position[2] / side});
    }
    object.setupFaces(faces);
    object.setupTexFaces(faces);
    uint32_t f = 0;
    for (uint32_t y = 0; y + 1 < side; ++y)
      for (uint32_t x = 0; x + 1 < side; ++x) {
        const uint32_t a = y * side + x, b = a + 1, c = a + side, d = c + 1;
        const uint32_t triangles[2][3] = {{a, b, c}, {b, d, c}};
        for (const uint32_t* tri : triangles) {
          Face face;
          TexFace texFace;
          for (int k = 0; k < 3; ++k) {
            face.index[k] = texFace.index[k] = tri[k];
            face.vertex[k] = &object.vertexRef(tri[k]);
            texFace.texVertex[k] = &object.texVertexRef(tri[k]);
            face.cornerNormal[k][1] = 1;
          }
          face.faceNormal[1] = 1;
          object.setFace(f, face);
          object.setTexFace(f, texFace);
          ++f;
        }
      }
    scene.setObject(o, object);
  }
  scene.setupCameras(2);
  scene.setupMaterials(objects);
  scene.setupLights(4);
  for (uint32_t i = 0; i < 2; ++i) {
    SceneCamera camera;
    camera.setupTrack(2000);
    scene.setCamera(i, camera);
  }
  for (uint32_t i = 0; i < objects; ++i) {
    Material material;
    MaterialHeader header;
    header.mapCount = 2;
    material.setHeader(header);
    TextureMap map;
    map.setBitmap("textures\\madera.jpg");
    material.setMap(0, map);
    material.setMap(1, map);
    scene.setMaterial(i, material);
  }
  for (uint32_t i = 0; i < 4; ++i) {
    SceneLight light;
    light.setupTrack(2000);
    scene.setLight(i, light);
  }
}

struct LargeSceneFile {
  std::string dir;
  std::string path;
  uintmax_t bytes = 0;

  LargeSceneFile() {
    char pattern[] = "/tmp/zorbanel-bench-XXXXXX";
    dir = ::mkdtemp(pattern);
    path = dir + "/grande.bin";
    QuietStdout quiet;
    Scene scene;
    BuildLargeScene(scene, 8, 300);
    SceneBinaryFile().writeScene(path.c_str(), scene);
    scene.release();
    bytes = std::filesystem::file_size(path);
  }
  ~LargeSceneFile() { std::filesystem::remove_all(dir); }
};

// One file serves both benchmarks.
const LargeSceneFile& SharedFile() {
  static LargeSceneFile file;
  return file;
}

void BM_ReadScene(benchmark::State& state) {
  const LargeSceneFile& file = SharedFile();
  SceneBinaryFile reader;
  QuietStdout quiet;
  for (auto _ : state) {
    Scene scene;
    reader.readScene(file.path.c_str(), scene);
    benchmark::DoNotOptimize(scene.objects);
    scene.release();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(file.bytes));
  state.counters["file_MB"] = static_cast<double>(file.bytes) / 1e6;
}
BENCHMARK(BM_ReadScene)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The file's bytes, warm in memory, copied into a buffer of their size that is allocated (and
// so faulted in page by page) anew each time, as the read's arrays are.
void BM_MemcpyFreshPages(benchmark::State& state) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(SharedFile().path.c_str(), ReadLimit::kScene, bytes)) {
    state.SkipWithError("the scene file cannot be read");
    return;
  }
  for (auto _ : state) {
    std::unique_ptr<uint8_t[]> fresh(new uint8_t[bytes.size()]);
    std::memcpy(fresh.get(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(fresh.get());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
  state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_MemcpyFreshPages)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
