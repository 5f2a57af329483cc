#include "PngReader.h"

#include <png.h>

bool ReadPng(const std::string& bytes, RgbPicture& picture, std::string& why) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
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
