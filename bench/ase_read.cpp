// ASE reading speed on the six largest files at hand (bundled and extra), side by side with
// assimp's ASE importer (no post-processing) on the same files. Each iteration reads the file
// with both, one after the other, so both columns see the same machine load; each column
// reports the best of its iterations in MB/s (10^6 bytes per second).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "scene/AseReader.h"
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

std::vector<fs::path> LargestAseFiles(size_t count) {
  std::vector<fs::path> files;
  for (const std::string& path : AllAseFiles()) files.push_back(path);
  std::sort(files.begin(), files.end(),
            [](const fs::path& a, const fs::path& b) { return fs::file_size(a) > fs::file_size(b); });
  if (files.size() > count) files.resize(count);
  return files;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double ReadWithOurs(const std::string& path) {
  Scene scene;
  AseReader reader;
  const auto start = Clock::now();
  const bool ok = reader.load(path.c_str(), scene);
  const double seconds = SecondsSince(start);
  benchmark::DoNotOptimize(ok);
  scene.release();
  return seconds;
}

#ifdef ZB_HAVE_ASSIMP
double ReadWithAssimp(const std::string& path) {
  Assimp::Importer importer;
  const auto start = Clock::now();
  const aiScene* scene = importer.ReadFile(path, 0);
  const double seconds = SecondsSince(start);
  benchmark::DoNotOptimize(scene);
  return seconds;
}
#endif

void BM_AseRead(benchmark::State& state, const std::string& path) {
  const double megabytes = static_cast<double>(fs::file_size(path)) / 1e6;
  double ours = 1e30;
#ifdef ZB_HAVE_ASSIMP
  double assimp = 1e30;
#endif
  {
    QuietStdout quiet;
    for (auto _ : state) {
      const double seconds = ReadWithOurs(path);
      ours = std::min(ours, seconds);
#ifdef ZB_HAVE_ASSIMP
      assimp = std::min(assimp, ReadWithAssimp(path));
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

}  // namespace

int main(int argc, char** argv) {
  SetMessageBoxHandler([](const char*, const char*, unsigned) { return IDOK; });
  for (const fs::path& file : LargestAseFiles(6))
    benchmark::RegisterBenchmark(("ase_read/" + file.filename().string()).c_str(), BM_AseRead,
                                 file.string())
        ->UseManualTime()
        ->MinTime(1.0)
        ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
