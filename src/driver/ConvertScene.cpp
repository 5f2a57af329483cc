#include "driver/ConvertScene.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/Files.h"
#include "scene/AseReader.h"
#include "scene/GltfReader.h"
#include "scene/ImpossibleValues.h"
#include "scene/ObjReader.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"

namespace {

const char* const kSourceKinds[] = {".ase", ".gltf", ".glb", ".obj"};

void MakeFolder(const char* path) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::u8path(ResolvePath(path)), error);
}

bool EndsWith(const std::string& text, const char* suffix) {
  const std::string tail(suffix);
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Reads the source into scene; false (with the reason printed) unless it gave a whole scene.
bool ReadSource(const std::string& path, const char* binPath, Scene& scene) {
  if (!EndsWith(path, ".ase")) {
    const ImportResult result =
        EndsWith(path, ".obj") ? ReadObj(path.c_str(), scene) : ReadGltf(path.c_str(), scene);
    if (result == ImportResult::noObjects)
      std::printf("]> ** ERROR ** [ %s ] holds nothing to draw: [ %s ] is left as it was. **\n",
                  path.c_str(), binPath);
    return result == ImportResult::complete;
  }
  AseReader reader;
  if (!reader.load(path.c_str(), scene)) return false;
  // Only a whole scene may replace the file the player loads: an empty, object-less or cut
  // file would turn a good scene into a poor one.
  if (reader.result != AseResult::complete) {
    std::printf("]> ** ERROR ** [ %s ] %s: [ %s ] is left as it was. **\n", path.c_str(),
                reader.result == AseResult::cutShort     ? "ends inside a block"
                : reader.result == AseResult::outOfOrder ? "has a mesh element before its count"
                                                         : "holds no geometric object",
                binPath);
    return false;
  }
  return ValuesArePossible(path.c_str(), scene);
}

}  // namespace

bool FindSceneSource(const char* name, std::string& path, std::string& why) {
  std::string found;
  for (const char* kind : kSourceKinds) {
    const std::string candidate = "escenas\\" + std::string(name) + kind;
    if (ExamineFile(candidate.c_str()).kind == FileKind::missing) continue;
    if (!found.empty()) {
      // Two exports of one scene: converting either could silently pick the stale one.
      why = found + " and " + candidate + " both exist: keep only the one to convert";
      return false;
    }
    found = candidate;
  }
  if (found.empty()) {
    why = "no escenas\\" + std::string(name) + ".ase, .gltf, .glb or .obj";
    return false;
  }
  if (found.size() >= 256 ||
      std::string("escenas_bin\\").size() + std::string(name).size() + 4 >= 256) {
    why = "the scene name is too long";
    return false;
  }
  path = found;
  return true;
}

bool ConvertSceneFromAse(const char* name) {
  // The scene's pictures and buffers come from the production alone, whoever converts.
  ReadsWithin bound(".");
  std::string sourcePath, why;
  if (!FindSceneSource(name, sourcePath, why)) {
    std::printf("]> ** ERROR ** [ %s ]: %s. **\n", name, why.c_str());
    return false;
  }
  const std::string binPath = "escenas_bin\\" + std::string(name) + ".bin";

  Scene scene;
  if (!ReadSource(sourcePath, binPath.c_str(), scene)) {
    scene.release();
    return false;
  }
  MakeFolder("escenas_bin");
  MakeFolder("textures");
  SceneBinaryFile writer;
  writer.setNormalize(true);
  const bool written = writer.writeScene(binPath.c_str(), scene);
  scene.release();
  return written;
}
