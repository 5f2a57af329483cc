#include "ProductionInputs.h"

#include <strings.h>

#include <filesystem>

namespace fs = std::filesystem;

const char* const kProductionInputFolders[] = {"escenas", "escenas_bin", "textures", "music",
                                               nullptr};

namespace {

bool IsInputFolderName(const std::string& name) {
  for (const char* const* f = kProductionInputFolders; *f; ++f)
    if (::strcasecmp(name.c_str(), *f) == 0) return true;
  return false;
}

// True when `path` is `folder` or lies under it; both canonical.
bool Within(const fs::path& path, const fs::path& folder) {
  auto p = path.begin();
  for (auto f = folder.begin(); f != folder.end(); ++f, ++p)
    if (p == path.end() || *p != *f) return false;
  return true;
}

// One file, by identity where both exist, else by resolved path.
bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  const bool same = fs::equivalent(a, b, ec);
  if (!ec) return same;
  const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
  return ca == fs::weakly_canonical(fs::absolute(b, ec), ec);
}

// A name the frames are written as: six digits or more, then ".png".
bool IsFrameName(const std::string& name) {
  size_t digits = 0;
  while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') ++digits;
  return digits >= 6 && name.compare(digits, std::string::npos, ".png") == 0;
}

}  // namespace

bool InsideProductionInputs(const std::string& path, const std::string& production) {
  std::error_code ec;
  const fs::path target = fs::weakly_canonical(fs::absolute(fs::u8path(path), ec), ec);
  const fs::path root = fs::weakly_canonical(fs::absolute(fs::u8path(production), ec), ec);
  // By name: the first folder below the production's.
  if (Within(target, root) && target != root) {
    const fs::path inside = target.lexically_relative(root);
    if (inside.begin() != inside.end() && IsInputFolderName(inside.begin()->u8string()))
      return true;
  }
  // By place: an input folder that is a link to somewhere else.
  for (const fs::directory_entry& entry : fs::directory_iterator(root, ec)) {
    if (!IsInputFolderName(entry.path().filename().u8string())) continue;
    std::error_code linkError;
    const fs::path folder = fs::weakly_canonical(entry.path(), linkError);
    if (!linkError && !folder.empty() && Within(target, folder)) return true;
  }
  return false;
}

std::string FileReplacedBy(const std::string& output, bool frames,
                           const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    std::error_code ec;
    const fs::path path = fs::absolute(fs::u8path(file), ec);
    if (frames ? IsFrameName(path.filename().u8string()) &&
                     SameFile(path.parent_path(), fs::u8path(output))
               : SameFile(path, fs::u8path(output)))
      return file;
  }
  return std::string();
}
