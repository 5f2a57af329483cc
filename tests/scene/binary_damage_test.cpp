// Damaged binary scene files: the format has no checks of its own, so every fault must end the
// read safely with one log line, and the scene must keep only what was read whole.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "support/BoxRecorder.h"
#include "SceneFileBytes.h"
#include "SceneSamples.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "support/TempDir.h"

namespace {

size_t CountOf(const std::string& text, const std::string& piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

// Reads path into scene and returns what the reader logged.
std::string ReadLogged(const char* path, Scene& scene) {
  ::testing::internal::CaptureStdout();
  SceneBinaryFile().readScene(path, scene);
  std::fflush(stdout);
  return ::testing::internal::GetCapturedStdout();
}

std::string ValidFile(const TempDir& dir) {
  Scene scene;
  BuildRichScene(scene);
  ::testing::internal::CaptureStdout();
  SceneBinaryFile().writeScene("valida.bin", scene);
  ::testing::internal::GetCapturedStdout();
  scene.release();
  return dir.Read("valida.bin");
}

// Elements kept from a damaged file are the file's first elements, whole.
void ExpectPrefixOf(const Scene& original, const Scene& loaded) {
  ASSERT_LE(loaded.objectCount, original.objectCount);
  ASSERT_LE(loaded.cameraCount, original.cameraCount);
  ASSERT_LE(loaded.materialCount, original.materialCount);
  ASSERT_LE(loaded.lightCount, original.lightCount);
  for (uint32_t i = 0; i < loaded.objectCount; ++i)
    EXPECT_EQ(loaded.objects[i].texFaceCount, original.objects[i].texFaceCount);
  for (uint32_t i = 0; i < loaded.cameraCount; ++i)
    EXPECT_EQ(loaded.cameras[i].trackLength, original.cameras[i].trackLength);
  for (uint32_t i = 0; i < loaded.lightCount; ++i)
    EXPECT_EQ(loaded.lights[i].trackLength, original.lights[i].trackLength);
}

TEST(BinarySceneDamage, MissingFileIsLoggedAndLeavesTheSceneEmpty) {
  BoxRecorder boxes;
  TempDir dir;
  Scene scene;
  const std::string log = ReadLogged("escenas_bin\\nada.bin", scene);
  EXPECT_EQ(CountOf(log, "ERROR"), 1u) << log;
  EXPECT_NE(log.find("ERROR: cannot open the file [ escenas_bin\\nada.bin ]"),
            std::string::npos)
      << log;
  EXPECT_FALSE(scene.objectsReady || scene.materialsReady || scene.camerasReady ||
               scene.lightsReady);
  EXPECT_EQ(boxes.Take(), "");
}

// Each damaged variant gets a file of its own: replacing one file over and over costs a disk
// flush per write on some file systems.
TEST(BinarySceneDamage, EveryTruncationKeepsAWholePrefixAndSaysWhereTheFileEnds) {
  BoxRecorder boxes;
  TempDir dir;
  const std::string valid = ValidFile(dir);
  Scene original;
  BuildRichScene(original);
  ::testing::internal::CaptureStdout();
  for (size_t length = 0; length < valid.size(); ++length) {
    SCOPED_TRACE(::testing::Message() << "length " << length);
    const std::string name = "corta" + std::to_string(length) + ".bin";
    dir.Write(name, valid.substr(0, length));
    Scene scene;
    SceneBinaryFile().readScene(name.c_str(), scene);
    ExpectSound(scene);
    ExpectPrefixOf(original, scene);
    // The sections a short file never reached are still set up, empty.
    EXPECT_TRUE(scene.camerasReady && scene.materialsReady && scene.lightsReady);
    scene.release();
    if (::testing::Test::HasFailure()) break;
  }
  std::fflush(stdout);
  const std::string log = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(CountOf(log, "ERROR"), valid.size());
  for (size_t length = 0; length < valid.size(); ++length)
    ASSERT_EQ(CountOf(log, "ERROR in [ corta" + std::to_string(length) + ".bin ]: "), 1u)
        << length;
  original.release();
  EXPECT_EQ(boxes.Take(), "");
}

// Every byte gets one flipped bit and, in a second file, all ones (the worst count).
TEST(BinarySceneDamage, DamagedBytesNeverBreakTheReader) {
  BoxRecorder boxes;
  TempDir dir;
  const std::string valid = ValidFile(dir);
  ::testing::internal::CaptureStdout();
  for (size_t at = 0; at < valid.size() && !::testing::Test::HasFailure(); ++at)
    for (int variant = 0; variant < 2; ++variant) {
      SCOPED_TRACE(::testing::Message() << "byte " << at << " variant " << variant);
      std::string damaged = valid;
      damaged[at] = variant == 0 ? static_cast<char>(damaged[at] ^ (1 << (at % 8))) : '\xFF';
      const std::string name = "rota" + std::to_string(at) + "_" + std::to_string(variant) + ".bin";
      dir.Write(name, damaged);
      Scene scene;
      SceneBinaryFile().readScene(name.c_str(), scene);
      ExpectSound(scene);
      scene.release();
    }
  std::fflush(stdout);
  const std::string log = ::testing::internal::GetCapturedStdout();
  EXPECT_LE(CountOf(log, "ERROR"), 2 * valid.size());
  EXPECT_EQ(boxes.Take(), "");
}

struct Damage {
  const char* name;
  std::function<void(Bytes&)> body;  // everything after the header
  const char* logged;                // the fault as the log names it
  std::function<void(const Scene&)> check;
};

void OneGoodObject(Bytes& b) {
  b.u32(3);
  for (float x : {1.0f, 2.0f, 3.0f}) VertexRecord(b, x);
  b.u32(1).u32(0).u32(1).u32(2).zeros(60);
  b.u32(1).zeros(8);
  b.u32(1).zeros(24);
  b.i32(0);
}

void OneGoodMaterial(Bytes& b) { b.i32(0).zeros(64).u32(1).f32(0).path("bien.jpg").zeros(17); }

std::vector<Damage> Damages() {
  return {
      {"an object count no file could hold",
       [](Bytes& b) { b.u32(0xFFFFFFFFu).zeros(100); },
       "the object section announces 4294967295 elements of 20 bytes",
       [](const Scene& s) { EXPECT_FALSE(s.objectsReady); }},
      {"a vertex count beyond the file",
       [](Bytes& b) {
         b.u32(2);
         OneGoodObject(b);
         b.u32(0x7FFFFFFFu).zeros(40);
       },
       "object 1 announces 2147483647 elements of 52 bytes",
       [](const Scene& s) {
         EXPECT_EQ(s.objectCount, 1u);
         EXPECT_EQ(s.objects[0].vertexCount, 3u);
       }},
      {"a face index outside the vertices",
       [](Bytes& b) {
         b.u32(2);
         OneGoodObject(b);
         b.u32(3);
         for (float x : {1.0f, 2.0f, 3.0f}) VertexRecord(b, x);
         b.u32(1).u32(0).u32(5).u32(2).zeros(60);
         b.u32(0).u32(0).i32(0);
       },
       "face 0 of object 1 uses vertex 5 and the object has 3",
       [](const Scene& s) { EXPECT_EQ(s.objectCount, 1u); }},
      {"a texture face index outside the texture vertices",
       [](Bytes& b) {
         b.u32(1).u32(0).u32(0).u32(2).zeros(16).u32(1).u32(1).u32(0).u32(2).zeros(12).i32(0);
       },
       "texture face 0 of object 0 uses texture vertex 2 and the object has 2",
       [](const Scene& s) { EXPECT_EQ(s.objectCount, 0u); }},
      {"a camera track beyond the file",
       [](Bytes& b) { b.u32(0).u32(1).zeros(32).u32(1000); },
       "camera 0 announces 1000 elements of 32 bytes",
       [](const Scene& s) {
         EXPECT_TRUE(s.camerasReady);
         EXPECT_EQ(s.cameraCount, 0u);
       }},
      {"three maps in one material",
       [](Bytes& b) {
         b.u32(0).u32(0).u32(2);
         OneGoodMaterial(b);
         b.i32(1).zeros(64).u32(3).f32(0).zeros(3 * 272);
       },
       "material 1 announces 3 textures and takes 2 at most",
       [](const Scene& s) {
         EXPECT_EQ(s.materialCount, 1u);
         EXPECT_STREQ(s.materials[0].maps[0].bitmap, "bien.jpg");
         EXPECT_TRUE(s.lightsReady);
       }},
      {"a map path without its NUL",
       [](Bytes& b) { b.u32(0).u32(0).u32(1).i32(0).zeros(64).u32(1).f32(0).fill(272, 'x'); },
       "the path of texture 0 of material 0 does not end in NUL",
       [](const Scene& s) { EXPECT_EQ(s.materialCount, 0u); }},
      {"a light cut inside its flag and track length",
       [](Bytes& b) {
         b.u32(0).u32(0).u32(0).u32(2);
         b.i32(0).zeros(32).u8(1).u32(1).i32(0).zeros(32);  // whole, with one sample
         b.i32(1).zeros(32).u8(1).u8(0);
       },
       "the file ends at byte 199, in light 1",
       [](const Scene& s) {
         EXPECT_EQ(s.lightCount, 1u);
         EXPECT_TRUE(s.lights[0].hasFlare);
       }},
  };
}

TEST(BinarySceneDamage, EachFaultIsNamedOnceAndTheSceneKeepsWhatCameBefore) {
  BoxRecorder boxes;
  TempDir dir;
  for (const Damage& damage : Damages()) {
    SCOPED_TRACE(damage.name);
    Bytes b;
    Header(b);
    damage.body(b);
    dir.Write("mala.bin", b.data);
    Scene scene;
    const std::string log = ReadLogged("mala.bin", scene);
    EXPECT_EQ(CountOf(log, "ERROR in [ mala.bin ]: "), 1u) << log;
    EXPECT_EQ(CountOf(log, damage.logged), 1u) << log;
    damage.check(scene);
    ExpectSound(scene);
    scene.release();
    EXPECT_EQ(boxes.Take(), "");  // in particular no allocation failed
  }
}

TEST(BinarySceneDamage, TrailingBytesAreReportedAndIgnored) {
  TempDir dir;
  dir.Write("larga.bin", ValidFile(dir) + "sobra");
  Scene scene;
  const std::string log = ReadLogged("larga.bin", scene);
  EXPECT_EQ(CountOf(log, "ERROR"), 0u) << log;
  EXPECT_EQ(CountOf(log, "WARNING: [ larga.bin ] has 5 bytes too many"), 1u) << log;
  EXPECT_EQ(scene.lightCount, 2u);
  scene.release();
}

TEST(BinarySceneDamage, ReadIntoASceneAlreadySetUpStaysWithinItsArrays) {
  BoxRecorder boxes;
  TempDir dir;
  ValidFile(dir);
  Scene scene;
  scene.setupCameras(1);
  ReadLogged("valida.bin", scene);
  EXPECT_EQ(boxes.Take(), BoxLine("Vector de camaras iniciado para esta escena.", "Atencion") +
                              BoxLine("Acceso fuera del vector IMPEDIDO", "Error de acceso"));
  EXPECT_EQ(scene.cameraCount, 1u);
  EXPECT_EQ(scene.cameras[0].trackLength, 3u);
  EXPECT_EQ(scene.objectCount, 2u);
  scene.release();
}

}  // namespace
