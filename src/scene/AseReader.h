#pragma once
// Reads a scene from an ASE export into an empty Scene: parameters, materials, geometric
// objects with their meshes, cameras and lights with their position tracks. The file is read
// whole into memory and scanned there; every keyword outside the accepted subset is skipped.
//
// Conversions that define the engine's frame: the file's (x, y, z) becomes (x, z, -y), a
// texture vertex (u, v) becomes (u, -v), a camera's field of view goes from radians to degrees
// and a material's transparency t becomes the colour alpha 1 - t.
#include <cstdint>

#include "scene/AseText.h"
#include "scene/AseTokenizer.h"

class Scene;
struct SceneObject;

class AseReader {
 public:
  AseTokenizer file;  // the text being read; the block readers share it
  int32_t nextObject = 0;
  int32_t nextCamera = 0;
  int32_t nextLight = 0;

  // Reads the file at path into scene, which must be freshly constructed. Logs its progress to
  // standard output. False (with an error line) when the file is missing or cannot be read.
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

  bool readText(const char* path);
  void countBlocksInText(Scene& scene);
  bool readMaterial(Scene& scene);
  void readFace(SceneObject& object);
  void readFaceNormals(SceneObject& object);
  void readTexFace(SceneObject& object);
  void skipMappingChannel();
  void readFloats(float* values, int n);
  void readPoint(float* point);
  void readName(char (&name)[256]);
  bool readCount(uint32_t& count, int32_t minimumBytesPerElement);
  uint32_t trackLengthFor(int32_t lastFrame);
  void warnTrackOverflow(bool& told);
  void keepObjectConsistent(SceneObject& object);
  void keepMaterialIndicesInRange(Scene& scene);
};
