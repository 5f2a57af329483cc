#include "platform/TextureCache.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <condition_variable>
#include <filesystem>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Files.h"
#include "platform/OpenGL.h"
#include "platform/TextureLoader.h"

namespace {

struct CachedTexture {
  std::string key;  // the file as this machine names it, so every spelling of one path meets
  uint32_t name;
  int users;
  TextureCoverage coverage;
  bool standIn;  // the file could not be loaded: a checker pattern in its place
};

// A production holds a few dozen textures at most: a list is all the lookup needs.
std::vector<CachedTexture> g_cache;
int g_uploads = 0;

// Absolute, so a change of working directory (a test's, a tool's) cannot meet an old entry.
// UTF-8 both ways: the key is also the name the texture is read by.
std::string CacheKey(const char* path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::u8path(ResolvePath(path));
  const std::filesystem::path absolute = std::filesystem::absolute(resolved, error);
  return (error ? resolved : absolute).lexically_normal().u8string();
}

struct Prefetch {
  std::string key;
  bool started = false;
  bool done = false;
  FileStamp stamp;  // taken before the read
  PreparedTexture texture;
};

// Work for the prefetch threads. They end when the list has nothing left to start, so an idle
// program holds no thread.
struct PrefetchQueue {
  std::mutex lock;
  std::condition_variable changed;
  std::list<Prefetch> items;  // stable addresses: a thread fills its item unlocked
  int running = 0;
  std::vector<pthread_t> threads;  // made and not yet joined; the main thread's alone
  pid_t owner = ::getpid();

  // The process ends: threads still decoding finish their file and are joined, so none runs into
  // torn-down state, and none is still on its way out while the exit handlers run. A forked child
  // holds none of the parent's threads and must not wait for them.
  ~PrefetchQueue() {
    if (::getpid() != owner) return;
    {
      std::lock_guard<std::mutex> hold(lock);
      for (Prefetch& item : items) item.started = true;
    }
    JoinThreads();
  }

  // A thread done with its work may not have ended yet: joining waits for that too.
  void JoinThreads() {
    for (pthread_t thread : threads) pthread_join(thread, nullptr);
    threads.clear();
  }
};

PrefetchQueue& Queue() {
  static PrefetchQueue queue;
  return queue;
}

// Prepares one item, with the lock let go meanwhile.
void PrepareItem(PrefetchQueue& queue, Prefetch& item, std::unique_lock<std::mutex>& hold) {
  item.started = true;
  hold.unlock();
  // Read by its absolute name: the working directory may change meanwhile.
  FileStamp stamp = StampOfFile(item.key.c_str());
  PreparedTexture texture = PrepareTexture(item.key.c_str());
  hold.lock();
  item.stamp = stamp;
  item.texture = std::move(texture);
  item.done = true;
  queue.changed.notify_all();
}

void* PrefetchThread(void*) {
  PrefetchQueue& queue = Queue();
  std::unique_lock<std::mutex> hold(queue.lock);
  for (;;) {
    auto next = std::find_if(queue.items.begin(), queue.items.end(),
                             [](const Prefetch& item) { return !item.started; });
    if (next == queue.items.end()) break;
    PrepareItem(queue, *next, hold);
  }
  --queue.running;
  queue.changed.notify_all();
  return nullptr;
}

// The prefetched texture of the file, waited for; false when there is none, when the file has
// changed since it was read, or when it could not be used (it is read again, so that the failure
// is told as it always is).
bool TakePrefetched(const std::string& key, PreparedTexture& texture) {
  PrefetchQueue& queue = Queue();
  std::unique_lock<std::mutex> hold(queue.lock);
  auto item = std::find_if(queue.items.begin(), queue.items.end(),
                           [&](const Prefetch& p) { return p.key == key; });
  if (item == queue.items.end()) return false;
  // Not reached yet by the threads: read here rather than wait behind the others.
  if (!item->started) PrepareItem(queue, *item, hold);
  queue.changed.wait(hold, [&] { return item->done; });
  const bool current = item->texture.decoded && item->stamp == StampOfFile(key.c_str());
  if (current) texture = std::move(item->texture);
  queue.items.erase(item);
  return current;
}

}  // namespace

void PrefetchTextures(const std::vector<std::string>& paths) {
  PrefetchQueue& queue = Queue();
  std::lock_guard<std::mutex> hold(queue.lock);
  for (const std::string& path : paths) {
    const std::string key = CacheKey(path.c_str());
    auto known = [&](const auto& list) {
      return std::any_of(list.begin(), list.end(), [&](const auto& e) { return e.key == key; });
    };
    if (known(g_cache) || known(queue.items)) continue;
    queue.items.emplace_back();
    queue.items.back().key = key;
  }
  // Threads of an earlier prefetch have all left their loop (and the lock): they are joined
  // before new ones are made.
  if (queue.running == 0) queue.JoinThreads();
  // One core is left to the thread that opens the window and loads scenes meanwhile. Without a
  // thread (none could be made) AcquireTexture reads each file itself, as before.
  const int wanted = static_cast<int>(std::clamp(std::thread::hardware_concurrency() - 1, 1u, 2u));
  for (pthread_t thread; queue.running < wanted; ++queue.running) {
    if (pthread_create(&thread, nullptr, PrefetchThread, nullptr) != 0) break;
    queue.threads.push_back(thread);
  }
}

namespace {

uint32_t Acquire(const char* path, bool sphereMap, bool standIn) {
  const std::string key = CacheKey(path);
  for (CachedTexture& cached : g_cache) {
    // A stand-in serves only those who take one: anyone else meets the failure.
    if (cached.key != key || (cached.standIn && !standIn)) continue;
    ++cached.users;
    TextureLoader::BindAsLoaded(cached.name, sphereMap);
    return cached.name;
  }
  PreparedTexture prepared;
  if (!TakePrefetched(key, prepared)) prepared = PrepareTexture(path);
  const bool replaced = standIn && !prepared.decoded;
  if (replaced) {
    // Kept under the file's name like a picture: the other maps naming it share it, quietly.
    const std::string line = "Warning: scene texture not loaded: " + prepared.message +
                             ": a checker pattern is drawn in its place\n";
    std::fputs(line.c_str(), stderr);
    std::fputs(line.c_str(), stdout);
    prepared = PrepareCheckerTexture();
  }
  const uint32_t name = TextureLoader::Upload(path, prepared, sphereMap);
  if (name == 0) return 0;  // told and counted by the loader; nothing to keep
  ++g_uploads;
  g_cache.push_back({key, name, 1, std::move(prepared.coverage), replaced});
  return name;
}

}  // namespace

uint32_t AcquireTexture(const char* path, bool sphereMap) {
  if (!path) return TextureLoader::LoadTexture(path, sphereMap);  // fails, as ever
  return Acquire(path, sphereMap, false);
}

uint32_t AcquireTextureOrStandIn(const char* path, bool sphereMap) {
  return Acquire(path ? path : "", sphereMap, true);
}

std::vector<std::string> StandInFiles() {
  std::vector<std::string> files;
  for (const CachedTexture& cached : g_cache)
    if (cached.standIn) files.push_back(cached.key);
  return files;
}

const TextureCoverage* CoverageOfTexture(uint32_t name) {
  for (const CachedTexture& cached : g_cache)
    if (cached.name == name) return cached.coverage.marked.empty() ? nullptr : &cached.coverage;
  return nullptr;
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
