// writeScene in three steps: copy the scene's textures into the production (when normalising),
// encode the scene with the paths they got, then put the file and its copy log in place. Every
// file is written beside its destination and renamed over it only once complete, so a failed or
// killed write never costs the user the file that was there.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "scene/SceneBinaryLayout.h"
#include "scene/SceneBinaryTextures.h"

using namespace scenebinary;

namespace {

const char* const kBanner = SceneBinaryFile::kBanner;

// The path field holds at most 254 characters and its NUL; a longer path is cut, and said.
std::string FittedPath(std::string path) {
  const size_t limit = kMapPathSize - 1;
  if (path.size() > limit) {
    std::printf("%s - WARNING: the path [%s] does not fit in %zu characters; it is cut.\n", kBanner,
                path.c_str(), limit);
    path.resize(limit);
  }
  return path;
}

void EncodeObject(ByteSink& out, const SceneObject& object) {
  // An array that was never set up is written as empty and never read.
  const uint32_t vertices = object.verticesReady ? object.vertexCount : 0;
  out.u32(vertices);
  for (uint32_t j = 0; j < vertices; ++j) VertexFields(out, object.getVertex(j));
  const uint32_t faces = object.facesReady ? object.faceCount : 0;
  out.u32(faces);
  for (uint32_t j = 0; j < faces; ++j) FaceFields(out, object.getFace(j));
  const uint32_t texVertices = object.texVerticesReady ? object.texVertexCount : 0;
  out.u32(texVertices);
  for (uint32_t j = 0; j < texVertices; ++j) TexVertexFields(out, object.getTexVertex(j));
  const uint32_t texFaces = object.texFacesReady ? object.texFaceCount : 0;
  out.u32(texFaces);
  for (uint32_t j = 0; j < texFaces; ++j) TexFaceFields(out, object.getTexFace(j));
  out.i32(object.materialIndex);
}

void EncodeCamera(ByteSink& out, const SceneCamera& camera) {
  CameraFrameFields(out, camera.getFrame());
  out.u32(camera.trackLength);
  for (uint32_t k = 0; k < camera.trackLength; ++k) CameraFrameFields(out, camera.getSample(k));
}

// paths holds the path each map stores, in scene order (next: this material's first), or
// nothing when the maps keep their own.
void EncodeMaterial(ByteSink& out, const Material& material, int i,
                    const std::vector<std::string>& paths, size_t& next) {
  MaterialHeader header = material.getHeader();
  // A material holds two maps; a larger count would make the file unreadable.
  if (header.mapCount > 2) header.mapCount = 2;
  MaterialHeaderFields(out, header);
  for (uint32_t k = 0; k < header.mapCount; ++k) {
    TextureMap map = material.getMap(k);
    const std::string stored = FittedPath(paths.empty() ? map.bitmap : paths[next++]);
    std::printf("%s - Escribiendo material [ %d ] - Textura [ %d ] [ %s ]\n", kBanner, i,
                static_cast<int>(k), stored.c_str());
    map.setBitmap(stored.c_str());
    MapFields(out, map);
  }
}

void EncodeLight(ByteSink& out, const SceneLight& light) {
  LightFrameFields(out, light.getFrame());
  out.flag(light.hasFlare);
  out.u32(light.trackLength);
  for (uint32_t k = 0; k < light.trackLength; ++k) LightFrameFields(out, light.getSample(k));
}

// The moving objects' tracks; false (nothing written) when no object moves.
bool EncodeObjectTracks(ByteSink& out, const Scene& scene) {
  uint32_t moving = 0;
  for (uint32_t i = 0; i < scene.objectCount; ++i) moving += scene.objects[i].motion.trackLength > 0;
  if (moving == 0) return false;
  std::printf("%s - Writing the tracks of %d moving objects.\n", kBanner, static_cast<int>(moving));
  const size_t section = out.beginSection(kObjectTracksSection);
  out.u32(moving);
  for (uint32_t i = 0; i < scene.objectCount; ++i) {
    const PositionTrack<ObjectFrame>& motion = scene.objects[i].motion;
    if (motion.trackLength == 0) continue;
    out.u32(i);
    out.u32(motion.trackLength);
    for (uint32_t k = 0; k < motion.trackLength; ++k) ObjectFrameFields(out, motion.getSample(k));
  }
  out.endSection(section);
  return true;
}

// The shapes of the lights that are not plain; false (nothing written) when all are.
bool EncodeLightShapes(ByteSink& out, const Scene& scene) {
  uint32_t shaped = 0;
  for (uint32_t i = 0; i < scene.lightCount; ++i)
    shaped += !scene.lights[i].shape.plain() || scene.lights[i].aims.trackLength > 0;
  if (shaped == 0) return false;
  const size_t section = out.beginSection(kLightShapesSection);
  out.u32(shaped);
  for (uint32_t i = 0; i < scene.lightCount; ++i) {
    const SceneLight& light = scene.lights[i];
    if (light.shape.plain() && light.aims.trackLength == 0) continue;
    out.u32(i);
    uint32_t kind = static_cast<uint32_t>(light.shape.kind);
    LightShapeFields(out, light.shape, kind);
    out.u32(light.aims.trackLength);
    for (uint32_t k = 0; k < light.aims.trackLength; ++k) LightAimFields(out, light.aims.getSample(k));
  }
  out.endSection(section);
  return true;
}

// The looks of the materials that are not plain; false (nothing written) when all are.
bool EncodeMaterialLooks(ByteSink& out, const Scene& scene) {
  uint32_t looks = 0;
  for (uint32_t i = 0; i < scene.materialCount; ++i) looks += !scene.materials[i].look.plain();
  if (looks == 0) return false;
  const size_t section = out.beginSection(kMaterialLooksSection);
  out.u32(looks);
  for (uint32_t i = 0; i < scene.materialCount; ++i) {
    const MaterialLook& look = scene.materials[i].look;
    if (look.plain()) continue;
    out.u32(i);
    uint32_t numbers[3] = {look.unlit ? 1u : 0u, static_cast<uint32_t>(look.wrap[0]),
                           static_cast<uint32_t>(look.wrap[1])};
    MaterialLookFields(out, look, numbers);
  }
  out.endSection(section);
  return true;
}

// The objects whose vertices carry colours; false (nothing written) when none do.
bool EncodeVertexColours(ByteSink& out, const Scene& scene) {
  uint32_t coloured = 0;
  for (uint32_t i = 0; i < scene.objectCount; ++i) coloured += scene.objects[i].vertexColours;
  if (coloured == 0) return false;
  const size_t section = out.beginSection(kVertexColoursSection);
  out.u32(coloured);
  for (uint32_t i = 0; i < scene.objectCount; ++i)
    if (scene.objects[i].vertexColours) out.u32(i);
  out.endSection(section);
  return true;
}

// The extension after the last light, with the sections the scene needs; nothing at all when
// it needs none.
void EncodeExtension(ByteSink& out, const Scene& scene) {
  ByteSink sections;
  const bool tracks = EncodeObjectTracks(sections, scene);
  const bool lights = EncodeLightShapes(sections, scene);
  const bool looks = EncodeMaterialLooks(sections, scene);
  const bool any = EncodeVertexColours(sections, scene) || tracks || lights || looks;
  if (!any) return;
  out.bytes.insert(out.bytes.end(), kExtensionTag, kExtensionTag + 4);
  out.u32(kExtensionVersion);
  out.bytes.insert(out.bytes.end(), sections.bytes.begin(), sections.bytes.end());
}

// The whole file in memory, with the log line of each section and element.
void EncodeScene(ByteSink& out, const Scene& scene, const std::vector<std::string>& paths) {
  std::printf("%s - Escribiendo cabecera de escena.\n", kBanner);
  ParamsFields(out, scene.getParams());

  std::printf("%s - Escribiendo %d objetos.\n", kBanner, static_cast<int>(scene.objectCount));
  out.u32(scene.objectCount);
  for (uint32_t i = 0; i < scene.objectCount; ++i) {
    std::printf("%s - Escribiendo objeto [ %d ]\n", kBanner, static_cast<int>(i));
    EncodeObject(out, scene.getObject(i));
  }

  std::printf("%s - Escribiendo %d camaras.\n", kBanner, static_cast<int>(scene.cameraCount));
  out.u32(scene.cameraCount);
  for (uint32_t i = 0; i < scene.cameraCount; ++i) {
    std::printf("%s - Escribiendo camara [ %d ]\n", kBanner, static_cast<int>(i));
    EncodeCamera(out, scene.getCamera(i));
  }

  std::printf("%s - Escribiendo %d materiales.\n", kBanner, static_cast<int>(scene.materialCount));
  out.u32(scene.materialCount);
  size_t next = 0;
  for (uint32_t i = 0; i < scene.materialCount; ++i) {
    std::printf("%s - Escribiendo material [ %d ]\n", kBanner, static_cast<int>(i));
    EncodeMaterial(out, scene.getMaterial(i), static_cast<int>(i), paths, next);
  }

  std::printf("%s - Escribiendo %d luces.\n", kBanner, static_cast<int>(scene.lightCount));
  out.u32(scene.lightCount);
  for (uint32_t i = 0; i < scene.lightCount; ++i) {
    std::printf("%s - Escribiendo luz [ %d ].\n", kBanner, static_cast<int>(i));
    EncodeLight(out, scene.getLight(i));
  }
  EncodeExtension(out, scene);
}

}  // namespace

bool SceneBinaryFile::writeScene(const char* path, const Scene& scene) {
  AtomicFile target;
  file = target.Open(path);
  if (!file) {
    std::printf("%s - ERROR: cannot create the file [ %s ]; the scene is not written.\n",
                kBanner, path);
    return false;
  }
  std::string copyLog;
  const std::vector<std::string> paths =
      normalize ? CopySceneTextures(*this, scene, copyLog) : std::vector<std::string>();

  ByteSink out;
  EncodeScene(out, scene, paths);

  const bool written = std::fwrite(out.bytes.data(), 1, out.bytes.size(), file) == out.bytes.size();
  file = nullptr;
  if (!written || !target.Commit()) {
    std::printf("%s - ERROR: could not write the file [ %s ]; it is left as it was.\n",
                kBanner, path);
    return false;
  }
  // The log of the copies goes with the scene it belongs to: a failed write keeps the old one.
  const std::string logPath = std::string(path) + ".TXT";
  if (normalize && !WriteWholeFile(logPath.c_str(), copyLog.data(), copyLog.size()))
    std::printf("%s - ERROR: cannot create the copy log [%s].\n", kBanner,
                logPath.c_str());
  return true;
}
