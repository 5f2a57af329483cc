#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "support/TestProduction.h"
#include "driver/Content.h"
#include "driver/ContentManifest.h"
#include "driver/Program.h"
#include "support/TempDir.h"
#include "support/TestScreen.h"

namespace {

// A scene of one triangle per material index given; each corner has its own corner normal.
void WriteScene(const std::string& name, const std::vector<int32_t>& materialIndices,
                uint32_t materialCount, const SceneParams& params) {
  Scene scene;
  scene.setParams(params);
  scene.setupObjects(static_cast<uint32_t>(materialIndices.size()));
  for (uint32_t i = 0; i < materialIndices.size(); ++i) {
    SceneObject object;
    object.setupVertices(3);
    for (uint32_t v = 0; v < 3; ++v) {
      Vertex vertex;
      vertex.position[v] = 10.0f;
      object.setVertex(v, vertex);
    }
    object.setupFaces(1);
    Face face;
    for (uint32_t k = 0; k < 3; ++k) {
      face.index[k] = k;
      face.cornerNormal[k][k] = 1.0f;
    }
    object.setFace(0, face);
    object.setMaterialIndex(materialIndices[i]);
    scene.setObject(i, object);
  }
  scene.setupMaterials(materialCount);
  scene.setupCameras(0);
  scene.setupLights(0);
  g_sceneFile.writeScene(("escenas_bin\\" + name + ".bin").c_str(), scene);
  scene.release();
}

// The player's own window and stores, emptied before and after each test.
class Content : public ::testing::Test {
 protected:
  void SetUp() override {
    ZB_REQUIRE_SCREEN();
    PreferOffscreenVideo();
    ASSERT_TRUE(g_window.Create("content test", 800, 600, 32, 100.33f, false));
    ASSERT_TRUE(g_window.CheckExtensions());
    Empty();
  }
  void TearDown() override {
    Empty();
    g_window.Destroy();
  }
  static void Empty() {
    ReleaseContent();
    g_sceneCount = g_layerCount = g_particleCount = 0;
  }

  TempDir dir;
};

}  // namespace

TEST_F(Content, CatalogueKeepsItsIndicesAndSettingsWhateverFilesArePresent) {
  dir.Write("escenas_bin/.keep", "");
  SceneParams plain;
  plain.frameSpeed = 25;
  SceneParams foggy = plain;
  foggy.fogEnabled = false;
  foggy.fogStart = 1;
  foggy.fogEnd = 2;
  foggy.fogDensity = 9;
  foggy.fogColor[0] = 1;
  // Only three of the eight files exist; the first binds one good and two bad material indices.
  WriteScene("rare_obj2", {0, 1, -1}, 1, plain);
  WriteScene("columnas", {0}, 1, foggy);
  WriteScene("aguabola", {0, 0, 0}, 1, plain);

  ContentManifest manifest = DefaultManifest();
  manifest.scenes[0].frame = manifest.scenes[3].frame = true;
  LoadSceneCatalogue(manifest);
  ASSERT_EQ(g_sceneCount, 8);
  // Framed: a scene without a camera gets its box; the empty one has none, so the fixed point.
  EXPECT_FALSE(g_scenes[0].framedBounds.empty);
  EXPECT_TRUE(g_scenes[3].framedBounds.empty);
  EXPECT_TRUE(g_scenes[7].framedBounds.empty);  // not asked
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(g_scenes[i].window, &g_window);
    EXPECT_EQ(g_scenes[i].clearsScreen, i != 1 && i != 2 && i != 4) << "scene " << i;
  }
  EXPECT_EQ(g_scenes[3].objectCount, 0u);  // missing file: an empty scene in its place

  const Scene& first = g_scenes[0];
  ASSERT_EQ(first.objectCount, 3u);
  EXPECT_EQ(first.objects[0].material, &first.materials[0]);
  EXPECT_EQ(first.objects[1].material, nullptr);
  EXPECT_EQ(first.objects[2].material, nullptr);

  // "columnas": black linear fog from 800 to 3500 over whatever the file said; the rest kept.
  const SceneParams fog = g_scenes[5].getParams();
  EXPECT_TRUE(fog.fogEnabled);
  EXPECT_FLOAT_EQ(fog.fogStart, 800.0f);
  EXPECT_FLOAT_EQ(fog.fogEnd, 3500.0f);
  EXPECT_FLOAT_EQ(fog.fogDensity, 0.5f);
  for (float c : fog.fogColor) EXPECT_EQ(c, 0.0f);
  EXPECT_EQ(fog.frameSpeed, 25);
  EXPECT_FALSE(g_scenes[0].getParams().fogEnabled);

  // "aguabola": the first two objects get a rest copy whose normals are the corner normals.
  const Scene& aqua = g_scenes[7];
  ASSERT_EQ(aqua.objectCount, 3u);
  EXPECT_TRUE(aqua.objects[0].restVerticesReady);
  EXPECT_TRUE(aqua.objects[1].restVerticesReady);
  EXPECT_FALSE(aqua.objects[2].restVerticesReady);
  for (uint32_t v = 0; v < 3; ++v)
    for (uint32_t k = 0; k < 3; ++k)
      EXPECT_EQ(aqua.objects[1].restVertices[v].normal[k], v == k ? 1.0f : 0.0f);
  // Every object got its vertex normals, prepared or not.
  EXPECT_EQ(aqua.objects[2].vertices[2].normal[2], 1.0f);
}

TEST_F(Content, LayersParticlesAndRegistrationInStoreOrder) {
  for (const ManifestLayer& layer : DefaultManifest().layers)
    dir.Write(layer.path, EncodeSolidJpeg(8, 8, 90, 90, 90));
  LoadLayers(DefaultManifest());
  ASSERT_EQ(g_layerCount, 17);
  const float alphas[17] = {1, 0, 1, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.6f, 0.7f, 0.2f, 0, 0, 0, 0, 0, 1};
  std::set<uint32_t> textures;
  for (int i = 0; i < 17; ++i) {
    EXPECT_FLOAT_EQ(g_layers[i].alpha, alphas[i]) << "layer " << i;
    EXPECT_EQ(g_layers[i].x0, 0.0f);
    EXPECT_EQ(g_layers[i].y0, 0.0f);
    EXPECT_EQ(g_layers[i].x1, 800.0f);
    EXPECT_EQ(g_layers[i].y1, 600.0f);
    textures.insert(g_layers[i].texture);
  }
  EXPECT_EQ(textures.size(), 17u);
  EXPECT_EQ(textures.count(0u), 0u);

  // A missing particle file still takes its entry, so the script's index 0 stays valid.
  LoadParticleSystems(DefaultManifest());
  EXPECT_EQ(g_particleCount, 1);
  EXPECT_EQ(g_particles[0].count, 0u);

  g_sceneCount = 8;  // empty scenes, as after missing files
  RegisterContent(DefaultManifest());
  EXPECT_EQ(g_timeline.sceneCount, 8);
  EXPECT_EQ(g_timeline.sceneTargets[7], &g_scenes[7]);
  EXPECT_EQ(g_timeline.layerCount, 17);
  EXPECT_EQ(g_timeline.layerTargets[16], &g_layers[16]);
  EXPECT_EQ(g_timeline.particleCount, 1);
  EXPECT_EQ(g_timeline.particleTargets[0], &g_particles[0]);
}

TEST_F(Content, FullStoresRefuseMoreLoads) {
  dir.Write("textures/blank.jpg", EncodeSolidJpeg(8, 8, 1, 2, 3));
  for (int i = 0; i < kStoreCapacity + 3; ++i) AddLayer("textures\\blank.jpg", 1, 2, 3, 4, 0.5f);
  EXPECT_EQ(g_layerCount, kStoreCapacity);

  g_sceneCount = kStoreCapacity;
  EXPECT_EQ(LoadScene("rare_obj2"), kStoreCapacity);
  EXPECT_EQ(g_sceneCount, kStoreCapacity);
  g_sceneCount = 0;

  g_particleCount = kStoreCapacity;
  LoadParticleSystems(DefaultManifest());
  EXPECT_EQ(g_particleCount, kStoreCapacity);
  g_particleCount = 0;
}
