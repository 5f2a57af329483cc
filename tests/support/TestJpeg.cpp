#include "support/TestJpeg.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <jpeglib.h>

namespace {

constexpr int kDefaultQuality = 75;  // what jpeg_set_defaults chooses

}  // namespace

std::vector<uint8_t> EncodeJpeg(int width, int height, int colorSpace, const PixelFill& fill,
                                int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  auto space = static_cast<J_COLOR_SPACE>(colorSpace);
  int components = space == JCS_GRAYSCALE ? 1 : space == JCS_CMYK ? 4 : 3;
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * components);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) fill(x, y, &row[static_cast<size_t>(x) * components]);
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&cinfo, &p, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> bytes(out, out + outSize);
  std::free(out);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::vector<uint8_t> TwoBandJpeg(int width, int height, const uint8_t top[3],
                                 const uint8_t bottom[3]) {
  return EncodeJpeg(width, height, JCS_RGB, [&](int, int y, uint8_t* out) {
    std::memcpy(out, y < height / 2 ? top : bottom, 3);
  });
}

std::string EncodeSolidJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t colour[3] = {r, g, b};
  const std::vector<uint8_t> bytes =
      EncodeJpeg(width, height, JCS_RGB, [&](int, int, uint8_t* out) { std::memcpy(out, colour, 3); },
                 kDefaultQuality);
  return std::string(bytes.begin(), bytes.end());
}
