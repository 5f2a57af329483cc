#include "render/gl3/Matrix.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
}  // namespace

Mat4 Mat4::operator*(const Mat4& right) const {
  Mat4 product;
  for (int column = 0; column < 4; ++column)
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k)
        sum += static_cast<double>(m[k * 4 + row]) * right.m[column * 4 + k];
      product.m[column * 4 + row] = static_cast<float>(sum);
    }
  return product;
}

void Mat4::NormalMatrix(float out[9]) const {
  auto at = [&](int row, int column) { return static_cast<double>(m[column * 4 + row]); };
  double cofactor[3][3];  // [row][column]
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
      cofactor[r][c] = at(r1, c1) * at(r2, c2) - at(r1, c2) * at(r2, c1);
    }
  const double det = at(0, 0) * cofactor[0][0] + at(0, 1) * cofactor[0][1] + at(0, 2) * cofactor[0][2];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      out[c * 3 + r] = det != 0 ? static_cast<float>(cofactor[r][c] / det) : (r == c ? 1.0f : 0.0f);
}

void Mat4::Transform(const float point[4], float out[3]) const {
  for (int row = 0; row < 3; ++row)
    out[row] =
        m[row] * point[0] + m[4 + row] * point[1] + m[8 + row] * point[2] + m[12 + row] * point[3];
}

Mat4 Mat4::LookAt(const CameraFrame& eye) {
  double f[3] = {static_cast<double>(eye.target[0]) - eye.position[0],
                 static_cast<double>(eye.target[1]) - eye.position[1],
                 static_cast<double>(eye.target[2]) - eye.position[2]};
  auto normalize = [](double v[3]) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0) return;
    for (int i = 0; i < 3; ++i) v[i] /= length;
  };
  normalize(f);
  const double up[3] = {0, 1, 0};
  double s[3] = {f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2],
                 f[0] * up[1] - f[1] * up[0]};
  normalize(s);
  const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                       s[0] * f[1] - s[1] * f[0]};
  Mat4 rotation;
  for (int i = 0; i < 3; ++i) {
    rotation.m[i * 4 + 0] = static_cast<float>(s[i]);
    rotation.m[i * 4 + 1] = static_cast<float>(u[i]);
    rotation.m[i * 4 + 2] = static_cast<float>(-f[i]);
  }
  return rotation * Translation(-eye.position[0], -eye.position[1], -eye.position[2]);
}

Mat4 Mat4::Translation(float x, float y, float z) {
  Mat4 t;
  t.m[12] = x;
  t.m[13] = y;
  t.m[14] = z;
  return t;
}

Mat4 Mat4::Perspective(double fovDegrees, double aspect, double near, double far) {
  Mat4 p;
  const double radians = fovDegrees / 2 * kPi / 180;
  const double sine = std::sin(radians), depth = far - near;
  if (depth == 0 || sine == 0 || aspect == 0) return p;
  const double cotangent = std::cos(radians) / sine;
  p.m[0] = static_cast<float>(cotangent / aspect);
  p.m[5] = static_cast<float>(cotangent);
  p.m[10] = static_cast<float>(-(far + near) / depth);
  p.m[11] = -1;
  p.m[14] = static_cast<float>(-2 * near * far / depth);
  p.m[15] = 0;
  return p;
}

Mat4 Mat4::Ortho(double left, double right, double bottom, double top) {
  Mat4 o;
  o.m[0] = static_cast<float>(2 / (right - left));
  o.m[5] = static_cast<float>(2 / (top - bottom));
  o.m[10] = -1;
  o.m[12] = static_cast<float>(-(right + left) / (right - left));
  o.m[13] = static_cast<float>(-(top + bottom) / (top - bottom));
  return o;
}
