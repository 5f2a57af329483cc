#pragma once
// Where tests and benchmarks find real ASE exports: the files bundled under tests/data/ase, and
// an optional extra folder of exports that may not be redistributed. The extra folder is
// $ZB_EXTRA_ASE_DIR when set, else the build's ZB_EXTRA_ASE_DIR cache entry; empty means none.
// Header-only so the benchmarks share it; nothing here throws, so a missing folder cannot abort
// a test program while its tests are being listed.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

inline std::string BundledAseDir() { return std::string(ZB_SOURCE_DIR) + "/tests/data/ase"; }

inline std::string ExtraAseDir() {
  if (const char* dir = std::getenv("ZB_EXTRA_ASE_DIR")) return dir;
  return ZB_EXTRA_ASE_DIR;
}

// The .ase files of a folder (any case of the extension), sorted; none if it cannot be read.
inline std::vector<std::string> AseFilesIn(const std::string& dir) {
  std::vector<std::string> files;
  if (dir.empty()) return files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end;
       it.increment(error)) {
    std::string ext = it->path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".ase") files.push_back(it->path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The extra folder's files that are not bundled as well.
inline std::vector<std::string> ExtraAseFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (const std::string& path : AseFilesIn(ExtraAseDir())) {
    const std::string name = std::filesystem::path(path).filename().string();
    if (!std::filesystem::exists(BundledAseDir() + "/" + name, error)) files.push_back(path);
  }
  return files;
}

// Every file, bundled and extra.
inline std::vector<std::string> AllAseFiles() {
  std::vector<std::string> files = AseFilesIn(BundledAseDir());
  const std::vector<std::string> extra = ExtraAseFiles();
  files.insert(files.end(), extra.begin(), extra.end());
  return files;
}

inline std::string BundledAseFile(const std::string& name) { return BundledAseDir() + "/" + name; }
