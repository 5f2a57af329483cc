#pragma once
// The records of the binary scene file, encoded and decoded field by field in little-endian
// order, so the file never depends on how the compiler pads the in-memory records.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene/Material.h"
#include "scene/SceneRecords.h"

namespace scenefile {

enum : size_t {
  kParamsSize = 68,
  kVertexSize = 52,
  kFaceSize = 72,
  kTexVertexSize = 8,
  kTexFaceSize = 24,
  kCameraFrameSize = 32,
  kMaterialHeaderSize = 76,
  kMapSize = 272,
  kMapPathSize = 255,
  kLightFrameSize = 36,
};

// Appends little-endian values to a growing byte buffer.
struct ByteSink {
  std::vector<uint8_t> bytes;

  void u8(uint8_t value) { bytes.push_back(value); }
  void u32(uint32_t value);
  void i32(int32_t value) { u32(static_cast<uint32_t>(value)); }
  void f32(float value);
  void floats(const float* values, int n) {
    for (int k = 0; k < n; ++k) f32(values[k]);
  }
  void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
};

inline uint32_t LoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline int32_t LoadI32(const uint8_t* p) { return static_cast<int32_t>(LoadU32(p)); }
float LoadF32(const uint8_t* p);

// Each Put writes exactly the record's size; each Get reads exactly that many bytes from p.
// Reference places in Face and TexFace records are written as zero and ignored when read.
void PutParams(ByteSink& out, const SceneParams& params);
SceneParams GetParams(const uint8_t* p);
void PutVertex(ByteSink& out, const Vertex& vertex);
Vertex GetVertex(const uint8_t* p);
void PutFace(ByteSink& out, const Face& face);
Face GetFace(const uint8_t* p);
void PutTexVertex(ByteSink& out, const TexVertex& texVertex);
TexVertex GetTexVertex(const uint8_t* p);
void PutTexFace(ByteSink& out, const TexFace& texFace);
TexFace GetTexFace(const uint8_t* p);
void PutCameraFrame(ByteSink& out, const CameraFrame& frame);
CameraFrame GetCameraFrame(const uint8_t* p);
void PutMaterialHeader(ByteSink& out, const MaterialHeader& header);
MaterialHeader GetMaterialHeader(const uint8_t* p);
void PutLightFrame(ByteSink& out, const LightFrame& frame);
LightFrame GetLightFrame(const uint8_t* p);
// A map record with the given path (at most 254 characters are written; the caller cuts).
void PutMap(ByteSink& out, const TextureMap& map, const char* path);
// False when the path field holds no NUL.
bool GetMap(const uint8_t* p, TextureMap& map);

}  // namespace scenefile
