// Objects that move: glTF node animation under a parent and ASE TM_ANIMATION become object
// tracks that put the objects where the files say at each frame, and the binary scene carries
// them in its extension without touching the plain layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "scene/AseReader.h"
#include "scene/GltfReader.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "SceneSamples.h"
#include "support/QuietStdout.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Where the object's track takes its vertex v at frame k.
void Placed(const SceneObject& object, uint32_t k, uint32_t v, float out[3]) {
  const float* m = object.motion.track[k].matrix;
  const float* p = object.vertices[v].position;
  for (int r = 0; r < 3; ++r) out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
}

void ExpectPlaced(const SceneObject& object, uint32_t k, uint32_t v, const double expected[3]) {
  float at[3];
  Placed(object, k, v, at);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(at[c], expected[c], 1e-4) << "frame " << k << " axis " << c;
}

// A parent sliding 10 units along x in 2 s, and under it, 2 units ahead, a triangle turning
// half round y in the same time.
const std::string& MovingGltf() {
  static const std::string text =
      "{\"asset\":{\"version\":\"2.0\"},\"scenes\":[{\"nodes\":[0]}],"
      "\"nodes\":[{\"children\":[1]},{\"mesh\":0,\"translation\":[0,0,2]}],"
      "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0}}]}],"
      "\"animations\":[{\"channels\":["
      "{\"sampler\":0,\"target\":{\"node\":0,\"path\":\"translation\"}},"
      "{\"sampler\":1,\"target\":{\"node\":1,\"path\":\"rotation\"}}],"
      "\"samplers\":[{\"input\":1,\"output\":2},{\"input\":1,\"output\":3}]}],"
      "\"accessors\":["
      "{\"bufferView\":0,\"componentType\":5126,\"count\":3,\"type\":\"VEC3\"},"
      "{\"bufferView\":1,\"componentType\":5126,\"count\":2,\"type\":\"SCALAR\"},"
      "{\"bufferView\":2,\"componentType\":5126,\"count\":2,\"type\":\"VEC3\"},"
      "{\"bufferView\":3,\"componentType\":5126,\"count\":2,\"type\":\"VEC4\"}],"
      "\"bufferViews\":[{\"buffer\":0,\"byteLength\":36},"
      "{\"buffer\":0,\"byteOffset\":36,\"byteLength\":8},"
      "{\"buffer\":0,\"byteOffset\":44,\"byteLength\":24},"
      "{\"buffer\":0,\"byteOffset\":68,\"byteLength\":32}],"
      "\"buffers\":[{\"byteLength\":100,\"uri\":\"data:application/octet-stream;base64," +
      Base64({1, 0, 0, 0, 1, 0, 0, 0, -1,  // the triangle
              0, 2,                        // key times
              0, 0, 0, 10, 0, 0,           // the parent's places
              0, 0, 0, 1, 0, 1, 0, 0}) +   // the triangle's turns: none, then half round y
      "\"}]}";
  return text;
}

TEST(ObjectMotion, GltfObjectUnderAMovingParentFollowsTheFile) {
  TempDir dir;
  dir.Write("moving.gltf", MovingGltf());
  Scene scene;
  {
    QuietStdout quiet;
    ASSERT_EQ(ReadGltf("moving.gltf", scene), ImportResult::complete);
  }
  ASSERT_EQ(scene.objectCount, 1u);
  const SceneObject& object = scene.objects[0];
  ASSERT_EQ(object.motion.trackLength, 61u);  // 2 s at 30 frames a second
  // The vertex (1, 0, 0) lies where the first frame puts it, and then turns at an even pace
  // (a quarter of the way, 45 degrees: blended linearly it would be 36.87).
  EXPECT_NEAR(object.vertices[0].position[2], 2, 1e-6);
  for (uint32_t k : {0u, 15u, 30u, 60u}) {
    const double turn = kPi * k / 60;
    const double expected[3] = {10.0 * k / 60 + std::cos(turn), 0, 2 - std::sin(turn)};
    ExpectPlaced(object, k, 0, expected);
  }

  // Through the binary scene and back, the tracks are whole.
  SceneBinaryFile file;
  Scene back;
  {
    QuietStdout quiet;
    ASSERT_TRUE(file.writeScene("moving.bin", scene));
    ASSERT_TRUE(file.readScene("moving.bin", back));
  }
  ASSERT_EQ(back.objects[0].motion.trackLength, 61u);
  EXPECT_EQ(std::memcmp(back.objects[0].motion.track, object.motion.track, 61 * sizeof(ObjectFrame)), 0);
  scene.release();
  back.release();
}

std::string AseObject(const char* name, const char* parent, const char* rows, const char* keys) {
  return std::string("*GEOMOBJECT {\n*NODE_NAME \"") + name + "\"\n" +
         (parent ? std::string("*NODE_PARENT \"") + parent + "\"\n" : std::string()) +
         "*NODE_TM {\n" + rows +
         "}\n*MESH {\n*MESH_NUMVERTEX 1\n*MESH_NUMFACES 1\n*MESH_VERTEX_LIST {\n"
         "*MESH_VERTEX 0 0.0 5.0 0.0\n}\n*MESH_FACE_LIST {\n*MESH_FACE 0: A: 0 B: 0 C: 0\n}\n}\n" +
         (keys ? std::string("*TM_ANIMATION {\n") + keys + "}\n" : std::string()) + "}\n";
}

TEST(ObjectMotion, AseTracksFollowTheFileAndItsParents) {
  const char* still = "*TM_ROW0 1 0 0\n*TM_ROW1 0 1 0\n*TM_ROW2 0 0 1\n*TM_ROW3 0 0 0\n";
  // Turned 0.5 about x: the node transform and the first rotation key say the same.
  const std::string turned = "*TM_ROW0 1 0 0\n*TM_ROW1 0 " + std::to_string(std::cos(0.5)) +
                             " " + std::to_string(-std::sin(0.5)) + "\n*TM_ROW2 0 " +
                             std::to_string(std::sin(0.5)) + " " + std::to_string(std::cos(0.5)) +
                             "\n*TM_ROW3 0 0 0\n";
  const std::string text =
      "*3DSMAX_ASCIIEXPORT 200\n*SCENE {\n*SCENE_LASTFRAME 10\n*SCENE_FRAMESPEED 30\n"
      "*SCENE_TICKSPERFRAME 160\n}\n" +
      AseObject("carrier", nullptr, still,
                "*CONTROL_POS_TRACK {\n*CONTROL_POS_SAMPLE 0 0 0 0\n"
                "*CONTROL_POS_SAMPLE 1600 10 0 0\n}\n") +
      AseObject("rider", "carrier", still, nullptr) +
      AseObject("turner", nullptr, turned.c_str(),
                "*CONTROL_ROT_TRACK {\n*CONTROL_ROT_SAMPLE 0 1 0 0 0.5\n}\n") +
      AseObject("still", nullptr, still, nullptr);
  TempDir dir;
  dir.Write("moving.ase", text);
  Scene scene;
  {
    QuietStdout quiet;
    AseReader reader;
    ASSERT_TRUE(reader.load("moving.ase", scene));
  }
  ASSERT_EQ(scene.objectCount, 4u);
  // The file's (x, y, z) is the engine's (x, z, -y): the vertex (0, 5, 0) lies at (0, 0, -5).
  for (uint32_t k : {0u, 5u, 10u}) {
    const double carried[3] = {k * 1.0, 0, -5};
    ExpectPlaced(scene.objects[0], k, 0, carried);
    ExpectPlaced(scene.objects[1], k, 0, carried);  // the rider goes with its carrier
  }
  ASSERT_EQ(scene.objects[2].motion.trackLength, 11u);
  const double rest[3] = {scene.objects[2].vertices[0].position[0],
                          scene.objects[2].vertices[0].position[1],
                          scene.objects[2].vertices[0].position[2]};
  ExpectPlaced(scene.objects[2], 0, 0, rest);
  EXPECT_EQ(scene.objects[3].motion.trackLength, 0u);  // nothing moves it: no track
  scene.release();
}

TEST(ObjectMotion, PlainScenesKeepThePlainLayoutAndDamagedTracksAreRefused) {
  TempDir dir;
  dir.Write("moving.gltf", MovingGltf());
  Scene scene;
  SceneBinaryFile file;
  std::string whole;
  {
    QuietStdout quiet;
    ASSERT_EQ(ReadGltf("moving.gltf", scene), ImportResult::complete);
    ASSERT_TRUE(file.writeScene("moving.bin", scene));
    whole = dir.Read("moving.bin");
    scene.objects[0].motion.freeTrack();
    ASSERT_TRUE(file.writeScene("still.bin", scene));
  }
  const std::string plain = dir.Read("still.bin");
  // The moving scene is the plain one with the extension after it.
  ASSERT_GT(whole.size(), plain.size());
  EXPECT_EQ(whole.compare(0, plain.size(), plain), 0);
  EXPECT_EQ(whole.compare(plain.size(), 4, "ZBXT"), 0);
  scene.release();

  struct Case {
    const char* what;
    std::string bytes;
    bool read;
    uint32_t trackLength;
  };
  std::string later = whole;
  later[plain.size() + 4] = 2;  // a version this engine does not know
  std::string elsewhere = whole;
  elsewhere[plain.size() + 20] = 9;  // the track names an object the scene lacks
  std::string unknown = whole;
  unknown[plain.size() + 8] = 'X';  // a section a later engine may write
  const Case cases[] = {
      {"whole", whole, true, 61},
      {"cut in the track", whole.substr(0, whole.size() - 10), false, 0},
      {"later version", later, true, 0},
      {"unknown section", unknown, true, 0},
      {"object out of range", elsewhere, false, 0},
  };
  for (const Case& c : cases) {
    dir.Write("case.bin", c.bytes);
    Scene read;
    {
      QuietStdout quiet;
      EXPECT_EQ(file.readScene("case.bin", read), c.read) << c.what;
    }
    ASSERT_EQ(read.objectCount, 1u) << c.what;  // the plain scene before it is kept
    EXPECT_EQ(read.objects[0].motion.trackLength, c.trackLength) << c.what;
    read.release();
  }
}

}  // namespace

namespace {

// A triangle node (0) under a parent (1) with `lights` light nodes beside the triangle, the
// parent slid by one translation channel whose key times and values are given.
std::string SlidingGltf(const std::vector<float>& times, const std::vector<float>& places, int lights) {
  std::string children = "0";
  std::string nodes = "{\"mesh\":0}";
  for (int i = 0; i < lights; ++i) {
    children += "," + std::to_string(2 + i);
    nodes += ",{\"extensions\":{\"KHR_lights_punctual\":{\"light\":0}}}";
  }
  std::vector<float> data = {1, 0, 0, 0, 1, 0, 0, 0, -1};
  data.insert(data.end(), times.begin(), times.end());
  data.insert(data.end(), places.begin(), places.end());
  const std::string keys = std::to_string(times.size());
  return "{\"asset\":{\"version\":\"2.0\"},\"extensionsUsed\":[\"KHR_lights_punctual\"],"
         "\"extensions\":{\"KHR_lights_punctual\":{\"lights\":[{\"type\":\"point\"}]}},"
         "\"scenes\":[{\"nodes\":[1]}],\"nodes\":[" + nodes.substr(0, 10) + ",{\"children\":[" +
         children + "]}" + nodes.substr(10) + "],"
         "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0}}]}],"
         "\"animations\":[{\"channels\":[{\"sampler\":0,\"target\":{\"node\":1,\"path\":"
         "\"translation\"}}],\"samplers\":[{\"input\":1,\"output\":2}]}],"
         "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":3,\"type\":\"VEC3\"},"
         "{\"bufferView\":1,\"componentType\":5126,\"count\":" + keys + ",\"type\":\"SCALAR\"},"
         "{\"bufferView\":2,\"componentType\":5126,\"count\":" + keys + ",\"type\":\"VEC3\"}],"
         "\"bufferViews\":[{\"buffer\":0,\"byteLength\":36},{\"buffer\":0,\"byteOffset\":36,"
         "\"byteLength\":" + std::to_string(4 * times.size()) + "},{\"buffer\":0,\"byteOffset\":" +
         std::to_string(36 + 4 * times.size()) + ",\"byteLength\":" +
         std::to_string(12 * times.size()) + "}],"
         "\"buffers\":[{\"byteLength\":" + std::to_string(4 * data.size()) +
         ",\"uri\":\"data:application/octet-stream;base64," + Base64(data) + "\"}]}";
}

// n keys a millisecond apart.
std::vector<float> ManyKeys(size_t n) {
  std::vector<float> times(n);
  for (size_t k = 0; k < n; ++k) times[k] = static_cast<float>(k) / 1000;
  return times;
}

// Animations a file cannot mean: named, and the scene still sound and no longer than its keys.
TEST(ObjectMotion, ImpossibleKeysAreNamedAndTracksStayWithinTheScene) {
  const float nan = std::nanf("");
  const struct {
    const char* what;
    std::vector<float> times, places;
    int lights;
    const char* said;  // empty: converts without a word about keys
    int32_t lastFrame;
    uint32_t trackedLights;
  } cases[] = {
      {"sound keys", {0, 1}, {0, 0, 0, 1, 0, 0}, 0, "", 30, 0},
      {"a key at 1e38 s", {0, 1e38f}, {0, 0, 0, 1, 0, 0}, 0, "outside the first hour", 0, 0},
      {"a key time that is not a number", {0, nan}, {0, 0, 0, 1, 0, 0}, 0, "not all numbers", 0, 0},
      {"a value that is not a number", {0, 1}, {0, 0, 0, nan, 0, 0}, 0, "values are not all numbers", 0, 0},
      {"keys out of order", {1, 0}, {0, 0, 0, 1, 0, 0}, 0, "not in order", 0, 0},
      // A key every millisecond for a minute: each frame finds its keys by halving.
      {"60,000 keys", ManyKeys(60000), std::vector<float>(3 * 60000, 1.0f), 0, "", 1800, 0},
      // Only the lights that are lit follow their parent.
      {"seven lights under a moving parent", {0, 1}, {0, 0, 0, 1, 0, 0}, 7, "after the sixth", 30, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.Write("escenas/keys.gltf", SlidingGltf(c.times, c.places, c.lights));
    const ToolRun run = RunTool(dir.path, "convert", "--quiet keys");
    ASSERT_EQ(run.status, 0) << run.output;
    if (*c.said) {
      EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
    }
    Scene scene;
    {
      QuietStdout quiet;
      ASSERT_TRUE(SceneBinaryFile().readScene("escenas_bin\\keys.bin", scene));
    }
    EXPECT_EQ(scene.params.lastFrame, c.lastFrame);
    uint32_t tracked = 0;
    for (uint32_t i = 0; i < scene.lightCount; ++i) tracked += scene.lights[i].trackLength > 0;
    EXPECT_EQ(tracked, c.trackedLights);
    EXPECT_EQ(scene.objects[0].motion.trackLength, c.lastFrame > 0 ? uint32_t(c.lastFrame) + 1 : 0u);
    scene.release();
  }
}

}  // namespace
