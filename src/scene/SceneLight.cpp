#include "scene/SceneLight.h"

#include <algorithm>
#include <cmath>

void ShapeSpot(LightShape& shape, float innerDegrees, float outerDegrees) {
  constexpr double kDegree = 3.14159265358979323846 / 180;
  const float outer = std::isfinite(outerDegrees) ? std::clamp(outerDegrees, 0.0f, 90.0f) : 45.0f;
  const float inner = std::isfinite(innerDegrees) ? std::clamp(innerDegrees, 0.0f, outer) : 0.0f;
  shape.kind = LightKind::spot;
  shape.cutoff = outer;
  // cos(middle)^exponent = 1/2: the light is half as strong midway between the cones.
  const double middle = std::cos((inner + outer) / 2 * kDegree);
  shape.exponent = inner < outer && middle < 1
                       ? static_cast<float>(std::min(128.0, std::log(0.5) / std::log(middle)))
                       : 0.0f;
}
