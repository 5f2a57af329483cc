#pragma once
// State of the render-to-texture capture; the operations are GLWindow members.

// Set by StorePreviousFrame and cleared by ForgetPreviousFrame: without it there is no trail to
// lay over a frame.
extern bool g_previousFrameStored;

#include <cstdint>

class GLWindow;

// The 3D pass's side for a picture side: the largest power of two that fits in it (and in the
// driver's largest texture).
int32_t CaptureSide(int32_t windowSide);
// The glow source's side (it is square).
int32_t GlowSide(const GLWindow& window);
