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
  // As text: a file written as text on Windows ends its lines with CR LF, which reads as LF.
  std::string ReadText(const std::string& relative) const;
};

// A path in the system's folder for temporary files that no other running test uses (named for
// stem, this process and a count); the file is not made.
std::string TempFileName(const std::string& stem);
