#include "scene/AseText.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/Files.h"

namespace {

void AppendUtf8(std::vector<char>& out, uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// UTF-16 (after its mark) to UTF-8. An unpaired surrogate becomes U+FFFD and a dangling odd
// byte at the end is dropped: the rest of the file still reads.
std::vector<char> TranscodeUtf16(const unsigned char* p, size_t size, bool bigEndian) {
  std::vector<char> out;
  out.reserve(size / 2 + 1);
  auto unit = [&](size_t i) -> uint32_t {
    return bigEndian ? (uint32_t(p[i]) << 8 | p[i + 1]) : (uint32_t(p[i + 1]) << 8 | p[i]);
  };
  for (size_t i = 0; i + 1 < size; i += 2) {
    uint32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < size) {
      const uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      } else {
        c = 0xFFFD;
      }
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace

AseTextStatus AseText::read(const char* path) {
  clear();
  errno = 0;
  FILE* f = OpenFile(path, "rb", ReadLimit::kAse);
  if (!f) return errno == ENOENT || errno == ENOTDIR ? AseTextStatus::missing : AseTextStatus::unreadable;
  // One allocation of the announced size and one read into it; a file that is not what its
  // size says (a pipe, a file still growing) is read on in chunks.
  const int64_t fileSize = OpenFileSize(f);
  const size_t announced = fileSize > 0 ? static_cast<size_t>(fileSize) : 0;
  bytes.resize(announced + 1);
  size_t size = std::fread(bytes.data(), 1, bytes.size(), f);
  while (size == bytes.size()) {
    bytes.resize(bytes.size() * 2 + 4096);
    size += std::fread(bytes.data() + size, 1, bytes.size() - size, f);
  }
  bytes.resize(size);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    clear();
    return AseTextStatus::unreadable;
  }
  decode();
  return AseTextStatus::ok;
}

void AseText::assign(const char* data, size_t size) {
  bytes.assign(data, data + size);
  decode();
}

void AseText::clear() { bytes.assign(1, '\0'); }

void AseText::decode() {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t size = bytes.size();
  if (size >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
    bytes = TranscodeUtf16(p + 2, size - 2, p[0] == 0xFE);
  } else if (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
    bytes.erase(bytes.begin(), bytes.begin() + 3);
  }
  bytes.push_back('\0');
}
