// The box a scene fills and the eye that frames it: the eye must see all eight corners at the
// field of view and aspect it was placed for, and nothing narrower.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "scene/Scene.h"
#include "scene/SceneBounds.h"

namespace {

SceneBounds Box(float x0, float y0, float z0, float x1, float y1, float z1) {
  SceneBounds bounds;
  const float low[3] = {x0, y0, z0}, high[3] = {x1, y1, z1};
  bounds.add(low);
  bounds.add(high);
  return bounds;
}

TEST(SceneBounds, TheFramingEyeSeesTheWholeBoxAndANarrowerViewDoesNot) {
  const struct {
    const char* what;
    SceneBounds bounds;
    float fov, aspect;
  } cases[] = {
      {"unit cube at the origin", Box(-1, -1, -1, 1, 1, 1), 100.33f, 4.0f / 3},
      {"a big model away from the origin", Box(-500, 0, -300, 700, 400, 200), 45, 4.0f / 3},
      {"flat and wide, narrow view, wide picture", Box(-1000, 0, -1, 1000, 1, 1), 30, 16.0f / 9},
      {"tall and thin", Box(0, 0, 0, 1, 500, 1), 60, 4.0f / 3},
      {"portrait picture", Box(-10, -10, -10, 10, 10, 10), 60, 0.5f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CameraFrame eye = FramingEye(c.bounds, c.fov, c.aspect);
    EXPECT_EQ(eye.fov, c.fov);
    float centre[3];
    c.bounds.centre(centre);
    for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(eye.target[k], centre[k]);
    EXPECT_TRUE(BoundsInView(c.bounds, eye, c.aspect));
    CameraFrame narrower = eye;
    narrower.fov = c.fov / 3;
    EXPECT_FALSE(BoundsInView(c.bounds, narrower, c.aspect));
  }
}

TEST(SceneBounds, TheFixedPointCutsABigModelOffAndFramingIsOnlyForWhatCanBeFramed) {
  const SceneBounds big = Box(-500, 0, -300, 700, 400, 200);
  CameraFrame fixed;
  fixed.position[1] = 50;
  fixed.position[2] = 80;
  fixed.fov = 100.33f;
  EXPECT_FALSE(BoundsInView(big, fixed, 4.0f / 3));

  // Nothing to frame, or a view that shows nothing: the fixed point stays.
  for (const CameraFrame& eye : {FramingEye(SceneBounds(), 45, 4.0f / 3),
                                 FramingEye(big, 0, 4.0f / 3), FramingEye(big, 180, 4.0f / 3)}) {
    EXPECT_EQ(eye.position[0], 0);
    EXPECT_EQ(eye.position[1], 50);
    EXPECT_EQ(eye.position[2], 80);
    EXPECT_EQ(eye.target[0] + eye.target[1] + eye.target[2], 0);
  }
}

// How much of the picture a box fills through a camera: a far camera shows a dot, a camera
// inside the box sees nothing else, one looking away sees none of it.
TEST(SceneBounds, PictureShareTellsADotFromAFullView) {
  const SceneBounds cube = Box(-1, -1, -1, 1, 1, 1);
  auto eye = [](float z, float targetZ) {
    CameraFrame frame;
    frame.position[2] = z;
    frame.target[2] = targetZ;
    frame.fov = 90;  // the near face at depth 9 spans 2/9 of the picture's height
    return frame;
  };
  const struct {
    const char* what;
    CameraFrame eye;
    float aspect, share;
  } cases[] = {
      {"ten units away, square picture", eye(10, 0), 1, 1.0f / 81},
      {"ten units away, 4:3 picture", eye(10, 0), 4.0f / 3, 1.0f / 81 / (4.0f / 3)},
      {"a rig's camera 354 units from the model", eye(355, 0), 4.0f / 3, 1.0f / (354 * 354) * 0.75f},
      {"inside the box", eye(0.5f, 0), 4.0f / 3, 1},
      {"looking away", eye(10, 20), 4.0f / 3, 0},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(BoundsPictureShare(cube, c.eye, c.aspect), c.share, c.share * 1e-3 + 1e-7) << c.what;
}

TEST(SceneBounds, MeshBoundsTakesEveryObjectsVerticesAndSkipsBrokenOnes) {
  Scene scene;
  scene.setupObjects(2);
  const float points[2][2][3] = {{{1, 2, 3}, {-4, 0, 9}},
                                 {{std::numeric_limits<float>::quiet_NaN(), 100, 0}, {0, -7, 0}}};
  for (uint32_t i = 0; i < 2; ++i) {
    SceneObject object;
    object.setupVertices(2);
    for (uint32_t j = 0; j < 2; ++j)
      for (int k = 0; k < 3; ++k) object.vertices[j].position[k] = points[i][j][k];
    scene.setObject(i, object);
  }
  const SceneBounds bounds = MeshBounds(scene);
  ASSERT_FALSE(bounds.empty);
  const float low[3] = {-4, -7, 0}, high[3] = {1, 2, 9};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(bounds.min[k], low[k]);
    EXPECT_EQ(bounds.max[k], high[k]);
  }
  scene.release();
}

}  // namespace
