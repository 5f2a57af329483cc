#pragma once
// Sizes and state of the render-to-texture capture; the operations are GLWindow members.
#include <cstdint>

constexpr int32_t kGlowSize = 256;      // side of the grey glow image
constexpr int32_t kCaptureSize = 1024;  // largest side of the captured 3D pass

// 1024 halved until it no longer exceeds the window side: power-of-two textures hold it exactly.
int32_t CaptureSide(int32_t windowSide);

// Set by the first StorePreviousFrame: until then there is no trail to lay over a frame.
extern bool g_previousFrameStored;
