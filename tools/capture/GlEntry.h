#pragma once
// An OpenGL entry point beyond the system's GL 1.1 library, fetched from the driver.
#include <SDL.h>

template <typename Entry>
Entry GlEntry(const char* name) {
  return reinterpret_cast<Entry>(SDL_GL_GetProcAddress(name));
}
