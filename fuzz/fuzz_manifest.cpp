// The manifest reader on any text: every line form, number and path it may meet.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "InputChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngine();
  const std::string fault = ManifestFault(std::string(reinterpret_cast<const char*>(data), size));
  if (!fault.empty()) {
    std::fprintf(stderr, "manifest: %s\n", fault.c_str());
    abort();
  }
  return 0;
}
