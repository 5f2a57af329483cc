// writeScene in three steps: encode the scene into bytes (the paths it stores are decided
// here), copy the textures those paths name, then put the file in place. Every file is written
// beside its destination under a temporary name and put in place only once complete, so a
// failed write never costs the user the file that was there.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "scene/SceneBinaryLayout.h"

using namespace scenebinary;

namespace {

const char* const kBanner = SceneBinaryFile::kBanner;

// A file written under a temporary name next to its destination.
class PendingFile {
 public:
  PendingFile(const char* destination, const char* mode)
      : destination_(destination), temporary_(std::string(destination) + ".tmp") {
    stream = OpenFile(temporary_.c_str(), mode);
  }
  ~PendingFile() {
    if (stream) abandon();
  }

  // Closes the stream and puts the file in place; false (and nothing replaced) on any error.
  bool commit(bool writesOk) {
    const bool closed = std::fclose(stream) == 0;
    stream = nullptr;
    if (writesOk && closed &&
        std::rename(ResolvePath(temporary_.c_str()).c_str(), ResolvePath(destination_).c_str()) == 0)
      return true;
    std::remove(ResolvePath(temporary_.c_str()).c_str());
    return false;
  }

  void abandon() { commit(false); }

  FILE* stream = nullptr;

 private:
  const char* destination_;
  std::string temporary_;
};

// A texture image the write copies into the production: from the map's bitmap to the path
// the file stores.
struct TextureCopy {
  std::string source;
  std::string destination;
};

// "textures\" + the last non-empty backslash-separated piece of bitmap; empty when bitmap
// names no file.
std::string NormalizedPath(const char* bitmap) {
  const char* name = nullptr;
  size_t length = 0;
  for (const char* p = bitmap; *p;) {
    const char* end = std::strchr(p, '\\');
    if (!end) end = p + std::strlen(p);
    if (end > p) {
      name = p;
      length = static_cast<size_t>(end - p);
    }
    p = *end ? end + 1 : end;
  }
  if (!name) return std::string();
  return "textures\\" + std::string(name, length);
}

// The path field holds at most 254 characters and its NUL; a longer path is cut, and said.
std::string FittedPath(std::string path) {
  const size_t limit = kMapPathSize - 1;
  if (path.size() > limit) {
    std::printf("%s - AVISO: la ruta [%s] no cabe en %zu caracteres; se recorta.\n", kBanner,
                path.c_str(), limit);
    path.resize(limit);
  }
  return path;
}

// The map as the file stores it. With normalize, its image is queued for copying to the path
// stored under "textures\".
TextureMap StoredMap(const TextureMap& map, bool normalize, int material, int k,
                     std::vector<TextureCopy>& copies) {
  std::string stored = FittedPath(map.bitmap);
  if (!normalize) {
    std::printf("%s - Escribiendo material [ %d ] - Textura [ %d ] [ %s ]\n", kBanner, material,
                k, map.bitmap);
  } else {
    const std::string normalized = NormalizedPath(map.bitmap);
    if (normalized.empty()) {
      std::printf("%s - [NORMALIZANDO] - La textura [%s] no nombra ningun fichero; no se copia.\n",
                  kBanner, map.bitmap);
    } else {
      stored = FittedPath(normalized);
      std::printf("%s - Escribiendo material [ %d ] - Textura [ %d ] [ %s ]\n", kBanner,
                  material, k, stored.c_str());
      copies.push_back({map.bitmap, stored});
    }
  }
  TextureMap result = map;
  result.setBitmap(stored.c_str());
  return result;
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

void EncodeMaterial(ByteSink& out, const Material& material, int i, bool normalize,
                    std::vector<TextureCopy>& copies) {
  MaterialHeader header = material.getHeader();
  // A material holds two maps; a larger count would make the file unreadable.
  if (header.mapCount > 2) header.mapCount = 2;
  MaterialHeaderFields(out, header);
  for (uint32_t k = 0; k < header.mapCount; ++k)
    MapFields(out, StoredMap(material.getMap(k), normalize, i, static_cast<int>(k), copies));
}

void EncodeLight(ByteSink& out, const SceneLight& light) {
  LightFrameFields(out, light.getFrame());
  out.flag(light.hasFlare);
  out.u32(light.trackLength);
  for (uint32_t k = 0; k < light.trackLength; ++k) LightFrameFields(out, light.getSample(k));
}

// The whole file in memory, with the log line of each section and element.
void EncodeScene(ByteSink& out, const Scene& scene, bool normalize,
                 std::vector<TextureCopy>& copies) {
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
  for (uint32_t i = 0; i < scene.materialCount; ++i) {
    std::printf("%s - Escribiendo material [ %d ]\n", kBanner, static_cast<int>(i));
    EncodeMaterial(out, scene.getMaterial(i), static_cast<int>(i), normalize, copies);
  }

  std::printf("%s - Escribiendo %d luces.\n", kBanner, static_cast<int>(scene.lightCount));
  out.u32(scene.lightCount);
  for (uint32_t i = 0; i < scene.lightCount; ++i) {
    std::printf("%s - Escribiendo luz [ %d ].\n", kBanner, static_cast<int>(i));
    EncodeLight(out, scene.getLight(i));
  }
}

}  // namespace

bool SceneBinaryFile::copyFile(const char* source, const char* destination, bool binary) {
  FILE* in = OpenFile(source, binary ? "rb" : "r", ReadLimit::kTexture);
  if (!in) {
    std::printf("%s - ERROR: no se puede abrir [%s] para copiarlo.\n", kBanner, source);
    return false;
  }
  PendingFile out(destination, binary ? "wb" : "w");
  if (!out.stream) {
    std::fclose(in);
    std::printf("%s - ERROR: no se puede crear [%s].\n", kBanner, destination);
    return false;
  }
  char buffer[2048];
  bool ok = true;
  size_t n;
  while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
    ok = std::fwrite(buffer, 1, n, out.stream) == n;
  ok = ok && !std::ferror(in);
  std::fclose(in);
  if (!out.commit(ok)) {
    std::printf("%s - ERROR: fallo al copiar [%s] -> [%s].\n", kBanner, source, destination);
    return false;
  }
  return true;
}

bool SceneBinaryFile::writeScene(const char* path, const Scene& scene) {
  FILE* copyLog = nullptr;
  if (normalize) {
    const std::string logPath = std::string(path) + ".TXT";
    copyLog = OpenFile(logPath.c_str(), "w");
    if (!copyLog)
      std::printf("%s - ERROR: no se puede crear el registro de copias [%s].\n", kBanner,
                  logPath.c_str());
  }
  PendingFile target(path, "wb");
  if (!target.stream) {
    std::printf("%s - ERROR: no se puede crear el fichero [ %s ]; no se escribe la escena.\n",
                kBanner, path);
    if (copyLog) std::fclose(copyLog);
    return false;
  }
  file = target.stream;

  ByteSink out;
  std::vector<TextureCopy> copies;
  EncodeScene(out, scene, normalize, copies);

  for (const TextureCopy& copy : copies) {
    const char* source = copy.source.c_str();
    const char* destination = copy.destination.c_str();
    if (copyLog) std::fprintf(copyLog, "Copiando %s -> %s ...", source, destination);
    std::printf("%s - [NORMALIZANDO] - Copiando [%s] -> [%s]\n", kBanner, source, destination);
    const bool copied = copyFile(source, destination, true);
    if (copyLog) std::fputs(copied ? "OK\n" : "FALLO\n", copyLog);
  }
  if (copyLog) std::fclose(copyLog);

  const bool written = std::fwrite(out.bytes.data(), 1, out.bytes.size(), file) == out.bytes.size();
  file = nullptr;
  if (target.commit(written)) return true;
  std::printf("%s - ERROR: no se pudo escribir el fichero [ %s ]; queda como estaba.\n", kBanner,
              path);
  return false;
}
