#include "PngFile.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>

namespace {

void Append(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void Flush(png_structp) {}

}  // namespace

bool EncodePng(int width, int height, const uint8_t* bgra, std::vector<uint8_t>& png) {
  png.clear();
  if (width <= 0 || height <= 0 || !bgra) return false;
  png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = writer ? png_create_info_struct(writer) : nullptr;
  if (!info) {
    png_destroy_write_struct(&writer, nullptr);
    return false;
  }
  // libpng reports its errors by a jump back here; nothing between holds a resource of its own.
  if (setjmp(png_jmpbuf(writer))) {
    png_destroy_write_struct(&writer, &info);
    png.clear();
    return false;
  }
  png_set_write_fn(writer, &png, Append, Flush);
  png_set_IHDR(writer, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  // Trying every filter on every row was most of the cost of a frame; Sub alone packs a rendered
  // picture nearly as well.
  png_set_filter(writer, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_compression_level(writer, Z_BEST_SPEED);
  png_write_info(writer, info);
  // libpng takes the rows as they are: it swaps blue and red and drops the fourth byte itself.
  png_set_bgr(writer);
  png_set_filler(writer, 0, PNG_FILLER_AFTER);
  const size_t stride = static_cast<size_t>(width) * 4;
  for (int y = height - 1; y >= 0; --y)
    png_write_row(writer, const_cast<png_bytep>(bgra + y * stride));
  png_write_end(writer, info);
  png_destroy_write_struct(&writer, &info);
  return true;
}
