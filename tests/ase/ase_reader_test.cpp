// What the reader makes of each keyword: the conversions that define the engine's frame and
// the rules that stored files rely on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "AseTestSupport.h"
#include "scene/Scene.h"

namespace {

const char kMesh[] =
    "*GEOMOBJECT {\n"
    "\t*NODE_NAME \"Caja de prueba\"\n"
    "\t*NODE_TM {\n\t\t*TM_POS 10.0 20.0 30.0\n\t\t*TM_ROTANGLE 1.5\n\t}\n"
    "\t*MESH {\n"
    "\t\t*MESH_NUMVERTEX 3\n\t\t*MESH_NUMFACES 1\n"
    "\t\t*MESH_VERTEX_LIST {\n"
    "\t\t\t*MESH_VERTEX    0\t1.0000\t2.0000\t3.0000\n"
    "\t\t\t*MESH_VERTEX    1\t4.0\t5.0\t6.0\n"
    "\t\t\t*MESH_VERTEX    2\t-1.5\t0.25\t1e2\n"
    "\t\t}\n"
    "\t\t*MESH_FACE_LIST {\n"
    "\t\t\t*MESH_FACE    0:    A:    2 B:    0 C:    1 AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0\n"
    "\t\t}\n"
    "\t\t*MESH_NUMTVERTEX 5\n"
    "\t\t*MESH_TVERTLIST {\n\t\t\t*MESH_TVERT 4\t0.25\t0.75\t0.0\n\t\t}\n"
    "\t\t*MESH_NUMTVFACES 1\n"
    "\t\t*MESH_TFACELIST {\n\t\t\t*MESH_TFACE 0\t4\t3\t2\n\t\t}\n"
    "\t\t*MESH_NORMALS {\n"
    "\t\t\t*MESH_FACENORMAL 0\t0.0\t0.0\t1.0\n"
    "\t\t\t\t*MESH_VERTEXNORMAL 2\t1.0\t0.0\t0.0\n"
    "\t\t\t\t*MESH_VERTEXNORMAL 1\t0.0\t1.0\t0.0\n"
    "\t\t\t\t*MESH_VERTEXNORMAL 0\t0.0\t0.0\t1.0\n"
    "\t\t}\n"
    "\t}\n"
    "\t*MATERIAL_REF 0\n"
    "}\n";

TEST(AseMesh, ConvertsToTheEngineFrameAndLinksFaces) {
  Loaded l(kMesh);
  ASSERT_TRUE(l.ok);
  ASSERT_EQ(l.scene.objectCount, 1u);
  const SceneObject& o = l.scene.objects[0];
  EXPECT_STREQ(o.name, "Caja de prueba");
  // (x, y, z) -> (x, z, -y); the pivot is not applied.
  EXPECT_EQ(o.vertices[0].position[0], 1.0f);
  EXPECT_EQ(o.vertices[0].position[1], 3.0f);
  EXPECT_EQ(o.vertices[0].position[2], -2.0f);
  EXPECT_EQ(o.vertices[2].position[1], 100.0f);
  EXPECT_EQ(o.vertices[0].reserved[3], 1.0f);
  // (u, v) -> (u, -v); the third number is ignored.
  EXPECT_EQ(o.texVertices[4].u, 0.25f);
  EXPECT_EQ(o.texVertices[4].v, -0.75f);
  EXPECT_EQ(o.faces[0].index[0], 2u);
  EXPECT_EQ(o.faces[0].index[2], 1u);
  EXPECT_EQ(o.faces[0].vertex[0], &o.vertices[2]);
  EXPECT_EQ(o.texFaces[0].texVertex[0], &o.texVertices[4]);
  // Corner normals by line position, not by the vertex index written in them.
  EXPECT_EQ(o.faces[0].faceNormal[1], 1.0f);
  EXPECT_EQ(o.faces[0].cornerNormal[0][0], 1.0f);
  EXPECT_EQ(o.faces[0].cornerNormal[1][2], -1.0f);
  EXPECT_EQ(o.faces[0].cornerNormal[2][1], 1.0f);
}

TEST(AseMaterials, FillTheSlotTheirNumberNamesWithEveryRule) {
  Loaded l(
      "*MATERIAL_LIST {\n*MATERIAL_COUNT 4\n"
      "*MATERIAL 3 {\n"
      "  *MATERIAL_AMBIENT 0.1 0.2 0.3\n  *MATERIAL_DIFFUSE 0.4 0.5 0.6\n"
      "  *MATERIAL_SPECULAR 0.7 0.8 0.9\n  *MATERIAL_SHINE 0.25\n"
      "  *MATERIAL_TWOSIDED\n  *MATERIAL_SELFILLUM 0.5\n  *MATERIAL_TRANSPARENCY 0.25\n"
      "  *SUBMATERIAL 0 { *MATERIAL_DIFFUSE 1.0 0.0 0.0 }\n"
      "  *MAP_DIFFUSE {\n    *BITMAP \"C:\\modelos\\tex\\madera.jpg\"\n    *MAP_TYPE sPhErIcAl\n"
      "    *UVW_U_TILING 2.0\n    *UVW_V_OFFSET 0.5\n  }\n"
      "  *MAP_BUMP {\n    *BITMAP \"b.jpg\"\n    *MAP_TYPE Screen\n  }\n"
      "}\n"
      "*MATERIAL 0 { *MATERIAL_DIFFUSE 0.3 0.3 0.3 }\n"
      "}\n");
  ASSERT_TRUE(l.ok);
  ASSERT_EQ(l.scene.materialCount, 4u);
  const Material& m = l.scene.materials[3];
  EXPECT_EQ(m.header.index, 3);
  EXPECT_EQ(m.header.ambient[2], 0.3f);
  EXPECT_EQ(m.header.diffuse[0], 1.0f);  // the last colour read wins, sub-materials included
  EXPECT_EQ(m.header.diffuse[3], 0.75f);
  EXPECT_EQ(m.header.specular[3], 0.75f);
  EXPECT_EQ(m.header.emission[1], 0.5f);
  EXPECT_TRUE(m.header.twoSided);
  EXPECT_EQ(m.header.shine, 0.25f);
  ASSERT_EQ(m.header.mapCount, 2u);
  EXPECT_STREQ(m.maps[0].bitmap, "C:\\modelos\\tex\\madera.jpg");
  EXPECT_TRUE(m.maps[0].spherical);
  EXPECT_EQ(m.maps[0].uTiling, 2.0f);
  EXPECT_EQ(m.maps[0].vTiling, 0.0f);  // not given: stays 0, not 1
  EXPECT_EQ(m.maps[0].vOffset, 0.5f);
  EXPECT_STREQ(m.maps[1].bitmap, "b.jpg");
  EXPECT_FALSE(m.maps[1].spherical);
  EXPECT_EQ(l.scene.materials[0].header.diffuse[0], 0.3f);
  EXPECT_EQ(l.scene.materials[1].header.mapCount, 0u);
}

TEST(AseCameras, StaticCameraTakesFirstPositionAndLastTargetInDegrees) {
  Loaded l(
      "*CAMERAOBJECT {\n *NODE_TM { *TM_POS 1 2 3 }\n *NODE_TM { *TM_POS 4 5 6 }\n"
      " *NODE_TM { *TM_POS 7 8 9 }\n *CAMERA_SETTINGS { *CAMERA_FOV 0.7854 }\n}\n");
  ASSERT_TRUE(l.ok);
  ASSERT_EQ(l.scene.cameraCount, 1u);
  const SceneCamera& c = l.scene.cameras[0];
  EXPECT_EQ(c.trackLength, 0u);
  EXPECT_EQ(c.frame.position[1], 3.0f);
  EXPECT_EQ(c.frame.target[0], 7.0f);
  EXPECT_EQ(c.frame.target[2], -8.0f);
  EXPECT_EQ(c.frame.fov, 0.7854f * 180.0f / 3.1416f);
  EXPECT_FALSE(c.frame.filled);
}

TEST(AseCameras, TrackSamplesInheritFromTheSampleBefore) {
  Loaded l(
      "*SCENE { *SCENE_LASTFRAME 3 }\n"
      "*CAMERAOBJECT {\n *NODE_TM { *TM_POS 1 0 0 }\n *NODE_TM { *TM_POS 0 0 9 }\n"
      " *CAMERA_SETTINGS { *CAMERA_FOV 1.0 }\n"
      " *TM_ANIMATION { *CONTROL_POS_TRACK {\n"
      "   *CONTROL_POS_SAMPLE 0\t10 0 0\n   *CONTROL_POS_SAMPLE 160\t20 0 0\n } }\n"
      " *TM_ANIMATION { *CONTROL_POS_TRACK {\n"
      "   *CONTROL_POS_SAMPLE 0\t0 0 1\n   *CONTROL_POS_SAMPLE 160\t0 0 2\n"
      "   *CONTROL_POS_SAMPLE 320\t0 0 3\n } }\n}\n");
  ASSERT_TRUE(l.ok);
  const SceneCamera& c = l.scene.cameras[0];
  ASSERT_EQ(c.trackLength, 3u);  // its longest track, below lastFrame + 1
  EXPECT_EQ(c.track[0].position[0], 10.0f);
  EXPECT_EQ(c.track[1].position[0], 20.0f);
  EXPECT_EQ(c.track[2].position[0], 20.0f);  // touched first by the target track: inherits
  EXPECT_EQ(c.track[0].target[1], 1.0f);
  EXPECT_EQ(c.track[2].target[1], 3.0f);
  EXPECT_EQ(c.track[1].fov, c.frame.fov);
  EXPECT_TRUE(c.track[2].filled);
}

TEST(AseCameras, AnimatedFieldOfViewFillsSamples) {
  Loaded l(
      "*SCENE { *SCENE_LASTFRAME 1 }\n*CAMERAOBJECT {\n *NODE_TM { *TM_POS 1 2 3 }\n"
      " *CAMERA_SETTINGS { *CAMERA_FOV 1.0 }\n"
      " *CAMERA_ANIMATION { *CAMERA_SETTINGS { *CAMERA_FOV 0.5 }\n *CAMERA_SETTINGS { *CAMERA_FOV 0.25 } }\n}\n");
  const SceneCamera& c = l.scene.cameras[0];
  ASSERT_EQ(c.trackLength, 2u);
  EXPECT_EQ(c.frame.fov, 1.0f * 180.0f / 3.1416f);
  EXPECT_EQ(c.track[0].fov, 0.5f * 180.0f / 3.1416f);
  EXPECT_EQ(c.track[1].fov, 0.25f * 180.0f / 3.1416f);
  EXPECT_EQ(c.track[1].position[2], -2.0f);
}

TEST(AseScene, BlockAfterCamerasLeavesThemOneFrameAndClearsFog) {
  Scene scene;
  SceneParams foggy;
  foggy.fogEnabled = true;
  foggy.fogDensity = 0.5f;
  scene.setParams(foggy);
  ASSERT_TRUE(LoadAse(
      "*CAMERAOBJECT { *NODE_TM { *TM_POS 0 0 0 } *TM_ANIMATION { *CONTROL_POS_TRACK {\n"
      " *CONTROL_POS_SAMPLE 0\t1 1 1\n *CONTROL_POS_SAMPLE 160\t2 2 2\n } } }\n"
      "*SCENE {\n *SCENE_LASTFRAME 100\n *SCENE_FRAMESPEED 30\n *SCENE_TICKSPERFRAME 160\n"
      " *SCENE_BACKGROUND_STATIC 0.1 0.2 0.3\n *SCENE_AMBIENT_STATIC 0.4 0.5 0.6\n}\n",
      scene));
  EXPECT_EQ(scene.cameras[0].trackLength, 1u);
  EXPECT_EQ(scene.params.lastFrame, 100);
  EXPECT_EQ(scene.params.ticksPerFrame, 160);
  EXPECT_EQ(scene.params.background[2], 0.3f);
  EXPECT_EQ(scene.params.ambient[0], 0.4f);
  EXPECT_FALSE(scene.params.fogEnabled);
  EXPECT_EQ(scene.params.fogDensity, 0.0f);
  scene.release();
}

TEST(AseScene, FirstClosingBraceEndsTheBlockAndNoBlockLeavesZeros) {
  // As in the corpus statue: the ambient after a nested environment map is not read.
  Loaded nested("*SCENE {\n *SCENE_LASTFRAME 30\n *SCENE_ENVMAP {\n  *MAP_NAME \"\"\n }\n"
                " *SCENE_AMBIENT_STATIC 0.3 0.3 0.3\n}\n");
  EXPECT_EQ(nested.scene.params.lastFrame, 30);
  EXPECT_EQ(nested.scene.params.ambient[0], 0.0f);
  Loaded none(kMesh);
  EXPECT_EQ(none.scene.params.lastFrame, 0);
  EXPECT_EQ(none.scene.params.frameSpeed, 0);
}

TEST(AseLights, PlainLightEndsAtItsOwnBraceInStateTwo) {
  Loaded l(
      "*SCENE { *SCENE_LASTFRAME 5 }\n"
      "*LIGHTOBJECT {\n *NODE_NAME \"Omni01\"\n *NODE_TM {\n  *TM_POS 1 2 3\n }\n"
      " *NODE_TM {\n  *TM_POS 4 5 6\n }\n *LIGHT_USEGLOBAL 1\n"
      " *LIGHT_SETTINGS {\n  *LIGHT_COLOR 0.5 0.6 0.7\n }\n}\n"
      "*LIGHTOBJECT {\n *NODE_TM {\n  *TM_POS 7 8 9\n }\n *LIGHT_USEGLOBAL 0\n"
      " *LIGHT_SETTINGS {\n  *LIGHT_COLOR 1 1 1\n }\n}\n");
  ASSERT_EQ(l.scene.lightCount, 2u);
  const SceneLight& a = l.scene.lights[0];
  EXPECT_EQ(a.frame.lightNumber, 0);
  EXPECT_EQ(a.frame.position[0], 4.0f);  // a target light ends with its target's position
  EXPECT_EQ(a.frame.position[2], -5.0f);
  EXPECT_EQ(a.frame.color[1], 0.6f);
  EXPECT_EQ(a.frame.color[3], 0.0f);
  EXPECT_TRUE(a.hasFlare);
  EXPECT_EQ(a.trackLength, 0u);
  const SceneLight& b = l.scene.lights[1];
  EXPECT_EQ(b.frame.lightNumber, 1);
  EXPECT_EQ(b.frame.position[0], 7.0f);
  EXPECT_FALSE(b.hasFlare);
}

TEST(AseLights, AnimatedLightEndsAtItsTrackAndSkipsWholeLines) {
  Loaded l(
      "*SCENE { *SCENE_LASTFRAME 2 }\n"
      "*LIGHTOBJECT {\n *NODE_TM {\n  *TM_POS 1 2 3\n }\n"
      " *LIGHT_SHADOWS Off *LIGHT_USEGLOBAL 1\n"
      " *LIGHT_SETTINGS {\n  *LIGHT_COLOR 1 1 1\n }\n"
      " *TM_ANIMATION {\n  *CONTROL_POS_TRACK {\n   *CONTROL_POS_SAMPLE 0\t1 2 3\n"
      "   *CONTROL_POS_SAMPLE 160\t4 5 6\n  }\n }\n}\n"
      "*GEOMOBJECT { *MESH { *MESH_NUMVERTEX 1 } }\n");
  ASSERT_EQ(l.scene.lightCount, 1u);
  const SceneLight& light = l.scene.lights[0];
  EXPECT_FALSE(light.hasFlare);  // it stood after an unknown keyword on the same line
  ASSERT_EQ(light.trackLength, 2u);  // the samples it holds, below lastFrame + 1
  EXPECT_EQ(light.track[1].position[1], 6.0f);
  EXPECT_EQ(light.track[1].position[2], -5.0f);
  EXPECT_EQ(light.track[1].lightNumber, 0);
  // The braces left open by the light are ignored by the top level, which goes on.
  ASSERT_EQ(l.scene.objectCount, 1u);
  EXPECT_EQ(l.scene.objects[0].vertexCount, 1u);
}

TEST(AseKeywords, AreWholeAndCaseSensitive) {
  Loaded l(
      "*SCENEX { *SCENE_LASTFRAME 7 }\n*geomobject { }\n"
      "*GEOMOBJECT { *MESH { *MESH_NUMVERTEX 2 *mesh_vertex 0 1 1 1 *MESH_VERTEX 1 5 5 5 } }\n");
  EXPECT_EQ(l.scene.params.lastFrame, 0);
  ASSERT_EQ(l.scene.objectCount, 1u);
  EXPECT_EQ(l.scene.objects[0].vertices[0].position[0], 0.0f);
  EXPECT_EQ(l.scene.objects[0].vertices[1].position[0], 5.0f);
}

TEST(AseNumbers, ReadExactlyLikeTheCLibraryInEveryForm) {
  const char* forms[] = {"0.1", "-0.0000", "3.4028235e38", "1e-45", "123456789012345678901234",
                         "0x1p3", "-inf", "16777217", "0.30000001192092896", "7.038531e-26"};
  for (const char* form : forms) {
    Loaded l(std::string("*GEOMOBJECT { *MESH_NUMVERTEX 1 *MESH_VERTEX 0 ") + form + " 0 0 }\n");
    const float got = l.scene.objects[0].vertices[0].position[0];
    const float expected = std::strtof(form, nullptr);
    EXPECT_EQ(0, std::memcmp(&got, &expected, sizeof got)) << form;
  }
}

}  // namespace
