// The binary scene reader on any bytes, into a fresh scene that is then released.
#include "FuzzInput.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngine();
  const char* path = WriteInput("scene.bin", data, size);
  SceneBinaryFile binary;
  Scene scene;
  binary.readScene(path, scene);
  scene.release();
  return 0;
}
