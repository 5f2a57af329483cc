#include "PngReader.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

namespace {

uint32_t BigEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

}  // namespace

bool ReadPng(const std::string& bytes, RgbPicture& picture, std::string& why) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 8 || std::memcmp(data, kSignature, 8) != 0) return why = "no signature", false;
  std::vector<uint8_t> packed;
  bool header = false, end = false;
  for (size_t at = 8; !end;) {
    if (at + 12 > bytes.size()) return why = "truncated chunk", false;
    const uint32_t length = BigEndian32(data + at);
    if (length > bytes.size() - at - 12) return why = "chunk longer than the file", false;
    const uint8_t* type = data + at + 4;
    const uint8_t* body = type + 4;
    if (crc32(0L, type, length + 4) != BigEndian32(body + length)) return why = "bad CRC", false;
    if (std::memcmp(type, "IHDR", 4) == 0 && length == 13) {
      picture.width = static_cast<int>(BigEndian32(body));
      picture.height = static_cast<int>(BigEndian32(body + 4));
      if (body[8] != 8 || body[9] != 2 || body[12] != 0) return why = "not 8-bit RGB", false;
      header = true;
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      packed.insert(packed.end(), body, body + length);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      end = true;
    }
    at += 12 + length;
  }
  if (!header || picture.width <= 0 || picture.height <= 0) return why = "no header", false;
  const size_t stride = static_cast<size_t>(picture.width) * 3;
  std::vector<uint8_t> rows((stride + 1) * picture.height);
  uLongf size = static_cast<uLongf>(rows.size());
  if (uncompress(rows.data(), &size, packed.data(), static_cast<uLong>(packed.size())) != Z_OK ||
      size != rows.size())
    return why = "bad image data", false;
  picture.rgb.assign(stride * picture.height, 0);
  for (int y = 0; y < picture.height; ++y) {
    const uint8_t filter = rows[y * (stride + 1)];
    const uint8_t* in = &rows[y * (stride + 1) + 1];
    uint8_t* out = &picture.rgb[y * stride];
    const uint8_t* up = y > 0 ? out - stride : nullptr;
    for (size_t i = 0; i < stride; ++i) {
      const int a = i >= 3 ? out[i - 3] : 0, b = up ? up[i] : 0, c = up && i >= 3 ? up[i - 3] : 0;
      int predicted = 0;
      switch (filter) {
        case 0: break;
        case 1: predicted = a; break;
        case 2: predicted = b; break;
        case 3: predicted = (a + b) / 2; break;
        case 4: predicted = Paeth(a, b, c); break;
        default: return why = "unknown filter", false;
      }
      out[i] = static_cast<uint8_t>(in[i] + predicted);
    }
  }
  return true;
}
