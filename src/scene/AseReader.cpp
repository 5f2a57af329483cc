#include "scene/AseReader.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "scene/AseKeywords.h"
#include "scene/Scene.h"

using namespace ase;

namespace {

// The shortest text that can hold one element of each announced array: its keyword and a
// separator. A count beyond what the rest of the file can hold is damage, not data.
constexpr int32_t kVertexBytes = 13;
constexpr int32_t kFaceBytes = 11;
constexpr int32_t kTexVertexBytes = 12;
constexpr int32_t kTexFaceBytes = 12;
// A material block is far longer than its keyword: an export writes its number, name, class
// and colours at the least. A material in memory is ten times this.
constexpr int32_t kMaterialBytes = 64;
// Up to this many bytes' worth of elements are granted beyond what the file holds, so that small
// files cut short keep the arrays they announced.
constexpr size_t kGrantedBytes = 64 * 1024;
// No export holds an array this long; a count beyond it is damage however large the file is.
constexpr size_t kMaxElements = size_t(1) << 24;

// Tracks hold one sample per frame up to the scene's last frame; a longer scene (about ten hours
// at 30 frames per second) can only come from a damaged header.
constexpr int64_t kMaxTrackLength = int64_t(1) << 20;

// A grey for objects of a scene that has no material list, instead of leaving them undrawn:
// what a modelling package shows for an object with no material of its own.
constexpr float kDefaultGrey = 0.588f;
constexpr float kDefaultSpecular = 0.9f;
constexpr float kDefaultShine = 0.1f;

// Buffer sizes of the line reads the format was designed around.
constexpr size_t kSkipLineBuffer = 150;

constexpr float kDegreesPerRadianNumerator = 180.0f;
constexpr float kPi = 3.1416f;  // the exporter's fields of view were converted with this value

// Derives a face's (or texture face's) references from its indices; none beyond the array.
template <typename Corner, typename Element>
void Link(Corner& corner, Element* (Corner::*refs)[3], Element* elements, uint32_t count) {
  for (int k = 0; k < 3; ++k) (corner.*refs)[k] = corner.index[k] < count ? &elements[corner.index[k]] : nullptr;
}

void LinkFace(SceneObject& object, Face& face) {
  Link(face, &Face::vertex, object.vertices, object.vertexCount);
}

void LinkTexFace(SceneObject& object, TexFace& face) {
  Link(face, &TexFace::texVertex, object.texVertices, object.texVertexCount);
}

// A face with a corner beyond its element array becomes a degenerate one on element 0, and a
// face whose references do not match its indices is linked again; both go through the checked
// read and store. Returns how many faces were made degenerate.
template <typename Corner, typename Element, typename Get, typename Set>
uint32_t KeepCornersInside(const Corner* faces, uint32_t faceCount, Element* (Corner::*refs)[3],
                           Element* elements, uint32_t elementCount, Get get, Set set) {
  uint32_t degenerate = 0;
  for (uint32_t f = 0; f < faceCount; ++f) {
    bool inside = true, linked = true;
    for (int k = 0; k < 3; ++k) {
      inside = inside && faces[f].index[k] < elementCount;
      linked = linked && inside && (faces[f].*refs)[k] == elements + faces[f].index[k];
    }
    if (linked) continue;
    Corner face = get(f);
    if (!inside) {
      face.index[0] = face.index[1] = face.index[2] = 0;
      ++degenerate;
    }
    Link(face, refs, elements, elementCount);
    set(f, face);
  }
  return degenerate;
}

bool EqualsIgnoringCase(const AseToken& token, const char* word) {
  return std::strlen(word) == token.length && ::strncasecmp(token.text, word, token.length) == 0;
}

}  // namespace

// --- whole file -------------------------------------------------------------------------------

bool AseReader::load(const char* path, Scene& scene) {
  std::printf("\n]> LEYENDO FICHERO ASE: [ %s ]\n", path);
  result = AseResult::unreadable;
  if (!readText(path)) return false;
  countBlocksInText(scene);
  unpromised_ = text_.size() + kGrantedBytes;
  cutShort_ = false;
  outOfOrder_ = false;

  AseToken token;
  while (!outOfOrder_ && file.next(token)) {
    switch (Lookup(token)) {
      case kMaterialList: readMaterialList(scene); break;
      case kCameraObject: readCameraObject(scene); break;
      case kLightObject: readLightObject(scene); break;
      case kGeomObject: readGeomObject(scene); break;
      case kScene: readSceneBlock(scene); break;
      default: break;
    }
  }
  if (!scene.materialsReady && scene.objectCount > 0) giveDefaultMaterial(scene);
  motion_.giveTracks(scene, path);
  motion_ = AseMotion();
  keepMaterialIndicesInRange(scene);
  const bool anyObject = nextObject > 0 && scene.objectCount > 0;
  result = outOfOrder_ ? AseResult::outOfOrder
           : cutShort_ ? AseResult::cutShort
           : anyObject ? AseResult::complete
                       : AseResult::noObjects;
  if (result == AseResult::noObjects)
    std::printf("]> ** WARNING ** No geometric object in [ %s ]: nothing to draw.\n", path);

  std::printf("\n Leidos: %d Objetos - %d Materiales - %d Camaras - %d Luces.",
              static_cast<int>(scene.objectCount), static_cast<int>(scene.materialCount),
              static_cast<int>(scene.cameraCount), static_cast<int>(scene.lightCount));
  std::printf("\n FINALIZADA LA CARGA DEL FICHERO ASE.\n\n");
  text_.clear();
  file = AseTokenizer();
  return true;
}

bool AseReader::countBlocks(const char* path, Scene& scene) {
  if (!readText(path)) return false;
  countBlocksInText(scene);
  text_.clear();
  file = AseTokenizer();
  return true;
}

// The keyword of the next word of a block; false, with a warning, when the file ends first.
bool AseReader::nextInBlock(Keyword& keyword) {
  if (outOfOrder_) return false;
  AseToken token;
  if (!file.next(token)) {
    if (!cutShort_)
      std::printf("]> ** WARNING ** End of file inside a block: what was read is kept.\n");
    cutShort_ = true;
    return false;
  }
  keyword = Lookup(token);
  return true;
}

// An element read before its array's size has had its box: the file is damaged, and every block
// ends here so that nothing after it is taken.
bool AseReader::setUp(bool arrayReady) {
  if (!arrayReady) outOfOrder_ = true;
  return arrayReady;
}

bool AseReader::readText(const char* path) {
  switch (text_.read(path)) {
    case AseTextStatus::ok:
      file = AseTokenizer(text_.begin(), text_.end());
      return true;
    case AseTextStatus::missing:
      std::printf("]> ** ERROR ** El fichero [ %s ] no se encuentra. **\n", path);
      return false;
    case AseTextStatus::unreadable:
      std::printf("]> ** ERROR ** The file [ %s ] cannot be read. **\n", path);
      return false;
  }
  return false;
}

// Block keywords are counted wherever they stand as whole words, as the tokenizer would read
// them: not inside a quoted word. All three end in "OBJECT", and "J" is rare enough in a file to
// be searched for directly; so are quotes.
void AseReader::countBlocksInText(Scene& scene) {
  const char* begin = text_.begin();
  const char* end = text_.end();
  auto isSpace = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
  };
  // The word that ends at `suffixEnd` is exactly `word`.
  auto wordEndsAt = [&](const char* suffixEnd, const char* word) {
    const size_t n = std::strlen(word);
    if (static_cast<size_t>(suffixEnd - begin) < n) return false;
    const char* start = suffixEnd - n;
    return std::memcmp(start, word, n) == 0 && (start == begin || isSpace(start[-1]));
  };
  // Every quoted word that opens before `quotesSeen` has been stepped over; the last of them may
  // reach past it.
  const char* quotesSeen = begin;
  auto insideQuotes = [&](const char* wordStart) {
    if (wordStart < quotesSeen) return true;  // inside the quoted word last stepped over
    while (const void* hit = std::memchr(quotesSeen, '"', static_cast<size_t>(wordStart - quotesSeen))) {
      const char* quote = static_cast<const char*>(hit);
      const bool opensWord = quote == begin || isSpace(quote[-1]);
      quotesSeen = opensWord ? asechars::WordEnd(quote, end) : quote + 1;
      if (quotesSeen > wordStart) return true;
    }
    quotesSeen = wordStart;
    return false;
  };
  uint32_t objects = 0, cameras = 0, lights = 0;
  const char* p = begin;
  while (const void* hit = std::memchr(p, 'J', static_cast<size_t>(end - p))) {
    const char* j = static_cast<const char*>(hit);
    p = j + 1;
    const char* wordEnd = j + 4;  // past the "ECT" after the "J" of "OBJECT"
    if (wordEnd > end || (wordEnd < end && !isSpace(*wordEnd))) continue;
    const auto isBlock = [&](const char* word) {
      return wordEndsAt(wordEnd, word) && !insideQuotes(wordEnd - std::strlen(word));
    };
    if (isBlock("*GEOMOBJECT"))
      ++objects;
    else if (isBlock("*CAMERAOBJECT"))
      ++cameras;
    else if (isBlock("*LIGHTOBJECT"))
      ++lights;
  }
  scene.setupCameras(cameras);
  scene.setupObjects(objects);
  scene.setupLights(lights);
  nextObject = 0;
  nextCamera = 0;
  nextLight = 0;
}

// --- scene parameters -------------------------------------------------------------------------

void AseReader::readSceneBlock(Scene& scene) {
  std::printf("]> - CARGANDO PARAMETROS ESCENA.\n");
  SceneParams params;  // all zero: fog settings are cleared with the rest
  Keyword keyword;
  bool ended = false;
  while (!ended && nextInBlock(keyword)) {
    switch (keyword) {
      case kSceneLastFrame: file.readInt(params.lastFrame); break;
      case kSceneFrameSpeed: file.readInt(params.frameSpeed); break;
      case kSceneTicksPerFrame: file.readInt(params.ticksPerFrame); break;
      case kSceneBackground: readFloats(params.background, 3); break;
      case kSceneAmbient: readFloats(params.ambient, 3); break;
      // The first closing brace ends the block, even one of a nested block.
      case kClose: ended = true; break;
      default: break;
    }
  }
  scene.setParams(params);
}

// --- materials --------------------------------------------------------------------------------

void AseReader::readMaterialList(Scene& scene) {
  std::printf("]> - CARGANDO MATERIALES.\n");
  Keyword keyword;
  do {
    if (!nextInBlock(keyword)) return;
  } while (keyword != kMaterialCount);
  uint32_t count = 0;
  readCount(count, kMaterialBytes);  // no number: no materials
  if (count == 0) return;  // as if there were no list: the objects get the default material
  scene.setupMaterials(count);
  for (uint32_t m = 0; m < count; ++m)
    if (!readMaterial(scene)) break;
}

// One material up to its closing brace; false when the file or the list ended first.
bool AseReader::readMaterial(Scene& scene) {
  Material material;
  MaterialHeader& header = material.header;
  // The map that "*MAP_TYPE" and the tiling keywords apply to: the one of the last "*BITMAP",
  // none before the first and none after a bitmap that found no free slot.
  TextureMap* map = nullptr;
  float ignored = 0;
  int depth = 0;
  Keyword keyword;
  for (;;) {
    if (!nextInBlock(keyword)) {
      scene.setMaterial(static_cast<uint32_t>(header.index), material);
      return false;
    }
    switch (keyword) {
      case kMaterial: file.readInt(header.index); break;
      case kMaterialAmbient: readFloats(header.ambient, 3); break;
      case kMaterialDiffuse: readFloats(header.diffuse, 3); break;
      case kMaterialSpecular: readFloats(header.specular, 3); break;
      case kMaterialShine: file.readFloat(header.shine); break;
      case kMaterialTwoSided: header.twoSided = true; break;
      case kMaterialTransparency: {
        float t;
        if (file.readFloat(t)) header.ambient[3] = header.diffuse[3] = header.specular[3] = 1.0f - t;
        break;
      }
      case kMaterialSelfIllum: {
        float v;
        if (file.readFloat(v)) header.emission[0] = header.emission[1] = header.emission[2] = v;
        break;
      }
      case kBitmap: {
        char name[256];
        readName(name);
        if (header.mapCount < 2) {
          map = &material.maps[header.mapCount++];
          map->setBitmap(name);
        } else {
          std::printf("]> ** WARNING ** Material %d: more than 2 maps, [ %s ] is passed over.\n",
                      static_cast<int>(header.index), name);
          map = nullptr;
        }
        break;
      }
      case kMapType: {
        AseToken value;
        if (file.next(value) && map) map->spherical = EqualsIgnoringCase(value, "Spherical");
        break;
      }
      case kUTiling: file.readFloat(map ? map->uTiling : ignored); break;
      case kVTiling: file.readFloat(map ? map->vTiling : ignored); break;
      case kUOffset: file.readFloat(map ? map->uOffset : ignored); break;
      case kVOffset: file.readFloat(map ? map->vOffset : ignored); break;
      case kOpen: ++depth; break;
      case kClose:
        // A brace that closes before the material opened closes the list: it announced more
        // materials than it holds.
        if (depth == 0) return false;
        if (--depth == 0) {
          scene.setMaterial(static_cast<uint32_t>(header.index), material);
          return true;
        }
        break;
      default: break;
    }
  }
}

// --- geometric objects ------------------------------------------------------------------------

void AseReader::readGeomObject(Scene& scene) {
  std::printf("]> - CARGANDO OBJETO.\n");
  SceneObject object;
  AseNodeMotion node;
  int depth = 1;
  Keyword keyword;
  bool ended = false;
  while (!ended && nextInBlock(keyword)) {
    uint32_t count;
    int32_t i;
    switch (keyword) {
      case kNodeName: readName(object.name); break;
      case kNumVertex:
        if (readCount(count, kVertexBytes)) object.setupVertices(count);
        break;
      case kNumFaces:
        if (readCount(count, kFaceBytes)) object.setupFaces(count);
        break;
      case kNumTVertex:
        if (readCount(count, kTexVertexBytes)) object.setupTexVertices(count);
        break;
      case kNumTVFaces:
        if (readCount(count, kTexFaceBytes)) object.setupTexFaces(count);
        break;
      case kVertex:
        if (file.readInt(i)) {
          Vertex vertex = object.getVertex(static_cast<uint32_t>(i));
          if (!setUp(object.verticesReady)) break;
          readPoint(vertex.position);
          object.setVertex(static_cast<uint32_t>(i), vertex);
        }
        break;
      case kTVert:
        if (file.readInt(i)) {
          TexVertex texVertex = object.getTexVertex(static_cast<uint32_t>(i));
          if (!setUp(object.texVerticesReady)) break;
          float u = texVertex.u, v = -texVertex.v;
          if (file.readFloat(u)) file.readFloat(v);
          texVertex.u = u;
          texVertex.v = -v;
          object.setTexVertex(static_cast<uint32_t>(i), texVertex);
        }
        break;
      case kFace: readFace(object); break;
      case kTFace: readTexFace(object); break;
      case kFaceNormal: readFaceNormals(object); break;
      case kMappingChannel: skipMappingChannel(); break;
      case kMaterialRef: file.readInt(object.materialIndex); break;
      case kTmPos: {
        float pivot[3];  // vertices are already in world space
        readFloats(pivot, 3);
        break;
      }
      case kNodeParent: readName(node.parent); break;
      case kTmRow0:
      case kTmRow1:
      case kTmRow2:
      case kTmRow3: {
        float row[3] = {0, 0, 0};
        readFloats(row, 3);
        std::copy(row, row + 3, node.rows[keyword - kTmRow0]);
        break;
      }
      case kPosSample:
      case kPosKey: readKey(node.positions, 3, scene.params.ticksPerFrame); break;
      case kRotKey: readKey(node.rotations, 4, scene.params.ticksPerFrame); break;
      case kScaleKey: readKey(node.scales, 3, scene.params.ticksPerFrame); break;
      case kOpen: ++depth; break;
      case kClose: ended = --depth <= 1; break;
      default: break;
    }
  }
  keepObjectConsistent(object);
  std::copy(object.name, object.name + sizeof object.name, node.name);
  motion_.nodes.push_back(node);

  const uint32_t slot = static_cast<uint32_t>(nextObject++);
  scene.setObject(slot, object);
  // A refused store leaves the arrays with nobody to free them.
  if (!scene.objectsReady || slot >= scene.objectCount) object.release();
}

// "*MESH_FACE i: A: a B: b C: c", read like the two scans "%d:\t" and "A:\t%d B:\t%d C:\t%d".
void AseReader::readFace(SceneObject& object) {
  int32_t i;
  if (!file.readInt(i)) return;
  if (file.match(':')) file.skipSpace();
  Face face = object.getFace(static_cast<uint32_t>(i));
  if (!setUp(object.facesReady)) return;
  int32_t corner[3];
  for (int k = 0; k < 3; ++k) corner[k] = static_cast<int32_t>(face.index[k]);
  static constexpr char kLetters[] = "ABC";
  for (int k = 0; k < 3; ++k) {
    if (k > 0) file.skipSpace();
    if (!file.match(kLetters[k]) || !file.match(':') || !file.readInt(corner[k])) break;
  }
  for (int k = 0; k < 3; ++k) face.index[k] = static_cast<uint32_t>(corner[k]);
  LinkFace(object, face);
  object.setFace(static_cast<uint32_t>(i), face);
}

void AseReader::readTexFace(SceneObject& object) {
  int32_t i;
  if (!file.readInt(i)) return;
  TexFace face = object.getTexFace(static_cast<uint32_t>(i));
  if (!setUp(object.texFacesReady)) return;
  int32_t corner[3];
  for (int k = 0; k < 3; ++k) corner[k] = static_cast<int32_t>(face.index[k]);
  for (int k = 0; k < 3; ++k)
    if (!file.readInt(corner[k])) break;
  for (int k = 0; k < 3; ++k) face.index[k] = static_cast<uint32_t>(corner[k]);
  LinkTexFace(object, face);
  object.setTexFace(static_cast<uint32_t>(i), face);
}

// The face normal, then the three vertex normals of the lines that follow, taken in line order
// as the normals of corners a, b and c (the vertex index written in them is not used).
void AseReader::readFaceNormals(SceneObject& object) {
  int32_t i;
  const bool haveIndex = file.readInt(i);
  Face face = haveIndex ? object.getFace(static_cast<uint32_t>(i)) : Face();
  if (haveIndex && !setUp(object.facesReady)) return;
  readPoint(face.faceNormal);
  size_t length;
  for (int k = 0; k < 3; ++k) {
    file.readLine(kSkipLineBuffer, length);
    AseToken keyword;
    file.next(keyword);
    int32_t vertexIndex;
    file.readInt(vertexIndex);
    readPoint(face.cornerNormal[k]);
  }
  file.readLine(kSkipLineBuffer, length);
  if (!haveIndex) return;
  LinkFace(object, face);
  object.setFace(static_cast<uint32_t>(i), face);
}

// An extra mapping channel (a lightmap's coordinates, say) repeats the texture keywords of the
// object's own channel, whose arrays it would replace: the engine draws one channel, the first.
void AseReader::skipMappingChannel() {
  int32_t channel;
  file.readInt(channel);
  if (!file.nextIs('{')) return;
  Keyword keyword;
  for (int depth = 1; depth > 0 && nextInBlock(keyword);)
    depth += keyword == kOpen ? 1 : keyword == kClose ? -1 : 0;
}

// Every face must refer to vertices of its own object, whatever order or damage the file had;
// faces of an object without any vertex are dropped. Texture faces likewise.
void AseReader::keepObjectConsistent(SceneObject& object) {
  if (object.facesReady && object.faceCount > 0 && object.vertexCount == 0) {
    std::printf("]> ** WARNING ** Object [ %s ] has faces and no vertices: the faces are dropped.\n", object.name);
    object.setupFaces(0);
  }
  if (object.texFacesReady && object.texFaceCount > 0 && object.texVertexCount == 0) {
    std::printf("]> ** WARNING ** Object [ %s ] has texture faces and no texture vertices: they are dropped.\n",
                object.name);
    object.setupTexFaces(0);
  }
  const uint32_t degenerate =
      KeepCornersInside(object.faces, object.facesReady ? object.faceCount : 0, &Face::vertex, object.vertices,
                        object.vertexCount, [&](uint32_t f) { return object.getFace(f); },
                        [&](uint32_t f, const Face& face) { object.setFace(f, face); }) +
      KeepCornersInside(object.texFaces, object.texFacesReady ? object.texFaceCount : 0, &TexFace::texVertex,
                        object.texVertices, object.texVertexCount, [&](uint32_t f) { return object.getTexFace(f); },
                        [&](uint32_t f, const TexFace& face) { object.setTexFace(f, face); });
  if (degenerate > 0)
    std::printf("]> ** WARNING ** Object [ %s ]: %u faces with indices outside their array, voided.\n", object.name,
                degenerate);
}

// Every material index names a material, whenever the scene has any: an object read before
// the material list or naming a missing material falls back to the first.
void AseReader::keepMaterialIndicesInRange(Scene& scene) {
  if (!scene.objectsReady || !scene.materialsReady || scene.materialCount == 0) return;
  for (uint32_t i = 0; i < scene.objectCount; ++i) {
    SceneObject object = scene.getObject(i);
    if (object.materialIndex >= 0 &&
        static_cast<uint32_t>(object.materialIndex) < scene.materialCount)
      continue;
    std::printf("]> ** WARNING ** Object %u: material %d does not exist, material 0 is used.\n", i,
                static_cast<int>(object.materialIndex));
    object.materialIndex = 0;
    scene.setObject(i, object);
  }
}

// --- lights -----------------------------------------------------------------------------------

void AseReader::readLightObject(Scene& scene) {
  std::printf("]> - CARGANDO LUZ.\n");
  SceneLight light;
  LightFrame frame;
  frame.lightNumber = nextLight;
  LightFrame sampleFrame;
  int state = 0;  // raised by closing braces; the light ends at a brace met in state 2
  uint32_t sample = 0;
  bool trackGiven = false;
  bool overflowTold = false;
  // A spot or directional light: its kind, its own place and aim (a target's node transform
  // comes second), its strength and cones.
  LightKind kind = LightKind::point;
  int placements = 0;
  float target[3] = {0, 0, 0}, axis[3] = {0, 0, 0};
  float intensity = 1, hotspot = 0, falloff = 0;
  Keyword keyword;
  bool ended = false;
  while (!ended && nextInBlock(keyword)) {
    size_t length;
    int32_t value;
    switch (keyword) {
      case kTmPos:
        // A point light takes each one (it has one); the others keep their own place.
        readPoint(kind == LightKind::point || placements == 0 ? frame.position : target);
        ++placements;
        break;
      case kTmRow2:
        if (placements == 0) readPoint(axis);
        break;
      case kLightType: {
        AseToken type;
        if (!file.next(type)) break;
        if (EqualsIgnoringCase(type, "Target") || EqualsIgnoringCase(type, "Free"))
          kind = LightKind::spot;
        else if (EqualsIgnoringCase(type, "Directional"))
          kind = LightKind::directional;
        break;
      }
      case kLightIntens: file.readFloat(intensity); break;
      case kLightHotspot: file.readFloat(hotspot); break;
      case kLightFalloff: file.readFloat(falloff); break;
      case kLightColor:
        readFloats(frame.color, 3);
        state = 1;
        break;
      case kLightUseGlobal:
        if (file.readInt(value) && value == 1) light.hasFlare = true;
        break;
      case kPosTrack:
        if (!trackGiven) light.setupTrack(trackLengthFor(scene.getParams().lastFrame, 1, false, false));
        trackGiven = true;
        state = 2;
        sample = 0;
        std::printf("]>   - LEYENDO ANIMACION DE LUZ.\n");
        break;
      case kPosSample:
        if (file.readInt(value)) readPoint(sampleFrame.position);
        if (sample < light.getTrackLength())
          light.setSample(sample, sampleFrame);
        else
          warnTrackOverflow(overflowTold);
        ++sample;
        break;
      case kClose:
        ended = state == 2;
        ++state;
        break;
      default: file.readLine(kSkipLineBuffer, length); break;
    }
  }
  shapeLight(light, frame, kind, placements > 1 ? target : nullptr, axis, hotspot, falloff);
  // The strength scales the colour; 1 leaves it as it was.
  if (intensity != 1 && std::isfinite(intensity))
    for (int c = 0; c < 3; ++c) frame.color[c] *= intensity;
  light.setFrame(frame);
  const uint32_t slot = static_cast<uint32_t>(nextLight++);
  scene.setLight(slot, light);
  if (!scene.lightsReady || slot >= scene.lightCount) light.freeTrack();
}

// A spot or directional light aims at its target where it has one, else down its own -Z; the
// export's cones are whole angles.
void AseReader::shapeLight(SceneLight& light, const LightFrame& frame, LightKind kind,
                           const float* target, const float axis[3], float hotspot, float falloff) {
  // A spot without a cone (as some exports write a sky light) shines all round.
  if (kind == LightKind::point || (kind == LightKind::spot && !(falloff > 0))) return;
  float aim[3];
  double length = 0;
  for (int c = 0; c < 3; ++c) {
    aim[c] = target ? target[c] - frame.position[c] : -axis[c];
    length += static_cast<double>(aim[c]) * aim[c];
  }
  length = std::sqrt(length);
  for (int c = 0; c < 3; ++c)
    light.shape.direction[c] = length > 0 ? static_cast<float>(aim[c] / length) : (c == 1 ? -1.0f : 0.0f);
  if (kind == LightKind::spot)
    ShapeSpot(light.shape, hotspot / 2, falloff / 2);
  else
    light.shape.kind = LightKind::directional;
}

// --- cameras ----------------------------------------------------------------------------------

void AseReader::readCameraObject(Scene& scene) {
  std::printf("]> - CARGANDO CAMARA.\n");
  const SceneParams params = scene.getParams();
  SceneCamera camera;
  CameraFrame still;  // filled stays false
  int depth = 0;
  bool positionSeen = false;
  bool animated = false;
  int trackNumber = 0;  // 1: the camera's own position track, 2: its target's
  uint32_t sample = 0;
  bool trackGiven = false;
  bool overflowTold = false;

  auto giveTrack = [&] {
    if (!trackGiven) camera.setupTrack(trackLengthFor(params.lastFrame, depth, true, animated));
    trackGiven = true;
  };
  // A sample first touched inherits what the sample before it holds (the static frame for the
  // first), so tracks that start late or skip frames keep the last known placement.
  auto prepare = [&](uint32_t k, CameraFrame& sampleFrame) {
    if (k >= camera.getTrackLength()) {
      warnTrackOverflow(overflowTold);
      return false;
    }
    sampleFrame = camera.getSample(k);
    if (!sampleFrame.filled) {
      const CameraFrame from = k > 0 ? camera.getSample(k - 1) : still;
      std::memcpy(sampleFrame.position, from.position, sizeof from.position);
      std::memcpy(sampleFrame.target, from.target, sizeof from.target);
      sampleFrame.fov = from.fov;
      sampleFrame.filled = true;
    }
    return true;
  };

  Keyword keyword;
  bool ended = false;
  while (!ended && nextInBlock(keyword)) {
    switch (keyword) {
      case kTmPos:
        readPoint(positionSeen ? still.target : still.position);
        positionSeen = true;
        break;
      case kCameraFov: {
        float radians;
        const bool scanned = file.readFloat(radians);
        const float degrees = radians * kDegreesPerRadianNumerator / kPi;
        if (!animated) {
          if (scanned) still.fov = degrees;
          break;
        }
        CameraFrame sampleFrame;
        if (prepare(sample, sampleFrame)) {
          if (scanned) sampleFrame.fov = degrees;
          camera.setSample(sample, sampleFrame);
        }
        ++sample;
        break;
      }
      case kCameraAnimation:
        animated = true;
        sample = 0;
        giveTrack();
        break;
      case kPosTrack:
        std::printf("]>   - LEYENDO ANIMACION DE CAMARA.\n");
        sample = 0;
        giveTrack();
        ++trackNumber;
        break;
      case kPosSample: {
        CameraFrame sampleFrame;
        const bool stored = (trackNumber == 1 || trackNumber == 2) && prepare(sample, sampleFrame);
        float unused[3] = {0, 0, 0};
        float* point = !stored ? unused : trackNumber == 1 ? sampleFrame.position : sampleFrame.target;
        int32_t tick;
        if (file.readInt(tick)) readPoint(point);
        if (stored) camera.setSample(sample, sampleFrame);
        ++sample;
        break;
      }
      case kOpen: ++depth; break;
      case kClose: ended = --depth <= 0; break;
      default: break;
    }
  }
  camera.setFrame(still);
  const uint32_t slot = static_cast<uint32_t>(nextCamera++);
  scene.setCamera(slot, camera);
  if (!scene.camerasReady || slot >= scene.cameraCount) camera.freeTrack();
}

// --- values -----------------------------------------------------------------------------------

void AseReader::readKey(std::vector<AseNodeMotion::Key>& keys, int n, int32_t ticksPerFrame) {
  int32_t tick;
  float values[4] = {0, 0, 0, 0};
  if (!file.readInt(tick)) return;
  readFloats(values, n);
  // Keys go forward in time; one that does not, or is not a number, is passed over.
  const double frame = static_cast<double>(tick) / (ticksPerFrame > 0 ? ticksPerFrame : 160);
  for (int k = 0; k < n; ++k)
    if (!std::isfinite(values[k])) return;
  if (!keys.empty() && frame < keys.back().frame) return;
  AseNodeMotion::Key key{frame, {values[0], values[1], values[2], values[3]}};
  keys.push_back(key);
}

void AseReader::readFloats(float* values, int n) {
  for (int k = 0; k < n; ++k)
    if (!file.readFloat(values[k])) return;
}

// "%f %f %f" as (x, y, z) of the file, stored as (x, z, -y). Numbers that do not scan keep
// what the point held.
void AseReader::readPoint(float* point) {
  float xyz[3] = {point[0], -point[2], point[1]};
  readFloats(xyz, 3);
  point[0] = xyz[0];
  point[1] = xyz[2];
  point[2] = -xyz[1];
}

// A quoted name: white space, the opening quote, then the rest of the line up to its closing
// quote (the whole rest when there is none). Names longer than 255 characters are cut.
void AseReader::readName(char (&name)[256]) {
  file.skipSpace();
  file.match('"');
  size_t length;
  const char* text = file.restOfLine(length);
  const size_t quote = std::string_view(text, length).rfind('"');
  if (quote != std::string_view::npos) length = quote;
  if (length > sizeof name - 1) length = sizeof name - 1;
  std::memcpy(name, text, length);
  name[length] = '\0';
}

// An array size; false when no number scans. A negative size is 0, and a size beyond what the
// file could fill (damage, not data) is cut: to what the rest of the file can hold, and to what
// the whole file still holds once the arrays announced before have had their share, so that
// all the arrays of one file together allocate no more than a small multiple of its size.
bool AseReader::readCount(uint32_t& count, int32_t minimumBytesPerElement) {
  int32_t value;
  if (!file.readInt(value)) return false;
  const size_t bytes = static_cast<size_t>(minimumBytesPerElement);
  const size_t ahead = std::max(file.remaining(), kGrantedBytes) / bytes;
  const size_t fits = std::min({ahead, unpromised_ / bytes, kMaxElements});
  if (value >= 0 && static_cast<size_t>(value) <= fits) {
    count = static_cast<uint32_t>(value);
  } else {
    count = value < 0 ? 0 : static_cast<uint32_t>(fits);
    std::printf("]> ** WARNING ** Count %d impossible in this file: %u is used.\n",
                static_cast<int>(value), count);
  }
  unpromised_ -= count * bytes;
  return true;
}

// One sample per frame up to the last frame, but never more than the longest track of the
// block holds: a damaged last frame cannot make a track of the file's few samples huge. The
// samples are counted ahead up to the brace that ends the block: the one that brings `depth`
// back to 0 where braces nest, the first one where they do not (a light). Each position track
// starts a new count, and so does a camera's animation block, whose fields of view are samples
// too (fovSamples: that block has begun).
uint32_t AseReader::trackLengthFor(int32_t lastFrame, int depth, bool nests, bool fovSamples) {
  AseTokenizer ahead = file;
  uint32_t run = 0, longest = 0;
  AseToken token;
  while (ahead.next(token)) {
    const Keyword keyword = Lookup(token);
    if (keyword == kOpen && nests) ++depth;
    if (keyword == kClose && --depth <= 0) break;
    if (keyword == kPosTrack || keyword == kCameraAnimation) run = 0;
    if (keyword == kCameraAnimation) fovSamples = true;
    if (keyword == kPosSample || (keyword == kCameraFov && fovSamples)) longest = std::max(longest, ++run);
  }
  const int64_t frames = int64_t(lastFrame) + 1;
  if (frames > kMaxTrackLength && longest > kMaxTrackLength)
    std::printf("]> ** WARNING ** Last frame %d impossible: the track is held to %u samples.\n",
                static_cast<int>(lastFrame), static_cast<unsigned>(kMaxTrackLength));
  return static_cast<uint32_t>(std::max<int64_t>(0, std::min({frames, int64_t(longest), kMaxTrackLength})));
}

void AseReader::giveDefaultMaterial(Scene& scene) {
  std::printf("]> ** WARNING ** No material list: the objects are drawn in a default grey.\n");
  Material grey;
  MaterialHeader& header = grey.header;
  for (int c = 0; c < 3; ++c) {
    header.ambient[c] = header.diffuse[c] = kDefaultGrey;
    header.specular[c] = kDefaultSpecular;
  }
  header.ambient[3] = header.diffuse[3] = header.specular[3] = 1.0f;
  header.shine = kDefaultShine;
  scene.setupMaterials(1);
  scene.setMaterial(0, grey);
}

void AseReader::warnTrackOverflow(bool& told) {
  if (told) return;
  told = true;
  std::printf("]> ** WARNING ** Track with more samples than frames: the extra ones are passed over.\n");
}
