#include "PngPicture.h"

#include <png.h>

#include <cerrno>
#include <cstring>

#include "platform/Files.h"

namespace {

bool ReadPngBytes(const void* bytes, size_t size, RgbPicture& picture, std::string& why) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes, size)) {
    why = image.message;
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
    why = image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

}  // namespace

bool ReadPng(const std::string& bytes, RgbPicture& picture, std::string& why) {
  return ReadPngBytes(bytes.data(), bytes.size(), picture, why);
}

bool ReadPngFile(const std::string& path, RgbPicture& picture, std::string& why) {
  std::vector<uint8_t> bytes;
  errno = 0;
  if (!ReadWholeFile(path.c_str(), ReadLimit::kTexture, bytes)) {
    why = errno ? std::strerror(errno) : "cannot be read";
    return false;
  }
  return ReadPngBytes(bytes.data(), bytes.size(), picture, why);
}

bool WritePngFile(const std::string& path, const RgbPicture& picture, std::string& why) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(image, size, 0, picture.rgb.data(), 0, nullptr)) {
    why = image.message;
    return false;
  }
  std::vector<uint8_t> png(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, picture.rgb.data(), 0, nullptr)) {
    why = image.message;
    return false;
  }
  if (!WriteWholeFile(path.c_str(), png.data(), size)) {
    why = std::strerror(errno);
    return false;
  }
  return true;
}
