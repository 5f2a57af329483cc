#define _GNU_SOURCE 1
#include "platform/Files.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstring>
#include <vector>

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of dir whose name equals name without regard to case, or name itself.
std::string MatchComponent(const std::string& dir, const std::string& name) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return name;
  std::string found = name;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

// A text-mode read stream over the whole file with CR LF folded to LF.
struct TextBuffer {
  std::vector<char> data;
  size_t pos = 0;
};

ssize_t TextRead(void* cookie, char* buf, size_t size) {
  auto* t = static_cast<TextBuffer*>(cookie);
  size_t n = t->data.size() - t->pos;
  if (n > size) n = size;
  // An empty file has no buffer at all; memcpy from a null pointer is undefined even for 0 bytes.
  if (n > 0) std::memcpy(buf, t->data.data() + t->pos, n);
  t->pos += n;
  return static_cast<ssize_t>(n);
}

int TextSeek(void* cookie, off64_t* offset, int whence) {
  auto* t = static_cast<TextBuffer*>(cookie);
  off64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<off64_t>(t->pos)
                                                             : static_cast<off64_t>(t->data.size());
  off64_t target = base + *offset;
  if (target < 0 || target > static_cast<off64_t>(t->data.size())) return -1;
  t->pos = static_cast<size_t>(target);
  *offset = target;
  return 0;
}

int TextClose(void* cookie) {
  delete static_cast<TextBuffer*>(cookie);
  return 0;
}

FILE* OpenTextForReading(const std::string& path) {
  FILE* raw = std::fopen(path.c_str(), "rb");
  if (!raw) return nullptr;
  auto* t = new TextBuffer;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, raw)) > 0) t->data.insert(t->data.end(), chunk, chunk + n);
  std::fclose(raw);
  size_t out = 0;
  for (size_t i = 0; i < t->data.size(); ++i) {
    if (t->data[i] == '\r' && i + 1 < t->data.size() && t->data[i + 1] == '\n') continue;
    t->data[out++] = t->data[i];
  }
  t->data.resize(out);
  cookie_io_functions_t io{TextRead, nullptr, TextSeek, TextClose};
  FILE* f = ::fopencookie(t, "r", io);
  if (!f) delete t;
  return f;
}

}  // namespace

std::string ResolvePath(const char* path) {
  if (!path) return std::string();
  std::string p(path);
  for (char& c : p)
    if (c == '\\') c = '/';
  if (p.empty() || Exists(p)) return p;

  std::string result;
  size_t start = 0;
  if (p[0] == '/') {
    result = "/";
    start = 1;
  }
  while (start <= p.size()) {
    size_t slash = p.find('/', start);
    if (slash == std::string::npos) slash = p.size();
    std::string name = p.substr(start, slash - start);
    if (!name.empty()) {
      std::string dir = result;
      std::string candidate = dir + name;
      if (!Exists(candidate)) name = MatchComponent(dir, name);
      result = dir + name;
      if (slash < p.size()) result += '/';
    }
    start = slash + 1;
  }
  return result;
}

FILE* OpenFile(const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  const std::string resolved = ResolvePath(path);
  const bool textRead = mode[0] == 'r' && !std::strchr(mode, 'b') && !std::strchr(mode, '+');
  if (textRead) return OpenTextForReading(resolved);
  // Binary modes and writes: "t" is a Windows letter that the C library here does not know.
  std::string m;
  for (const char* c = mode; *c; ++c)
    if (*c != 't') m += *c;
  return std::fopen(resolved.c_str(), m.c_str());
}
