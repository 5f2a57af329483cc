#include "SceneSummary.h"

#include <algorithm>
#include <cmath>

#include "platform/Files.h"
#include "scene/Scene.h"
#include "scene/SceneBounds.h"

namespace {

bool TextureExists(const std::string& productionDir, const char* bitmap) {
  const std::string path = productionDir.empty() ? bitmap : productionDir + "\\" + bitmap;
  return ExamineFile(path.c_str()).kind == FileKind::regular;
}

const char* YesNo(bool value) { return value ? "yes" : "no"; }

// Adding 0 turns a negative zero into zero, which prints without its sign.
void PrintPoint(FILE* out, const float* p) {
  std::fprintf(out, "(%.3f, %.3f, %.3f)", p[0] + 0.0f, p[1] + 0.0f, p[2] + 0.0f);
}

void PrintBounds(FILE* out, const SceneBounds& bounds) {
  if (bounds.empty) {
    std::fprintf(out, "  Box: empty\n");
    return;
  }
  float centre[3], size[3];
  bounds.centre(centre);
  for (int k = 0; k < 3; ++k) size[k] = bounds.max[k] - bounds.min[k];
  std::fprintf(out, "  Box: ");
  PrintPoint(out, bounds.min);
  std::fprintf(out, " - ");
  PrintPoint(out, bounds.max);
  std::fprintf(out, "\n        centre ");
  PrintPoint(out, centre);
  std::fprintf(out, ", size ");
  PrintPoint(out, size);
  std::fprintf(out, "\n");
}

void PrintPlaced(FILE* out, const ObjectFrame& frame, const float p[3]) {
  const float* m = frame.matrix;
  float placed[3];
  for (int r = 0; r < 3; ++r) placed[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
  PrintPoint(out, placed);
}

// Where a camera stands at frame 0 against the box, in the player's 4:3 picture.
void PrintCameraToBounds(FILE* out, const CameraFrame& eye, const SceneBounds& bounds) {
  float centre[3];
  bounds.centre(centre);
  double squared = 0;
  for (int k = 0; k < 3; ++k) {
    const double d = static_cast<double>(eye.position[k]) - centre[k];
    squared += d * d;
  }
  const float aspect = 4.0f / 3.0f;
  std::fprintf(out,
               "        at frame 0: %.3f from the box's centre (radius %.3f), whole box in view: %s, "
               "the box fills %.2f%% of the picture\n",
               std::sqrt(squared), bounds.radius(), YesNo(BoundsInView(bounds, eye, aspect)),
               100.0 * BoundsPictureShare(bounds, eye, aspect));
}

}  // namespace

std::vector<std::string> MissingTextures(const Scene& scene, const std::string& productionDir) {
  std::vector<std::string> missing;
  for (uint32_t i = 0; scene.materialsReady && i < scene.materialCount; ++i) {
    const Material& material = scene.materials[i];
    for (uint32_t k = 0; k < material.header.mapCount && k < 2; ++k) {
      const std::string bitmap = material.maps[k].bitmap;
      if (TextureExists(productionDir, bitmap.c_str())) continue;
      if (std::find(missing.begin(), missing.end(), bitmap) == missing.end()) missing.push_back(bitmap);
    }
  }
  return missing;
}

void PrintSceneSummary(FILE* out, const Scene& scene, const std::string& productionDir) {
  const SceneParams& p = scene.params;
  std::fprintf(out, "  Animation: frames 0..%d at %d fps, %d ticks a frame\n", p.lastFrame,
               p.frameSpeed, p.ticksPerFrame);
  std::fprintf(out, "  Background: ");
  PrintPoint(out, p.background);
  std::fprintf(out, "  Ambient: ");
  PrintPoint(out, p.ambient);
  std::fprintf(out, "  Fog: %s\n", YesNo(p.fogEnabled));

  const uint32_t objectCount = scene.objectsReady ? scene.objectCount : 0;
  uint64_t vertices = 0, faces = 0, texVertices = 0, texFaces = 0;
  for (uint32_t i = 0; i < objectCount; ++i) {
    const SceneObject& o = scene.objects[i];
    vertices += o.vertexCount;
    faces += o.faceCount;
    texVertices += o.texVertexCount;
    texFaces += o.texFaceCount;
  }
  std::fprintf(out, "  Objects: %u (vertices %llu, faces %llu, texture vertices %llu, texture faces %llu)\n",
               objectCount, static_cast<unsigned long long>(vertices), static_cast<unsigned long long>(faces),
               static_cast<unsigned long long>(texVertices), static_cast<unsigned long long>(texFaces));
  for (uint32_t i = 0; i < objectCount; ++i) {
    const SceneObject& o = scene.objects[i];
    std::fprintf(out, "    [%u] %u vertices, %u faces, %u texture vertices, %u texture faces, material %d\n",
                 i, o.vertexCount, o.faceCount, o.texVertexCount, o.texFaceCount, o.materialIndex);
    if (o.motion.trackLength == 0) continue;
    // Where the track takes the middle of the object's vertices, first and last.
    float centre[3] = {0, 0, 0};
    for (uint32_t v = 0; v < o.vertexCount; ++v)
      for (int c = 0; c < 3; ++c) centre[c] += o.vertices[v].position[c] / static_cast<float>(o.vertexCount);
    std::fprintf(out, "        moves: track of %u samples, its middle at frame 0 ", o.motion.trackLength);
    PrintPlaced(out, o.motion.track[0], centre);
    std::fprintf(out, ", at frame %u ", o.motion.trackLength - 1);
    PrintPlaced(out, o.motion.track[o.motion.trackLength - 1], centre);
    std::fprintf(out, "\n");
  }

  const uint32_t materialCount = scene.materialsReady ? scene.materialCount : 0;
  std::fprintf(out, "  Materials: %u\n", materialCount);
  for (uint32_t i = 0; i < materialCount; ++i) {
    const MaterialHeader& h = scene.materials[i].header;
    std::fprintf(out, "    [%u] number %d, %u maps, two-sided %s, diffuse (%.3f, %.3f, %.3f, %.3f)\n", i,
                 h.index, h.mapCount, YesNo(h.twoSided), h.diffuse[0], h.diffuse[1], h.diffuse[2],
                 h.diffuse[3]);
    for (uint32_t k = 0; k < h.mapCount && k < 2; ++k) {
      const TextureMap& map = scene.materials[i].maps[k];
      std::fprintf(out, "        map %u: %s%s%s\n", k, map.bitmap, map.spherical ? " [spherical]" : "",
                   TextureExists(productionDir, map.bitmap) ? "" : " (not found)");
    }
  }

  const SceneBounds bounds = MeshBounds(scene);
  PrintBounds(out, bounds);

  const uint32_t cameraCount = scene.camerasReady ? scene.cameraCount : 0;
  std::fprintf(out, "  Cameras: %u\n", cameraCount);
  if (cameraCount == 0 && !bounds.empty)
    std::fprintf(out, "    seen from the fixed point (0, 50, 80); with 'frame' on its manifest line, "
                      "from where it is seen whole\n");
  for (uint32_t i = 0; i < cameraCount; ++i) {
    const SceneCamera& c = scene.cameras[i];
    std::fprintf(out, "    [%u] track of %u samples, fov %.2f, position ", i, c.trackLength, c.frame.fov);
    PrintPoint(out, c.frame.position);
    std::fprintf(out, ", target ");
    PrintPoint(out, c.frame.target);
    std::fprintf(out, "\n");
    if (!bounds.empty) PrintCameraToBounds(out, c.trackLength ? c.track[0] : c.frame, bounds);
  }

  const uint32_t lightCount = scene.lightsReady ? scene.lightCount : 0;
  std::fprintf(out, "  Lights: %u\n", lightCount);
  for (uint32_t i = 0; i < lightCount; ++i) {
    const SceneLight& l = scene.lights[i];
    std::fprintf(out, "    [%u] GL light %d, track of %u samples, flare %s, colour (%.3f, %.3f, %.3f), position ", i,
                 l.frame.lightNumber, l.trackLength, YesNo(l.hasFlare), l.frame.color[0], l.frame.color[1],
                 l.frame.color[2]);
    PrintPoint(out, l.frame.position);
    std::fprintf(out, "\n");
    if (l.shape.plain() && l.aims.trackLength == 0) continue;
    const LightShape& shape = l.shape;
    static const char* const kKinds[] = {"point", "directional", "spot"};
    std::fprintf(out, "        %s light", kKinds[static_cast<int>(shape.kind)]);
    if (shape.kind != LightKind::point) {
      std::fprintf(out, " aimed at ");
      PrintPoint(out, shape.direction);
    }
    if (shape.kind == LightKind::spot)
      std::fprintf(out, ", cone %.2f degrees, exponent %.2f", shape.cutoff, shape.exponent);
    std::fprintf(out, ", fading %g %g %g with distance, aim track of %u samples\n", shape.attenuation[0],
                 shape.attenuation[1], shape.attenuation[2], l.aims.trackLength);
  }

}
