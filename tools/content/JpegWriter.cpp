#include "JpegWriter.h"

#include <cstdio>

#include "platform/Files.h"
#include "platform/JpegEncoder.h"

bool EncodeJpeg(const Picture& picture, int quality, std::vector<uint8_t>& out, std::string& error) {
  const std::vector<uint8_t> bytes = ToRgb8(picture);
  return EncodeJpeg(bytes.data(), picture.width, picture.height, quality, out, error);
}

bool WriteJpeg(const std::string& path, const Picture& picture, int quality) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!EncodeJpeg(picture, quality, bytes, error)) {
    printf("Could not encode %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  FILE* file = OpenFile(path.c_str(), "wb");
  if (!file) {
    printf("Could not create %s\n", path.c_str());
    return false;
  }
  bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = (fclose(file) == 0) && ok;
  if (!ok) printf("Could not write %s\n", path.c_str());
  return ok;
}
