// Hostile scene files: each ends in one clear line that names the file, and the binary scene
// converted before stays as it was; what a reader cannot bound converts in bounded time.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "driver/ContentCheck.h"
#include "driver/ContentManifest.h"
#include "driver/ConvertScene.h"
#include "platform/Files.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "support/QuietStdout.h"
#include "support/TempDir.h"

namespace {

// A triangle with normals, a camera and a point light; its buffer in tri.bin.
const char kTriangle[] =
    "{\"asset\":{\"version\":\"2.0\"},\"scenes\":[{\"nodes\":[0,1,2]}],"
    "\"extensionsUsed\":[\"KHR_lights_punctual\"],\"extensions\":{\"KHR_lights_punctual\":"
    "{\"lights\":[{\"type\":\"point\",\"color\":[1,1,1]}]}},"
    "\"nodes\":[{\"mesh\":0,\"translation\":[0,0,0]},{\"camera\":0,\"translation\":[0,0,5]},"
    "{\"extensions\":{\"KHR_lights_punctual\":{\"light\":0}}}],"
    "\"cameras\":[{\"type\":\"perspective\",\"perspective\":{\"yfov\":0.8,\"znear\":0.1}}],"
    "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0,\"NORMAL\":1}}]}],"
    "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":3,\"type\":\"VEC3\"},"
    "{\"bufferView\":1,\"componentType\":5126,\"count\":3,\"type\":\"VEC3\"}],"
    "\"bufferViews\":[{\"buffer\":0,\"byteLength\":36},"
    "{\"buffer\":0,\"byteOffset\":36,\"byteLength\":36}],"
    "\"buffers\":[{\"byteLength\":72,\"uri\":\"tri.bin\"}]}";

// tri.bin: three positions, then three normals; one number may be spoilt.
std::string TriangleBuffer(int spoilt = -1, float value = 0) {
  float numbers[18] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1};
  if (spoilt >= 0) numbers[spoilt] = value;
  return std::string(reinterpret_cast<const char*>(numbers), sizeof numbers);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string DataFile(const char* relative) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(ReadWholeFile((std::string(ZB_SOURCE_DIR) + "/" + relative).c_str(),
                            ReadLimit::kAny, bytes));
  return std::string(bytes.begin(), bytes.end());
}

// Converts escenas/<name>.<kind>; returns what it printed, and whether it converted.
std::string ConvertLog(const char* name, bool& converted) {
  testing::internal::CaptureStdout();
  converted = ConvertSceneFromAse(name);
  return testing::internal::GetCapturedStdout();
}

TEST(ImportLimits, ImpossibleOrUnboundedFilesAreRefusedByName) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::string camera = DataFile("tests/data/ase/assimp_TargetCameraAnim.ase");
  const struct Row {
    const char* file;
    std::string text;
    std::string buffer;
    const char* says;
  } rows[] = {
      // Numbers nothing can draw, from the buffer and from the JSON.
      {"escenas/roto.gltf", kTriangle, TriangleBuffer(1, nan), "vertex 0: position nan"},
      {"escenas/roto.gltf", kTriangle, TriangleBuffer(10, inf), "normals are not all finite"},
      {"escenas/roto.gltf", Replaced(kTriangle, "[0,0,0]", "[0,1e400,0]"), TriangleBuffer(),
       "number overflow parsing '1e400'"},
      {"escenas/roto.gltf", Replaced(kTriangle, "[0,0,0]", "[0,1e300,0]"), TriangleBuffer(),
       "has a node (0) whose transform holds 1e+300, beyond a float's range"},
      {"escenas/roto.gltf", Replaced(kTriangle, "0.8", "0"), TriangleBuffer(),
       "camera 0: field of view 0"},
      {"escenas/roto.gltf", Replaced(kTriangle, "0.8", "-1"), TriangleBuffer(),
       "camera 0: field of view -57.2958"},
      {"escenas/roto.gltf", Replaced(kTriangle, "0.8", "1e30"), TriangleBuffer(),
       "camera 0: field of view 5.72958e+31"},
      {"escenas/roto.gltf", Replaced(kTriangle, "\"color\":[1,1,1]", "\"color\":[1e300,1,1]"),
       TriangleBuffer(), "light 0: colour inf"},
      {"escenas/roto.ase", Replaced(camera, "*TM_POS 14.4292\t28.2159", "*TM_POS 14.4292\tnan"),
       "", "target nan"},
      {"escenas/roto.ase", Replaced(camera, "*CAMERA_FOV 0.7854", "*CAMERA_FOV -1"), "",
       "field of view -57.2"},
      // Byte counts tinygltf would take as 0, and the first binary glTF.
      {"escenas/roto.gltf", Replaced(kTriangle, "\"byteOffset\":36", "\"byteOffset\":-4"),
       TriangleBuffer(), "has a byteOffset of -4, not a whole number of bytes"},
      {"escenas/roto.gltf",
       Replaced(kTriangle, "\"byteLength\":36}", "\"byteLength\":36,\"byteStride\":-12}"),
       TriangleBuffer(), "has a byteStride of -12, not a whole number of bytes"},
      {"escenas/roto.gltf", Replaced(kTriangle, "\"byteOffset\":36", "\"byteOffset\":3.6e1"),
       TriangleBuffer(), "has a byteOffset of 3.6e1"},
      {"escenas/roto.glb", std::string("glTF\x01\0\0\0\x20\0\0\0", 12) + kTriangle, "",
       "is a binary glTF of version 1: only 2 is read"},
      // OBJ numbers its reader would take as 0, and an index that would wrap to another vertex.
      {"escenas/roto.obj", "v 0 0 0\nv 1 0 0\nv nan 1 0\nf 1 2 3\n", "",
       "line 3: the coordinate nan is not a number"},
      {"escenas/roto.obj", "v 0 0 0\nv 1 0 0\nvn 0 0 -inf\nv 0 1 0\nf 1 2 3\n", "",
       "line 3: the coordinate -inf is not a number"},
      {"escenas/roto.obj", "v 0 0 0\nv 1 0 0\nv 0 1e999 0\nf 1 2 3\n", "", "position inf"},
      {"escenas/roto.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 99999999999999999999\n", "",
       "line 4: the index 99999999999999999999 lies beyond any vertex"},
      {"escenas/roto.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/4294967297 2 3\n", "",
       "the index 1/4294967297 lies beyond"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.says);
    TempDir dir;
    dir.Write(row.file, row.text);
    if (!row.buffer.empty()) dir.Write("escenas/tri.bin", row.buffer);
    dir.Write("escenas_bin/roto.bin", "old");
    bool converted = true;
    const std::string log = ConvertLog("roto", converted);
    EXPECT_FALSE(converted);
    EXPECT_EQ(dir.Read("escenas_bin/roto.bin"), "old");
    const std::string path = "escenas\\" + std::string(row.file + 8);
    EXPECT_NE(log.find("[ " + path + " ] "), std::string::npos) << log;
    EXPECT_NE(log.find(row.says), std::string::npos) << log;
  }
  // The files spoilt above convert as they were.
  for (const char* kind : {".gltf", ".ase"}) {
    TempDir dir;
    dir.Write("escenas/bien" + std::string(kind), kind[1] == 'g' ? kTriangle : camera);
    dir.Write("escenas/tri.bin", TriangleBuffer());
    bool converted = false;
    const std::string log = ConvertLog("bien", converted);
    EXPECT_TRUE(converted) << log;
  }
}

// A binary scene written before the converter looked for impossible numbers, or by hand: the
// check names the first of them instead of calling the scene clean.
TEST(ImportLimits, CheckNamesAnImpossibleNumberOfABinaryScene) {
  TempDir dir;
  dir.Write("escenas/tri.gltf", kTriangle);
  dir.Write("escenas/tri.bin", TriangleBuffer());
  bool converted = false;
  ConvertLog("tri", converted);
  ASSERT_TRUE(converted);
  ContentManifest manifest;
  manifest.scenes.push_back({"tri"});
  manifest.scenes[0].line = 3;
  for (const bool spoilt : {false, true}) {
    if (spoilt) {
      QuietStdout quiet;
      Scene scene;
      SceneBinaryFile().readScene("escenas_bin\\tri.bin", scene);
      scene.lights[0].frame.color[1] = std::numeric_limits<float>::infinity();
      SceneBinaryFile().writeScene("escenas_bin\\tri.bin", scene);
      scene.release();
    }
    ScriptTargets targets;
    std::vector<std::string> findings;
    {
      QuietStdout quiet;
      CheckContentFiles(manifest, false, targets, findings);
    }
    std::string all;
    for (const std::string& finding : findings) all += finding + "\n";
    EXPECT_EQ(all.find(":3: escenas_bin\\tri.bin: holds a number nothing can draw: "
                       "light 0: colour inf") != std::string::npos,
              spoilt)
        << all;
  }
}

// JSON read whole costs about five times its size: a text of more than 64 MB is refused before
// it is parsed. The file is sparse: it costs no disk.
TEST(ImportLimits, JsonTextOverItsLimitIsRefusedUnparsed) {
  TempDir dir;
  dir.Write("escenas/enorme.gltf", "{");
  std::filesystem::resize_file(dir.path + "/escenas/enorme.gltf", (64u << 20) + 1);
  bool converted = true;
  const auto start = std::chrono::steady_clock::now();
  const std::string log = ConvertLog("enorme", converted);
  EXPECT_FALSE(converted);
  EXPECT_NE(log.find("[ escenas\\enorme.gltf ] holds 64 MB of JSON text, more than the 64 MB"),
            std::string::npos)
      << log;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// A face of 100,000 corners was cut ear by ear in time growing with their square (minutes); it is
// now cut as a fan, and a file without such a face is cut as before.
TEST(ImportLimits, HugeObjFaceIsCutAsAFanInLinearTime) {
  const struct {
    int corners;
    uint32_t triangles;
  } cases[] = {{100000, 99998}, {5, 3}};
  for (const auto& c : cases) {
    TempDir dir;
    std::string text, face = "f";
    for (int i = 0; i < c.corners; ++i) {
      const double angle = 2 * 3.14159265358979 * i / c.corners;
      text += "v " + std::to_string(std::cos(angle)) + " " + std::to_string(std::sin(angle)) +
              " 0\n";
      face += " " + std::to_string(i + 1);
    }
    dir.Write("escenas/rueda.obj", text + face + "\n");
    const auto start = std::chrono::steady_clock::now();
    bool converted = false;
    const std::string log = ConvertLog("rueda", converted);
    ASSERT_TRUE(converted) << log;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(log.find("cut as a fan") != std::string::npos, c.corners > 64) << log;
    Scene scene;
    {
      QuietStdout quiet;
      SceneBinaryFile().readScene("escenas_bin\\rueda.bin", scene);
    }
    ASSERT_EQ(scene.objectCount, 1u);
    EXPECT_EQ(scene.objects[0].faceCount, c.triangles);
    scene.release();
  }
}

}  // namespace
