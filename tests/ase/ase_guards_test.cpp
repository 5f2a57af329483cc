// Damaged and unusual input: the reader stops at the end of the file keeping what it read,
// never writes outside an array, and keeps every index inside its array.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "AseTestSupport.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"
#include "support/TempDir.h"

namespace {

TEST(AseEndOfFile, InsideEveryBlockKeepsWhatWasRead) {
  BoxRecorder boxes;
  Loaded mesh("*GEOMOBJECT {\n *MESH {\n  *MESH_NUMVERTEX 3\n  *MESH_VERTEX 0 1 2 3\n  *MESH_VERTEX 1 4 5");
  ASSERT_EQ(mesh.scene.objectCount, 1u);
  EXPECT_EQ(mesh.scene.objects[0].vertexCount, 3u);
  EXPECT_EQ(mesh.scene.objects[0].vertices[0].position[1], 3.0f);
  EXPECT_EQ(mesh.scene.objects[0].vertices[1].position[0], 4.0f);

  Loaded material("*MATERIAL_LIST {\n *MATERIAL_COUNT 2\n *MATERIAL 1 {\n  *MATERIAL_SHINE 0.5\n  *BITMAP \"a.jpg");
  ASSERT_EQ(material.scene.materialCount, 2u);
  EXPECT_EQ(material.scene.materials[1].header.shine, 0.5f);
  EXPECT_STREQ(material.scene.materials[1].maps[0].bitmap, "a.jpg");

  Loaded noCount("*MATERIAL_LIST {\n *MATERIAL_");
  EXPECT_FALSE(noCount.scene.materialsReady);

  Loaded camera("*CAMERAOBJECT {\n *NODE_TM {\n  *TM_POS 1 2 3\n");
  ASSERT_EQ(camera.scene.cameraCount, 1u);
  EXPECT_EQ(camera.scene.cameras[0].frame.position[0], 1.0f);

  Loaded light("*LIGHTOBJECT {\n *NODE_TM {\n  *TM_POS 1 2 3\n }\n *LIGHT_SETTINGS {\n  *LIGHT_COLOR 0.5");
  ASSERT_EQ(light.scene.lightCount, 1u);
  EXPECT_EQ(light.scene.lights[0].frame.color[0], 0.5f);

  Loaded scene("*SCENE {\n *SCENE_LASTFRAME 9\n *SCENE_FRAMESPEED");
  EXPECT_EQ(scene.scene.params.lastFrame, 9);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(AseLimits, ExtraBitmapsAndTheirSettingsAreIgnored) {
  Loaded l(
      "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 {\n"
      " *MAP_TYPE Spherical\n *UVW_U_TILING 9\n"
      " *MAP_DIFFUSE {\n  *BITMAP \"one.jpg\"\n  *UVW_U_TILING 1\n }\n"
      " *MAP_BUMP {\n  *BITMAP \"two.jpg\"\n  *UVW_U_TILING 2\n }\n"
      " *MAP_REFLECT {\n  *BITMAP \"three.jpg\"\n  *MAP_TYPE Spherical\n  *UVW_U_TILING 3\n }\n"
      "} }\n");
  const Material& m = l.scene.materials[0];
  ASSERT_EQ(m.header.mapCount, 2u);
  EXPECT_STREQ(m.maps[0].bitmap, "one.jpg");
  EXPECT_FALSE(m.maps[0].spherical);
  EXPECT_EQ(m.maps[0].uTiling, 1.0f);
  EXPECT_STREQ(m.maps[1].bitmap, "two.jpg");
  EXPECT_FALSE(m.maps[1].spherical);
  EXPECT_EQ(m.maps[1].uTiling, 2.0f);
}

TEST(AseLimits, TrackSamplesBeyondTheLastFrameAreIgnored) {
  std::string samples;
  for (int i = 0; i < 10; ++i) samples += "*CONTROL_POS_SAMPLE " + std::to_string(i * 160) + "\t" + std::to_string(i) + " 0 0\n";
  Loaded l("*SCENE { *SCENE_LASTFRAME 2 }\n"
           "*CAMERAOBJECT { *NODE_TM { *TM_POS 0 0 0 } *TM_ANIMATION { *CONTROL_POS_TRACK {\n" + samples + "} } }\n"
           "*LIGHTOBJECT { *LIGHT_COLOR 1 1 1\n *CONTROL_POS_TRACK {\n" + samples + "}\n");
  ASSERT_EQ(l.scene.cameras[0].trackLength, 3u);
  EXPECT_EQ(l.scene.cameras[0].track[2].position[0], 2.0f);
  ASSERT_EQ(l.scene.lights[0].trackLength, 3u);
  EXPECT_EQ(l.scene.lights[0].track[2].position[0], 2.0f);
}

TEST(AseLimits, FaceIndicesStayInsideTheirArrays) {
  BoxRecorder boxes;
  Loaded l(
      "*GEOMOBJECT { *MESH {\n *MESH_NUMVERTEX 3\n *MESH_NUMFACES 3\n"
      " *MESH_VERTEX 0 0 0 0\n *MESH_VERTEX 1 1 0 0\n *MESH_VERTEX 2 0 1 0\n"
      " *MESH_FACE 0: A: 0 B: 1 C: 2\n *MESH_FACE 1: A: 0 B: 7 C: 2\n *MESH_FACE 2: A: 4000000000 B: 1 C: 2\n"
      " *MESH_NUMTVERTEX 1\n *MESH_NUMTVFACES 1\n *MESH_TFACE 0 0 0 5\n} }\n"
      "*GEOMOBJECT { *MESH { *MESH_NUMFACES 2 *MESH_FACE 0: A: 0 B: 0 C: 0 } }\n");
  const SceneObject& o = l.scene.objects[0];
  EXPECT_EQ(o.faces[0].index[2], 2u);
  for (uint32_t f = 1; f < 3; ++f)
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(o.faces[f].index[k], 0u);
      EXPECT_EQ(o.faces[f].vertex[k], &o.vertices[0]);
    }
  EXPECT_EQ(o.texFaces[0].index[2], 0u);
  // Faces with no vertex to refer to are dropped.
  EXPECT_EQ(l.scene.objects[1].faceCount, 0u);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(AseLimits, LongNamesAndWordsAreCutNotOverrun) {
  const std::string longName(300, 'n');
  const std::string longWord(300, 'w');
  Loaded l("*GEOMOBJECT {\n *NODE_NAME \"" + longName + "\"\n " + longWord + " *MESH_NUMVERTEX 2\n"
           " *" + longWord + "GEOMOBJECT\n}\n"
           "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *BITMAP \"" + longName + "\"\n"
           " *MAP_TYPE " + longWord + " } }\n");
  ASSERT_EQ(l.scene.objectCount, 1u);
  EXPECT_EQ(std::string(l.scene.objects[0].name), longName.substr(0, 255));
  EXPECT_EQ(l.scene.objects[0].vertexCount, 2u);
  EXPECT_EQ(std::string(l.scene.materials[0].maps[0].bitmap), longName.substr(0, 255));
}

TEST(AseLimits, NamesEndAtTheirClosingQuote) {
  Loaded l("*GEOMOBJECT {\n *NODE_NAME \"Caja 01\"   \n}\n*GEOMOBJECT {\n *NODE_NAME \"sin cierre\n}\n"
           "*GEOMOBJECT {\n *NODE_NAME \"al final\"");
  ASSERT_EQ(l.scene.objectCount, 3u);
  EXPECT_STREQ(l.scene.objects[0].name, "Caja 01");
  EXPECT_STREQ(l.scene.objects[1].name, "sin cierre");
  EXPECT_STREQ(l.scene.objects[2].name, "al final");
}

TEST(AseLimits, ImpossibleCountsAreCutToWhatTheFileCanHold) {
  BoxRecorder boxes;
  Loaded l("*MATERIAL_LIST { *MATERIAL_COUNT 2000000000 }\n"
           "*GEOMOBJECT { *MESH_NUMVERTEX -5 *MESH_NUMFACES 2147483647 *MESH_NUMTVERTEX 99999999999 }\n");
  EXPECT_LE(l.scene.materialCount, 4096u);
  const SceneObject& o = l.scene.objects[0];
  EXPECT_TRUE(o.verticesReady);
  EXPECT_EQ(o.vertexCount, 0u);
  EXPECT_EQ(o.faceCount, 0u);  // faces without vertices are dropped anyway
  EXPECT_LE(o.texVertexCount, 4096u);
  Loaded frames("*SCENE { *SCENE_LASTFRAME 2147483647 }\n*CAMERAOBJECT { *CAMERA_ANIMATION { } }\n");
  EXPECT_LE(frames.scene.cameras[0].trackLength, 1u << 20);
}

// Everything the scene allocated.
size_t SceneBytes(const Scene& s) {
  size_t bytes = s.objectCount * sizeof(SceneObject) + s.materialCount * sizeof(Material) +
                 s.cameraCount * sizeof(SceneCamera) + s.lightCount * sizeof(SceneLight);
  for (uint32_t i = 0; i < s.objectCount; ++i) {
    const SceneObject& o = s.objects[i];
    bytes += o.vertexCount * sizeof(Vertex) + o.faceCount * sizeof(Face) +
             o.texVertexCount * sizeof(TexVertex) + o.texFaceCount * sizeof(TexFace);
  }
  for (uint32_t i = 0; i < s.cameraCount; ++i) bytes += s.cameras[i].trackLength * sizeof(CameraFrame);
  for (uint32_t i = 0; i < s.lightCount; ++i) bytes += s.lights[i].trackLength * sizeof(LightFrame);
  return bytes;
}

std::string Repeat(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

// Hostile and poor files: what the reader makes of each, and that a scene never costs more
// than a small multiple of its file. Objects are always drawable: they name a material, and a
// scene without a material list gets a grey one.
TEST(AseHostile, BoundedUsableAndHonestAboutWhatItRead) {
  const std::string kMaterial =
      "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 { *MATERIAL_NAME \"x } *GEOMOBJECT {\" "
      "*MATERIAL_AMBIENT 1 0 0 *MATERIAL_TRANSPARENCY 0 } }\n";
  const std::string kObject = "*GEOMOBJECT { *MESH { *MESH_NUMVERTEX 1 *MESH_VERTEX 0 1 2 3 } }\n";
  const std::string kTrack = "*CONTROL_POS_TRACK { *CONTROL_POS_SAMPLE 0\t1 2 3 *CONTROL_POS_SAMPLE 160\t1 2 3 }";
  struct Case {
    const char* name;
    std::string text;
    AseResult result;
    uint32_t objects, cameras, lights;
    float ambient;  // red of material 0, when there is one
  } cases[] = {
      {"huge last frame", "*SCENE { *SCENE_LASTFRAME 2000000000 }\n" + kMaterial + kObject +
           Repeat("*LIGHTOBJECT {\n*LIGHT_COLOR 1 1 1\n" + kTrack + "\n}\n", 40) +
           "*CAMERAOBJECT { *CAMERA_ANIMATION { } *TM_ANIMATION { " + kTrack + " } }\n",
       AseResult::complete, 1, 1, 40, 1.0f},
      {"huge mesh counts", kMaterial + Repeat("*GEOMOBJECT { *MESH_NUMVERTEX 2000000 *MESH_NUMFACES 2000000 "
                                              "*MESH_NUMTVERTEX 2000000 *MESH_NUMTVFACES 2000000 }\n", 3000),
       AseResult::complete, 3000, 0, 0, 1.0f},
      {"keywords in quotes", "*COMMENT \"*GEOMOBJECT { *LIGHTOBJECT *CAMERAOBJECT\"\n" + kMaterial +
           "*GEOMOBJECT { *NODE_NAME \"a *GEOMOBJECT\"\n*MESH_NUMVERTEX 1 }\n",
       AseResult::complete, 1, 0, 0, 1.0f},
      {"no material list", "*GEOMOBJECT { *MATERIAL_REF 3 }\n", AseResult::complete, 1, 0, 0, 0.588f},
      {"empty material list", "*MATERIAL_LIST { *MATERIAL_COUNT 0 }\n" + kObject, AseResult::complete, 1, 0, 0,
       0.588f},
      {"cut short", kMaterial + kObject.substr(0, 40), AseResult::cutShort, 1, 0, 0, 1.0f},
      {"empty", "", AseResult::noObjects, 0, 0, 0, 0},
      {"no object", kMaterial + "*CAMERAOBJECT { }\n", AseResult::noObjects, 0, 1, 0, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded l(c.text);
    const Scene& s = l.scene;
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.result, c.result);
    EXPECT_EQ(s.objectCount, c.objects);
    EXPECT_EQ(s.cameraCount, c.cameras);
    EXPECT_EQ(s.lightCount, c.lights);
    EXPECT_LE(SceneBytes(s), 32 * c.text.size() + (4 << 20));
    for (uint32_t i = 0; i < s.lightCount; ++i) EXPECT_LE(s.lights[i].trackLength, 2u);
    for (uint32_t i = 0; i < s.cameraCount; ++i) EXPECT_LE(s.cameras[i].trackLength, 2u);
    if (s.objectCount == 0) continue;
    ASSERT_EQ(s.materialCount, 1u);
    EXPECT_EQ(s.materials[0].header.ambient[0], c.ambient);
    EXPECT_EQ(s.materials[0].header.ambient[3], 1.0f);
    for (uint32_t i = 0; i < s.objectCount; ++i) EXPECT_EQ(s.objects[i].materialIndex, 0);
  }
}

TEST(AseLimits, MaterialListShorterThanItsCountLeavesObjectsAlone) {
  Loaded l("*MATERIAL_LIST {\n *MATERIAL_COUNT 3\n *MATERIAL 0 { *MATERIAL_SHINE 1 }\n}\n"
           "*GEOMOBJECT { *MESH_NUMVERTEX 4 *MATERIAL_REF 2 }\n*GEOMOBJECT { *MATERIAL_REF 7 }\n");
  ASSERT_EQ(l.scene.objectCount, 2u);
  EXPECT_EQ(l.scene.objects[0].vertexCount, 4u);
  EXPECT_EQ(l.scene.objects[0].materialIndex, 2);
  EXPECT_EQ(l.scene.objects[1].materialIndex, 0);  // names no material: falls back to the first
}

TEST(AseFiles, MissingOrUnreadableFileIsRefused) {
  Scene scene;
  AseReader reader;
  {
    QuietStdout quiet;
    EXPECT_FALSE(reader.load("/nonexistent/escenas\\nada.ase", scene));
    const std::string folder = std::filesystem::temp_directory_path().string();
    EXPECT_FALSE(reader.load(folder.c_str(), scene));  // a folder
  }
  EXPECT_FALSE(scene.objectsReady);
  EXPECT_FALSE(scene.release());
}

TEST(AseFiles, OneReaderLoadsSeveralScenes) {
  AseReader reader;
  Scene first, second;
  const std::string path = TempFileName("zb_ase");
  WriteBytes(path, "*GEOMOBJECT { }\n*GEOMOBJECT { }\n*LIGHTOBJECT { }");
  {
    QuietStdout quiet;
    ASSERT_TRUE(reader.load(path.c_str(), first));
    ASSERT_TRUE(reader.load(path.c_str(), second));
  }
  std::remove(path.c_str());
  EXPECT_EQ(reader.nextObject, 2);
  EXPECT_EQ(second.objectCount, 2u);
  EXPECT_EQ(second.lights[0].frame.lightNumber, 0);
  first.release();
  second.release();
}

// An element before its array's size is told once, and the reading stops there: the second
// object, whole as it is, is not read, and the verdict keeps a converter from writing the scene.
TEST(AseFiles, ElementBeforeItsArraySizeStopsTheReading) {
  const struct {
    const char* element;
    const char* notSetUp;
  } cases[] = {
      {"*MESH_VERTEX 0 1 2 3", "No esta iniciado el vector de vertices"},
      {"*MESH_TVERT 0 1 2 3", "No esta iniciado el vector de Tvertices"},
      {"*MESH_FACE 0: A: 0 B: 0 C: 0", "No esta iniciado el vector de caras"},
      {"*MESH_TFACE 0 0 0 0", "No esta iniciado el vector de Tcaras"},
      {"*MESH_FACENORMAL 0 0 0 1", "No esta iniciado el vector de caras"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.element);
    BoxRecorder boxes;
    Loaded l(std::string("*GEOMOBJECT { *MESH { ") + c.element +
             " } }\n*GEOMOBJECT { *NODE_NAME \"b\" *MESH { *MESH_NUMVERTEX 1 } }\n");
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.result, AseResult::outOfOrder);
    EXPECT_EQ(boxes.Take(), BoxLine(c.notSetUp, "Error de inicializacion"));
    ASSERT_EQ(l.scene.objectCount, 2u);
    EXPECT_EQ(l.scene.objects[1].vertexCount, 0u);
  }
}

}  // namespace
