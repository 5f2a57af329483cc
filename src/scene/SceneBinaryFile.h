#pragma once
// The engine's own binary scene file: one pass, little-endian records with no padding between
// them, in this order: the scene header, objects, cameras, materials, lights (the byte layout:
// SceneBinaryLayout.h).
//
// The format carries no magic and no checks, so the reader brings its own: a damaged or short
// file gets one log line naming the file and the fault, and the scene keeps what was read safely.
#include <cstdio>
#include <string>

class Scene;

class SceneBinaryFile {
 public:
  // Begins every log line.
  static constexpr const char* kBanner = "[BIN IMPORTER/EXPORTER v0.8beta]";

  FILE* file = nullptr;    // open only inside one readScene or writeScene
  bool normalize = false;  // writeScene copies textures to "textures\" and logs the copies
  std::string fault;       // why the last readScene did not read its file whole

  // False when the file could not be read whole: `fault` says why, and the scene keeps what was
  // read before the fault (nothing when the file could not be opened).
  bool readScene(const char* path, Scene& scene);
  // Writes into a temporary file beside path and puts it in place only once complete, so a
  // failed write never destroys an existing scene file. True when the new file is in place.
  bool writeScene(const char* path, const Scene& scene);
  void setNormalize(bool value) { normalize = value; }
  // Copies source to destination through one 2048-byte buffer; binary selects "rb"/"wb" over
  // "r"/"w". Returns false (with a log line) when either file cannot be opened or a write fails.
  bool copyFile(const char* source, const char* destination, bool binary);
};
