#pragma once
// Reads a scene from an ASE export into an empty Scene: parameters, materials, geometric
// objects with their meshes, cameras and lights with their position tracks. The file is read
// whole into memory and scanned there; every keyword outside the accepted subset is skipped.
//
// Conversions that define the engine's frame: the file's (x, y, z) becomes (x, z, -y), a
// texture vertex (u, v) becomes (u, -v), a camera's field of view goes from radians to degrees
// and a material's transparency t becomes the colour alpha 1 - t.
#include <cstddef>
#include <cstdint>

#include "scene/AseKeywords.h"
#include "scene/AseMotion.h"
#include "scene/AseText.h"
#include "scene/AseTokenizer.h"

#include "scene/SceneLight.h"

class Scene;
struct SceneObject;

// What the last load found, so that a caller can refuse to replace a good scene with a poor one.
// Only `complete` is a scene worth keeping; the others still leave in the Scene what was read.
enum class AseResult : uint8_t {
  complete,    // every block read to its end, and at least one geometric object
  noObjects,   // read to its end, but not one geometric object: nothing to draw
  cutShort,    // the file ended inside a block: what came before is kept, the rest is missing
  outOfOrder,  // a mesh element came before its array's size: reading stopped there
  unreadable,  // missing or unreadable: nothing was read
};

class AseReader {
 public:
  AseTokenizer file;  // the text being read; the block readers share it
  int32_t nextObject = 0;
  int32_t nextCamera = 0;
  int32_t nextLight = 0;
  AseResult result = AseResult::unreadable;  // of the last load

  // Reads the file at path into scene, which must be freshly constructed. Logs its progress to
  // standard output. False (with an error line) when the file is missing or cannot be read;
  // `result` tells a read file that holds too little from a whole one.
  bool load(const char* path, Scene& scene);
  // The pre-pass on its own: counts the object, camera and light blocks of the file at path,
  // sets up the scene's three arrays with those counts and resets the slot counters.
  bool countBlocks(const char* path, Scene& scene);

  // Each is called right after its block's keyword and returns when its block has ended.
  void readSceneBlock(Scene& scene);
  void readMaterialList(Scene& scene);
  void readGeomObject(Scene& scene);
  void readLightObject(Scene& scene);
  void readCameraObject(Scene& scene);

 private:
  AseText text_;  // held only while one load or pre-pass runs
  // Bytes of the text not yet spoken for by an announced array: every element needs a line of
  // its own, so the counts of a whole file together can announce no more than it holds.
  size_t unpromised_ = 0;
  bool cutShort_ = false;  // a block met the end of the text
  bool outOfOrder_ = false;  // an element came before its array's size: nothing more is read
  AseMotion motion_;  // how the objects read so far move

  bool readText(const char* path);
  bool nextInBlock(ase::Keyword& keyword);
  bool setUp(bool arrayReady);
  void countBlocksInText(Scene& scene);
  bool readMaterial(Scene& scene);
  void readFace(SceneObject& object);
  void readFaceNormals(SceneObject& object);
  void readTexFace(SceneObject& object);
  void skipMappingChannel();
  void readFloats(float* values, int n);
  void readPoint(float* point);
  void readName(char (&name)[256]);
  void shapeLight(SceneLight& light, const LightFrame& frame, LightKind kind, const float* target,
                  const float axis[3], float hotspot, float falloff);
  // An animation key of the object: the tick, then n numbers.
  void readKey(std::vector<AseNodeMotion::Key>& keys, int n, int32_t ticksPerFrame);
  bool readCount(uint32_t& count, int32_t minimumBytesPerElement);
  uint32_t trackLengthFor(int32_t lastFrame, int depth, bool nests, bool fovSamples);
  void giveDefaultMaterial(Scene& scene);
  void warnTrackOverflow(bool& told);
  void keepObjectConsistent(SceneObject& object);
  void keepMaterialIndicesInRange(Scene& scene);
};
