#pragma once
// A temporary working directory for one test: created empty, made current, removed afterwards.
#include <string>

struct TempDir {
  std::string path;
  std::string previous;

  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Writes a file (making its folders) relative to the directory; '/' separators.
  void Write(const std::string& relative, const std::string& contents) const;
  std::string Read(const std::string& relative) const;
};
