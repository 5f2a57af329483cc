#include "platform/TextureCache.h"

#include <GL/gl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/TextureLoader.h"

namespace {

struct CachedTexture {
  std::string key;  // the file as this machine names it, so every spelling of one path meets
  uint32_t name;
  int users;
};

// A production holds a few dozen textures at most: a list is all the lookup needs.
std::vector<CachedTexture> g_cache;
int g_uploads = 0;

// Absolute, so a change of working directory (a test's, a tool's) cannot meet an old entry.
std::string CacheKey(const char* path) {
  std::error_code error;
  const std::filesystem::path resolved(ResolvePath(path));
  const std::filesystem::path absolute = std::filesystem::absolute(resolved, error);
  return (error ? resolved : absolute).lexically_normal().string();
}

}  // namespace

uint32_t AcquireTexture(const char* path, bool sphereMap) {
  if (!path) return TextureLoader::LoadTexture(path, sphereMap);  // ends the program, as ever
  const std::string key = CacheKey(path);
  for (CachedTexture& cached : g_cache) {
    if (cached.key != key) continue;
    ++cached.users;
    TextureLoader::BindAsLoaded(cached.name, sphereMap);
    return cached.name;
  }
  const uint32_t name = TextureLoader::LoadTexture(path, sphereMap);
  ++g_uploads;
  g_cache.push_back({key, name, 1});
  return name;
}

void ReleaseTexture(uint32_t name) {
  if (name == 0) return;
  for (size_t i = 0; i < g_cache.size(); ++i) {
    if (g_cache[i].name != name) continue;
    if (--g_cache[i].users == 0) {
      const GLuint doomed = name;
      glDeleteTextures(1, &doomed);
      g_cache.erase(g_cache.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return;
  }
}

void ForgetTextures() { g_cache.clear(); }

int TextureUploadCount() { return g_uploads; }
