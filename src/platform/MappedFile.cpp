#include "platform/MappedFile.h"

#include <new>

#include "platform/Files.h"

#ifndef _WIN32
#include <sys/mman.h>

bool MappedFile::Load(FILE* file) {
  const int64_t size = OpenFileSize(file);
  if (size < 0) return false;
  size_ = static_cast<size_t>(size);
  if (size_ == 0) return true;
  // Pages come in as the reader reaches them: a file refused at its first counts costs
  // nothing for the rest of its size.
  void* mapped = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, ::fileno(file), 0);
  if (mapped == MAP_FAILED) return Copy(file);
  mapped_ = static_cast<const uint8_t*>(mapped);
  ::madvise(mapped, size_, MADV_SEQUENTIAL);
  return true;
}

MappedFile::~MappedFile() {
  if (mapped_) ::munmap(const_cast<uint8_t*>(mapped_), size_);
}
#endif  // !_WIN32

bool MappedFile::Copy(FILE* file) {
  copy_.reset(new (std::nothrow) uint8_t[size_]);
  return copy_ && std::fread(copy_.get(), 1, size_, file) == size_;
}
