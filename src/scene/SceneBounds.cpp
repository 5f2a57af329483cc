#include "scene/SceneBounds.h"

#include <algorithm>
#include <cmath>

#include "scene/Scene.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// False for a vector too short to have a direction.
bool Normalize(double v[3]) {
  const double length = std::sqrt(Dot(v, v));
  if (!(length > 1e-12)) return false;
  for (int k = 0; k < 3; ++k) v[k] /= length;
  return true;
}

bool ShowsSomething(float fovDegrees, float aspect) {
  return fovDegrees > 0 && fovDegrees < 180 && aspect > 0 && std::isfinite(aspect);
}

}  // namespace

void SceneBounds::add(const float point[3]) {
  for (int k = 0; k < 3; ++k) {
    if (!std::isfinite(point[k])) return;  // a damaged vertex must not swallow the box
  }
  for (int k = 0; k < 3; ++k) {
    min[k] = empty ? point[k] : std::min(min[k], point[k]);
    max[k] = empty ? point[k] : std::max(max[k], point[k]);
  }
  empty = false;
}

void SceneBounds::centre(float out[3]) const {
  for (int k = 0; k < 3; ++k) out[k] = 0.5f * (min[k] + max[k]);
}

float SceneBounds::radius() const {
  double d[3];
  for (int k = 0; k < 3; ++k) d[k] = static_cast<double>(max[k]) - min[k];
  return empty ? 0.0f : static_cast<float>(0.5 * std::sqrt(Dot(d, d)));
}

SceneBounds MeshBounds(const Scene& scene) {
  SceneBounds bounds;
  for (uint32_t i = 0; i < scene.objectCount; ++i) {
    const SceneObject& object = scene.objects[i];
    if (!object.verticesReady) continue;
    for (uint32_t j = 0; j < object.vertexCount; ++j) bounds.add(object.vertices[j].position);
  }
  return bounds;
}

CameraFrame FramingEye(const SceneBounds& bounds, float fovDegrees, float aspect) {
  CameraFrame eye;
  eye.fov = fovDegrees;
  if (bounds.empty || !ShowsSomething(fovDegrees, aspect)) {
    std::copy(kDefaultEye, kDefaultEye + 3, eye.position);
    return eye;
  }
  // The sphere around the box fits in the cone of the narrower of the two half angles.
  const double vertical = fovDegrees * kPi / 360.0;
  const double horizontal = std::atan(std::tan(vertical) * aspect);
  const double radius = bounds.radius();
  // Its nearest point must also lie beyond the near plane.
  const double distance =
      std::max(radius / std::sin(std::min(vertical, horizontal)), radius + 2.0 * kNearPlane);
  double away[3] = {kDefaultEye[0], kDefaultEye[1], kDefaultEye[2]};
  Normalize(away);
  bounds.centre(eye.target);
  for (int k = 0; k < 3; ++k)
    eye.position[k] = static_cast<float>(eye.target[k] + away[k] * distance);
  return eye;
}

namespace {

// The camera's axes as the renderer's look-at builds them, up along y; false when it looks
// straight up or down (no picture to speak of) or at its own position.
bool EyeAxes(const CameraFrame& eye, double forward[3], double side[3], double up[3]) {
  const double worldUp[3] = {0, 1, 0};
  for (int k = 0; k < 3; ++k) forward[k] = static_cast<double>(eye.target[k]) - eye.position[k];
  if (!Normalize(forward)) return false;
  Cross(forward, worldUp, side);
  if (!Normalize(side)) return false;
  Cross(side, forward, up);
  return true;
}

// Corner c of the box, from the eye.
void CornerFromEye(const SceneBounds& bounds, const CameraFrame& eye, int c, double to[3]) {
  for (int k = 0; k < 3; ++k)
    to[k] = static_cast<double>((c >> k) & 1 ? bounds.max[k] : bounds.min[k]) - eye.position[k];
}

}  // namespace

bool BoundsInView(const SceneBounds& bounds, const CameraFrame& eye, float aspect) {
  if (bounds.empty || !ShowsSomething(eye.fov, aspect)) return false;
  double forward[3], side[3], up[3];
  if (!EyeAxes(eye, forward, side, up)) return false;
  const double tanVertical = std::tan(eye.fov * kPi / 360.0);
  // Rounding of the eye's float position may put a corner a hair outside.
  const double slack = 1e-4;
  for (int corner = 0; corner < 8; ++corner) {
    double to[3];
    CornerFromEye(bounds, eye, corner, to);
    const double depth = Dot(to, forward);
    if (depth < kNearPlane || depth > kFarPlane) return false;
    const double limit = depth * tanVertical * (1 + slack);
    if (std::fabs(Dot(to, up)) > limit || std::fabs(Dot(to, side)) > limit * aspect) return false;
  }
  return true;
}

float BoundsPictureShare(const SceneBounds& bounds, const CameraFrame& eye, float aspect) {
  if (bounds.empty || !ShowsSomething(eye.fov, aspect)) return 0;
  double forward[3], side[3], up[3];
  if (!EyeAxes(eye, forward, side, up)) return 0;
  const double tanVertical = std::tan(eye.fov * kPi / 360.0);
  double low[2] = {1, 1}, high[2] = {-1, -1};
  int ahead = 0;
  for (int corner = 0; corner < 8; ++corner) {
    double to[3];
    CornerFromEye(bounds, eye, corner, to);
    const double depth = Dot(to, forward);
    const double lateral[2] = {Dot(to, side), Dot(to, up)};
    const double scale[2] = {tanVertical * aspect, tanVertical};
    for (int a = 0; a < 2; ++a) {
      // A corner nearer than the near plane stretches the box out of the picture on its side.
      const double v = depth >= kNearPlane ? lateral[a] / (depth * scale[a])
                       : lateral[a] >= 0   ? 2
                                           : -2;
      low[a] = std::min(low[a], v);
      high[a] = std::max(high[a], v);
      if (depth < kNearPlane && lateral[a] == 0) {
        low[a] = -2;
        high[a] = 2;
      }
    }
    ahead += depth >= kNearPlane;
  }
  if (ahead == 0) return 0;
  double area = 1;
  for (int a = 0; a < 2; ++a) area *= std::max(0.0, std::min(high[a], 1.0) - std::max(low[a], -1.0)) / 2;
  return static_cast<float>(area);
}
