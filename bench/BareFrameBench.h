#pragma once
// What the bare programs of the benchmark table share: the window (800 x 600, SDL's offscreen
// driver, the player's pixel format), and the two figures, start-up to the first frame and one
// frame, each frame finished with glFinish. Each program gives its own GL context profile, its
// set-up once the context is current, and its frame.
#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

#include "ExecStamp.h"

struct BareProgram {
  int profile;      // SDL_GL_CONTEXT_PROFILE_*
  int major, minor;  // the context version asked for; 0: any
  bool (*setUp)();  // after the context is made current; false when it cannot draw
  void (*draw)();   // one frame's GL work, before the swap
};

namespace bare {

// The texture the frame copies into and draws: linear filtering, no mipmaps.
inline void MakeCopyTexture() {
  glViewport(0, 0, 800, 600);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

inline SDL_Window*& Window() {
  static SDL_Window* window = nullptr;
  return window;
}

inline bool Open(const BareProgram& program) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, program.profile);
  if (program.major) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, program.major);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, program.minor);
  }
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  Window() = SDL_CreateWindow("bare", 0, 0, 800, 600, SDL_WINDOW_OPENGL);
  return Window() && SDL_GL_CreateContext(Window()) && program.setUp();
}

inline void Frame(const BareProgram& program) {
  program.draw();
  SDL_GL_SwapWindow(Window());
  glFinish();
}

}  // namespace bare

// Registers and runs both figures for the program; main's answer.
inline int RunBareFrameBenchmarks(int argc, char** argv, const BareProgram& program) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  benchmark::RegisterBenchmark("startup_to_first_frame", [program](benchmark::State& state) {
    for (auto _ : state) {
      const auto start = std::chrono::steady_clock::now();
      if (bare::Window() || !bare::Open(program)) {
        state.SkipWithError("the window opens once per process, and must open");
        break;
      }
      bare::Frame(program);
      state.counters["exec_to_first_frame_ms"] = MsSinceExec();
      state.SetIterationTime(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
  })->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("frame", [program](benchmark::State& state) {
    if (!bare::Window()) {
      state.SkipWithError("needs the window first");
      return;
    }
    for (auto _ : state) bare::Frame(program);
  })->MinTime(2.0)->UseRealTime()->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  SDL_Quit();
  return 0;
}
