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

}  // namespace

bool InsideProductionInputs(const std::string& path, const std::string& production) {
  std::error_code ec;
  const fs::path target = fs::weakly_canonical(fs::absolute(path, ec), ec);
  const fs::path root = fs::weakly_canonical(fs::absolute(production, ec), ec);
  // By name: the first folder below the production's.
  if (Within(target, root) && target != root) {
    const fs::path inside = target.lexically_relative(root);
    if (inside.begin() != inside.end() && IsInputFolderName(inside.begin()->string()))
      return true;
  }
  // By place: an input folder that is a link to somewhere else.
  for (const fs::directory_entry& entry : fs::directory_iterator(root, ec)) {
    if (!IsInputFolderName(entry.path().filename().string())) continue;
    std::error_code linkError;
    const fs::path folder = fs::weakly_canonical(entry.path(), linkError);
    if (!linkError && !folder.empty() && Within(target, folder)) return true;
  }
  return false;
}
