#pragma once
#include <cstdint>

#include "scene/PositionTrack.h"
#include "scene/SceneRecords.h"

class GLWindow;

// Scene lights take the slots from GL_LIGHT1 on, by their number; GL_LIGHT0 lights a scene
// without lights. Lights of other numbers are not lit.
constexpr int32_t kSceneLightSlots = 6;

enum class LightKind : uint32_t { point = 0, directional = 1, spot = 2 };

// How a light shines beyond its place and colour. The defaults are the light every scene file
// of the plain layout holds: a point shining all round, as strong at any distance.
struct LightShape {
  LightKind kind = LightKind::point;
  float direction[3] = {0, 0, -1};   // where a directional or spot light shines
  float cutoff = 180;                // a spot's half cone in degrees; 180: all round
  float exponent = 0;                // how a spot fades towards its edge, 0 to 128
  float attenuation[3] = {1, 0, 0};  // constant, linear and quadratic, over the distance

  // A cone of 0 to 90 degrees (or 180), an exponent of 0 to 128, fading that is not negative and
  // an aim that is a direction: what the drivers take.
  bool possible() const {
    bool finite = cutoff == 180 || (cutoff >= 0 && cutoff <= 90);
    finite = finite && exponent >= 0 && exponent <= 128;
    for (float a : attenuation) finite = finite && a >= 0 && a < 1e30f;
    for (float d : direction) finite = finite && d > -1e30f && d < 1e30f;
    return finite && attenuation[0] + attenuation[1] + attenuation[2] > 0;
  }

  bool plain() const {
    return kind == LightKind::point && cutoff == 180 && exponent == 0 && attenuation[0] == 1 &&
           attenuation[1] == 0 && attenuation[2] == 0;
  }
};

// A spot's shape from its cones (half angles in degrees, as modellers give them): the outer one
// is the cutoff, and the light falls to half between the two. Cones the driver cannot take are
// brought into 0 to 90 degrees.
void ShapeSpot(LightShape& shape, float innerDegrees, float outerDegrees);

// One sample of a directional or spot light's aim: where it shines at that frame.
struct LightAim {
  float direction[3] = {0, 0, -1};
};

// A light: its PositionTrack (only the samples' position x, y, z are used), the light as drawn
// and its optional lens flare, its shape and, for one that turns, the track of its aim.
struct SceneLight : PositionTrack<LightFrame> {
  LightFrame frame;
  LightShape shape;
  PositionTrack<LightAim> aims;
  bool hasFlare = false;
  uint32_t flareTexture = 0;   // OpenGL name of the flare image; set by loadFlare
  char flareBitmap[256] = {};  // flare image path; set by the loading screen, never stored

  LightFrame getFrame() const { return frame; }
  void setFrame(const LightFrame& value) { frame = value; }
  bool getHasFlare() const { return hasFlare; }
  void setHasFlare(bool value) { hasFlare = value; }
  void setFlareBitmap(const char* path) { CopyName(flareBitmap, path); }
  void setFlareTexture(uint32_t name) { flareTexture = name; }

  // Both tracks go together.
  void freeTrack() {
    PositionTrack<LightFrame>::freeTrack();
    aims.freeTrack();
  }

  // Defined by the renderer: where the light shines at frame frameIndex (its aim track looping
  // at its own length, as position tracks do).
  const float* aimAt(int32_t frameIndex) const;
  // Defined by the renderer: takes the position of track entry frameIndex (place) and sets one GL
  // light.
  void place(int32_t frameIndex);
  void apply(int32_t frameIndex);
  // Defined with the lens flares: loads flareBitmap into flareTexture; draws the flare.
  void loadFlare();
  void drawFlare(GLWindow* window, int32_t angle);
};
