#include <gtest/gtest.h>

#include <string>

#include "support/BoxRecorder.h"
#include "SceneFileBytes.h"
#include "SceneSamples.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "support/TempDir.h"

namespace {

std::string Write(const TempDir& dir, const Scene& scene, const char* path = "escena.bin") {
  SceneBinaryFile file;
  file.writeScene(path, scene);
  return dir.Read(path);
}

// A scene with one of every record, small enough to spell out byte by byte.
void BuildSmallScene(Scene& scene) {
  SceneParams params;
  params.frameSpeed = 25;
  params.fogEnd = 3500;
  params.fogStart = 800;
  params.fogEnabled = true;
  scene.setParams(params);

  scene.setupObjects(1);
  SceneObject object;
  object.setupVertices(2);
  object.setVertex(0, Vertex{{1, 0, 0}});
  object.setVertex(1, Vertex{{2, 0, 0}});
  object.setupFaces(1);
  Face face;
  face.index[0] = 1;
  face.index[2] = 1;
  for (int k = 0; k < 3; ++k) face.vertex[k] = &object.vertexRef(face.index[k]);
  face.faceNormal[2] = 1;
  face.cornerNormal[1][0] = -1;
  object.setFace(0, face);
  object.setupTexVertices(1);
  object.setTexVertex(0, TexVertex{0.5f, 0.25f});
  object.setupTexFaces(1);
  TexFace texFace;
  for (int k = 0; k < 3; ++k) texFace.texVertex[k] = &object.texVertexRef(0);
  object.setTexFace(0, texFace);
  object.setMaterialIndex(0);
  scene.setObject(0, object);

  scene.setupCameras(1);
  SceneCamera camera;
  CameraFrame frame;
  frame.fov = 60;
  camera.setFrame(frame);  // filled false
  camera.setupTrack(1);    // one sample, constructed
  scene.setCamera(0, camera);

  scene.setupMaterials(1);
  Material material;
  MaterialHeader header;
  header.index = 4;
  header.ambient[3] = 1;
  header.twoSided = true;
  header.mapCount = 2;
  header.shine = 0.5f;
  material.setHeader(header);
  TextureMap first;
  first.setBitmap("textures\\a.jpg");
  first.uTiling = 1;
  first.vTiling = 2;
  material.setMap(0, first);
  TextureMap second;
  second.setBitmap("b.jpg");
  second.spherical = true;
  material.setMap(1, second);
  scene.setMaterial(0, material);

  scene.setupLights(1);
  SceneLight light;
  LightFrame lightFrame;
  lightFrame.lightNumber = 2;
  lightFrame.color[0] = 1;
  light.setFrame(lightFrame);
  light.setHasFlare(true);
  light.setupTrack(1);
  LightFrame sample;
  sample.position[1] = 9;
  light.setSample(0, sample);
  scene.setLight(0, light);
}

Bytes SmallSceneBytes() {
  Bytes b;
  // Header: fogEnd comes before fogStart; fogEnabled is one byte and three of padding.
  b.i32(0).i32(25).i32(0).zeros(12 + 12 + 16).f32(0).f32(3500).f32(800).u8(1).zeros(3);
  // Object: vertices, faces, then texture vertices and texture faces, then the material.
  b.u32(1).u32(2);
  for (float x : {1.0f, 2.0f}) b.f32(x).zeros(8).zeros(12).f32(1).zeros(12 + 8).i32(0);
  b.u32(1).u32(1).u32(0).u32(1).zeros(12).zeros(8).f32(1).zeros(12).f32(-1).zeros(8 + 12);
  b.u32(1).f32(0.5f).f32(0.25f);
  b.u32(1).zeros(12).zeros(12);
  b.i32(0);
  // Cameras come before materials.
  b.u32(1).zeros(24).f32(60).u8(0).zeros(3).u32(1).zeros(28).u8(0).zeros(3);
  b.u32(1).i32(4).zeros(12).f32(1).zeros(16 + 16 + 12).u8(1).zeros(3).u32(2).f32(0.5f);
  b.path("textures\\a.jpg").u8(0).f32(1).f32(2).f32(0).f32(0);
  b.path("b.jpg").u8(1).zeros(16);
  b.u32(1).i32(2).f32(1).zeros(12).zeros(16).u8(1).u32(1);
  b.i32(0).zeros(16).f32(0).f32(9).zeros(8);
  return b;
}

TEST(BinarySceneFormat, EmptySceneIs84BytesAndReadsBackWithoutObjects) {
  BoxRecorder boxes;
  TempDir dir;
  Scene scene;
  SceneParams params;
  params.lastFrame = -3;
  params.ticksPerFrame = 160;
  params.fogColor[3] = 0.75f;
  params.fogStart = 800;
  scene.setParams(params);
  const std::string bytes = Write(dir, scene);
  ASSERT_EQ(bytes.size(), 84u);
  EXPECT_EQ(static_cast<int32_t>(U32At(bytes, 0)), -3);
  EXPECT_EQ(U32At(bytes, 8), 160u);
  EXPECT_EQ(F32At(bytes, 48), 0.75f);
  EXPECT_EQ(F32At(bytes, 60), 800.0f);
  for (size_t offset = 68; offset < 84; offset += 4) EXPECT_EQ(U32At(bytes, offset), 0u);

  Scene loaded;
  SceneBinaryFile().readScene("escena.bin", loaded);
  EXPECT_FALSE(loaded.objectsReady);
  EXPECT_TRUE(loaded.camerasReady && loaded.materialsReady && loaded.lightsReady);
  EXPECT_EQ(loaded.cameraCount + loaded.materialCount + loaded.lightCount, 0u);
  EXPECT_EQ(loaded.params.lastFrame, -3);
  EXPECT_EQ(loaded.params.fogColor[3], 0.75f);
  loaded.release();
  EXPECT_EQ(boxes.Take(), "");
}

TEST(BinarySceneFormat, WriterProducesTheRecordsByteForByte) {
  BoxRecorder boxes;
  TempDir dir;
  Scene scene;
  BuildSmallScene(scene);
  const std::string bytes = Write(dir, scene);
  const Bytes expected = SmallSceneBytes();
  ASSERT_EQ(bytes.size(), expected.size());
  for (size_t i = 0; i < bytes.size(); ++i)
    ASSERT_EQ(static_cast<uint8_t>(bytes[i]), static_cast<uint8_t>(expected.data[i])) << "byte " << i;

  // The material with two maps is 76 + 2 x 272 bytes; the light block that ends the file is
  // 36 + 1 + 4 + 36 bytes, its trackLength at the odd offset 37 within the block.
  const size_t lightBlock = bytes.size() - 77;
  EXPECT_EQ(U32At(bytes, lightBlock - 4), 1u);              // light count
  EXPECT_EQ(U32At(bytes, lightBlock - 4 - 620), 4u);        // the material's header index
  EXPECT_EQ(U32At(bytes, lightBlock - 4 - 620 - 4), 1u);    // material count
  EXPECT_EQ(U32At(bytes, lightBlock + 37), 1u);
  EXPECT_EQ(bytes[lightBlock + 36], 1);
  scene.release();
  EXPECT_EQ(boxes.Take(), "");
}

TEST(BinarySceneFormat, ReaderRebuildsReferencesAndKeepsMaterialsInFileOrder) {
  BoxRecorder boxes;
  TempDir dir;
  Bytes b;
  Header(b, 30);
  b.u32(1);  // one object
  b.u32(3);
  for (float x : {10.0f, 11.0f, 12.0f}) VertexRecord(b, x);
  b.u32(1).u32(2).u32(0).u32(1).fill(12, '\xAB').zeros(48);  // garbage in the reference places
  b.u32(2).f32(0.1f).f32(0.2f).f32(0.3f).f32(0.4f);
  b.u32(1).u32(1).u32(0).u32(1).fill(12, '\xCD');
  b.i32(1);
  b.u32(0);  // no cameras
  b.u32(2);  // materials with header indices 7 and 2
  b.i32(7).zeros(64).u32(0).f32(0);
  b.i32(2).zeros(64).u32(1).f32(0);
  b.data += "tex.jpg";
  b.u8(0).fill(255 - 8, 'z').u8(1).f32(1).f32(1).f32(0).f32(0);  // bytes after the NUL ignored
  b.u32(1).i32(0).zeros(32).u8(5).u32(0);  // a flare flag of 5 means true
  dir.Write("hecho.bin", b.data);

  Scene scene;
  SceneBinaryFile().readScene("hecho.bin", scene);
  ASSERT_EQ(scene.objectCount, 1u);
  SceneObject& object = scene.objects[0];
  const Face face = object.getFace(0);
  EXPECT_EQ(face.vertex[0], &object.vertices[2]);
  EXPECT_EQ(face.vertex[1], &object.vertices[0]);
  EXPECT_EQ(face.vertex[2], &object.vertices[1]);
  EXPECT_EQ(face.vertex[0]->position[0], 12.0f);
  EXPECT_EQ(object.getTexFace(0).texVertex[0], &object.texVertices[1]);
  EXPECT_EQ(object.materialIndex, 1);
  ASSERT_EQ(scene.materialCount, 2u);
  EXPECT_EQ(scene.materials[0].header.index, 7);
  EXPECT_EQ(scene.materials[1].header.index, 2);
  EXPECT_STREQ(scene.materials[1].maps[0].bitmap, "tex.jpg");
  EXPECT_TRUE(scene.materials[1].maps[0].spherical);
  ASSERT_EQ(scene.lightCount, 1u);
  EXPECT_TRUE(scene.lights[0].hasFlare);
  EXPECT_EQ(scene.lights[0].trackLength, 0u);
  ExpectSound(scene);
  scene.release();
  EXPECT_EQ(boxes.Take(), "");
}

TEST(BinarySceneFormat, RoundTripKeepsEveryStoredFieldAndNothingElse) {
  BoxRecorder boxes;
  TempDir dir;
  Scene original;
  BuildRichScene(original);
  const std::string first = Write(dir, original, "primera.bin");
  Scene loaded;
  SceneBinaryFile().readScene("primera.bin", loaded);
  // Every field holds a value of its own and the writer's bytes are checked above, so a second
  // write equal to the first shows that the reader kept every stored field in its place.
  EXPECT_EQ(Write(dir, loaded, "segunda.bin"), first);
  ExpectSound(loaded);
  EXPECT_EQ(loaded.params.fogEnd, original.params.fogEnd);
  EXPECT_EQ(loaded.objects[0].vertices[2].normalCount, 9);
  EXPECT_EQ(loaded.cameras[0].track[2].fov, original.cameras[0].track[2].fov);
  EXPECT_EQ(loaded.lights[0].track[1].position[3], original.lights[0].track[1].position[3]);
  EXPECT_STREQ(loaded.materials[2].maps[1].bitmap, "C:\\modelos\\tex\\cromo.jpg");

  // The object written without faces and texture arrays comes back with them set up, empty.
  const SceneObject& second = loaded.objects[1];
  EXPECT_TRUE(second.facesReady && second.texVerticesReady && second.texFacesReady);
  EXPECT_EQ(second.faceCount + second.texVertexCount + second.texFaceCount, 0u);
  // What the file does not keep has its initial value; the written scene is left as it was.
  EXPECT_STREQ(loaded.objects[0].name, "");
  EXPECT_EQ(loaded.objects[0].material, nullptr);
  EXPECT_EQ(loaded.materials[2].maps[0].texture, 0u);
  EXPECT_EQ(loaded.lights[0].flareTexture, 0u);
  EXPECT_STREQ(loaded.lights[0].flareBitmap, "");
  EXPECT_STREQ(original.objects[0].name, "caja");
  EXPECT_EQ(original.materials[2].maps[1].texture, 77u);

  original.release();
  loaded.release();
  EXPECT_EQ(boxes.Take(), "");
}

TEST(BinarySceneFormat, WriteReplacesAnExistingLongerFileWhole) {
  TempDir dir;
  dir.Write("escena.bin", std::string(5000, 'x'));
  Scene scene;
  EXPECT_EQ(Write(dir, scene).size(), 84u);
}

TEST(BinarySceneFormat, LogLinesOfAWriteAndARead) {
  BoxRecorder boxes;
  TempDir dir;
  Scene scene;
  BuildSmallScene(scene);
  ::testing::internal::CaptureStdout();
  SceneBinaryFile file;
  EXPECT_FALSE(file.writeScene("escenas_bin\\small.bin", scene));
  std::fflush(stdout);
  const std::string written = ::testing::internal::GetCapturedStdout();
  const std::string b = "[BIN IMPORTER/EXPORTER v0.8beta] - ";
  // The folder does not exist: the write says so and nothing else is logged.
  EXPECT_EQ(written, b + "ERROR: cannot create the file [ escenas_bin\\small.bin ]; the scene is not "
                         "written.\n");

  dir.Write("escenas_bin/.keep", "");
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(file.writeScene("escenas_bin\\small.bin", scene));
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            b + "Escribiendo cabecera de escena.\n" + b + "Escribiendo 1 objetos.\n" + b +
                "Escribiendo objeto [ 0 ]\n" + b + "Escribiendo 1 camaras.\n" + b +
                "Escribiendo camara [ 0 ]\n" + b + "Escribiendo 1 materiales.\n" + b +
                "Escribiendo material [ 0 ]\n" + b +
                "Escribiendo material [ 0 ] - Textura [ 0 ] [ textures\\a.jpg ]\n" + b +
                "Escribiendo material [ 0 ] - Textura [ 1 ] [ b.jpg ]\n" + b +
                "Escribiendo 1 luces.\n" + b + "Escribiendo luz [ 0 ].\n");

  Scene loaded;
  ::testing::internal::CaptureStdout();
  file.readScene("ESCENAS_BIN\\SMALL.BIN", loaded);
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            b + "Abriendo fichero BINARIO [ ESCENAS_BIN\\SMALL.BIN ] para lectura.\n" + b +
                "Cargando 1 objetos.\n" + b + "Cargando 1 camaras.\n" + b +
                "Cargando 1 materiales.\n" + b + "Cargando 1 luces.\n");
  EXPECT_EQ(file.file, nullptr);
  scene.release();
  loaded.release();
  EXPECT_EQ(boxes.Take(), "");
}

}  // namespace
