// The import benchmark's large sample: one model as a binary glTF and as the OBJ that assimp's
// exporter wrote from it. Each reader must read its file whole, and both must put the same
// triangles in the same places (the glTF reader places each mesh by its node, some meshes many
// times), with normals that agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "scene/GltfReader.h"
#include "scene/ObjReader.h"
#include "scene/Scene.h"
#include "support/QuietStdout.h"

namespace {

// What a scene's triangles add up to: their count, their area, the sum of their centres weighted
// by area, how well their corner normals agree with the way they face (the cosine between the
// two, weighted by area), and the box around them.
struct Sums {
  uint64_t faces = 0;
  double area = 0;
  double centre[3] = {0, 0, 0};
  double agreement = 0;
  double low[3] = {1e30, 1e30, 1e30};
  double high[3] = {-1e30, -1e30, -1e30};
};

Sums Add(const Scene& scene) {
  Sums sums;
  for (uint32_t o = 0; o < scene.objectCount; ++o)
    for (uint32_t f = 0; f < scene.objects[o].faceCount; ++f) {
      const Face& face = scene.objects[o].faces[f];
      const float *a = face.vertex[0]->position, *b = face.vertex[1]->position,
                  *c = face.vertex[2]->position;
      const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
      const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
      const double cross[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                               u[0] * v[1] - u[1] * v[0]};
      const double area =
          std::sqrt(cross[0] * cross[0] + cross[1] * cross[1] + cross[2] * cross[2]) / 2;
      ++sums.faces;
      sums.area += area;
      for (int k = 0; k < 3; ++k) {
        sums.centre[k] += area * (a[k] + b[k] + c[k]) / 3;
        for (int corner = 0; corner < 3; ++corner) {
          sums.agreement += face.cornerNormal[corner][k] * cross[k] / 6;
          const double p = face.vertex[corner]->position[k];
          sums.low[k] = std::min(sums.low[k], p);
          sums.high[k] = std::max(sums.high[k], p);
        }
      }
    }
  return sums;
}

TEST(LargeSample, GlbAndObjHoldTheSameTriangles) {
  const std::string model = std::string(ZB_SOURCE_DIR) + "/tests/data/large/2CylinderEngine";
  Scene glb, obj;
  {
    QuietStdout quiet;
    ASSERT_EQ(ReadGltf((model + ".glb").c_str(), glb), ImportResult::complete);
    ASSERT_EQ(ReadObj((model + ".obj").c_str(), obj), ImportResult::complete);
  }
  const Sums g = Add(glb), o = Add(obj);
  EXPECT_EQ(g.faces, 121496u);  // every placement of every mesh
  EXPECT_EQ(o.faces, g.faces);
  EXPECT_NEAR(o.area, g.area, g.area * 1e-6);
  EXPECT_GT(g.agreement / g.area, 0.9);
  EXPECT_NEAR(o.agreement / o.area, g.agreement / g.area, 1e-4);
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(o.centre[k] / o.area, g.centre[k] / g.area, 1e-3) << k;
    EXPECT_NEAR(o.low[k], g.low[k], 1e-3) << k;
    EXPECT_NEAR(o.high[k], g.high[k], 1e-3) << k;
  }
  glb.release();
  obj.release();
}

}  // namespace
