#include "scene/SceneFileRecords.h"

#include <cstring>

namespace scenefile {

namespace {

void LoadFloats(const uint8_t* p, float* values, int n) {
  for (int k = 0; k < n; ++k) values[k] = LoadF32(p + 4 * k);
}

void PutFlag(ByteSink& out, bool value, size_t padding) {
  out.u8(value ? 1 : 0);
  out.zeros(padding);
}

}  // namespace

void ByteSink::u32(uint32_t value) {
  const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  bytes.insert(bytes.end(), b, b + 4);
}

void ByteSink::f32(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  u32(bits);
}

float LoadF32(const uint8_t* p) {
  const uint32_t bits = LoadU32(p);
  float value;
  std::memcpy(&value, &bits, 4);
  return value;
}

void PutParams(ByteSink& out, const SceneParams& params) {
  out.i32(params.lastFrame);
  out.i32(params.frameSpeed);
  out.i32(params.ticksPerFrame);
  out.floats(params.background, 3);
  out.floats(params.ambient, 3);
  out.floats(params.fogColor, 4);
  out.f32(params.fogDensity);
  out.f32(params.fogEnd);
  out.f32(params.fogStart);
  PutFlag(out, params.fogEnabled, 3);
}

SceneParams GetParams(const uint8_t* p) {
  SceneParams params;
  params.lastFrame = LoadI32(p);
  params.frameSpeed = LoadI32(p + 4);
  params.ticksPerFrame = LoadI32(p + 8);
  LoadFloats(p + 12, params.background, 3);
  LoadFloats(p + 24, params.ambient, 3);
  LoadFloats(p + 36, params.fogColor, 4);
  params.fogDensity = LoadF32(p + 52);
  params.fogEnd = LoadF32(p + 56);
  params.fogStart = LoadF32(p + 60);
  params.fogEnabled = p[64] != 0;
  return params;
}

void PutVertex(ByteSink& out, const Vertex& vertex) {
  out.floats(vertex.position, 3);
  out.floats(vertex.reserved, 4);
  out.floats(vertex.normal, 3);
  out.floats(vertex.spare, 2);
  out.i32(vertex.normalCount);
}

Vertex GetVertex(const uint8_t* p) {
  Vertex vertex;
  LoadFloats(p, vertex.position, 3);
  LoadFloats(p + 12, vertex.reserved, 4);
  LoadFloats(p + 28, vertex.normal, 3);
  LoadFloats(p + 40, vertex.spare, 2);
  vertex.normalCount = LoadI32(p + 48);
  return vertex;
}

void PutFace(ByteSink& out, const Face& face) {
  for (uint32_t index : face.index) out.u32(index);
  out.zeros(12);
  out.floats(face.faceNormal, 3);
  for (const float* normal : face.cornerNormal) out.floats(normal, 3);
}

Face GetFace(const uint8_t* p) {
  Face face;
  for (int k = 0; k < 3; ++k) face.index[k] = LoadU32(p + 4 * k);
  LoadFloats(p + 24, face.faceNormal, 3);
  for (int k = 0; k < 3; ++k) LoadFloats(p + 36 + 12 * k, face.cornerNormal[k], 3);
  return face;
}

void PutTexVertex(ByteSink& out, const TexVertex& texVertex) {
  out.f32(texVertex.u);
  out.f32(texVertex.v);
}

TexVertex GetTexVertex(const uint8_t* p) {
  TexVertex texVertex;
  texVertex.u = LoadF32(p);
  texVertex.v = LoadF32(p + 4);
  return texVertex;
}

void PutTexFace(ByteSink& out, const TexFace& texFace) {
  for (uint32_t index : texFace.index) out.u32(index);
  out.zeros(12);
}

TexFace GetTexFace(const uint8_t* p) {
  TexFace texFace;
  for (int k = 0; k < 3; ++k) texFace.index[k] = LoadU32(p + 4 * k);
  return texFace;
}

void PutCameraFrame(ByteSink& out, const CameraFrame& frame) {
  out.floats(frame.position, 3);
  out.floats(frame.target, 3);
  out.f32(frame.fov);
  PutFlag(out, frame.filled, 3);
}

CameraFrame GetCameraFrame(const uint8_t* p) {
  CameraFrame frame;
  LoadFloats(p, frame.position, 3);
  LoadFloats(p + 12, frame.target, 3);
  frame.fov = LoadF32(p + 24);
  frame.filled = p[28] != 0;
  return frame;
}

void PutMaterialHeader(ByteSink& out, const MaterialHeader& header) {
  out.i32(header.index);
  out.floats(header.ambient, 4);
  out.floats(header.diffuse, 4);
  out.floats(header.specular, 4);
  out.floats(header.emission, 3);
  PutFlag(out, header.twoSided, 3);
  out.u32(header.mapCount);
  out.f32(header.shine);
}

MaterialHeader GetMaterialHeader(const uint8_t* p) {
  MaterialHeader header;
  header.index = LoadI32(p);
  LoadFloats(p + 4, header.ambient, 4);
  LoadFloats(p + 20, header.diffuse, 4);
  LoadFloats(p + 36, header.specular, 4);
  LoadFloats(p + 52, header.emission, 3);
  header.twoSided = p[64] != 0;
  header.mapCount = LoadU32(p + 68);
  header.shine = LoadF32(p + 72);
  return header;
}

void PutLightFrame(ByteSink& out, const LightFrame& frame) {
  out.i32(frame.lightNumber);
  out.floats(frame.color, 4);
  out.floats(frame.position, 4);
}

LightFrame GetLightFrame(const uint8_t* p) {
  LightFrame frame;
  frame.lightNumber = LoadI32(p);
  LoadFloats(p + 4, frame.color, 4);
  LoadFloats(p + 20, frame.position, 4);
  return frame;
}

void PutMap(ByteSink& out, const TextureMap& map, const char* path) {
  const size_t length = strnlen(path, kMapPathSize - 1);
  out.bytes.insert(out.bytes.end(), path, path + length);
  out.zeros(kMapPathSize - length);
  out.u8(map.spherical ? 1 : 0);
  out.f32(map.uTiling);
  out.f32(map.vTiling);
  out.f32(map.uOffset);
  out.f32(map.vOffset);
}

bool GetMap(const uint8_t* p, TextureMap& map) {
  if (!std::memchr(p, '\0', kMapPathSize)) return false;
  map.setBitmap(reinterpret_cast<const char*>(p));
  map.spherical = p[255] != 0;
  map.uTiling = LoadF32(p + 256);
  map.vTiling = LoadF32(p + 260);
  map.uOffset = LoadF32(p + 264);
  map.vOffset = LoadF32(p + 268);
  return true;
}

}  // namespace scenefile
