// The ASE reader on any bytes; a scene it accepts is written as a binary scene and read back,
// which must give the same counts (the writer never makes a file its reader drops).
// A mesh element read before its array size ends the program on purpose; that is no fault.
#include <cstdlib>

#include "FuzzInput.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"

namespace {

void ReadAndRoundTrip(void* context) {
  const char* path = static_cast<const char*>(context);
  AseReader reader;
  Scene scene;
  if (!reader.load(path, scene)) return;
  // A file called complete holds something to draw, and every object can be drawn.
  if (reader.result == AseResult::complete && scene.getObjectCount() == 0) abort();
  if (scene.getObjectCount() > 0 && scene.getMaterialCount() == 0) abort();

  SceneBinaryFile binary;
  const char* binPath = ScratchPath("scene.bin");
  binary.writeScene(binPath, scene);
  Scene again;
  binary.readScene(binPath, again);
  if (again.getObjectCount() != scene.getObjectCount() ||
      again.getMaterialCount() != scene.getMaterialCount() ||
      again.getCameraCount() != scene.getCameraCount() ||
      again.getLightCount() != scene.getLightCount())
    abort();
  again.release();
  scene.release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngine();
  // A mesh element before its array size ends a real run with status 1 after its box; here
  // the input simply ends.
  RunUntilDeliberateExit(ReadAndRoundTrip, const_cast<char*>(WriteInput("scene.ase", data, size)));
  return 0;
}
