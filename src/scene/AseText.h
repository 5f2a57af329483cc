#pragma once
// The whole text of an ASE file in memory, ready to be scanned.
//
// Exports are 8-bit text, but a file saved again by another tool may be UTF-16 with a byte-order
// mark: it is transcoded to UTF-8, so its keywords and numbers read like any other file. A UTF-8
// mark is dropped. Line ends stay as they are: the scanner reads CR LF as one line end.
#include <cstddef>
#include <vector>

enum class AseTextStatus { ok, missing, unreadable };

class AseText {
 public:
  // Replaces the text with the file at path (opened through OpenFile).
  AseTextStatus read(const char* path);
  // Replaces the text with the given bytes, decoded like a file.
  void assign(const char* bytes, size_t size);
  void clear();

  const char* begin() const { return bytes.data(); }
  // One NUL always follows the text (not counted), so scanning may stop on it without a
  // bounds check; the text itself may hold NULs too.
  const char* end() const { return bytes.data() + bytes.size() - 1; }
  size_t size() const { return bytes.size() - 1; }

 private:
  std::vector<char> bytes = std::vector<char>(1, '\0');

  void decode();
};
