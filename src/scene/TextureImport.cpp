#include "scene/TextureImport.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include <stb_image.h>

#include "platform/JpegEncoder.h"
#include "platform/TextureLoader.h"

namespace {

bool EndsWithNoCase(const std::string& text, const char* tail) {
  const size_t n = std::strlen(tail);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != tail[i]) return false;
  return true;
}

const char* Reason() {
  const char* reason = stbi_failure_reason();
  return reason ? reason : "unknown fault";
}

bool KnownPicture(const std::vector<uint8_t>& bytes, int& width, int& height) {
  int channels;
  return !bytes.empty() && bytes.size() <= INT_MAX &&
         stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height,
                               &channels);
}

// The bytes as stb_image reads them through callbacks: from memory it takes the bytes past the
// end as zeros, and a TGA, BMP, GIF, PSD or PNM cut short decodes as a whole picture. Here the
// reader notes when the decoder wanted bytes the file does not hold.
struct CutAware {
  const std::vector<uint8_t>& bytes;
  size_t at = 0;
  bool cut = false;
  const char* buffer = nullptr;  // stb_image's own: its first read fills it

  static int Read(void* user, char* data, int size) {
    CutAware& self = *static_cast<CutAware*>(user);
    const size_t n = std::min(static_cast<size_t>(size), self.bytes.size() - self.at);
    if (!self.buffer) self.buffer = data;
    // Its buffer may come back short at the end of the file; a read of pixels straight into the
    // picture, or any read once all is read, may not.
    if (n == 0 || (n < static_cast<size_t>(size) && data != self.buffer)) self.cut = true;
    std::memcpy(data, self.bytes.data() + self.at, n);
    self.at += n;
    return static_cast<int>(n);
  }
  static void Skip(void* user, int n) {
    CutAware& self = *static_cast<CutAware*>(user);
    if (n > 0 && static_cast<size_t>(n) > self.bytes.size() - self.at) self.cut = true;
    self.at = n > 0 ? std::min(self.bytes.size(), self.at + n) : self.at;
  }
  static int Eof(void* user) {
    const CutAware& self = *static_cast<CutAware*>(user);
    return self.at >= self.bytes.size();
  }
};

}  // namespace

bool TakenAsItIs(const std::vector<uint8_t>& bytes, const std::string& name) {
  if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return true;
  int width, height;
  return (EndsWithNoCase(name, ".jpg") || EndsWithNoCase(name, ".jpeg")) &&
         !KnownPicture(bytes, width, height);
}

bool PictureToJpeg(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& jpeg,
                   std::string& message) {
  int width = 0, height = 0, channels = 0;
  if (!KnownPicture(bytes, width, height)) {
    message = std::string("not a picture the converter reads (") +
              (bytes.empty() ? "empty file" : Reason()) + ")";
    return false;
  }
  // Asked before decoding, so a forged header cannot make us allocate without bound.
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxTexturePixels) {
    message = "too large (" + std::to_string(width) + " x " + std::to_string(height) + ")";
    return false;
  }
  CutAware reader{bytes};
  const stbi_io_callbacks callbacks = {CutAware::Read, CutAware::Skip, CutAware::Eof};
  stbi_uc* rgba = stbi_load_from_callbacks(&callbacks, &reader, &width, &height, &channels, 4);
  if (!rgba) {
    message = std::string("cannot be decoded (") + Reason() + ")";
    return false;
  }
  if (reader.cut) {
    stbi_image_free(rgba);
    message = "is cut short: its picture ends before its last pixel";
    return false;
  }
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<uint8_t> rgb(count * 3);
  for (size_t i = 0; i < count; ++i) {
    const unsigned alpha = rgba[i * 4 + 3];
    for (size_t c = 0; c < 3; ++c)
      rgb[i * 3 + c] = static_cast<uint8_t>((rgba[i * 4 + c] * alpha + 127) / 255);
  }
  stbi_image_free(rgba);
  return EncodeJpeg(rgb.data(), width, height, kTextureJpegQuality, jpeg, message);
}
