#include "driver/ConvertScene.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/Files.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"

namespace {

void MakeFolder(const char* path) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::u8path(ResolvePath(path)), error);
}

}  // namespace

bool ConvertSceneFromAse(const char* name) {
  char asePath[256];
  char binPath[256];
  if (std::snprintf(asePath, sizeof asePath, "escenas\\%s.ase", name) >= int(sizeof asePath) ||
      std::snprintf(binPath, sizeof binPath, "escenas_bin\\%s.bin", name) >= int(sizeof binPath)) {
    std::printf("]> ** ERROR ** El nombre de escena [ %s ] es demasiado largo. **\n", name);
    return false;
  }

  Scene scene;
  AseReader reader;
  if (!reader.load(asePath, scene)) {
    scene.release();
    return false;
  }
  // Only a whole scene may replace the file the player loads: an empty, object-less or cut
  // file would turn a good scene into a poor one.
  if (reader.result != AseResult::complete) {
    std::printf("]> ** ERROR ** [ %s ] %s: [ %s ] is left as it was. **\n", asePath,
                reader.result == AseResult::cutShort     ? "ends inside a block"
                : reader.result == AseResult::outOfOrder ? "has a mesh element before its count"
                                                         : "holds no geometric object",
                binPath);
    scene.release();
    return false;
  }

  MakeFolder("escenas_bin");
  MakeFolder("textures");
  SceneBinaryFile writer;
  writer.setNormalize(true);
  const bool written = writer.writeScene(binPath, scene);
  scene.release();
  return written;
}
