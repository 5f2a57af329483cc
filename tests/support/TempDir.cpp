#include "support/TempDir.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The live folders and the process that made each. A test process may end through exit() while
// one lives (a death test's child, the engine ending the program on purpose): it removes its
// own folders on the way out, never those of the parent it was forked from.
std::vector<std::pair<std::string, pid_t>>& LiveDirs() {
  static std::vector<std::pair<std::string, pid_t>> dirs;
  return dirs;
}

void RemoveLiveDirs() {
  std::error_code ec;
  for (const auto& [dir, owner] : LiveDirs())
    if (owner == ::getpid()) fs::remove_all(dir, ec);
}

}  // namespace

TempDir::TempDir() {
  char pattern[] = "/tmp/zorbanel-test-XXXXXX";
  path = ::mkdtemp(pattern);
  previous = fs::current_path().string();
  fs::current_path(path);
  LiveDirs().push_back({path, ::getpid()});
  static const bool cleanupAtExit = std::atexit(RemoveLiveDirs) == 0;
  (void)cleanupAtExit;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::current_path(previous, ec);
  fs::remove_all(path, ec);
  auto& dirs = LiveDirs();
  dirs.erase(std::remove(dirs.begin(), dirs.end(), std::make_pair(path, ::getpid())), dirs.end());
}

namespace {

// Paths as the engine writes them ("textures\\a.jpg") name the same file as with slashes.
fs::path Inside(const std::string& root, std::string relative) {
  std::replace(relative.begin(), relative.end(), '\\', '/');
  return fs::path(root) / relative;
}

}  // namespace

void TempDir::Write(const std::string& relative, const std::string& contents) const {
  fs::path file = Inside(path, relative);
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << contents;
}

std::string TempDir::Read(const std::string& relative) const {
  std::ifstream in(Inside(path, relative), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
