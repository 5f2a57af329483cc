// The glTF and OBJ readers on any bytes: glTF when they start as a binary glTF or a JSON object
// does, OBJ otherwise. The answers are checked as the replay of the seeds checks them.
#include <cstdlib>
#include <cstring>

#include "FuzzInput.h"
#include "InputChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngine();
  size_t first = 0;
  while (first < size && std::strchr(" \t\r\n", data[first]) && data[first]) ++first;
  const bool gltf = (size >= 4 && std::memcmp(data, "glTF", 4) == 0) ||
                    (first < size && data[first] == '{');
  if (!ImportFault(WriteInput(gltf ? "scene.gltf" : "scene.obj", data, size)).empty()) abort();
  return 0;
}
