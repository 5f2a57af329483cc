#pragma once
// A fixed cloud of textured, camera-facing squares. Each burst pushes every particle away from
// the weighted mean of the others, so the cloud expands in jerks while bursts are armed.
#include <cstdint>
#include <string>

#include "platform/FrameTimer.h"

struct Particle {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float size = 0.0f;  // half the edge of the drawn square; 1/size is its weight in a burst
};

struct EyePoint {
  float x;
  float y;
  float z;
};

class ParticleSystem {
public:
  static constexpr int kMaxTextures = 10;
  static constexpr int kNameLength = 255;

  uint32_t textures[kMaxTextures] = {};
  char textureNames[kMaxTextures][kNameLength] = {};
  int32_t textureCount = 0;
  int32_t assignCursor = 0;      // next particle to receive a texture in AddTexture
  Particle* particles = nullptr;
  int32_t* textureIndex = nullptr;
  uint32_t count = 0;
  float alpha = 1.0f;
  float strength = 1.0f;         // factor of each burst step
  float sizeRange = 0.0f;        // generator parameter, kept in the file
  float spread = 0.0f;           // generator parameter, kept in the file
  FrameTimer timer;              // burst clock, started at the first draw
  bool started = false;
  int32_t burstInterval = 0;     // milliseconds between bursts
  int32_t burstsLeft = 0;

  ParticleSystem() = default;
  ~ParticleSystem();
  ParticleSystem(const ParticleSystem&) = delete;
  ParticleSystem& operator=(const ParticleSystem&) = delete;

  // Player side.
  // Fills the system from a particle file and loads its textures. A file that is missing, short
  // or inconsistent is logged and leaves the system empty; returns false then.
  bool ReadFile(const char* path);
  // ReadFile without the texture loads (every texture name stays 0), so the file can be checked
  // and read where no GL context exists. On false, fault (when given) says why.
  bool ReadRecords(const char* path, std::string* fault = nullptr);
  // Runs a due burst, then draws every particle additively with the current modelview.
  void Draw();
  // What Draw changes besides the picture: the burst clock and a due burst.
  void Advance();
  // One repulsion step over all particles, in place and in index order.
  void Burst();
  void DrawBillboard(const EyePoint& e, float s, int32_t k);
  // Also lets go of the textures (the names stay) and empties the texture list.
  void Release();

  // Authoring side.
  // Returns false (and leaves the system empty) when the arrays cannot be allocated.
  bool Allocate(uint32_t count, float sizeRange, float spread);
  void Randomize();
  // Returns false when all texture slots are taken; the run is clipped to the particles left.
  bool AddTexture(const char* path, int32_t run);
  // Returns false when the file cannot be opened or fully written.
  bool WriteFile(const char* path);
};
