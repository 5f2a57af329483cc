#include "scene/ImpossibleValues.h"

#include <cmath>
#include <cstdio>

#include "scene/Scene.h"

namespace {

// Keeps the first fault. The element's name is made only for a fault: a scene of a million
// vertices is checked without a string per vertex.
class Finder {
 public:
  std::string fault;

  template <typename Where>
  bool finite(const float* values, int count, const Where& where, const char* what) {
    for (int k = 0; fault.empty() && k < count; ++k)
      if (!std::isfinite(values[k])) name(where(), what, values[k]);
    return fault.empty();
  }
  template <typename Where>
  bool fov(float degrees, const Where& where) {
    if (fault.empty() && !(degrees > 0 && degrees < 180)) name(where(), "field of view", degrees);
    return fault.empty();
  }
  template <typename Where>
  bool holds(bool possible, const Where& where, const char* what) {
    if (fault.empty() && !possible) fault = where() + ": " + what;
    return fault.empty();
  }

 private:
  void name(const std::string& where, const char* what, float value) {
    char number[32];
    // A NaN's sign means nothing; printf would show some as "-nan".
    std::snprintf(number, sizeof number, "%g", std::isnan(value) ? std::fabs(value) : value);
    fault = where + ": " + what + " " + number;
  }
};

std::string Numbered(const char* kind, uint32_t i) {
  return kind + std::string(" ") + std::to_string(i);
}

void CheckObject(const SceneObject& object, uint32_t i, Finder& find) {
  auto element = [&](const char* kind, uint32_t k) {
    return [&object, i, kind, k] {
      return Numbered("object", i) +
             (object.name[0] ? " \"" + std::string(object.name) + "\"" : "") + ", " +
             Numbered(kind, k);
    };
  };
  for (uint32_t v = 0; v < object.vertexCount; ++v)
    if (!find.finite(object.vertices[v].position, 3, element("vertex", v), "position")) return;
  for (uint32_t v = 0; v < object.texVertexCount; ++v) {
    const float uv[2] = {object.texVertices[v].u, object.texVertices[v].v};
    if (!find.finite(uv, 2, element("texture vertex", v), "coordinate")) return;
  }
  for (uint32_t f = 0; f < object.faceCount; ++f)
    if (!find.finite(object.faces[f].faceNormal, 3, element("face", f), "normal") ||
        !find.finite(&object.faces[f].cornerNormal[0][0], 9, element("face", f), "corner normal"))
      return;
  for (uint32_t k = 0; k < object.motion.trackLength; ++k)
    if (!find.finite(object.motion.track[k].matrix, 16, element("frame", k), "transform")) return;
}

void CheckMaterial(const MaterialHeader& h, uint32_t i, Finder& find) {
  const auto where = [i] { return Numbered("material", i); };
  find.finite(h.ambient, 4, where, "ambient colour") &&
      find.finite(h.diffuse, 4, where, "diffuse colour") &&
      find.finite(h.specular, 4, where, "specular colour") &&
      find.finite(h.emission, 3, where, "emission") && find.finite(&h.shine, 1, where, "shine");
}

void CheckCamera(const SceneCamera& camera, uint32_t i, Finder& find) {
  // A camera with a track is drawn from its samples alone.
  const uint32_t frames = camera.trackLength ? camera.trackLength : 1;
  for (uint32_t k = 0; k < frames; ++k) {
    const CameraFrame& frame = camera.trackLength ? camera.track[k] : camera.frame;
    const auto where = [&camera, i, k] {
      return Numbered("camera", i) + (camera.trackLength ? ", " + Numbered("frame", k) : "");
    };
    if (!find.finite(frame.position, 3, where, "position") ||
        !find.finite(frame.target, 3, where, "target") || !find.fov(frame.fov, where))
      return;
  }
}

void CheckLight(const SceneLight& light, uint32_t i, Finder& find) {
  const auto where = [i] { return Numbered("light", i); };
  if (!find.finite(light.frame.color, 4, where, "colour") ||
      !find.finite(light.frame.position, 4, where, "position") ||
      !find.holds(light.shape.possible(), where, "a cone, fading or aim the drivers cannot take"))
    return;
  const auto frame = [i](uint32_t k) {
    return [i, k] { return Numbered("light", i) + ", " + Numbered("frame", k); };
  };
  // Samples carry only a position.
  for (uint32_t k = 0; k < light.trackLength; ++k)
    if (!find.finite(light.track[k].position, 3, frame(k), "position")) return;
  for (uint32_t k = 0; k < light.aims.trackLength; ++k)
    if (!find.finite(light.aims.track[k].direction, 3, frame(k), "aim")) return;
}

}  // namespace

std::string FirstImpossibleValue(const Scene& scene) {
  Finder find;
  for (uint32_t i = 0; find.fault.empty() && i < scene.objectCount; ++i)
    CheckObject(scene.objects[i], i, find);
  for (uint32_t i = 0; find.fault.empty() && i < scene.materialCount; ++i)
    CheckMaterial(scene.materials[i].header, i, find);
  for (uint32_t i = 0; find.fault.empty() && i < scene.cameraCount; ++i)
    CheckCamera(scene.cameras[i], i, find);
  for (uint32_t i = 0; find.fault.empty() && i < scene.lightCount; ++i)
    CheckLight(scene.lights[i], i, find);
  return find.fault;
}

bool ValuesArePossible(const char* path, const Scene& scene) {
  const std::string fault = FirstImpossibleValue(scene);
  if (fault.empty()) return true;
  std::printf("]> ** ERROR ** [ %s ] holds a number nothing can draw: %s.\n", path, fault.c_str());
  return false;
}
