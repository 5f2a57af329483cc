// Checks of the bundled production as the content tool builds it (the CTest fixture makes it in
// <build>/test-production): every file the player will ask for is there and decodes, every
// scene converts with the counts its ASE export declares and shows its outer side, and the script
// addresses only what exists, uses every effect and ends with the music.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "driver/ContentCheck.h"
#include "driver/ContentManifest.h"
#include "platform/AudioDecoder.h"
#include "platform/Files.h"
#include "platform/TextureLoader.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "timeline/Timeline.h"

namespace {

// The bundled production, as the player's built-in manifest lists it.
const ContentManifest& Bundled() { return DefaultManifest(); }
const int kSceneCount = static_cast<int>(Bundled().scenes.size());
const int kLayerCount = static_cast<int>(Bundled().layers.size());
const int kParticleCount = static_cast<int>(Bundled().particleFiles.size());

// The first scene the manifest gives that setting.
int SceneWith(bool ManifestScene::*setting) {
  for (int i = 0; i < kSceneCount; ++i)
    if (Bundled().scenes[i].*setting) return i;
  return -1;
}

// Works inside the production folder, as the player does.
class Production : public ::testing::Test {
 protected:
  void SetUp() override {
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    previous_ = here;
    ASSERT_EQ(chdir(ZB_TOOLS_DIR "/test-production"), 0) << "the production was not built";
  }
  void TearDown() override { ASSERT_EQ(chdir(previous_.c_str()), 0); }

 private:
  std::string previous_;
};

bool Exists(const std::string& path) {
  FILE* f = OpenFile(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

::testing::AssertionResult DecodesAsJpeg(const std::string& path) {
  DecodedImage image;
  std::string error;
  if (!DecodeJpegFile(path.c_str(), image, error))
    return ::testing::AssertionFailure() << path << ": " << error;
  if (image.width <= 0 || image.height <= 0)
    return ::testing::AssertionFailure() << path << ": empty picture";
  return ::testing::AssertionSuccess();
}

// What an ASE export declares, read straight from its text.
struct Declared {
  int lastFrame = -1;
  int frameSpeed = -1;
  int materialCount = -1;
  struct Mesh {
    uint32_t vertices = 0, faces = 0, tverts = 0, tfaces = 0;
  };
  std::vector<Mesh> meshes;
  std::vector<int> bitmapsPerMaterial;
  int cameras = 0;
  std::vector<bool> lightFlares;
  std::vector<bool> lightAnimated;
};

Declared ReadDeclared(const std::string& path) {
  Declared d;
  FILE* f = OpenFile(path.c_str(), "r");
  if (!f) return d;
  std::string text;
  char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
  std::fclose(f);
  std::istringstream in(text);
  std::string token;
  enum { kNone, kLight } block = kNone;
  while (in >> token) {
    if (token == "*SCENE_LASTFRAME") in >> d.lastFrame;
    else if (token == "*SCENE_FRAMESPEED") in >> d.frameSpeed;
    else if (token == "*MATERIAL_COUNT") in >> d.materialCount;
    else if (token == "*MATERIAL") d.bitmapsPerMaterial.push_back(0);
    else if (token == "*BITMAP" && !d.bitmapsPerMaterial.empty()) ++d.bitmapsPerMaterial.back();
    else if (token == "*GEOMOBJECT") { d.meshes.emplace_back(); block = kNone; }
    else if (token == "*MESH_NUMVERTEX") in >> d.meshes.back().vertices;
    else if (token == "*MESH_NUMFACES") in >> d.meshes.back().faces;
    else if (token == "*MESH_NUMTVERTEX") in >> d.meshes.back().tverts;
    else if (token == "*MESH_NUMTVFACES") in >> d.meshes.back().tfaces;
    else if (token == "*CAMERAOBJECT") { ++d.cameras; block = kNone; }
    else if (token == "*LIGHTOBJECT") {
      block = kLight;
      d.lightFlares.push_back(false);
      d.lightAnimated.push_back(false);
    } else if (token == "*LIGHT_USEGLOBAL") {
      int flag = 0;
      in >> flag;
      d.lightFlares.back() = flag == 1;
    } else if (token == "*CONTROL_POS_TRACK" && block == kLight) {
      d.lightAnimated.back() = true;
    }
  }
  return d;
}

// A scene read from its binary file, released when done (a loaded scene that is destroyed
// complains in a message box).
struct LoadedScene {
  Scene scene;
  explicit LoadedScene(const std::string& path) {
    SceneBinaryFile file;
    file.readScene(path.c_str(), scene);
  }
  ~LoadedScene() { scene.release(); }
};

std::string BinPath(int i) { return "escenas_bin\\" + Bundled().scenes[i].name + ".bin"; }
std::string AsePath(int i) { return "escenas\\" + Bundled().scenes[i].name + ".ase"; }

struct V3 {
  double x, y, z;
};
V3 At(const float p[3]) { return {p[0], p[1], p[2]}; }
V3 Minus(const V3& a, const V3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 CrossOf(const V3& a, const V3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double DotOf(const V3& a, const V3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double LengthOf(const V3& a) { return std::sqrt(DotOf(a, a)); }

// True when every edge (matched by position, so separately built parts that meet count as
// joined) is shared by exactly two faces: a closed surface.
bool IsClosed(const SceneObject& object) {
  using Point = std::tuple<long, long, long>;
  auto key = [&](uint32_t v) {
    const float* p = object.vertices[v].position;
    return Point{std::lround(p[0] * 100), std::lround(p[1] * 100), std::lround(p[2] * 100)};
  };
  std::map<std::pair<Point, Point>, int> edges;
  for (uint32_t f = 0; f < object.faceCount; ++f) {
    const Face& face = object.faces[f];
    for (int k = 0; k < 3; ++k) {
      Point a = key(face.index[k]), b = key(face.index[(k + 1) % 3]);
      ++edges[a < b ? std::make_pair(a, b) : std::make_pair(b, a)];
    }
  }
  for (const auto& edge : edges)
    if (edge.second != 2) return false;
  return true;
}

double SignedVolumeOf(const SceneObject& object) {
  double volume = 0.0;
  for (uint32_t f = 0; f < object.faceCount; ++f) {
    const Face& face = object.faces[f];
    V3 a = At(object.vertices[face.index[0]].position);
    V3 b = At(object.vertices[face.index[1]].position);
    V3 c = At(object.vertices[face.index[2]].position);
    volume += DotOf(a, CrossOf(b, c));
  }
  return volume / 6.0;
}

std::vector<ScriptEvent> LoadScript() {
  Timeline timeline;
  timeline.LoadScript(Bundled().script.path.c_str());
  timeline.SortEvents();
  return std::vector<ScriptEvent>(timeline.events, timeline.events + timeline.eventCount);
}

}  // namespace

TEST_F(Production, EveryFileThePlayerAsksForIsThereAndDecodes) {
  for (int i = 0; i < kSceneCount; ++i) {
    EXPECT_TRUE(Exists(AsePath(i))) << AsePath(i);
    EXPECT_TRUE(Exists(BinPath(i))) << BinPath(i);
  }
  for (const ManifestLayer& layer : Bundled().layers) EXPECT_TRUE(DecodesAsJpeg(layer.path));
  EXPECT_TRUE(DecodesAsJpeg(Bundled().font.path));
  EXPECT_TRUE(DecodesAsJpeg("textures\\particle2.jpg"));  // every flare
  EXPECT_TRUE(Exists(Bundled().script.path));

  // The maps the scenes name, as the converter rewrote them.
  std::set<std::string> maps;
  for (int i = 0; i < kSceneCount; ++i) {
    LoadedScene loaded(BinPath(i));
    for (uint32_t m = 0; m < loaded.scene.materialCount; ++m) {
      const Material& material = loaded.scene.materials[m];
      for (uint32_t k = 0; k < material.header.mapCount && k < 2; ++k)
        maps.insert(material.maps[k].getBitmap());
    }
  }
  EXPECT_GE(maps.size(), 5u);
  for (const std::string& map : maps) {
    EXPECT_EQ(map.rfind("textures\\", 0), 0u) << map;
    EXPECT_TRUE(DecodesAsJpeg(map));
  }

  // The particle file's textures: a 16-byte header, then 255-byte names.
  FILE* f = OpenFile(Bundled().particleFiles[0].path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  uint32_t header[4] = {};
  ASSERT_EQ(std::fread(header, 4, 4, f), 4u);
  const uint32_t particles = header[0], textures = header[3];
  EXPECT_GT(particles, 0u);
  ASSERT_GE(textures, 1u);
  ASSERT_LE(textures, 10u);
  for (uint32_t t = 0; t < textures; ++t) {
    char name[255];
    ASSERT_EQ(std::fread(name, 1, sizeof name, f), sizeof name);
    ASSERT_NE(std::memchr(name, 0, sizeof name), nullptr);
    EXPECT_TRUE(DecodesAsJpeg(name));
  }
  std::fseek(f, 0, SEEK_END);
  EXPECT_EQ(std::ftell(f), static_cast<long>(16 + 255 * textures + 20 * particles));
  std::fclose(f);
}

TEST_F(Production, EverySceneReadsBackWithTheCountsItsExportDeclares) {
  for (int i = 0; i < kSceneCount; ++i) {
    SCOPED_TRACE(Bundled().scenes[i].name);
    const Declared d = ReadDeclared(AsePath(i));
    ASSERT_GT(d.lastFrame, 0);
    LoadedScene loaded(BinPath(i));
    const Scene& s = loaded.scene;
    EXPECT_EQ(s.params.lastFrame, d.lastFrame);
    EXPECT_EQ(s.params.frameSpeed, d.frameSpeed);

    ASSERT_EQ(s.objectCount, d.meshes.size());
    for (uint32_t o = 0; o < s.objectCount; ++o) {
      const SceneObject& object = s.objects[o];
      EXPECT_EQ(object.vertexCount, d.meshes[o].vertices) << "object " << o;
      EXPECT_EQ(object.faceCount, d.meshes[o].faces) << "object " << o;
      EXPECT_EQ(object.texVertexCount, d.meshes[o].tverts) << "object " << o;
      EXPECT_EQ(object.texFaceCount, d.meshes[o].tfaces) << "object " << o;
      EXPECT_GE(object.materialIndex, 0);
      EXPECT_LT(static_cast<uint32_t>(object.materialIndex), s.materialCount);
    }
    ASSERT_EQ(s.materialCount, static_cast<uint32_t>(d.materialCount));
    ASSERT_EQ(d.bitmapsPerMaterial.size(), s.materialCount);
    for (uint32_t m = 0; m < s.materialCount; ++m)
      EXPECT_EQ(s.materials[m].header.mapCount, static_cast<uint32_t>(d.bitmapsPerMaterial[m]));

    // Tracks have one sample per frame, so the renderer's frame index always finds one.
    ASSERT_EQ(s.cameraCount, static_cast<uint32_t>(d.cameras));
    for (uint32_t c = 0; c < s.cameraCount; ++c)
      EXPECT_EQ(s.cameras[c].trackLength, static_cast<uint32_t>(d.lastFrame + 1));
    ASSERT_EQ(s.lightCount, d.lightFlares.size());
    for (uint32_t l = 0; l < s.lightCount; ++l) {
      EXPECT_EQ(s.lights[l].hasFlare, d.lightFlares[l]) << "light " << l;
      EXPECT_EQ(s.lights[l].trackLength,
                d.lightAnimated[l] ? static_cast<uint32_t>(d.lastFrame + 1) : 0u)
          << "light " << l;
    }
  }
}

// Back faces are culled, so a face wound the wrong way, or a normal at odds with its winding,
// shows as a hole or a dark patch.
TEST_F(Production, EveryObjectShowsItsOuterSideWithNormalsThatAgree) {
  for (int i = 0; i < kSceneCount; ++i) {
    SCOPED_TRACE(Bundled().scenes[i].name);
    LoadedScene loaded(BinPath(i));
    for (uint32_t o = 0; o < loaded.scene.objectCount; ++o) {
      const SceneObject& object = loaded.scene.objects[o];
      int disagreeing = 0, offSurface = 0;
      bool flat = true, facesUp = true;
      for (uint32_t f = 0; f < object.faceCount; ++f) {
        const Face& face = object.faces[f];
        V3 a = At(object.vertices[face.index[0]].position);
        V3 wound = CrossOf(Minus(At(object.vertices[face.index[1]].position), a),
                           Minus(At(object.vertices[face.index[2]].position), a));
        V3 normal = At(face.faceNormal);
        if (DotOf(wound, normal) <= 0.9 * LengthOf(wound) * LengthOf(normal)) ++disagreeing;
        for (int k = 0; k < 3; ++k)
          if (DotOf(At(face.cornerNormal[k]), normal) <= 0.0) ++offSurface;
        flat = flat && std::fabs(normal.y) > 0.99;
        facesUp = facesUp && normal.y > 0.0;
      }
      EXPECT_EQ(disagreeing, 0) << "object " << o;
      EXPECT_EQ(offSurface, 0) << "object " << o;
      if (IsClosed(object)) {
        EXPECT_GT(SignedVolumeOf(object), 0.0) << "object " << o;
      }
      if (flat) {
        EXPECT_TRUE(facesUp) << "object " << o << " is a floor seen from below";
      }
    }
  }
}

// What the script and the catalogue settings rely on the scenes to hold.
TEST_F(Production, ScenesHoldWhatTheProductionNeeds) {
  std::set<uint32_t> lightCounts;
  bool spherical = false, twoMaps = false, transparent = false, twoSided = false, flare = false,
       twoCameras = false;
  for (int i = 0; i < kSceneCount; ++i) {
    SCOPED_TRACE(Bundled().scenes[i].name);
    LoadedScene loaded(BinPath(i));
    const Scene& s = loaded.scene;
    uint32_t faces = 0;
    for (uint32_t o = 0; o < s.objectCount; ++o) faces += s.objects[o].faceCount;
    EXPECT_LT(faces, 20000u) << "too heavy for immediate mode";
    EXPECT_GE(s.cameraCount, 1u);
    // Lights are never switched off, so scenes with fewer lights would keep the last ones.
    lightCounts.insert(s.lightCount);
    twoCameras = twoCameras || s.cameraCount >= 2;
    for (uint32_t l = 0; l < s.lightCount; ++l) flare = flare || s.lights[l].hasFlare;
    for (uint32_t m = 0; m < s.materialCount; ++m) {
      const MaterialHeader& h = s.materials[m].header;
      spherical = spherical || (h.mapCount >= 1 && s.materials[m].maps[0].getSpherical());
      twoMaps = twoMaps || h.mapCount == 2;
      transparent = transparent || h.ambient[3] < 1.0f;
      twoSided = twoSided || h.twoSided;
    }
  }
  EXPECT_EQ(lightCounts.size(), 1u);
  EXPECT_LE(*lightCounts.begin(), 6u);
  EXPECT_TRUE(spherical && twoMaps && transparent && twoSided && flare && twoCameras);

  // The ripple moves vertices with waves about 36 units long: objects 0 and 1 need many.
  LoadedScene water(BinPath(SceneWith(&ManifestScene::aqua)));
  ASSERT_GE(water.scene.objectCount, 2u);
  EXPECT_GE(water.scene.objects[0].vertexCount, 1000u);
  EXPECT_GE(water.scene.objects[1].vertexCount, 1000u);

  // The colonnade's fog runs from 800 to 3500 units: it must reach past the end of the fog.
  LoadedScene columns(BinPath(SceneWith(&ManifestScene::fog)));
  float nearest = 1e9f, farthest = -1e9f;
  for (uint32_t o = 0; o < columns.scene.objectCount; ++o)
    for (uint32_t v = 0; v < columns.scene.objects[o].vertexCount; ++v) {
      const float z = columns.scene.objects[o].vertices[v].position[2];
      nearest = std::fmin(nearest, z);
      farthest = std::fmax(farthest, z);
    }
  EXPECT_GT(farthest - nearest, 3500.0f);
}

TEST_F(Production, ScriptAddressesOnlyWhatExistsAndUsesEveryEffect) {
  const std::vector<ScriptEvent> events = LoadScript();
  ASSERT_GT(events.size(), 100u);
  const int counts[4] = {0, kSceneCount, kLayerCount, kParticleCount};
  // Where each effect acts (others are ignored by the dispatcher, so they would show nothing).
  const std::map<int, std::set<int>> actsOn = {
      {FX_START, {SCENE, LAYER, PARTICLE}}, {FX_STOP, {SCENE, LAYER, PARTICLE}},
      {FX_SHOW, {SCENE}}, {FX_HIDE, {SCENE}}, {FX_SHAKE, {SCENE, LAYER}},
      {FX_SATURATE, {SCENE}}, {FX_CHANGE_CAM, {SCENE}}, {FX_BLUR, {SCENE}},
      {FX_ALPHA, {LAYER, PARTICLE}}, {FX_MOVE, {LAYER}}, {FX_RESIZE, {LAYER}},
      {FX_EXPLODE, {PARTICLE}}, {FX_NOISE, {SCENE}}, {FX_AQUA, {SCENE}}, {FX_QUIT, {SCENE}},
  };
  std::set<int> used;
  std::set<int> scenesStarted, layersShown, particlesStarted, noiseModes;
  for (size_t i = 0; i < events.size(); ++i) {
    const ScriptEvent& e = events[i];
    SCOPED_TRACE(testing::Message() << "event " << i << " at " << e.time);
    ASSERT_TRUE(e.targetKind >= SCENE && e.targetKind <= PARTICLE);
    EXPECT_GE(e.targetIndex, 0);
    EXPECT_LT(e.targetIndex, counts[e.targetKind]);
    auto acts = actsOn.find(e.effect);
    ASSERT_NE(acts, actsOn.end()) << "unknown effect " << e.effect;
    EXPECT_TRUE(acts->second.count(e.targetKind)) << "effect " << e.effect << " does nothing here";
    used.insert(e.effect);
    if (e.effect == FX_START && e.targetKind == SCENE) scenesStarted.insert(e.targetIndex);
    if (e.effect == FX_START && e.targetKind == LAYER) layersShown.insert(e.targetIndex);
    if (e.effect == FX_START && e.targetKind == PARTICLE) particlesStarted.insert(e.targetIndex);
    if (e.effect == FX_NOISE) noiseModes.insert(static_cast<int>(e.params[0]));
    if (e.effect == FX_EXPLODE) {
      EXPECT_GE(e.params[0], 1.0f);
      EXPECT_GE(e.params[1], 1.0f);
    }
  }
  EXPECT_EQ(used.size(), actsOn.size());
  EXPECT_EQ(scenesStarted.size(), static_cast<size_t>(kSceneCount));
  EXPECT_EQ(particlesStarted.size(), static_cast<size_t>(kParticleCount));
  EXPECT_TRUE(noiseModes.count(1) && noiseModes.count(2)) << "both mask sets";
  for (int set = 1; set <= kNoiseSets; ++set)
    if (noiseModes.count(set))
      for (int k = 0; k < kNoiseSetLayers; ++k) layersShown.insert(Bundled().noiseSetFirstLayer[set - 1] + k);
  EXPECT_EQ(layersShown.size(), static_cast<size_t>(kLayerCount));
}

// Particles are placed with the modelview of the last scene drawn; with no scene on they would
// sit round the eye and fill the screen.
TEST_F(Production, ParticlesOnlyShowWhileASceneGivesThemItsCamera) {
  const std::vector<ScriptEvent> events = LoadScript();
  std::set<int> scenesOn;
  bool particlesOn = false;
  for (size_t i = 0; i < events.size(); ++i) {
    const ScriptEvent& e = events[i];
    const bool on = e.effect == FX_START || e.effect == FX_SHOW;
    const bool off = e.effect == FX_STOP || e.effect == FX_HIDE;
    if (e.targetKind == SCENE && on) scenesOn.insert(e.targetIndex);
    if (e.targetKind == SCENE && off) scenesOn.erase(e.targetIndex);
    if (e.targetKind == PARTICLE && (e.effect == FX_START || e.effect == FX_STOP))
      particlesOn = e.effect == FX_START;
    // Judge the state once every event of this instant has been applied.
    if (i + 1 == events.size() || events[i + 1].time != e.time) {
      EXPECT_FALSE(particlesOn && scenesOn.empty()) << "at " << e.time;
    }
  }
}

TEST_F(Production, ScriptEndsWithQuitWhenTheMusicEnds) {
  const std::vector<ScriptEvent> events = LoadScript();
  ASSERT_FALSE(events.empty());
  const ScriptEvent& last = events.back();
  EXPECT_EQ(last.effect, FX_QUIT);
  EXPECT_EQ(last.targetKind, SCENE);
  for (size_t i = 0; i + 1 < events.size(); ++i) {
    EXPECT_NE(events[i].effect, FX_QUIT) << "event " << i << " quits early";
    EXPECT_LT(events[i].time, last.time) << "event " << i << " would come with the quit";
  }

  AudioDecoder music;
  ASSERT_TRUE(music.Open(Bundled().music.path.c_str(), 44100));
  const double seconds = static_cast<double>(music.Length()) / 44100.0;
  // The quit must come due while the music still plays (its position stops at the end), and
  // not long before the end.
  EXPECT_LT(last.time, seconds);
  EXPECT_GT(last.time, seconds - 1.0);
  EXPECT_GE(events.front().time, 0.0f);
}

// What the content tool made is what the player's built-in list says, and the checker finds
// nothing in it.
TEST_F(Production, ShipsTheBuiltInManifestAndChecksClean) {
  std::string text;
  FILE* f = OpenFile(kManifestFile, "r");
  ASSERT_NE(f, nullptr);
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
  std::fclose(f);
  EXPECT_EQ(text, kDefaultManifestText);

  ContentManifest manifest;
  std::vector<std::string> findings;
  ASSERT_TRUE(ReadProductionManifest(manifest, findings));
  ScriptTargets targets;
  CheckContentFiles(manifest, true, targets, findings);
  int32_t events = 0;
  CheckContentScript(manifest, targets, findings, events);
  EXPECT_TRUE(findings.empty()) << findings[0];
  EXPECT_GT(events, 600);
}
