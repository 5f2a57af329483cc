// A small writer of the ASE text form that a modelling package exports: the header, the scene
// block, the material list, geometric objects with their normals, target cameras and omni lights
// with frame-by-frame position tracks. Everything is given in the package's own Z-up frame;
// the engine's reader turns it into its Y-up frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

struct TexCoord {
  float u = 0.0f;
  float v = 0.0f;
};

// One bitmap map of a material. The block keyword is the slot it sits in ("MAP_DIFFUSE",
// "MAP_REFLECT", ...); the reader takes maps in the order they are written.
struct AseMap {
  std::string slot = "MAP_DIFFUSE";
  std::string bitmap;
  bool spherical = false;
  float amount = 1.0f;
  float uTiling = 1.0f;
  float vTiling = 1.0f;
  float uOffset = 0.0f;
  float vOffset = 0.0f;
};

struct AseMaterial {
  std::string name;
  Vec3 ambient;
  Vec3 diffuse;
  Vec3 specular{0.9f, 0.9f, 0.9f};
  float shine = 0.25f;
  float transparency = 0.0f;
  float selfIllum = 0.0f;
  bool twoSided = false;
  std::vector<AseMap> maps;
};

// A triangle: vertex indices, texture-vertex indices (used when the mesh has texture
// vertices) and a smoothing-group bit mask (0 = faceted).
struct AseFace {
  uint32_t v[3] = {0, 0, 0};
  uint32_t t[3] = {0, 0, 0};
  uint32_t smoothing = 0;
};

struct AseMesh {
  std::string name;
  int materialRef = 0;
  Vec3 pivot;
  std::vector<Vec3> vertices;
  std::vector<TexCoord> tverts;
  std::vector<AseFace> faces;
};

// A target camera. One sample per animation frame (0 .. lastFrame); the first sample is also
// the node's rest transform.
struct AseCamera {
  std::string name;
  float fov = 0.7854f;  // radians
  std::vector<Vec3> positions;
  std::vector<Vec3> targets;
};

// An omni light. More than one position makes it animated (one sample per frame).
// useGlobal is the light's "*LIGHT_USEGLOBAL" flag, which the engine takes as "has a flare".
struct AseLight {
  std::string name;
  Vec3 color{1.0f, 1.0f, 1.0f};
  float intensity = 1.0f;
  bool useGlobal = false;
  std::vector<Vec3> positions;
};

struct AseScene {
  std::string fileName;  // the package's own scene file name, for the header
  int lastFrame = 100;
  int frameSpeed = 30;
  int ticksPerFrame = 160;
  Vec3 background;
  Vec3 ambient;
  std::vector<AseMaterial> materials;
  std::vector<AseMesh> meshes;
  std::vector<AseCamera> cameras;
  std::vector<AseLight> lights;
};

// Face normal and the three corner normals of every face, as the package exports them: a corner
// takes the area-weighted mean of the faces around its vertex that share a smoothing group with
// its own face; a faceted face (group 0) gives its own normal to all three corners.
struct FaceNormals {
  Vec3 face;
  Vec3 corner[3];
};
std::vector<FaceNormals> ComputeNormals(const AseMesh& mesh);

// The whole file as text (LF line ends, tabs as the package writes them).
std::string FormatAse(const AseScene& scene);

// Writes FormatAse(scene) to path (through OpenFile). Prints why and returns false on failure.
bool WriteAse(const char* path, const AseScene& scene);
