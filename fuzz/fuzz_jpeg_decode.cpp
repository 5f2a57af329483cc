// The texture loader's decode path on any bytes, from a file as the loader reads it.
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "platform/TextureLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngine();
  const char* path = WriteInput("texture.jpg", data, size);
  DecodedImage image;
  std::string message;
  if (!DecodeJpegFile(path, image, message)) {
    if (!image.pixels.empty() || message.empty()) abort();
    return 0;
  }
  // The uploader reads exactly width x height RGB pixels from the buffer.
  if (image.width <= 0 || image.height <= 0 || image.rowBytes != image.width * 3 ||
      image.pixels.size() < static_cast<size_t>(image.rowBytes) * image.height)
    abort();
  return 0;
}
