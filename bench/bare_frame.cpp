// The anchor of the benchmark table: a bare program with the player's window (800 x 600, SDL's
// offscreen driver, the same pixel format) that per frame clears, copies 512 x 512 of the frame
// into a texture, draws that texture as one quad and presents, each frame finished with
// glFinish. Our start-up and frame times are stated as multiples of its own.
//   bench_bare_frame --benchmark_out=x.json --benchmark_out_format=json
#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

#include "ExecStamp.h"

namespace {

SDL_Window* g_window = nullptr;
GLuint g_texture = 0;

bool OpenWindow() {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  g_window = SDL_CreateWindow("bare", 0, 0, 800, 600, SDL_WINDOW_OPENGL);
  if (!g_window || !SDL_GL_CreateContext(g_window)) return false;
  glViewport(0, 0, 800, 600);
  glGenTextures(1, &g_texture);
  glBindTexture(GL_TEXTURE_2D, g_texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glEnable(GL_TEXTURE_2D);
  return true;
}

void DrawFrame() {
  glClearColor(0.2f, 0.3f, 0.4f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 512, 512, 0);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(-1, -1);
  glTexCoord2f(1, 0);
  glVertex2f(1, -1);
  glTexCoord2f(1, 1);
  glVertex2f(1, 1);
  glTexCoord2f(0, 1);
  glVertex2f(-1, 1);
  glEnd();
  SDL_GL_SwapWindow(g_window);
  glFinish();
}

void BM_StartupToFirstFrame(benchmark::State& state) {
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (g_window || !OpenWindow()) {
      state.SkipWithError("the window opens once per process");
      break;
    }
    DrawFrame();
    state.counters["exec_to_first_frame_ms"] = MsSinceExec();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

void BM_Frame(benchmark::State& state) {
  if (!g_window) {
    state.SkipWithError("needs the window first");
    return;
  }
  for (auto _ : state) DrawFrame();
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  benchmark::RegisterBenchmark("startup_to_first_frame", BM_StartupToFirstFrame)
      ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("frame", BM_Frame)
      ->MinTime(2.0)->UseRealTime()->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  SDL_Quit();
  return 0;
}
