// Dispatch cost per event: a script of every effect on every kind of target, all due at once,
// applied from the start on each iteration. The music is a silent track whose position stands
// past the last event, so the figure is the dispatcher's own walk and writes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "effects/LayerSlot.h"
#include "particles/ParticleSystem.h"
#include "platform/AudioOutput.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/MusicPlayer.h"
#include "scene/Scene.h"
#include "support/TestMusic.h"
#include "timeline/Timeline.h"

namespace {

constexpr int kTargets = 17;  // as many as the production has layers

const char* const kLines[] = {
    "SCENE %d FX_START",         "SCENE %d FX_SHAKE 0.5",  "SCENE %d FX_CHANGE_CAM 1",
    "SCENE %d FX_AQUA 1",        "SCENE %d FX_STOP",       "SCENE %d FX_SATURATE 4 3",
    "SCENE %d FX_BLUR 0.6",      "LAYER %d FX_START",      "LAYER %d FX_ALPHA 0.5",
    "LAYER %d FX_MOVE 3 -2",     "LAYER %d FX_RESIZE 400 300", "LAYER %d FX_SHAKE 2",
    "PARTICLE %d FX_START",      "PARTICLE %d FX_EXPLODE 10 200", "PARTICLE %d FX_ALPHA 0.7",
    "LAYER %d FX_STOP",
};

// Writes a script of count events spread over ten seconds; returns its path.
std::string WriteScript(const std::string& dir, int count) {
  const std::string path = dir + "/script.txt";
  FILE* f = fopen(path.c_str(), "w");
  if (!f) std::abort();
  constexpr int kKinds = sizeof kLines / sizeof kLines[0];
  for (int i = 0; i < count; ++i) {
    fprintf(f, "%.3f ", 10.0 * i / count);
    fprintf(f, kLines[i % kKinds], i / kKinds % kTargets);
    fputc('\n', f);
  }
  fclose(f);
  return path;
}

struct Stage {
  ManualClock clock;
  MusicPlayer music;
  Scene scenes[kTargets];
  LayerSlot layers[kTargets];
  ParticleSystem particles[kTargets];
  Timeline timeline;
  std::string dir;

  Stage() {
    char name[] = "/tmp/zorbanel-bench-XXXXXX";
    if (!mkdtemp(name)) std::abort();
    dir = name;
    const std::string ogg = dir + "/music.ogg";
    const std::string bytes = EncodeSilentOgg(20.0);
    FILE* f = fopen(ogg.c_str(), "wb");
    if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
    fclose(f);
    SetClockSource(&clock);
    AudioUseSilentOutput(true);
    if (!music.Init(nullptr)) std::abort();
    music.Load(ogg.c_str());
    if (!music.m_stream) std::abort();
    music.Play();
    clock.AdvanceMs(15000);  // past every event
    timeline.SetMusic(&music);
    for (int i = 0; i < kTargets; ++i) {
      timeline.RegisterScene(&scenes[i]);
      timeline.RegisterLayer(&layers[i]);
      timeline.RegisterParticleSystem(&particles[i]);
    }
  }
  ~Stage() {
    music.Free();
    AudioUseSilentOutput(false);
    SetClockSource(nullptr);
    remove((dir + "/script.txt").c_str());
    remove((dir + "/music.ogg").c_str());
    rmdir(dir.c_str());
  }
};

void BM_DispatchPerEvent(benchmark::State& state) {
  static Stage stage;
  const int count = static_cast<int>(state.range(0));
  stage.timeline.LoadScript(WriteScript(stage.dir, count).c_str());
  stage.timeline.SortEvents();
  for (auto _ : state) {
    stage.timeline.cursor = 0;
    benchmark::DoNotOptimize(stage.timeline.Dispatch());
  }
  if (stage.timeline.cursor != static_cast<uint32_t>(count)) state.SkipWithError("events left");
  state.SetItemsProcessed(state.iterations() * count);
  // Seconds per event: the time of all iterations over the events they applied.
  state.counters["seconds_per_event"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * count,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

int main(int argc, char** argv) {
  SetMessageBoxHandler([](const char*, const char*, unsigned) { return IDOK; });
  benchmark::RegisterBenchmark("dispatch_per_event", BM_DispatchPerEvent)->Arg(640)->Arg(10000);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
