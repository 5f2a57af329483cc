#include "support/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "support/TestProcess.h"

namespace fs = std::filesystem;

namespace {

// The live folders and the process that made each. A test process may end through exit() while
// one lives (a death test's child, the engine ending the program on purpose): it removes its
// own folders on the way out, never those of the parent it was forked from.
std::vector<std::pair<std::string, int>>& LiveDirs() {
  static std::vector<std::pair<std::string, int>> dirs;
  return dirs;
}

void RemoveLiveDirs() {
  std::error_code ec;
  for (const auto& [dir, owner] : LiveDirs())
    if (owner == CurrentProcessId()) fs::remove_all(dir, ec);
}

// A new folder no other test uses: the process id names it among running tests, the count among
// this process's own and those a killed test left behind.
std::string MakeFreshFolder() {
  static int count = 0;
  const fs::path base = fs::temp_directory_path();
  const std::string prefix = "zorbanel-test-" + std::to_string(CurrentProcessId()) + "-";
  std::error_code ec;
  for (;;) {
    const fs::path candidate = base / (prefix + std::to_string(++count));
    if (fs::create_directory(candidate, ec)) return candidate.string();
    if (ec) {  // nowhere to work: going on would act on some other folder
      std::fprintf(stderr, "cannot make a folder in %s: %s\n", base.string().c_str(),
                   ec.message().c_str());
      std::abort();
    }
  }
}

}  // namespace

TempDir::TempDir() {
  path = MakeFreshFolder();
  previous = fs::current_path().string();
  fs::current_path(path);
  LiveDirs().push_back({path, CurrentProcessId()});
  static const bool cleanupAtExit = std::atexit(RemoveLiveDirs) == 0;
  (void)cleanupAtExit;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::current_path(previous, ec);
  fs::remove_all(path, ec);
  auto& dirs = LiveDirs();
  dirs.erase(std::remove(dirs.begin(), dirs.end(), std::make_pair(path, CurrentProcessId())), dirs.end());
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

namespace {

std::string ReadFile(const fs::path& file, std::ios::openmode mode) {
  std::ifstream in(file, mode);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

std::string TempDir::Read(const std::string& relative) const {
  return ReadFile(Inside(path, relative), std::ios::in | std::ios::binary);
}

std::string TempDir::ReadText(const std::string& relative) const {
  return ReadFile(Inside(path, relative), std::ios::in);
}

std::string TempFileName(const std::string& stem) {
  static int count = 0;
  return (fs::temp_directory_path() /
          (stem + "-" + std::to_string(CurrentProcessId()) + "-" + std::to_string(++count)))
      .string();
}
