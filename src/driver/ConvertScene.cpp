#include "driver/ConvertScene.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/Files.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"

namespace {

// Which file a path names, to tell whether a write replaced it.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified = {};
};

FileStamp StampOf(const char* path) {
  FileStamp stamp;
  struct stat st;
  if (::stat(ResolvePath(path).c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.modified = st.st_mtim;
  return stamp;
}

// The writer reports nothing, and a failed write leaves the previous file untouched: a file
// that is there and is not the one that was there before is the new one.
bool Replaced(const FileStamp& before, const FileStamp& after) {
  if (!after.exists) return false;
  if (!before.exists) return true;
  return before.device != after.device || before.inode != after.inode ||
         before.size != after.size || before.modified.tv_sec != after.modified.tv_sec ||
         before.modified.tv_nsec != after.modified.tv_nsec;
}

void MakeFolder(const char* path) {
  std::error_code error;
  std::filesystem::create_directories(ResolvePath(path), error);
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

  MakeFolder("escenas_bin");
  MakeFolder("textures");
  SceneBinaryFile writer;
  writer.setNormalize(true);
  const FileStamp before = StampOf(binPath);
  writer.writeScene(binPath, scene);
  const bool written = Replaced(before, StampOf(binPath));
  scene.release();
  return written;
}
