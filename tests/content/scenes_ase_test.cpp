// The ASE text the content tool writes, as the engine's own reader takes it back, and the
// normals and repeatability of the procedural scenes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "AseWriter.h"
#include "Scenes.h"
#include "ScenesShapes.h"
#include "driver/ContentManifest.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"
#include "support/TempDir.h"

namespace {

std::vector<Vec3> Three(const Vec3& a, const Vec3& b, const Vec3& c) { return {a, b, c}; }

// A small scene with one of every feature the production's scenes use.
AseScene SampleScene() {
  AseScene s;
  s.fileName = "sample.max";
  s.lastFrame = 2;
  s.frameSpeed = 25;
  s.background = {0.1f, 0.2f, 0.3f};

  AseMaterial layered;
  layered.name = "Layered";
  layered.ambient = layered.diffuse = {0.5f, 0.6f, 0.7f};
  layered.transparency = 0.25f;
  layered.selfIllum = 0.5f;
  layered.twoSided = true;
  AseMap base;
  base.bitmap = "textures\\metal.jpg";
  base.uTiling = 4.0f;
  base.vTiling = 2.0f;
  AseMap reflection;
  reflection.slot = "MAP_REFLECT";
  reflection.bitmap = "textures\\env.jpg";
  reflection.spherical = true;
  layered.maps = {base, reflection};
  AseMaterial plain;
  plain.name = "Plain";
  plain.ambient = plain.diffuse = {1.0f, 0.0f, 0.0f};
  s.materials = {layered, plain};

  AseMesh triangle;
  triangle.name = "Triangle";
  triangle.vertices = Three({1, 2, 3}, {4, 2, 3}, {1, 5, 3});
  triangle.tverts = {{0.25f, 0.75f}, {1.0f, 0.75f}, {0.25f, 1.0f}};
  AseFace face;
  face.v[0] = face.t[0] = 0;
  face.v[1] = face.t[1] = 1;
  face.v[2] = face.t[2] = 2;
  triangle.faces = {face};
  AseMesh box;
  box.name = "Box";
  box.materialRef = 1;
  AddBox(box, FrameAt({0, 0, 10}), {5, 5, 10});
  s.meshes = {triangle, box};

  AseCamera camera;
  camera.name = "Camera";
  camera.fov = 0.5f;
  camera.positions = Three({0, -100, 50}, {10, -100, 50}, {20, -100, 50});
  camera.targets = Three({0, 0, 0}, {0, 0, 5}, {0, 0, 10});
  s.cameras = {camera};

  AseLight still;
  still.name = "Still";
  still.color = {0.2f, 0.4f, 0.6f};
  still.positions = {{7, 8, 9}};
  AseLight moving;
  moving.name = "Moving";
  moving.useGlobal = true;
  moving.positions = Three({1, 0, 0}, {2, 0, 0}, {3, 0, 0});
  s.lights = {still, moving};
  return s;
}

void ExpectXyz(const float* got, float x, float y, float z) {
  EXPECT_NEAR(got[0], x, 1e-3f);
  EXPECT_NEAR(got[1], y, 1e-3f);
  EXPECT_NEAR(got[2], z, 1e-3f);
}

}  // namespace

TEST(AseWriter, TheEngineReaderTakesBackEveryFeatureWritten) {
  TempDir dir;
  dir.Write("escenas/keep", "");
  ASSERT_TRUE(WriteAse("escenas\\sample.ase", SampleScene()));
  Scene scene;
  AseReader reader;
  ASSERT_TRUE(reader.load("escenas\\sample.ase", scene));

  EXPECT_EQ(scene.params.lastFrame, 2);
  EXPECT_EQ(scene.params.frameSpeed, 25);
  EXPECT_FLOAT_EQ(scene.params.background[2], 0.3f);
  ASSERT_EQ(scene.objectCount, 2u);
  ASSERT_EQ(scene.materialCount, 2u);
  ASSERT_EQ(scene.cameraCount, 1u);
  ASSERT_EQ(scene.lightCount, 2u);

  // The package's Z-up (x, y, z) arrives as the engine's (x, z, -y); texture v is negated.
  const SceneObject& triangle = scene.objects[0];
  ASSERT_EQ(triangle.vertexCount, 3u);
  ExpectXyz(triangle.vertices[0].position, 1, 3, -2);
  ASSERT_EQ(triangle.texVertexCount, 3u);
  EXPECT_FLOAT_EQ(triangle.texVertices[0].u, 0.25f);
  EXPECT_FLOAT_EQ(triangle.texVertices[0].v, -0.75f);
  ASSERT_EQ(triangle.faceCount, 1u);
  EXPECT_EQ(triangle.faces[0].index[1], 1u);
  ExpectXyz(triangle.faces[0].faceNormal, 0, 1, 0);  // +z in the file is up
  for (int k = 0; k < 3; ++k) ExpectXyz(triangle.faces[0].cornerNormal[k], 0, 1, 0);
  EXPECT_EQ(triangle.texFaceCount, 1u);
  EXPECT_EQ(scene.objects[1].materialIndex, 1);

  const MaterialHeader& h = scene.materials[0].header;
  EXPECT_FLOAT_EQ(h.ambient[0], 0.5f);
  EXPECT_FLOAT_EQ(h.ambient[3], 0.75f);  // drawn in the transparent pass
  EXPECT_FLOAT_EQ(h.emission[0], 0.5f);
  EXPECT_TRUE(h.twoSided);
  ASSERT_EQ(h.mapCount, 2u);
  EXPECT_STREQ(scene.materials[0].maps[0].bitmap, "textures\\metal.jpg");
  EXPECT_FALSE(scene.materials[0].maps[0].spherical);
  // Tiling multiplies the texture coordinates: a map without it would draw one texel.
  EXPECT_FLOAT_EQ(scene.materials[0].maps[0].uTiling, 4.0f);
  EXPECT_FLOAT_EQ(scene.materials[0].maps[0].vTiling, 2.0f);
  EXPECT_TRUE(scene.materials[0].maps[1].spherical);
  EXPECT_FLOAT_EQ(scene.materials[0].maps[1].uTiling, 1.0f);
  EXPECT_EQ(scene.materials[1].header.mapCount, 0u);
  EXPECT_FLOAT_EQ(scene.materials[1].header.ambient[3], 1.0f);

  // One camera sample per frame: position from the camera's track, target from its target's.
  const SceneCamera& camera = scene.cameras[0];
  ASSERT_EQ(camera.trackLength, 3u);
  ExpectXyz(camera.track[2].position, 20, 50, 100);
  ExpectXyz(camera.track[2].target, 0, 10, 0);
  EXPECT_NEAR(camera.track[1].fov, 0.5f * 180.0f / 3.1416f, 1e-3f);

  EXPECT_FALSE(scene.lights[0].hasFlare);
  EXPECT_EQ(scene.lights[0].trackLength, 0u);
  ExpectXyz(scene.lights[0].frame.position, 7, 9, -8);
  EXPECT_FLOAT_EQ(scene.lights[0].frame.color[1], 0.4f);
  EXPECT_TRUE(scene.lights[1].hasFlare);
  ASSERT_EQ(scene.lights[1].trackLength, 3u);
  ExpectXyz(scene.lights[1].track[2].position, 3, 0, 0);
  EXPECT_NE(scene.lights[0].frame.lightNumber, scene.lights[1].frame.lightNumber);
  scene.release();
}

TEST(AseWriter, CornersShareNormalsOnlyWithinASmoothingGroup) {
  AseMesh box;
  AddBox(box, FrameAt({0, 0, 0}), {1, 2, 3});
  for (const FaceNormals& n : ComputeNormals(box))
    for (const Vec3& corner : n.corner) EXPECT_GT(Dot(corner, n.face), 0.9999f);  // hard edges

  AseMesh ball;
  AddSphere(ball, {0, 0, 0}, 10.0f, 16, 12);
  const std::vector<FaceNormals> normals = ComputeNormals(ball);
  for (size_t f = 0; f < ball.faces.size(); ++f) {
    for (int k = 0; k < 3; ++k) {
      // Smooth: each corner points out along its own vertex, whichever face it belongs to.
      Vec3 radial = Normalize(ball.vertices[ball.faces[f].v[k]]);
      EXPECT_GT(Dot(normals[f].corner[k], radial), 0.99f) << "face " << f;
    }
  }
  EXPECT_GT(SignedVolume(ball), 0.0f);
}

TEST(Scenes, TheSameTextOnEveryBuild) {
  for (int i = 0; i < kSceneCount; ++i)
    EXPECT_EQ(FormatAse(BuildScene(i)), FormatAse(BuildScene(i))) << DefaultManifest().scenes[i].name;
}
