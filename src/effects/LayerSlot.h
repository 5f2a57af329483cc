#pragma once
// A rectangular 2D image laid over the rendered frame: title cards, credits, logos, noise masks.
// The script changes its opacity, rectangle and jitter; the compositor draws it inside Begin2D.
#include <cstdint>

// How far from the window's corner a layer's corners may be set, and how far one FX_MOVE or
// FX_RESIZE may take them, in pixels: far beyond any screen, and exact in single precision.
constexpr float kMaxLayerPixels = 1000000.0f;

// At most this many texels a window pixel on both axes, a layer's picture reads its level 0
// alone: clear of 1, where the level's rounding lies. Plain linear filtering then gives the very
// values trilinear filtering does, and a software renderer reads them several times faster.
constexpr double kMostTexelsAPixel = 0.95;

class LayerSlot {
public:
  uint32_t texture = 0;      // GL texture name of the image
  float shakeAmount = 0.0f;  // jitter range in pixels; 0 or less: none
  float x0 = 0.0f;           // left edge, pixels from the left of the window
  float x1 = 0.0f;           // right edge
  float y0 = 0.0f;           // top edge, pixels from the top of the window
  float y1 = 0.0f;           // bottom edge
  float alpha = 0.0f;        // opacity and brightness, 0 .. 1

  // Draws the layer with a screen blend into the current 2D pass. A jitter translation is left
  // on the modelview matrix on purpose: it shakes everything drawn after it until the next Begin2D.
  void Draw();
  // The jitter of one draw in pixels (x, y), drawn from the random numbers; false, drawing none,
  // for a layer that does not shake.
  bool Jitter(float offset[2]) const;
};
