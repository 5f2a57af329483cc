// Reading speed of the scene importers, each side by side with assimp's importer of the same
// format (no post-processing) on the same files: ASE on the six largest exports at hand (bundled
// and extra), glTF and OBJ on the large samples in tests/data/large. Each iteration reads the file
// with both, one after the other, so both columns see the same machine load; each column reports
// the best of its iterations in MB/s (10^6 bytes per second). A file that either side cannot read
// is reported as an error, never as a speed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "scene/AseReader.h"
#include "scene/GltfReader.h"
#include "scene/ObjReader.h"
#include "scene/Scene.h"
#include "support/AseFiles.h"
#include "support/QuietStdout.h"

#ifdef ZB_HAVE_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#endif

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Reader = bool (*)(const std::string& path, Scene& scene);

bool ReadAse(const std::string& path, Scene& scene) {
  AseReader reader;
  return reader.load(path.c_str(), scene);
}
bool ReadGltfFile(const std::string& path, Scene& scene) {
  return ReadGltf(path.c_str(), scene) == ImportResult::complete;
}
bool ReadObjFile(const std::string& path, Scene& scene) {
  return ReadObj(path.c_str(), scene) == ImportResult::complete;
}

std::vector<fs::path> LargestAseFiles(size_t count) {
  std::vector<fs::path> files;
  for (const std::string& path : AllAseFiles()) files.push_back(path);
  std::sort(files.begin(), files.end(),
            [](const fs::path& a, const fs::path& b) { return fs::file_size(a) > fs::file_size(b); });
  if (files.size() > count) files.resize(count);
  return files;
}

// The large samples of tests/data/large whose extension is one of those given, sorted.
std::vector<fs::path> LargeSamples(const std::vector<std::string>& extensions) {
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::directory_iterator it(fs::path(ZB_SOURCE_DIR) / "tests/data/large", error), end;
       !error && it != end; it.increment(error)) {
    std::string ext = it->path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (std::find(extensions.begin(), extensions.end(), ext) != extensions.end())
      files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds our reader took, negative when it could not read the file.
double ReadWithOurs(Reader read, const std::string& path) {
  Scene scene;
  const auto start = Clock::now();
  const bool ok = read(path, scene);
  const double seconds = SecondsSince(start);
  scene.release();
  return ok ? seconds : -1;
}

#ifdef ZB_HAVE_ASSIMP
double ReadWithAssimp(const std::string& path) {
  Assimp::Importer importer;
  const auto start = Clock::now();
  const aiScene* scene = importer.ReadFile(path, 0);
  const double seconds = SecondsSince(start);
  return scene ? seconds : -1;
}
#endif

void BM_Read(benchmark::State& state, Reader read, const std::string& path) {
  const double megabytes = static_cast<double>(fs::file_size(path)) / 1e6;
  double ours = 1e30;
#ifdef ZB_HAVE_ASSIMP
  double assimp = 1e30;
#endif
  {
    QuietStdout quiet;
    for (auto _ : state) {
      const double seconds = ReadWithOurs(read, path);
      if (seconds < 0) {
        state.SkipWithError("our reader cannot read the file");
        break;
      }
      ours = std::min(ours, seconds);
#ifdef ZB_HAVE_ASSIMP
      const double theirs = ReadWithAssimp(path);
      if (theirs < 0) {
        state.SkipWithError("assimp cannot read the file");
        break;
      }
      assimp = std::min(assimp, theirs);
#endif
      state.SetIterationTime(seconds);
    }
  }
  state.counters["ours_MBps"] = megabytes / ours;
#ifdef ZB_HAVE_ASSIMP
  state.counters["assimp_MBps"] = megabytes / assimp;
  state.counters["ours_over_assimp"] = assimp / ours;
#endif
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * megabytes * 1e6));
}

void Register(const char* format, Reader read, const std::vector<fs::path>& files) {
  for (const fs::path& file : files) {
    const std::string name = std::string(format) + "_read/" + file.filename().string();
    benchmark::RegisterBenchmark(name.c_str(), BM_Read, read, file.string())
        ->UseManualTime()
        ->MinTime(1.0)
        ->Unit(benchmark::kMillisecond);
  }
}

}  // namespace

int main(int argc, char** argv) {
  SetMessageBoxHandler([](const char*, const char*, unsigned) { return IDOK; });
  Register("ase", ReadAse, LargestAseFiles(6));
  Register("gltf", ReadGltfFile, LargeSamples({".gltf", ".glb"}));
  Register("obj", ReadObjFile, LargeSamples({".obj"}));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
