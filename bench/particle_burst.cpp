// One burst step over clouds of growing size: the engine's linear-time step against the direct
// pairwise form (every particle summed against every other), which is what it replaces.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "particles/ParticleSystem.h"

namespace {

void FillCloud(ParticleSystem& system, uint32_t count) {
  srand(1234);
  system.Allocate(count, 10.0f, 200.0f);
  system.Randomize();
}

void PairwiseBurst(ParticleSystem& system) {
  Particle* p = system.particles;
  const uint32_t n = system.count;
  for (uint32_t i = 0; i < n; ++i) {
    float sx = 0.0f, sy = 0.0f, sz = 0.0f;
    for (uint32_t j = 0; j < n; ++j) {
      const float w = 1.0f / p[j].size;
      sx += (p[j].x - p[i].x) * w * 0.00084f;
      sy += (p[j].y - p[i].y) * w * 0.00084f;
      sz += (p[j].z - p[i].z) * w * 0.00084f;
    }
    p[i].x -= sx * system.strength;
    p[i].y -= sy * system.strength;
    p[i].z -= sz * system.strength;
  }
}

void BM_Burst(benchmark::State& state) {
  ParticleSystem system;
  FillCloud(system, static_cast<uint32_t>(state.range(0)));
  for (auto _ : state) {
    system.Burst();
    benchmark::DoNotOptimize(system.particles[0].x);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_PairwiseBurst(benchmark::State& state) {
  ParticleSystem system;
  FillCloud(system, static_cast<uint32_t>(state.range(0)));
  for (auto _ : state) {
    PairwiseBurst(system);
    benchmark::DoNotOptimize(system.particles[0].x);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_Burst)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairwiseBurst)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
