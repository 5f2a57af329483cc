// Scenes exported as glTF 2.0 or OBJ, converted and read back from the binary scene: what each
// holds, what is named as lost, and files that must be refused without harm.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/ConvertScene.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "support/QuietStdout.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

void CopyData(const char* folder, const TempDir& dir) {
  fs::create_directories(fs::path(dir.path) / "escenas");
  for (const auto& entry : fs::directory_iterator(fs::path(ZB_SOURCE_DIR) / "tests/data" / folder))
    fs::copy_file(entry.path(), fs::path(dir.path) / "escenas" / entry.path().filename());
}

bool Convert(const char* name) {
  QuietStdout quiet;
  return ConvertSceneFromAse(name);
}

struct Expected {
  const char* folder;
  const char* scene;
  uint32_t objects, firstObjectFaces, materials;
  float firstVertex[3];
  float colour[4];  // first object's material
  uint32_t maps;
  uint32_t cameras, trackLength;
  float firstPosition[3], lastPosition[3];  // camera 0's track, or its frame without one
  uint32_t lights;
};

const Expected kScenes[] = {
    // Z-up source under a root matrix that turns it Y-up: (-0.5, -0.5, 0.5) becomes (-0.5, 0.5,
    // 0.5).
    {"gltf", "BoxTextured", 1, 12, 1, {-0.5f, 0.5f, 0.5f}, {1, 1, 1, 1}, 1, 0, 0, {}, {}, 0},
    {"gltf", "BoxTexturedBinary", 1, 12, 1, {-0.5f, 0.5f, 0.5f}, {1, 1, 1, 1}, 1, 0, 0, {}, {}, 0},
    // Blend alpha is the transparency; the camera moves 2 units along x in 30 frames.
    {"gltf",
     "CameraPath",
     1,
     2,
     1,
     {-1, -1, 0},
     {0.2f, 0.4f, 0.8f, 0.5f},
     0,
     1,
     31,
     {0, 0, 5},
     {2, 0, 5},
     1},
    // First group's first triangle starts at the file's 103rd vertex; its material is black.
    {"obj",
     "map-bump",
     2,
     396,
     2,
     {0.864213f, -0.018552f, 3.184383f},
     {0, 0, 0, 1},
     0,
     0,
     0,
     {},
     {},
     0},
    {"obj", "cornell_box", 8, 6, 5, {552.8f, 0, 0}, {1, 1, 1, 1}, 0, 0, 0, {}, {}, 0},
};

class ImportedScenes : public testing::TestWithParam<Expected> {};

TEST_P(ImportedScenes, ConvertAndReadBack) {
  const Expected& e = GetParam();
  TempDir dir;
  CopyData(e.folder, dir);
  ASSERT_TRUE(Convert(e.scene));
  Scene scene;
  {
    QuietStdout quiet;
    SceneBinaryFile().readScene(("escenas_bin\\" + std::string(e.scene) + ".bin").c_str(), scene);
  }
  ASSERT_EQ(scene.objectCount, e.objects);
  EXPECT_EQ(scene.objects[0].faceCount, e.firstObjectFaces);
  EXPECT_EQ(scene.materialCount, e.materials);
  for (int c = 0; c < 3; ++c)
    EXPECT_NEAR(scene.objects[0].vertices[0].position[c], e.firstVertex[c], 1e-5) << c;
  const MaterialHeader& header = scene.materials[scene.objects[0].materialIndex].header;
  for (int c = 0; c < 4; ++c) EXPECT_NEAR(header.diffuse[c], e.colour[c], 1e-5) << c;
  EXPECT_EQ(header.ambient[0], header.diffuse[0]);  // the renderer colours with ambient
  ASSERT_EQ(header.mapCount, e.maps);
  if (e.maps) {
    const std::string texture = scene.materials[0].maps[0].bitmap;
    EXPECT_EQ(texture.rfind("textures\\CesiumLogoFlat", 0), 0u) << texture;
    EXPECT_FALSE(dir.Read(texture.substr(0, 9) + "/" + texture.substr(9)).empty());
    EXPECT_EQ(scene.materials[0].maps[0].uTiling, 1);
    // glTF's first texture coordinate (6, 0), origin at the top, in the engine's terms.
    EXPECT_EQ(scene.objects[0].texVertices[0].u, 6);
    EXPECT_EQ(scene.objects[0].texVertices[0].v, -1);
  }
  ASSERT_EQ(scene.cameraCount, e.cameras);
  if (e.cameras) {
    const SceneCamera& camera = scene.cameras[0];
    ASSERT_EQ(camera.trackLength, e.trackLength);
    EXPECT_EQ(scene.params.lastFrame + 1, static_cast<int32_t>(e.trackLength));
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(camera.track[0].position[c], e.firstPosition[c], 1e-5);
      EXPECT_NEAR(camera.track[e.trackLength - 1].position[c], e.lastPosition[c], 1e-5);
    }
    // Looking down -Z at the depth of the scene's centre, with glTF's vertical field of view.
    EXPECT_NEAR(camera.track[0].target[2], 0, 1e-5);
    EXPECT_NEAR(camera.track[0].fov, 0.8 * 180 / 3.14159265, 1e-3);
  }
  EXPECT_EQ(scene.lightCount, e.lights);
  if (e.lights) {
    const SceneLight& light = scene.lights[0];
    EXPECT_EQ(light.frame.color[0], 10);  // white at the file's intensity of 10
    ASSERT_EQ(light.trackLength, e.trackLength);
    EXPECT_NEAR(light.track[0].position[1], 3, 1e-5);
    EXPECT_NEAR(light.track[e.trackLength - 1].position[2], 4, 1e-5);
  }
  scene.release();
}

INSTANTIATE_TEST_SUITE_P(Samples, ImportedScenes, testing::ValuesIn(kScenes),
                         [](const testing::TestParamInfo<Expected>& info) {
                           std::string name = info.param.scene;
                           for (char& c : name)
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// One buffer of CameraPath.gltf: a quad's positions and indices, then key times and values.
const char kBuffer[] =
    "\"buffers\":[{\"byteLength\":120,\"uri\":\"data:application/octet-stream;base64,"
    "AACAvwAAgL8AAAAAAACAPwAAgL8AAAAAAACAPwAAgD8AAAAAAACAvwAAgD8AAAAAAAABAAIAAAACAAMAAAAAAAAAAAAAAI"
    "A/"
    "AAAAAAAAAAAAAKBAAAAAQAAAAAAAAKBAAAAAAAAAQEAAAAAAAAAAAAAAQEAAAIBA\"}],"
    "\"bufferViews\":[{\"buffer\":0,\"byteLength\":48},{\"buffer\":0,\"byteOffset\":48,"
    "\"byteLength\":12},"
    "{\"buffer\":0,\"byteOffset\":64,\"byteLength\":8},{\"buffer\":0,\"byteOffset\":72,"
    "\"byteLength\":24}],"
    "\"asset\":{\"version\":\"2.0\"}";
const char kAccessors[] =
    "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":4,\"type\":\"VEC3\"},"
    "{\"bufferView\":1,\"componentType\":5123,\"count\":6,\"type\":\"SCALAR\"},"
    "{\"bufferView\":2,\"componentType\":5126,\"count\":2,\"type\":\"SCALAR\"},"
    "{\"bufferView\":3,\"componentType\":5126,\"count\":2,\"type\":\"VEC3\"}],";

TEST(ImportedSceneLosses, EachIsNamedOncePerFile) {
  TempDir dir;
  // Two skinned, morphing, moving meshes with PBR maps, an area light and a second animation
  // that also animates a field of view through a pointer (a channel without a node).
  dir.Write(
      "escenas/perdidas.gltf",
      std::string(
          "{\"scenes\":[{\"nodes\":[0,1,2]}],\"extensionsUsed\":[\"KHR_lights_punctual\"],"
          "\"extensions\":{\"KHR_lights_punctual\":{\"lights\":[{\"type\":\"area\"}]}},"
          "\"nodes\":[{\"mesh\":0,\"skin\":0},{\"mesh\":0,\"skin\":0},"
          "{\"extensions\":{\"KHR_lights_punctual\":{\"light\":0}}}],"
          "\"skins\":[{\"joints\":[0],\"inverseBindMatrices\":0}],"
          "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0,\"JOINTS_0\":0,\"TEXCOORD_"
          "1\":0},"
          "\"indices\":1,\"material\":0,\"targets\":[{\"POSITION\":0}]}]}],"
          "\"materials\":[{\"normalTexture\":{\"index\":0}}],\"textures\":[{\"source\":0}],"
          "\"images\":[{\"uri\":\"normal.png\"}],"
          "\"animations\":[{\"channels\":[{\"sampler\":0,\"target\":{\"node\":0,\"path\":"
          "\"translation\"}}],"
          "\"samplers\":[{\"input\":2,\"output\":3}]},"
          "{\"channels\":[{\"sampler\":0,\"target\":{\"node\":1,\"path\":\"translation\"}},"
          "{\"sampler\":0,\"target\":{\"path\":\"pointer\",\"extensions\":{"
          "\"KHR_animation_pointer\":{\"pointer\":\"/cameras/0/perspective/yfov\"}}}}],"
          "\"samplers\":[{\"input\":2,\"output\":3}]}],") +
          kAccessors + kBuffer + "}");
  dir.Write("escenas/normal.png", "not decoded");
  const ToolRun run = RunTool(dir.path, "convert", "--quiet perdidas");
  ASSERT_EQ(run.status, 0) << run.output;
  for (const char* loss :
       {"has skinning", "has morph targets", "several animations", "PBR maps",
        "lights of a kind this reader does not know", "more than one set of texture coordinates",
        "KHR_animation_pointer"}) {
    const size_t first = run.output.find(loss);
    EXPECT_NE(first, std::string::npos) << loss << "\n" << run.output;
    EXPECT_EQ(run.output.find(loss, first + 1), std::string::npos) << loss << "\n" << run.output;
  }
  const ToolRun obj =
      RunTool(ZB_SOURCE_DIR "/tests/data", "convert", "--help");  // the tool names the formats
  EXPECT_NE(obj.output.find(".gltf, .glb"), std::string::npos);
}

struct Broken {
  const char* file;
  std::string text;
};

const std::string kGood =
    std::string(
        "{\"scenes\":[{\"nodes\":[0]}],\"nodes\":[{\"mesh\":0}],"
        "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0},\"indices\":1}]}],") +
    kAccessors + kBuffer + "}";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

TEST(ImportedSceneDamage, IsRefusedAndTheOldSceneKept) {
  const Broken files[] = {
      {"escenas/roto.gltf", ""},
      {"escenas/roto.gltf", kGood.substr(0, kGood.size() / 2)},
      {"escenas/roto.glb", "glTF\x02\0\0\0garbage"},
      // An accessor that runs past its buffer view, an index past the vertices, a cycle of nodes.
      {"escenas/roto.gltf", Replaced(kGood, "\"count\":4,", "\"count\":4000,")},
      {"escenas/roto.gltf", Replaced(kGood, "\"count\":6,", "\"count\":6,\"byteOffset\":4000,")},
      {"escenas/roto.gltf", Replaced(kGood, "AAABAAIAAAACAAMA", "AAABAAIAAAACAAkA")},
      {"escenas/roto.gltf",
       Replaced(kGood, "\"nodes\":[{\"mesh\":0}]", "\"nodes\":[{\"mesh\":0,\"children\":[0]}]")},
      {"escenas/roto.gltf",
       Replaced(kGood, "data:application/octet-stream;base64,", "../fuera.bin#")},
      {"escenas/roto.obj", "v 0 0 0\nv 1 0 0\nf 1 2 7\n"},
      {"escenas/roto.obj", "# nothing\n"},
  };
  for (const Broken& broken : files) {
    TempDir dir;
    dir.Write(broken.file, broken.text);
    dir.Write("escenas_bin/roto.bin", "old");
    EXPECT_FALSE(Convert("roto")) << broken.file << ": " << broken.text;
    EXPECT_EQ(dir.Read("escenas_bin/roto.bin"), "old") << broken.text;
  }
  // The good file itself converts: the faults above are what made them fail.
  TempDir dir;
  dir.Write("escenas/bien.gltf", kGood);
  EXPECT_TRUE(Convert("bien"));
}

// A glTF's buffer and picture reached through a link out of the production are not read; a
// link that stays inside is followed.
TEST(ImportedSceneLinks, NothingOutsideTheProductionIsRead) {
#ifndef _WIN32  // links need privileges on Windows
  const struct {
    const char* file;
    bool out, converts;
    const char* log;
  } cases[] = {{"BoxTextured0.bin", false, true, "BoxTextured"},
               {"BoxTextured0.bin", true, false, "BoxTextured0.bin\" leads out of the production"},
               {"CesiumLogoFlat.png", true, true, "lies outside the production: not read"}};
  for (const auto& c : cases) {
    TempDir away;
    TempDir dir;
    CopyData("gltf", dir);
    const fs::path there = fs::path(c.out ? away.path : dir.path + "/escenas_bin") / c.file;
    fs::create_directories(there.parent_path());
    fs::rename(fs::path(dir.path) / "escenas" / c.file, there);
    fs::create_symlink(there, fs::path(dir.path) / "escenas" / c.file);
    testing::internal::CaptureStdout();
    EXPECT_EQ(ConvertSceneFromAse("BoxTextured"), c.converts) << c.file;
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find(c.log), std::string::npos) << log;
  }
#endif
}

TEST(ImportedSceneDamage, TwoExportsOfOneSceneAreRefused) {
  TempDir dir;
  dir.Write("escenas/doble.gltf", kGood);
  dir.Write("escenas/doble.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  EXPECT_FALSE(Convert("doble"));
  EXPECT_EQ(dir.Read("escenas_bin/doble.bin"), "");
  const ToolRun run = RunTool(dir.path, "convert", "doble");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("both exist"), std::string::npos) << run.output;
}

}  // namespace
