#pragma once
// The byte layout of the binary scene file, in one place.
//
// Little-endian throughout; int32/uint32/float32 take 4 bytes, uint8 one. Records follow one
// another with no padding between them. The file has no magic, no version and no trailer:
//
//   file         = SceneParams
//                  u32 objectCount    objectCount   x object block
//                  u32 cameraCount    cameraCount   x camera block
//                  u32 materialCount  materialCount x material block
//                  u32 lightCount     lightCount    x light block
//   object block = u32 n  n x Vertex      u32 n  n x Face
//                  u32 n  n x TexVertex   u32 n  n x TexFace      i32 materialIndex
//   camera block = CameraFrame   u32 trackLength  trackLength x CameraFrame
//   material     = MaterialHeader   mapCount x Map
//   light block  = LightFrame   u8 hasFlare   u32 trackLength  trackLength x LightFrame
//                  (the fields after hasFlare are not aligned)
//
// An empty scene is 84 bytes. Cameras come before materials; faces before texture vertices.
//
// What the plain layout cannot hold (moving objects, kinds of light) follows the last light in
// an extension, where a reader of the plain layout stops (it passes over the bytes it does not
// know, with a warning). The extension has a tag and a version of its own, and named sections
// that a reader passes over when it does not know them. A scene that needs none of it has no
// extension: its file is the plain layout byte for byte.
//
//   extension    = char[4] "ZBXT"  u32 version (1)  sections, to the end of the file
//   section      = char[4] name  u32 byteLength  byteLength bytes
//   "OTRK"       = u32 trackCount  trackCount x track block      (moving objects)
//   track block  = u32 objectIndex  u32 trackLength  trackLength x ObjectFrame
//   "LGHT"       = u32 lightCount  lightCount x light shape      (lights that are not plain)
//   light shape  = u32 lightIndex  LightShape  u32 aimLength  aimLength x LightAim
//   "MATL"       = u32 count  count x (u32 materialIndex  MaterialLook)   (materials not plain)
//   "VCOL"       = u32 count  count x u32 objectIndex   (objects whose vertices' reserved field
//                  holds their colour)
//
//
//   record          size  fields, in order (offset: type name)
//   SceneParams       68  0 i32 lastFrame, 4 i32 frameSpeed, 8 i32 ticksPerFrame,
//                         12 3f background, 24 3f ambient, 36 4f fogColor, 52 f fogDensity,
//                         56 f fogEnd, 60 f fogStart, 64 u8 fogEnabled, 65 3 padding
//   Vertex            52  0 3f position, 12 4f reserved, 28 3f normal, 40 2f spare,
//                         48 i32 normalCount
//   Face              72  0 3u32 index, 12 12 unused (the vertex references), 24 3f faceNormal,
//                         36 9f cornerNormal (a, b, c; each x, y, z)
//   TexVertex          8  0 f u, 4 f v
//   TexFace           24  0 3u32 index, 12 12 unused (the texture-vertex references)
//   CameraFrame       32  0 3f position, 12 3f target, 24 f fov, 28 u8 filled, 29 3 padding
//   MaterialHeader    76  0 i32 index, 4 4f ambient, 20 4f diffuse, 36 4f specular,
//                         52 3f emission, 64 u8 twoSided, 65 3 padding, 68 u32 mapCount,
//                         72 f shine
//   Map              272  0 char[255] bitmap (NUL-ended, zeros after), 255 u8 spherical,
//                         256 f uTiling, 260 f vTiling, 264 f uOffset, 268 f vOffset
//   LightFrame        36  0 i32 lightNumber, 4 4f color, 20 4f position
//   ObjectFrame       64  0 16f matrix (column-major)
//   LightShape        40  0 u32 kind (0 point, 1 directional, 2 spot), 4 3f direction,
//                         16 f cutoff, 20 f exponent, 24 3f attenuation, 36 u32 unused
//   LightAim          12  0 3f direction
//   MaterialLook      16  0 u32 unlit (0 or 1), 4 f alphaCutoff, 8 u32 wrapU, 12 u32 wrapV
//                         (0 repeat, 1 clamp, 2 mirror)
//
// Unused and padding bytes are written as zero and ignored when read; a flag byte reads as
// true when it is not zero.
//
// Each record's fields are listed once below, as a template over the direction: ByteSink
// writes them, ByteSource (or RecordSource, for a run of records known to be whole) reads
// them, so the reader cannot drift from the writer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "scene/Material.h"
#include "scene/SceneRecords.h"

namespace scenebinary {

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
  kObjectFrameSize = 64,
  kLightShapeSize = 40,
  kLightAimSize = 12,
  kMaterialLookSize = 16,
};

// The extension's tag and the version this engine writes and reads.
constexpr char kExtensionTag[4] = {'Z', 'B', 'X', 'T'};
constexpr uint32_t kExtensionVersion = 1;
constexpr char kObjectTracksSection[4] = {'O', 'T', 'R', 'K'};
constexpr char kLightShapesSection[4] = {'L', 'G', 'H', 'T'};
constexpr char kMaterialLooksSection[4] = {'M', 'A', 'T', 'L'};
constexpr char kVertexColoursSection[4] = {'V', 'C', 'O', 'L'};

// Appends fields to a growing byte buffer.
struct ByteSink {
  std::vector<uint8_t> bytes;

  void u8(uint8_t value) { bytes.push_back(value); }
  void u32(uint32_t value) {
    const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    bytes.insert(bytes.end(), b, b + 4);
  }
  void i32(int32_t value) { u32(static_cast<uint32_t>(value)); }
  void f32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    u32(bits);
  }
  void floats(const float* values, int n) {
    for (int k = 0; k < n; ++k) f32(values[k]);
  }
  void flag(bool value) { u8(value ? 1 : 0); }
  void unused(size_t n) { bytes.insert(bytes.end(), n, 0); }
  // A text field of `size` bytes: at most size - 1 characters (the caller cuts), then zeros.
  // A section of the extension: its name and a length filled in by endSection.
  size_t beginSection(const char (&name)[4]) {
    bytes.insert(bytes.end(), name, name + 4);
    u32(0);
    return bytes.size();
  }
  void endSection(size_t begin) {
    const uint32_t length = static_cast<uint32_t>(bytes.size() - begin);
    for (int k = 0; k < 4; ++k) bytes[begin - 4 + k] = static_cast<uint8_t>(length >> (8 * k));
  }
  void text(const char* value, size_t size) {
    const size_t length = strnlen(value, size - 1);
    bytes.insert(bytes.end(), value, value + length);
    unused(size - length);
  }
};

inline uint32_t LoadU32(const uint8_t* b) {
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

// The field forms both readers share, over the two each brings: u8() and u32().
template <typename Source>
class FieldReads {
 public:
  void u32(uint32_t& value) { value = source().u32(); }
  void i32(int32_t& value) { value = static_cast<int32_t>(source().u32()); }
  void f32(float& value) {
    const uint32_t bits = source().u32();
    std::memcpy(&value, &bits, 4);
  }
  void floats(float* values, int n) {
    for (int k = 0; k < n; ++k) f32(values[k]);
  }
  void flag(bool& value) { value = source().u8() != 0; }

 private:
  Source& source() { return static_cast<Source&>(*this); }
};

// Takes fields in order from bytes in memory. A read past the end gives zeros and clears ok(),
// so a record can be read whole and checked once.
class ByteSource : public FieldReads<ByteSource> {
 public:
  using FieldReads<ByteSource>::u32;

  ByteSource(const uint8_t* bytes, size_t size) : begin_(bytes), p_(bytes), end_(bytes + size) {}

  bool ok() const { return ok_; }
  size_t left() const { return static_cast<size_t>(end_ - p_); }
  size_t offset() const { return static_cast<size_t>(p_ - begin_); }
  size_t size() const { return static_cast<size_t>(end_ - begin_); }

  uint8_t u8() { return take(1) ? p_[-1] : 0; }
  uint32_t u32() { return take(4) ? LoadU32(p_ - 4) : 0; }
  void unused(size_t n) { take(n); }
  // The bytes from here begin with the n of tag.
  bool startsWith(const char* tag, size_t n) const {
    return left() >= n && std::memcmp(p_, tag, n) == 0;
  }
  // A text field of `size` bytes into a buffer of at least `size`: the characters up to the
  // NUL, zeros after. A field without a NUL fails the read and leaves the buffer as it was.
  void text(char* value, size_t size) {
    if (!take(size)) return;
    const char* field = reinterpret_cast<const char*>(p_ - size);
    if (std::memchr(field, '\0', size))
      std::strncpy(value, field, size);
    else
      ok_ = false;
  }
  // The next n records of `size` bytes each, all there, for RecordSource to take; null (and
  // ok() cleared) when they are not all there.
  const uint8_t* records(uint32_t n, size_t size) {
    const uint8_t* first = p_;
    if (static_cast<uint64_t>(n) * size > left()) {
      take(left() + 1);  // fails: the source ends here
      return nullptr;
    }
    take(n * size);
    return first;
  }

 private:
  bool take(size_t n) {
    if (__builtin_expect(n > left(), 0)) {
      p_ = end_;
      ok_ = false;
      return false;
    }
    p_ += n;
    return true;
  }

  const uint8_t* begin_;
  const uint8_t* p_;
  const uint8_t* end_;
  bool ok_ = true;
};

// Takes the fields of one record counted out whole by ByteSource::records: no check per
// field, which is what keeps the long arrays of a scene quick to read.
class RecordSource : public FieldReads<RecordSource> {
 public:
  using FieldReads<RecordSource>::u32;

  explicit RecordSource(const uint8_t* bytes) : p_(bytes) {}

  uint8_t u8() { return *p_++; }
  uint32_t u32() {
    p_ += 4;
    return LoadU32(p_ - 4);
  }
  void unused(size_t n) { p_ += n; }

 private:
  const uint8_t* p_;
};

// The records' fields in file order; S is ByteSink, ByteSource or RecordSource.
template <typename S, typename R>
void ParamsFields(S& s, R&& params) {
  s.i32(params.lastFrame);
  s.i32(params.frameSpeed);
  s.i32(params.ticksPerFrame);
  s.floats(params.background, 3);
  s.floats(params.ambient, 3);
  s.floats(params.fogColor, 4);
  s.f32(params.fogDensity);
  s.f32(params.fogEnd);
  s.f32(params.fogStart);
  s.flag(params.fogEnabled);
  s.unused(3);
}

template <typename S, typename R>
void VertexFields(S& s, R&& vertex) {
  s.floats(vertex.position, 3);
  s.floats(vertex.reserved, 4);
  s.floats(vertex.normal, 3);
  s.floats(vertex.spare, 2);
  s.i32(vertex.normalCount);
}

template <typename S, typename R>
void FaceFields(S& s, R&& face) {
  for (auto& index : face.index) s.u32(index);
  s.unused(12);
  s.floats(face.faceNormal, 3);
  for (auto& normal : face.cornerNormal) s.floats(normal, 3);
}

template <typename S, typename R>
void TexVertexFields(S& s, R&& texVertex) {
  s.f32(texVertex.u);
  s.f32(texVertex.v);
}

template <typename S, typename R>
void TexFaceFields(S& s, R&& texFace) {
  for (auto& index : texFace.index) s.u32(index);
  s.unused(12);
}

template <typename S, typename R>
void CameraFrameFields(S& s, R&& frame) {
  s.floats(frame.position, 3);
  s.floats(frame.target, 3);
  s.f32(frame.fov);
  s.flag(frame.filled);
  s.unused(3);
}

template <typename S, typename R>
void MaterialHeaderFields(S& s, R&& header) {
  s.i32(header.index);
  s.floats(header.ambient, 4);
  s.floats(header.diffuse, 4);
  s.floats(header.specular, 4);
  s.floats(header.emission, 3);
  s.flag(header.twoSided);
  s.unused(3);
  s.u32(header.mapCount);
  s.f32(header.shine);
}

// The bitmap field holds at most kMapPathSize - 1 characters; the writer cuts longer paths.
template <typename S, typename R>
void MapFields(S& s, R&& map) {
  s.text(map.bitmap, kMapPathSize);
  s.flag(map.spherical);
  s.f32(map.uTiling);
  s.f32(map.vTiling);
  s.f32(map.uOffset);
  s.f32(map.vOffset);
}

template <typename S, typename R>
void LightFrameFields(S& s, R&& frame) {
  s.i32(frame.lightNumber);
  s.floats(frame.color, 4);
  s.floats(frame.position, 4);
}

template <typename S, typename R>
void ObjectFrameFields(S& s, R&& frame) {
  s.floats(frame.matrix, 16);
}

// The kind goes through a plain number: a file may hold any, and the reader checks it.
template <typename S, typename R>
void LightShapeFields(S& s, R&& shape, uint32_t& kind) {
  s.u32(kind);
  s.floats(shape.direction, 3);
  s.f32(shape.cutoff);
  s.f32(shape.exponent);
  s.floats(shape.attenuation, 3);
  s.unused(4);
}

// The enumerations go through plain numbers: a file may hold any, and the reader checks them.
template <typename S, typename R>
void MaterialLookFields(S& s, R&& look, uint32_t (&numbers)[3]) {
  s.u32(numbers[0]);
  s.f32(look.alphaCutoff);
  s.u32(numbers[1]);
  s.u32(numbers[2]);
}

template <typename S, typename R>
void LightAimFields(S& s, R&& aim) {
  s.floats(aim.direction, 3);
}

}  // namespace scenebinary
