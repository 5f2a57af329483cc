#pragma once
// The plain value records of a scene. Several of them are also records of the binary scene
// file, which takes them field by field (SceneBinaryLayout.h), so their in-memory padding
// never matters.
#include <cstdint>

// The scene header.
struct SceneParams {
  int32_t lastFrame = 0;
  int32_t frameSpeed = 0;  // animation frames per second
  int32_t ticksPerFrame = 0;
  float background[3] = {0, 0, 0};
  float ambient[3] = {0, 0, 0};
  float fogColor[4] = {0, 0, 0, 0};
  float fogDensity = 0;
  float fogEnd = 0;  // note: the end comes before the start
  float fogStart = 0;
  bool fogEnabled = false;
};

struct Vertex {
  float position[3] = {0, 0, 0};
  float reserved[4] = {0, 0, 0, 1};  // carried along; the colour where the object says so
  float normal[3] = {0, 0, 0};       // in a rest copy: the direction of the aqua displacement
  float spare[2] = {0, 0};
  int32_t normalCount = 0;
};

struct TexVertex {
  float u = 0;
  float v = 0;
};

// A triangle. `vertex` points at vertices[index[k]] of the same object; readers derive it
// whenever they store a face.
struct Face {
  uint32_t index[3] = {0, 0, 0};
  Vertex* vertex[3] = {nullptr, nullptr, nullptr};
  float faceNormal[3] = {0, 0, 0};
  float cornerNormal[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
};

struct TexFace {
  uint32_t index[3] = {0, 0, 0};
  TexVertex* texVertex[3] = {nullptr, nullptr, nullptr};
};

// One sample of a camera's PositionTrack, or its static placement.
struct CameraFrame {
  float position[3] = {0, 0, 0};
  float target[3] = {0, 0, 0};  // the point looked at
  float fov = 0;                // degrees
  bool filled = false;          // the ASE reader uses it while building a track
};

// One sample of a light's PositionTrack, or the light as drawn.
struct LightFrame {
  int32_t lightNumber = 0;  // OpenGL light 0..5; others are not lit
  float color[4] = {0, 0, 0, 0};
  float position[4] = {0, 0, 0, 0};
};

// One sample of a moving object's track: the transform that takes the object from where its
// vertices lie to where it stands at that frame, column-major as OpenGL takes it.
struct ObjectFrame {
  float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// Copies a NUL-terminated name into a 256-byte field: at most 255 characters, always ended
// by a NUL (longer names are cut); a null source gives an empty name.
void CopyName(char (&field)[256], const char* name);
