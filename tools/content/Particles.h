// The production's particle file, made with the particle system's own authoring side.
#pragma once

// Writes "ESCENAS_BIN\PARTICLES02.BIN" in the current directory, which must be the production
// directory with its textures already written (adding a texture loads it, so this opens a small
// off-screen GL window for the time it runs). Same bytes on every run. Prints why and returns
// false on failure.
bool WriteParticles();
