#pragma once
// What the glTF and OBJ readers share: a scene gathered element by element before its counts
// are known, triangles turned into the engine's mesh, and warnings that name once per file what
// the engine's scene cannot hold.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "scene/Material.h"
#include "scene/SceneCamera.h"
#include "scene/SceneLight.h"
#include "scene/SceneObject.h"
#include "scene/SceneRecords.h"

class Scene;

// What a reader of a modeller's file made of it.
enum class ImportResult {
  complete,    // read, with at least one object to draw
  noObjects,   // read, but nothing to draw
  unreadable,  // missing, damaged or not understood: the scene holds nothing
};

// Triangles of one object in the engine's frame. Texture vertices have their own indices, as
// in the engine's mesh; a mesh without texture coordinates leaves both lists empty.
struct ImportedTriangles {
  std::vector<float> positions;      // x, y, z per vertex
  std::vector<uint32_t> faces;       // a, b, c per triangle, into positions
  std::vector<float> uvs;            // u, v per texture vertex, in the engine's convention
  std::vector<uint32_t> uvFaces;     // a, b, c per triangle, into uvs
  std::vector<float> cornerNormals;  // 9 per triangle; empty: flat, from the face itself
  std::vector<float> colours;        // r, g, b, a per vertex; empty: the material's alone
};

// Frames per second of an imported scene: glTF keeps time in seconds and samples its animation
// into tracks at this rate; OBJ has no animation.
constexpr int kImportFrameRate = 30;

// The header of an imported scene: its frame rate and last frame, nothing else.
SceneParams ImportedParams(int32_t lastFrame);

// Says that the file at path cannot be read.
ImportResult ImportUnreadable(const char* path);
// Says why the file at path is refused: "[ path ] why."
ImportResult ImportRefused(const char* path, const std::string& why);

class ImportedScene {
 public:
  std::vector<SceneObject> objects;
  std::vector<Material> materials;
  std::vector<SceneCamera> cameras;
  std::vector<SceneLight> lights;

  // Builds an object's mesh from the triangles; false (nothing added) when an index is out of
  // range or the arrays cannot be had.
  bool addObject(const ImportedTriangles& mesh, int32_t materialIndex, const std::string& name);
  // Sets up the scene's four arrays and hands every element over (the scene owns them after),
  // then says what was read.
  ImportResult finish(const char* path, Scene& scene);
  // Frees what was gathered, for a file given up half way.
  void discard();
};

// Prints each kind of loss once per file: "holds skinning: not carried" and the like.
class ImportWarnings {
 public:
  explicit ImportWarnings(std::string path) : path_(std::move(path)) {}
  void warn(const std::string& what);

 private:
  std::string path_;
  std::set<std::string> told_;
};

// A material with one colour for ambient and diffuse (the renderer colours with the first),
// alpha as given and, when texture is not empty, one map on the whole texture.
Material ImportedMaterial(int32_t index, const float rgb[3], float alpha, const float emission[3],
                          bool twoSided, const std::string& texture);

// The path, relative to the production, of a file that a scene file at scenePath names
// relative to its own folder; empty when it would lead out of that folder (absolute or "..").
std::string BesideSceneFile(const std::string& scenePath, const std::string& name);
