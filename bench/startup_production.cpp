// The production itself, in its folder under SDL's offscreen driver: the time from start-up to
// the first presented frame, and the frame time (Dispatch, Compose, present, finished) through
// the script, with its heaviest moment. The music plays on the silent output paced by
// a manual clock, so each moment is visited exactly; all timings are wall-clock.
//   ZB_PRODUCTION=<folder> [ZB_RENDERER=gl3] bench_startup_production --benchmark_out=x.json
//     --benchmark_out_format=json
// Start-up sends standard output to the folder's LOGFILE.TXT, so read the results from the file.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ExecStamp.h"
#include "driver/Program.h"
#include "driver/Startup.h"
#include "platform/AudioOutput.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "render/SceneRenderer.h"

namespace {

using WallClock = std::chrono::steady_clock;

ManualClock g_clock;
bool g_started = false;

double SecondsSince(WallClock::time_point start) {
  return std::chrono::duration<double>(WallClock::now() - start).count();
}

// One frame as the player's loop draws it, finished so the time covers the whole picture.
// True when the script's quit event came due instead.
bool DrawFrame() {
  if (g_timeline.Dispatch()) return true;
  g_timeline.Compose();
  SwapBuffers(g_window.GetHDC());
  glFinish();
  return false;
}

void BM_StartupToFirstFrame(benchmark::State& state) {
  for (auto _ : state) {
    if (g_started) {
      state.SkipWithError("start-up runs once per process");
      break;
    }
    const WallClock::time_point start = WallClock::now();
    StartupOptions options;
    options.randomSeed = 1;
    options.fullscreen = false;
    const char* renderer = getenv("ZB_RENDERER");
    if (renderer && !ParseRendererKind(renderer, options.renderer)) {
      state.SkipWithError("ZB_RENDERER is classic or gl3");
      break;
    }
    int status = 0;
    if (!StartProduction(options, status)) {
      ShutdownProduction();
      state.SkipWithError("the production could not start");
      break;
    }
    g_started = true;
    g_music.Play();
    DrawFrame();
    state.counters["exec_to_first_frame_ms"] = MsSinceExec();
    state.SetIterationTime(SecondsSince(start));
  }
}

void BM_FrameThroughTheScript(benchmark::State& state) {
  // Every second of the script, the median of five frames.
  constexpr int kStepSeconds = 1;
  constexpr int kFramesPerMoment = 5;
  double heaviest = 0, heaviestAt = 0, total = 0;
  int moments = 0;
  for (auto _ : state) {
    if (!g_started) {
      state.SkipWithError("needs start-up first");
      break;
    }
    const WallClock::time_point start = WallClock::now();
    bool quit = false;
    for (int second = 0; !quit; second += kStepSeconds) {
      g_clock.AdvanceMs(1000.0 * second - 1000.0 * g_music.Position());
      std::vector<double> frames;
      for (int f = 0; f < kFramesPerMoment && !quit; ++f) {
        const WallClock::time_point frameStart = WallClock::now();
        quit = DrawFrame();
        if (!quit) frames.push_back(SecondsSince(frameStart));
      }
      if (frames.empty()) break;
      std::sort(frames.begin(), frames.end());
      const double median = frames[frames.size() / 2];
      total += median;
      ++moments;
      if (median > heaviest) heaviest = median, heaviestAt = second;
    }
    state.SetIterationTime(SecondsSince(start));
  }
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_mb"] = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
  state.counters["heaviest_frame_ms"] = heaviest * 1e3;
  state.counters["heaviest_at_s"] = heaviestAt;
  state.counters["mean_frame_ms"] = moments ? total / moments * 1e3 : 0;
  state.counters["moments"] = moments;
}

// The production sought to second `at`.
void SeekTo(double at) {
  g_timeline.Seek(static_cast<float>(at), 60);
  g_clock.AdvanceMs(1000.0 * at - 1000.0 * g_music.Position());
}

// The median of `frames` frames drawn from where the production stands.
double MedianFrame(int frames) {
  std::vector<double> times;
  for (int f = 0; f < frames; ++f) {
    const WallClock::time_point frameStart = WallClock::now();
    if (DrawFrame()) break;
    times.push_back(SecondsSince(frameStart));
  }
  std::sort(times.begin(), times.end());
  return times.empty() ? 0 : times[times.size() / 2];
}

// A frame of the glow with 2,400 copies beside an ordinary frame of the same moment (30 s: two
// scenes, the trail and a glow of 2 copies), the copies all alike (spread 0) and each a smaller
// part (the script's spread there).
void BM_GlowOf2400(benchmark::State& state) {
  constexpr double kAt = 30;
  for (auto _ : state) {
    if (!g_started) {
      state.SkipWithError("needs start-up first");
      break;
    }
    const WallClock::time_point start = WallClock::now();
    SeekTo(kAt);
    const double ordinary = MedianFrame(5);
    const float spread = g_timeline.saturateSpread;
    SeekTo(kAt);
    g_timeline.saturateCount = 2400;
    g_timeline.saturateSpread = 0;
    const double still = MedianFrame(3);
    SeekTo(kAt);
    g_timeline.saturateCount = 2400;
    const double zoom = MedianFrame(3);
    state.counters["spread"] = spread;
    state.counters["ordinary_frame_ms"] = ordinary * 1e3;
    state.counters["still_2400_frame_ms"] = still * 1e3;
    state.counters["zoom_2400_frame_ms"] = zoom * 1e3;
    state.SetIterationTime(SecondsSince(start));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* dir = getenv("ZB_PRODUCTION");
  const std::string production = dir ? dir : ZB_SOURCE_DIR "/build/production";
  if (chdir(production.c_str()) != 0) {
    fprintf(stderr, "bench_startup_production: no production in %s (make production)\n",
            production.c_str());
    return 1;
  }
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  SetMessageBoxHandler([](const char*, const char*, unsigned) { return IDOK; });
  SetClockSource(&g_clock);
  AudioUseSilentOutput(true);
  // A scene's animation waits for its next frame period; on the manual clock that wait is the
  // clock moved on by what is missing (a few milliseconds of script time per drawn frame).
  setFrameWaitHandler([](double missingMs) {
    g_clock.AdvanceMs(std::ceil(missingMs));  // whole milliseconds: the timer may round down
    return true;
  });

  benchmark::RegisterBenchmark("startup_to_first_frame", BM_StartupToFirstFrame)
      ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("frame_through_the_script", BM_FrameThroughTheScript)
      ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("glow_of_2400", BM_GlowOf2400)
      ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_started) ShutdownProduction();
  return 0;
}
