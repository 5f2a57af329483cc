#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "platform/Files.h"
#include "platform/MappedFile.h"

bool MappedFile::Load(FILE* file) {
  const int64_t size = OpenFileSize(file);
  if (size < 0) return false;
  size_ = static_cast<size_t>(size);
  if (size_ == 0) return true;  // a mapping of nothing is refused
  HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  HANDLE mapping = CreateFileMappingW(h, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!mapping) return Copy(file);
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, size_);
  CloseHandle(mapping);  // the view holds the mapping open
  if (!view) return Copy(file);
  mapped_ = static_cast<const uint8_t*>(view);
  return true;
}

// The file cannot be replaced while it is mapped: the view goes as soon as the reading ends.
MappedFile::~MappedFile() {
  if (mapped_) UnmapViewOfFile(mapped_);
}
#endif  // _WIN32
