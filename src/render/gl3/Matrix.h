#pragma once
// 4 x 4 matrices as OpenGL takes them (column by column), made as GLU made them.
#include "scene/SceneRecords.h"

struct Mat4 {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  Mat4 operator*(const Mat4& right) const;
  // The point (x, y, z, w) carried by the matrix, x y z of the result.
  void Transform(const float point[4], float out[3]) const;
  // The matrix normals go through (the inverse transpose of the upper 3 x 3), column-major; the
  // identity where that part cannot be inverted.
  void NormalMatrix(float out[9]) const;

  static Mat4 LookAt(const CameraFrame& eye);  // up is +y
  static Mat4 Translation(float x, float y, float z);
  static Mat4 Perspective(double fovDegrees, double aspect, double near, double far);
  static Mat4 Ortho(double left, double right, double bottom, double top);
};
