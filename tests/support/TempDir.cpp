#include "support/TempDir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TempDir::TempDir() {
  char pattern[] = "/tmp/zorbanel-test-XXXXXX";
  path = ::mkdtemp(pattern);
  previous = fs::current_path().string();
  fs::current_path(path);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::current_path(previous, ec);
  fs::remove_all(path, ec);
}

void TempDir::Write(const std::string& relative, const std::string& contents) const {
  fs::path file = fs::path(path) / relative;
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << contents;
}

std::string TempDir::Read(const std::string& relative) const {
  std::ifstream in(fs::path(path) / relative, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
