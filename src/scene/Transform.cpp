#include "scene/Transform.h"

#include <algorithm>
#include <cmath>

Matrix Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix m{};
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r)
      for (int k = 0; k < 4; ++k) m[c * 4 + r] += a[k * 4 + r] * b[c * 4 + k];
  return m;
}

double Determinant3(const Matrix& m) {
  return m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
         m[8] * (m[1] * m[6] - m[5] * m[2]);
}

bool Invert(const Matrix& m, Matrix& out) {
  const double det = Determinant3(m);
  if (!(std::fabs(det) > 1e-12)) return false;
  auto at = [&](int r, int c) { return m[c * 4 + r]; };
  out = Identity();
  // inverse[r][c] = cofactor[c][r] / det; the cyclic indices carry the cofactors' signs.
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      const int c1 = (c + 1) % 3, c2 = (c + 2) % 3, r1 = (r + 1) % 3, r2 = (r + 2) % 3;
      out[c * 4 + r] = (at(c1, r1) * at(c2, r2) - at(c1, r2) * at(c2, r1)) / det;
    }
  for (int r = 0; r < 3; ++r)
    out[12 + r] = -(out[r] * m[12] + out[4 + r] * m[13] + out[8 + r] * m[14]);
  return true;
}

Matrix Compose(const double t[3], const double r[4], const double s[3]) {
  double q[4] = {r[0], r[1], r[2], r[3]};
  const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  for (double& v : q) v = n > 0 ? v / n : 0;
  if (n == 0) q[3] = 1;
  const double x = q[0], y = q[1], z = q[2], w = q[3];
  return {(1 - 2 * (y * y + z * z)) * s[0],
          2 * (x * y + z * w) * s[0],
          2 * (x * z - y * w) * s[0],
          0,
          2 * (x * y - z * w) * s[1],
          (1 - 2 * (x * x + z * z)) * s[1],
          2 * (y * z + x * w) * s[1],
          0,
          2 * (x * z + y * w) * s[2],
          2 * (y * z - x * w) * s[2],
          (1 - 2 * (x * x + y * y)) * s[2],
          0,
          t[0],
          t[1],
          t[2],
          1};
}

// Nearly equal keys blend linearly, where the sine would divide by almost nothing.
void Slerp(const double* a, const double* b, double s, double* out) {
  double dot = 0, na = 0, nb = 0;
  for (int c = 0; c < 4; ++c) {
    dot += a[c] * b[c];
    na += a[c] * a[c];
    nb += b[c] * b[c];
  }
  const double sign = dot < 0 ? -1 : 1;
  const double cosine = na > 0 && nb > 0 ? std::min(1.0, sign * dot / std::sqrt(na * nb)) : 1;
  double wa = 1 - s, wb = s;
  if (cosine < 0.9995) {
    const double angle = std::acos(cosine), sine = std::sin(angle);
    wa = std::sin((1 - s) * angle) / sine;
    wb = std::sin(s * angle) / sine;
  }
  for (int c = 0; c < 4; ++c) out[c] = wa * a[c] + wb * sign * b[c];
}

void QuaternionProduct(const double* a, const double* b, double* out) {
  const double x = a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1];
  const double y = a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0];
  const double z = a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3];
  const double w = a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2];
  out[0] = x;
  out[1] = y;
  out[2] = z;
  out[3] = w;
}

void AxisAngle(const double axis[3], double angle, double out[4]) {
  const double n = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  const double half = std::sin(angle / 2);
  for (int c = 0; c < 3; ++c) out[c] = n > 0 ? axis[c] / n * half : 0;
  out[3] = n > 0 ? std::cos(angle / 2) : 1;
}

void Decompose(const Matrix& m, double t[3], double r[4], double s[3]) {
  for (int c = 0; c < 3; ++c) {
    t[c] = m[12 + c];
    s[c] = std::sqrt(m[c * 4] * m[c * 4] + m[c * 4 + 1] * m[c * 4 + 1] + m[c * 4 + 2] * m[c * 4 + 2]);
  }
  if (Determinant3(m) < 0) s[0] = -s[0];
  double a[3][3];  // [row][column], the rotation alone
  for (int c = 0; c < 3; ++c)
    for (int row = 0; row < 3; ++row) a[row][c] = s[c] != 0 ? m[c * 4 + row] / s[c] : (row == c);
  // The largest of the four squares leads, so no root is taken of almost nothing.
  const double trace = a[0][0] + a[1][1] + a[2][2];
  if (trace > 0) {
    const double k = std::sqrt(trace + 1) * 2;
    r[3] = k / 4;
    r[0] = (a[2][1] - a[1][2]) / k;
    r[1] = (a[0][2] - a[2][0]) / k;
    r[2] = (a[1][0] - a[0][1]) / k;
  } else if (a[0][0] > a[1][1] && a[0][0] > a[2][2]) {
    const double k = std::sqrt(1 + a[0][0] - a[1][1] - a[2][2]) * 2;
    r[3] = (a[2][1] - a[1][2]) / k;
    r[0] = k / 4;
    r[1] = (a[0][1] + a[1][0]) / k;
    r[2] = (a[0][2] + a[2][0]) / k;
  } else if (a[1][1] > a[2][2]) {
    const double k = std::sqrt(1 + a[1][1] - a[0][0] - a[2][2]) * 2;
    r[3] = (a[0][2] - a[2][0]) / k;
    r[0] = (a[0][1] + a[1][0]) / k;
    r[1] = k / 4;
    r[2] = (a[1][2] + a[2][1]) / k;
  } else {
    const double k = std::sqrt(1 + a[2][2] - a[0][0] - a[1][1]) * 2;
    r[3] = (a[1][0] - a[0][1]) / k;
    r[0] = (a[0][2] + a[2][0]) / k;
    r[1] = (a[1][2] + a[2][1]) / k;
    r[2] = k / 4;
  }
}
