#pragma once
// The 4 x 4 transforms the scene readers place nodes with: column-major doubles, points as
// columns (as glTF stores them and OpenGL takes them), rotations as quaternions (x, y, z, w).
#include <array>

using Matrix = std::array<double, 16>;

Matrix Identity();
Matrix Multiply(const Matrix& a, const Matrix& b);
// The determinant of the upper 3 x 3: below 0 the transform mirrors.
double Determinant3(const Matrix& m);
// The inverse of an affine transform; false when it flattens space.
bool Invert(const Matrix& m, Matrix& out);
// Translation t, then rotation r (normalised; the identity when it is all zeros), then scale s,
// as one matrix: T * R * S.
Matrix Compose(const double t[3], const double r[4], const double s[3]);
// Spherical blend of quaternions a and b at s in 0..1, the short way round.
void Slerp(const double* a, const double* b, double s, double* out);
// The product a * b of two quaternions: b's turn, then a's.
void QuaternionProduct(const double* a, const double* b, double* out);
// The quaternion of a turn by angle radians about axis (normalised here).
void AxisAngle(const double axis[3], double angle, double out[4]);
// The rotation and scale of an affine transform without shear, and its translation: what
// Compose takes back to it (a mirror goes into the scale's sign).
void Decompose(const Matrix& m, double t[3], double r[4], double s[3]);
