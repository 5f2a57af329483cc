#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>

#include "render/AquaDeformation.h"
#include "scene/SceneObject.h"

namespace {

// An object with vertices only (no faces, so drawing it issues no GL calls).
SceneObject makeObject(std::initializer_list<std::array<float, 6>> points) {
  SceneObject object;
  object.setupVertices(static_cast<uint32_t>(points.size()));
  uint32_t i = 0;
  for (const auto& p : points) {
    Vertex v;
    v.position[0] = p[0], v.position[1] = p[1], v.position[2] = p[2];
    v.normal[0] = p[3], v.normal[1] = p[4], v.normal[2] = p[5];
    object.setVertex(i++, v);
  }
  return object;
}

void expectPosition(const Vertex& v, double x, double y, double z) {
  EXPECT_NEAR(v.position[0], x, 1e-4);
  EXPECT_NEAR(v.position[1], y, 1e-4);
  EXPECT_NEAR(v.position[2], z, 1e-4);
}

}  // namespace

TEST(Aqua, KnownVerticesAtPhaseZero) {
  SceneObject object = makeObject({{0, 0, 0, 0, 1, 0}, {10, 3, 7, 0, 0, 0}});
  object.prepareDeformation();
  object.drawDeformed();
  EXPECT_EQ(object.deformPhase, 3);

  // Origin with normal (0, 1, 0): lifted by 25, shifted by -5 in x and y, then twisted.
  double a = static_cast<float>(std::cos(20 * 3.14 / 180) * 50 * 3.14 / 180);
  expectPosition(object.vertices[0], -5 * std::cos(a), 20, -5 * std::sin(a));

  // No normal: only the shift and the twist at height y1 = -2.
  a = static_cast<float>(std::cos(-2 * 3.14 / 180) * 50 * 3.14 / 180);
  expectPosition(object.vertices[1], std::cos(a) * 5 - std::sin(a) * 7, -2,
                 std::sin(a) * 5 + std::cos(a) * 7);
  object.release();
}

TEST(Aqua, PhaseMovesOnlyWithDeformedDrawsAndNeverAccumulates) {
  auto make = [] { return makeObject({{3, 8, -2, 0.3f, 0.9f, 0.1f}, {-6, 1, 4, 1, 0, 0}}); };
  SceneObject a = make(), b = make();
  a.prepareDeformation();
  b.prepareDeformation();
  b.deformPhase = 3;

  a.drawDeformed();
  a.drawDeformed();  // the second draw is the phase-3 picture
  b.drawDeformed();
  for (int i = 0; i < 2; ++i)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(a.vertices[i].position[c], b.vertices[i].position[c]);

  // Switched off: plain draws keep the deformed shape and the phase; back on, it continues.
  a.drawMesh();
  EXPECT_EQ(a.deformPhase, 6);
  EXPECT_EQ(a.vertices[0].position[0], b.vertices[0].position[0]);
  a.drawDeformed();
  b.drawDeformed();
  EXPECT_EQ(a.deformPhase, 9);
  EXPECT_EQ(a.vertices[1].position[2], b.vertices[1].position[2]);

  // 120 draws later the phase has gone round by 360: computed from the rest copy every time, the
  // shape is the one of phase 0 up to the 3.14 used for pi.
  SceneObject c = make();
  c.prepareDeformation();
  c.drawDeformed();
  const float first = c.vertices[0].position[1];
  for (int i = 0; i < 120; ++i) c.drawDeformed();
  c.deformPhase = 0;
  c.drawDeformed();
  EXPECT_EQ(c.vertices[0].position[1], first);
  a.release();
  b.release();
  c.release();
}

TEST(Aqua, ObjectsWithoutRestCopyStayAsTheyAre) {
  SceneObject object = makeObject({{1, 2, 3, 0, 1, 0}});
  object.drawDeformed();
  EXPECT_EQ(object.deformPhase, 0);
  expectPosition(object.vertices[0], 1, 2, 3);
  SceneObject empty;
  empty.drawDeformed();  // no vertices at all
  empty.prepareDeformation();
  EXPECT_FALSE(empty.restVerticesReady);
  object.release();
}

TEST(Aqua, PreparationKeepsTheRestShapeAndCornerNormalsFollowTheLastFace) {
  SceneObject object = makeObject({{0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0}});
  object.setupFaces(2);
  Face f0, f1;
  f0.index[0] = 0, f0.index[1] = 1, f0.index[2] = 2;
  f1.index[0] = 2, f1.index[1] = 1, f1.index[2] = 7;  // 7 is no vertex of this object
  for (int k = 0; k < 3; ++k) {
    f0.cornerNormal[k][0] = 1.0f + k;
    f1.cornerNormal[k][1] = 10.0f + k;
  }
  object.setFace(0, f0);
  object.setFace(1, f1);
  object.copyCornerNormals();
  EXPECT_EQ(object.vertices[0].normal[0], 1.0f);   // only face 0 uses vertex 0
  EXPECT_EQ(object.vertices[1].normal[1], 11.0f);  // face 1, corner 1
  EXPECT_EQ(object.vertices[1].normal[0], 0.0f);
  EXPECT_EQ(object.vertices[2].normal[1], 10.0f);  // face 1, corner 0

  object.prepareDeformation();
  ASSERT_TRUE(object.restVerticesReady);
  EXPECT_EQ(object.restVertices[1].normal[1], 11.0f);
  EXPECT_EQ(object.vertices[1].normal[1], 0.0f);
  deformVertices(object);
  object.prepareDeformation();  // a second preparation keeps the first rest shape
  EXPECT_EQ(object.restVertices[1].position[0], 1.0f);
  object.release();
}
