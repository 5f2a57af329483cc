#include "FuzzInput.h"

#include <sanitizer/allocator_interface.h>
#include <sanitizer/lsan_interface.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <cstring>
#include <string>

#include "platform/MessageBox.h"

namespace {

const std::string& ScratchDir() {
  static const std::string dir = [] {
    // /dev/shm keeps the per-input writes off the disk; TMPDIR or /tmp where it is missing.
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : getenv("TMPDIR");
    std::string tmpl = std::string(base ? base : "/tmp") + "/zorbanel-fuzz-XXXXXX";
    if (!mkdtemp(&tmpl[0])) {
      perror("mkdtemp");
      abort();
    }
    return tmpl;
  }();
  return dir;
}

struct DeliberateExit {};

// The exact box that the scene model shows before its deliberate exit.
bool IsDeliberateExitBox(const char* text, const char* caption) {
  return strcmp(caption, "Error de inicializacion") == 0 &&
         strncmp(text, "No esta iniciado el vector de ", 30) == 0;
}

bool g_watching = false;

// Blocks allocated while one input runs and not yet freed: an open-addressing set that never
// allocates itself (the hooks run inside malloc). Deletions leave tombstones; it is cleared per
// input, and a full set only means a leak may be reported that a bigger set would have ignored.
constexpr size_t kSlots = 1 << 16;
const void* g_live[kSlots];
const void* const kTombstone = reinterpret_cast<const void*>(1);

size_t SlotOf(const volatile void* p) {
  return (reinterpret_cast<uintptr_t>(p) >> 4) * 0x9E3779B97F4A7C15ull >> 48 & (kSlots - 1);
}

void OnMalloc(const volatile void* p, size_t) {
  if (!g_watching || !p) return;
  for (size_t i = SlotOf(p), n = 0; n < 64; i = (i + 1) & (kSlots - 1), ++n) {
    if (g_live[i] == nullptr || g_live[i] == kTombstone) {
      g_live[i] = const_cast<const void*>(p);
      return;
    }
  }
}

void OnFree(const volatile void* p) {
  if (!g_watching || !p) return;
  for (size_t i = SlotOf(p), n = 0; n < 64 && g_live[i] != nullptr; i = (i + 1) & (kSlots - 1), ++n) {
    if (g_live[i] == p) {
      g_live[i] = kTombstone;
      return;
    }
  }
}

void RemoveScratch() {
  const std::string command = "rm -rf '" + ScratchDir() + "'";
  if (system(command.c_str()) != 0) fprintf(stderr, "could not remove %s\n", ScratchDir().c_str());
}

}  // namespace

void QuietEngine() {
  static bool done = false;
  if (done) return;
  done = true;
  if (!getenv("ZB_FUZZ_LOG") && !freopen("/dev/null", "w", stdout)) abort();
  SetMessageBoxHandler([](const char* text, const char* caption, unsigned type) {
    if (g_watching && IsDeliberateExitBox(text, caption)) throw DeliberateExit();
    return (type & MB_YESNO) ? IDNO : IDOK;
  });
  __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
  ScratchDir();
  atexit(RemoveScratch);
}

const char* ScratchPath(const char* name) {
  static std::map<std::string, std::string> paths;
  std::string& path = paths[name];
  path = ScratchDir() + "/" + name;
  return path.c_str();
}

const char* WriteInput(const char* name, const uint8_t* data, size_t size) {
  const char* path = ScratchPath(name);
  FILE* f = fopen(path, "wb");
  if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0) {
    perror(path);
    abort();
  }
  return path;
}

bool RunUntilDeliberateExit(void (*run)(void* context), void* context) {
  memset(g_live, 0, sizeof g_live);
  g_watching = true;
  bool exited = false;
  try {
    run(context);
  } catch (const DeliberateExit&) {
    exited = true;
  }
  g_watching = false;
  if (exited) {
    for (const void* p : g_live)
      if (p != nullptr && p != kTombstone) __lsan_ignore_object(p);
  }
  return exited;
}
