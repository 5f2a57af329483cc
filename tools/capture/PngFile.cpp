#include "PngFile.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/Files.h"

namespace {

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// Length, type, data and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
  PutBigEndian32(out, static_cast<uint32_t>(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
  PutBigEndian32(out, static_cast<uint32_t>(crc));
}

uint8_t Paeth(int left, int up, int upLeft) {
  const int p = left + up - upLeft;
  const int pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - upLeft);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(left);
  return static_cast<uint8_t>(pb <= pc ? up : upLeft);
}

// Each row with the filter whose output has the smallest sum of signed magnitudes, the usual
// guess at what deflate packs best.
std::vector<uint8_t> FilterRows(int width, int height, const uint8_t* rgb) {
  const size_t stride = static_cast<size_t>(width) * 3;
  std::vector<uint8_t> out;
  out.reserve((stride + 1) * height);
  std::vector<uint8_t> candidate[5];
  for (auto& c : candidate) c.resize(stride);
  const std::vector<uint8_t> zeros(stride, 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = rgb + y * stride;
    const uint8_t* up = y > 0 ? row - stride : zeros.data();
    uint64_t best = UINT64_MAX;
    int chosen = 0;
    for (int filter = 0; filter < 5; ++filter) {
      uint64_t cost = 0;
      for (size_t i = 0; i < stride; ++i) {
        const int left = i >= 3 ? row[i - 3] : 0;
        const int upLeft = i >= 3 ? up[i - 3] : 0;
        int predicted = 0;
        switch (filter) {
          case 1: predicted = left; break;
          case 2: predicted = up[i]; break;
          case 3: predicted = (left + up[i]) / 2; break;
          case 4: predicted = Paeth(left, up[i], upLeft); break;
          default: break;
        }
        const uint8_t value = static_cast<uint8_t>(row[i] - predicted);
        candidate[filter][i] = value;
        cost += value < 128 ? value : 256 - value;
      }
      if (cost < best) best = cost, chosen = filter;
    }
    out.push_back(static_cast<uint8_t>(chosen));
    out.insert(out.end(), candidate[chosen].begin(), candidate[chosen].end());
  }
  return out;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const uint8_t* rgb) {
  if (width <= 0 || height <= 0 || !rgb) return false;
  const std::vector<uint8_t> filtered = FilterRows(width, height, rgb);
  uLongf packedSize = compressBound(static_cast<uLong>(filtered.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, filtered.data(), static_cast<uLong>(filtered.size()),
                Z_BEST_SPEED) != Z_OK)
    return false;
  packed.resize(packedSize);

  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> file(kSignature, kSignature + 8);
  std::vector<uint8_t> header;
  PutBigEndian32(header, static_cast<uint32_t>(width));
  PutBigEndian32(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filters, no interlace
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", packed);
  PutChunk(file, "IEND", {});

  FILE* f = OpenFile(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  if (std::fclose(f) != 0 || !written) {
    std::remove(ResolvePath(path.c_str()).c_str());
    return false;
  }
  return true;
}
