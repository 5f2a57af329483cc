#pragma once
// The whole of an open regular file in memory: mapped from the page cache where the system
// allows it (no copy, no zeroed pages), else read into a buffer of its size.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // False when the stream is not a regular file or its bytes cannot be had.
  bool Load(FILE* file);
  const uint8_t* Data() const { return mapped_ ? mapped_ : copy_.get(); }
  size_t Size() const { return size_; }

 private:
  // The unmapped way: one read into a buffer of the file's size.
  bool Copy(FILE* file);

  const uint8_t* mapped_ = nullptr;
  std::unique_ptr<uint8_t[]> copy_;
  size_t size_ = 0;
};
