#pragma once
// Shared by the ASE tests: loading ASE text with the log silenced and a field-by-field scene comparison.
#include <string>
#include <vector>

#include "scene/AseReader.h"
#include "scene/Scene.h"
#include "support/AseFiles.h"
#include "support/BoxRecorder.h"
#include "support/QuietStdout.h"

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// Loads ASE text (written to a temporary file first) or an ASE file, silently; `result` gets
// the reader's verdict when given.
bool LoadAse(const std::string& text, Scene& scene, AseResult* result = nullptr);
bool LoadAseFile(const std::string& path, Scene& scene, AseResult* result = nullptr);

// A scene read from ASE text (ok: what the load answered), released at the end of the test.
struct Loaded {
  Scene scene;
  AseResult result = AseResult::unreadable;
  bool ok;
  explicit Loaded(const std::string& text) : ok(LoadAse(text, scene, &result)) {}
  ~Loaded() { scene.release(); }
};

std::string BaseName(const std::string& path);

// Every stored field of two scenes, and the face references of each. With normalizedBitmaps,
// a map path of `b` is expected as "textures\" + the file name of the path in `a`.
void ExpectSameScene(const Scene& a, const Scene& b, bool normalizedBitmaps = false);
