// The shader renderer makes its matrices as GLU made them for the classic one: the same
// projection and eye, read back from the fixed-function pipeline.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/OpenGL.h"
#include "render/gl3/Matrix.h"
#include "support/GLTestWindow.h"

namespace {

class Gl3Matrix : public GLTestWindow {
 protected:
  static Mat4 Read(GLenum which) {
    Mat4 m;
    glGetFloatv(which, m.m);
    return m;
  }
  static void ExpectNear(const Mat4& ours, const Mat4& glu, const char* what) {
    for (int i = 0; i < 16; ++i)
      EXPECT_NEAR(ours.m[i], glu.m[i], 1e-5f * (1 + std::fabs(glu.m[i])))
          << what << " [" << i << "]";
  }
};

TEST_F(Gl3Matrix, ProjectionAndEyeAreGlus) {
  const struct {
    double fov, aspect;
  } projections[] = {{100.33, 4.0 / 3}, {45, 16.0 / 9}, {1, 1}, {179, 0.5}};
  for (const auto& p : projections) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(p.fov, p.aspect, 1.0, 50000.0);
    ExpectNear(Mat4::Perspective(p.fov, p.aspect, 1.0, 50000.0), Read(GL_PROJECTION_MATRIX),
               "perspective");
  }
  const CameraFrame eyes[] = {{{0, 0, 200}, {0, 0, 0}, 60, false},
                              {{-350, 120, 40}, {10, -20, 300}, 45, false},
                              {{5, 900, 0.5f}, {5, 0, 0}, 90, false}};  // looking nearly down
  glMatrixMode(GL_MODELVIEW);
  for (const CameraFrame& eye : eyes) {
    glLoadIdentity();
    gluLookAt(eye.position[0], eye.position[1], eye.position[2], eye.target[0], eye.target[1],
              eye.target[2], 0, 1, 0);
    glTranslatef(3, -4, 5);  // a shake
    ExpectNear(Mat4::LookAt(eye) * Mat4::Translation(3, -4, 5), Read(GL_MODELVIEW_MATRIX), "eye");
  }
}

}  // namespace
