// readScene: the whole file is brought into memory at once and its fields taken in order, each
// block read as its writer wrote it. Every count is weighed against the bytes left before
// anything is allocated for it, and every record is whole before it is stored, so a damaged
// file stops the read at its first fault with one log line; the scene keeps the elements read
// before it.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/Files.h"
#include "platform/MappedFile.h"
#include "platform/PrintfFormat.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "scene/SceneBinaryLayout.h"

using namespace scenebinary;

namespace {

// The smallest block of each section: what a count of such blocks must leave room for.
const size_t kMinObjectBlock = 4 * 4 + 4;
const size_t kMinCameraBlock = kCameraFrameSize + 4;
const size_t kMinMaterialBlock = kMaterialHeaderSize;
const size_t kMinLightBlock = kLightFrameSize + 1 + 4;
// More objects, cameras, materials or lights than any scene the engine can play: beyond it a
// count is refused before anything is allocated for it, whatever the file's size.
const uint32_t kMaxSectionCount = 65536;

class Parser {
 public:
  Parser(const uint8_t* bytes, size_t size, Scene& scene) : in_(bytes, size), scene_(scene) {}

  // Reads the sections in file order; false at the first fault, described by fault().
  bool parse();
  // The sections not reached are set up empty, as after a whole read.
  void setUpUnreached();
  const char* fault() const { return fault_; }
  size_t left() const { return in_.left(); }

 private:
  // i names the element of a section; kWhole names the section itself.
  static const uint32_t kWhole = 0xFFFFFFFFu;

  bool fail(const char* format, ...) ZB_PRINTF_FORMAT(2, 3);
  const char* place(const char* what, uint32_t i);
  static bool abandon(uint32_t& count, bool ours, uint32_t kept);
  // The fields read since the last check were all in the file.
  bool whole(const char* what, uint32_t i);
  bool readCount(uint32_t& n, const char* what, uint32_t i);
  // A section's count, refused above kMaxSectionCount or when its smallest blocks cannot fit.
  bool readSectionCount(uint32_t& n, size_t minBlock, const char* what);
  // n elements of at least size bytes each must fit in what is left.
  bool fits(uint32_t n, size_t size, const char* what, uint32_t i);
  // A set-up array got the n elements asked for (not so when memory ran out).
  bool allocated(uint32_t got, uint32_t n, const char* what, uint32_t i);
  // n records of `size` bytes, weighed by fits() before, straight into array's elements, each
  // constructed here (the mesh arrays are set up with their elements left to this reader);
  // fields(source, element, j) takes one and is false at a fault, which ends the run and
  // leaves the rest unconstructed: the half-read object is then dropped whole.
  template <typename T, typename Fields>
  bool takeRecords(T* array, uint32_t n, size_t size, Fields fields);
  // takeRecords for records that cannot be at fault: fields(source, element).
  template <typename T, typename Fields>
  void takeAll(T* array, uint32_t n, size_t size, Fields fields);
  // Faces or texture faces of object i: each corner's index must name one of the object's
  // elements, and the corner then points at it. names: the corner's and the element's.
  template <typename Corner, typename Fields, typename Element>
  bool takeCorners(Corner* corners, uint32_t n, size_t size, Fields fields,
                   Element* (Corner::*refs)[3], Element* elements, uint32_t elementCount,
                   const char* names[2], uint32_t i);
  bool readObjects();
  bool readObject(uint32_t i, SceneObject& object);
  // A camera's or light's track: its length, then its samples, each taken by fields.
  template <typename Owner, typename Fields>
  bool readTrack(Owner& owner, size_t frameSize, const char* what, uint32_t i, Fields fields);
  bool readCameras();
  bool readMaterials();
  bool readLights();
  // The moving objects' tracks after the last light, when the bytes there are the extension.
  bool readExtension();
  // An extension section's count of entries, each at least `minimum` bytes.
  bool readEntryCount(uint32_t& count, const char* what, size_t minimum);
  // Entry t's index into a section of the scene that holds `elements`.
  bool readEntryIndex(uint32_t& index, const char* entry, uint32_t t, const char* element,
                      uint32_t elements);
  bool readObjectTracks();
  bool readLightShapes();
  bool readMaterialLooks();
  bool readVertexColours();

  ByteSource in_;
  Scene& scene_;
  char fault_[256] = {};
  char place_[64] = {};
};

// At a fault inside a section the scene keeps the first `kept` elements: the slots after them
// hold default elements that own nothing. An array that was set up before this read keeps its
// count.
bool Parser::abandon(uint32_t& count, bool ours, uint32_t kept) {
  if (ours) count = kept;
  return false;
}

bool Parser::fail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(fault_, sizeof fault_, format, args);
  va_end(args);
  return false;
}

const char* Parser::place(const char* what, uint32_t i) {
  if (i == kWhole)
    std::snprintf(place_, sizeof place_, "%s", what);
  else
    std::snprintf(place_, sizeof place_, "%s %u", what, i);
  return place_;
}

bool Parser::whole(const char* what, uint32_t i) {
  if (in_.ok()) return true;
  return fail("the file ends at byte %zu, in %s", in_.size(), place(what, i));
}

bool Parser::readCount(uint32_t& n, const char* what, uint32_t i) {
  n = in_.u32();
  return whole(what, i);
}

bool Parser::readSectionCount(uint32_t& n, size_t minBlock, const char* what) {
  if (!readCount(n, what, kWhole) || !fits(n, minBlock, what, kWhole)) return false;
  if (n <= kMaxSectionCount) return true;
  return fail("%s announces %u elements and a scene takes %u at most", what, n,
              kMaxSectionCount);
}

bool Parser::fits(uint32_t n, size_t size, const char* what, uint32_t i) {
  if (static_cast<uint64_t>(n) * size <= in_.left()) return true;
  return fail("%s announces %u elements of %zu bytes and only %zu bytes are left after byte %zu",
              place(what, i), n, size, in_.left(), in_.offset());
}

// Flattened: with every field read inlined, the record's place stays in a register.
template <typename T, typename Fields>
[[gnu::flatten]] bool Parser::takeRecords(T* array, uint32_t n, size_t size, Fields fields) {
  const uint8_t* bytes = in_.records(n, size);
  // The callers weigh n with fits() first; should one not, the end stops it here.
  if (!bytes) return fail("the file ends at byte %zu", in_.size());
  for (uint32_t j = 0; j < n; ++j, bytes += size) {
    RecordSource record(bytes);
    if (!fields(record, *new (&array[j]) T, j)) return false;
  }
  return true;
}

template <typename T, typename Fields>
void Parser::takeAll(T* array, uint32_t n, size_t size, Fields fields) {
  takeRecords(array, n, size, [&](RecordSource& s, T& record, uint32_t) {
    fields(s, record);
    return true;
  });
}

template <typename Corner, typename Fields, typename Element>
bool Parser::takeCorners(Corner* corners, uint32_t n, size_t size, Fields fields,
                         Element* (Corner::*refs)[3], Element* elements, uint32_t elementCount,
                         const char* names[2], uint32_t i) {
  return takeRecords(corners, n, size, [&](RecordSource& s, Corner& corner, uint32_t j) {
    fields(s, corner);
    for (int k = 0; k < 3; ++k) {
      const uint32_t index = corner.index[k];
      if (index >= elementCount)
        return fail("%s %u of object %u uses %s %u and the object has %u", names[0], j, i,
                    names[1], index, elementCount);
      (corner.*refs)[k] = &elements[index];
    }
    return true;
  });
}

bool Parser::allocated(uint32_t got, uint32_t n, const char* what, uint32_t i) {
  if (got == n) return true;
  return fail("no memory for the %u elements of %s", n, place(what, i));
}

bool Parser::readObject(uint32_t i, SceneObject& object) {
  uint32_t n;
  if (!readCount(n, "object", i) || !fits(n, kVertexSize, "object", i)) return false;
  object.setupVertices(n, checked::Elements::kLeftToCaller);
  if (!allocated(object.vertexCount, n, "object", i)) return false;
  takeAll(object.vertices, n, kVertexSize,
          [](RecordSource& s, Vertex& vertex) { VertexFields(s, vertex); });

  if (!readCount(n, "object", i) || !fits(n, kFaceSize, "object", i)) return false;
  object.setupFaces(n, checked::Elements::kLeftToCaller);
  if (!allocated(object.faceCount, n, "object", i)) return false;
  static const char* kFaceNames[2] = {"face", "vertex"};
  if (!takeCorners(object.faces, n, kFaceSize,
                   [](RecordSource& s, Face& face) { FaceFields(s, face); }, &Face::vertex,
                   object.vertices, object.vertexCount, kFaceNames, i))
    return false;

  if (!readCount(n, "object", i) || !fits(n, kTexVertexSize, "object", i)) return false;
  object.setupTexVertices(n, checked::Elements::kLeftToCaller);
  if (!allocated(object.texVertexCount, n, "object", i)) return false;
  takeAll(object.texVertices, n, kTexVertexSize,
          [](RecordSource& s, TexVertex& texVertex) { TexVertexFields(s, texVertex); });

  if (!readCount(n, "object", i) || !fits(n, kTexFaceSize, "object", i)) return false;
  object.setupTexFaces(n, checked::Elements::kLeftToCaller);
  if (!allocated(object.texFaceCount, n, "object", i)) return false;
  static const char* kTexFaceNames[2] = {"texture face", "texture vertex"};
  if (!takeCorners(object.texFaces, n, kTexFaceSize,
                   [](RecordSource& s, TexFace& texFace) { TexFaceFields(s, texFace); },
                   &TexFace::texVertex, object.texVertices, object.texVertexCount,
                   kTexFaceNames, i))
    return false;

  int32_t materialIndex;
  in_.i32(materialIndex);
  if (!whole("object", i)) return false;
  object.setMaterialIndex(materialIndex);
  return true;
}

bool Parser::readObjects() {
  uint32_t count;
  if (!readSectionCount(count, kMinObjectBlock, "the object section")) return false;
  std::printf("%s - Cargando %d objetos.\n", SceneBinaryFile::kBanner, static_cast<int>(count));
  if (count == 0) return true;
  const bool ours = !scene_.objectsReady;
  scene_.setupObjects(count);
  for (uint32_t i = 0; i < count; ++i) {
    SceneObject object;
    if (!readObject(i, object)) {
      // The half-read object was never stored: its arrays are ours to free.
      object.release();
      return abandon(scene_.objectCount, ours, i);
    }
    scene_.setObject(i, object);
    // Into an array set up before this read the store may be refused: the arrays stay ours.
    if (i >= scene_.objectCount) object.release();
  }
  return true;
}

template <typename Owner, typename Fields>
bool Parser::readTrack(Owner& owner, size_t frameSize, const char* what, uint32_t i,
                       Fields fields) {
  uint32_t length;
  in_.u32(length);
  if (!whole(what, i) || !fits(length, frameSize, what, i)) return false;
  owner.setupTrack(length);
  if (!allocated(owner.trackLength, length, what, i)) return false;
  takeAll(owner.track, length, frameSize, fields);
  return true;
}

bool Parser::readCameras() {
  uint32_t count;
  if (!readSectionCount(count, kMinCameraBlock, "the camera section")) return false;
  const bool ours = !scene_.camerasReady;
  scene_.setupCameras(count);
  std::printf("%s - Cargando %d camaras.\n", SceneBinaryFile::kBanner, static_cast<int>(count));
  for (uint32_t i = 0; i < count; ++i) {
    SceneCamera camera;
    CameraFrameFields(in_, camera.frame);
    if (!readTrack(camera, kCameraFrameSize, "camera", i,
                   [](RecordSource& s, CameraFrame& sample) { CameraFrameFields(s, sample); }))
      return abandon(scene_.cameraCount, ours, i);
    scene_.setCamera(i, camera);
    if (i >= scene_.cameraCount) camera.freeTrack();
  }
  return true;
}

bool Parser::readMaterials() {
  uint32_t count;
  if (!readSectionCount(count, kMinMaterialBlock, "the material section")) return false;
  const bool ours = !scene_.materialsReady;
  scene_.setupMaterials(count);
  std::printf("%s - Cargando %d materiales.\n", SceneBinaryFile::kBanner, static_cast<int>(count));
  for (uint32_t i = 0; i < count; ++i) {
    Material material;
    MaterialHeaderFields(in_, material.header);
    if (!whole("material", i)) return abandon(scene_.materialCount, ours, i);
    const uint32_t maps = material.header.mapCount;
    if (maps > 2) {
      fail("material %u announces %u textures and takes 2 at most", i, maps);
      return abandon(scene_.materialCount, ours, i);
    }
    if (!fits(maps, kMapSize, "material", i)) return abandon(scene_.materialCount, ours, i);
    for (uint32_t k = 0; k < maps; ++k) {
      TextureMap map;
      MapFields(in_, map);
      // The bytes are there (fits above): only a path without its NUL fails here.
      if (!in_.ok()) {
        fail("the path of texture %u of material %u does not end in NUL", k, i);
        return abandon(scene_.materialCount, ours, i);
      }
      material.setMap(k, map);
    }
    scene_.setMaterial(i, material);
  }
  return true;
}

bool Parser::readLights() {
  uint32_t count;
  if (!readSectionCount(count, kMinLightBlock, "the light section")) return false;
  const bool ours = !scene_.lightsReady;
  scene_.setupLights(count);
  std::printf("%s - Cargando %d luces.\n", SceneBinaryFile::kBanner, static_cast<int>(count));
  for (uint32_t i = 0; i < count; ++i) {
    SceneLight light;
    LightFrameFields(in_, light.frame);
    in_.flag(light.hasFlare);
    if (!readTrack(light, kLightFrameSize, "light", i,
                   [](RecordSource& s, LightFrame& sample) { LightFrameFields(s, sample); }))
      return abandon(scene_.lightCount, ours, i);
    scene_.setLight(i, light);
    if (i >= scene_.lightCount) light.freeTrack();
  }
  return true;
}

bool Parser::readEntryCount(uint32_t& count, const char* what, size_t minimum) {
  return readCount(count, what, kWhole) && fits(count, minimum, what, kWhole);
}

bool Parser::readEntryIndex(uint32_t& index, const char* entry, uint32_t t, const char* element,
                            uint32_t elements) {
  in_.u32(index);
  if (!whole(entry, t)) return false;
  if (index < elements) return true;
  return fail("%s %u names %s %u and the scene has %u", entry, t, element, index, elements);
}

bool Parser::readObjectTracks() {
  uint32_t count;
  if (!readEntryCount(count, "the object tracks", 8)) return false;
  std::printf("%s - Loading the tracks of %u moving objects.\n", SceneBinaryFile::kBanner, count);
  for (uint32_t t = 0; t < count; ++t) {
    uint32_t index;
    if (!readEntryIndex(index, "object track", t, "object", scene_.objectCount)) return false;
    SceneObject& object = scene_.objects[index];
    if (object.motion.trackLength != 0) return fail("object %u has two tracks", index);
    if (!readTrack(object.motion, kObjectFrameSize, "object track", t,
                   [](RecordSource& s, ObjectFrame& sample) { ObjectFrameFields(s, sample); }))
      return false;
  }
  return true;
}

bool Parser::readLightShapes() {
  uint32_t count;
  if (!readEntryCount(count, "the light shapes", 4 + kLightShapeSize + 4)) return false;
  for (uint32_t t = 0; t < count; ++t) {
    uint32_t index, kind;
    if (!readEntryIndex(index, "light shape", t, "light", scene_.lightCount)) return false;
    SceneLight& light = scene_.lights[index];
    LightShape shape;
    LightShapeFields(in_, shape, kind);
    if (!whole("light shape", t)) return false;
    if (kind > static_cast<uint32_t>(LightKind::spot))
      return fail("light shape %u is of kind %u, which this engine does not know", t, kind);
    if (!shape.possible())
      return fail("light shape %u holds a cone, fading or aim no light can have", t);
    shape.kind = static_cast<LightKind>(kind);
    light.shape = shape;
    if (light.aims.trackLength != 0) return fail("light %u has two aims", index);
    if (!readTrack(light.aims, kLightAimSize, "light shape", t,
                   [](RecordSource& s, LightAim& aim) { LightAimFields(s, aim); }))
      return false;
  }
  return true;
}

bool Parser::readMaterialLooks() {
  uint32_t count;
  if (!readEntryCount(count, "the material looks", 4 + kMaterialLookSize)) return false;
  for (uint32_t t = 0; t < count; ++t) {
    uint32_t index, numbers[3];
    if (!readEntryIndex(index, "material look", t, "material", scene_.materialCount)) return false;
    MaterialLook look;
    MaterialLookFields(in_, look, numbers);
    if (!whole("material look", t)) return false;
    const uint32_t mirror = static_cast<uint32_t>(TextureWrap::mirror);
    if (numbers[0] > 1 || numbers[1] > mirror || numbers[2] > mirror ||
        !(look.alphaCutoff >= 0 && look.alphaCutoff <= 1))
      return fail("material look %u holds a setting no material can have", t);
    look.unlit = numbers[0] == 1;
    look.wrap[0] = static_cast<TextureWrap>(numbers[1]);
    look.wrap[1] = static_cast<TextureWrap>(numbers[2]);
    scene_.materials[index].look = look;
  }
  return true;
}

bool Parser::readVertexColours() {
  uint32_t count;
  if (!readEntryCount(count, "the vertex colours", 4)) return false;
  for (uint32_t t = 0; t < count; ++t) {
    uint32_t index;
    if (!readEntryIndex(index, "vertex colour entry", t, "object", scene_.objectCount)) return false;
    scene_.objects[index].vertexColours = true;
  }
  return true;
}

bool Parser::readExtension() {
  if (!in_.startsWith(kExtensionTag, sizeof kExtensionTag)) return true;
  in_.unused(sizeof kExtensionTag);
  uint32_t version;
  in_.u32(version);
  if (version != kExtensionVersion) {
    // A later engine's additions: the scene as this engine knows it is whole.
    std::printf("%s - WARNING: the scene carries additions of version %u, which this engine "
                "does not know; they are passed over.\n",
                SceneBinaryFile::kBanner, version);
    in_.unused(in_.left());
    return true;
  }
  while (in_.ok() && in_.left() > 0) {
    char name[5] = {};  // four letters and an end, for the messages
    for (int k = 0; k < 4; ++k) name[k] = static_cast<char>(in_.u8());
    uint32_t length;
    in_.u32(length);
    if (!whole("the extension", kWhole) || !fits(length, 1, "the extension", kWhole)) return false;
    const size_t end = in_.offset() + length;
    if (std::memcmp(name, kObjectTracksSection, 4) == 0) {
      if (!readObjectTracks()) return false;
    } else if (std::memcmp(name, kLightShapesSection, 4) == 0) {
      if (!readLightShapes()) return false;
    } else if (std::memcmp(name, kMaterialLooksSection, 4) == 0) {
      if (!readMaterialLooks()) return false;
    } else if (std::memcmp(name, kVertexColoursSection, 4) == 0) {
      if (!readVertexColours()) return false;
    } else {
      std::printf("%s - WARNING: the scene carries a section [%s] this engine does not know; it "
                  "is passed over.\n", SceneBinaryFile::kBanner, name);
      in_.unused(length);
    }
    if (in_.offset() != end)
      return fail("section %s announces %u bytes and holds %zu", name, length,
                  in_.offset() - (end - length));
  }
  return true;
}

bool Parser::parse() {
  SceneParams params;
  ParamsFields(in_, params);
  if (!whole("the scene header", kWhole)) return false;
  scene_.setParams(params);
  return readObjects() && readCameras() && readMaterials() && readLights() && readExtension();
}

void Parser::setUpUnreached() {
  if (!scene_.camerasReady) scene_.setupCameras(0);
  if (!scene_.materialsReady) scene_.setupMaterials(0);
  if (!scene_.lightsReady) scene_.setupLights(0);
}

}  // namespace

bool SceneBinaryFile::readScene(const char* path, Scene& scene) {
  std::printf("%s - Abriendo fichero BINARIO [ %s ] para lectura.\n", kBanner, path);
  fault.clear();
  file = OpenFile(path, "rb", ReadLimit::kScene);
  if (!file) {
    fault = "cannot be opened";
    std::printf("%s - ERROR: cannot open the file [ %s ]; the scene stays empty.\n",
                kBanner, path);
    return false;
  }
  MappedFile bytes;
  const bool read = bytes.Load(file);
  std::fclose(file);
  file = nullptr;
  if (!read) {
    fault = "cannot be read";
    std::printf("%s - ERROR: cannot read the file [ %s ]; the scene stays empty.\n",
                kBanner, path);
    return false;
  }

  Parser parser(bytes.Data(), bytes.Size(), scene);
  if (!parser.parse()) {
    fault = parser.fault();
    std::printf("%s - ERROR in [ %s ]: %s. What was read up to there is kept.\n", kBanner,
                path, parser.fault());
    parser.setUpUnreached();
    return false;
  }
  if (parser.left() > 0) {
    std::printf("%s - WARNING: [ %s ] has %zu bytes too many after the last light; they are passed over.\n",
                kBanner, path, parser.left());
  }
  return true;
}
