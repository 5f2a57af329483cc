#pragma once
#include <cstdint>

#include "scene/PositionTrack.h"
#include "scene/SceneRecords.h"

class GLWindow;

// Scene lights take the slots from GL_LIGHT1 on, by their number; GL_LIGHT0 lights a scene
// without lights. Lights of other numbers are not lit.
constexpr int32_t kSceneLightSlots = 6;

// A light: its PositionTrack (only the samples' position x, y, z are used), the light as drawn
// and its optional lens flare.
struct SceneLight : PositionTrack<LightFrame> {
  LightFrame frame;
  bool hasFlare = false;
  uint32_t flareTexture = 0;   // OpenGL name of the flare image; set by loadFlare
  char flareBitmap[256] = {};  // flare image path; set by the loading screen, never stored

  LightFrame getFrame() const { return frame; }
  void setFrame(const LightFrame& value) { frame = value; }
  bool getHasFlare() const { return hasFlare; }
  void setHasFlare(bool value) { hasFlare = value; }
  void setFlareBitmap(const char* path) { CopyName(flareBitmap, path); }
  void setFlareTexture(uint32_t name) { flareTexture = name; }

  // Defined by the renderer: takes the position of track entry frameIndex (place) and sets one GL
  // light.
  void place(int32_t frameIndex);
  void apply(int32_t frameIndex);
  // Defined with the lens flares: loads flareBitmap into flareTexture; draws the flare.
  void loadFlare();
  void drawFlare(GLWindow* window, int32_t angle);
};
