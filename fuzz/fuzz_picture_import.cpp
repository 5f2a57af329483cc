// The converter's pictures (TGA, BMP, GIF, PSD, PNM, PNG, HDR into JPEG) on any bytes.
#include <cstdlib>

#include "FuzzInput.h"
#include "InputChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngine();
  if (!PictureFault(std::vector<uint8_t>(data, data + size)).empty()) abort();
  return 0;
}
