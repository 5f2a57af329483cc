#include "SceneSamples.h"

#include <cstring>

namespace {

float Value(int seed, int k) { return static_cast<float>(seed) + 0.125f * static_cast<float>(k); }

Vertex MakeVertex(int seed) {
  Vertex v;
  for (int k = 0; k < 3; ++k) v.position[k] = Value(seed, k);
  for (int k = 0; k < 4; ++k) v.reserved[k] = Value(seed + 1, k);
  for (int k = 0; k < 3; ++k) v.normal[k] = Value(seed + 2, k);
  for (int k = 0; k < 2; ++k) v.spare[k] = Value(seed + 3, k);
  v.normalCount = seed * 7;
  return v;
}

void FillFace(Face& face, int seed) {
  for (int k = 0; k < 3; ++k) face.faceNormal[k] = Value(seed, k);
  for (int c = 0; c < 3; ++c)
    for (int k = 0; k < 3; ++k) face.cornerNormal[c][k] = Value(seed + c + 1, k);
}

CameraFrame MakeCameraFrame(int seed) {
  CameraFrame f;
  for (int k = 0; k < 3; ++k) f.position[k] = Value(seed, k);
  for (int k = 0; k < 3; ++k) f.target[k] = Value(seed + 1, k);
  f.fov = 40.0f + static_cast<float>(seed);
  f.filled = seed % 2 == 0;
  return f;
}

LightFrame MakeLightFrame(int seed) {
  LightFrame f;
  f.lightNumber = seed % 6;
  for (int k = 0; k < 4; ++k) f.color[k] = Value(seed, k);
  for (int k = 0; k < 4; ++k) f.position[k] = Value(seed + 1, k);
  return f;
}

TextureMap MakeMap(const char* path, bool spherical, int seed) {
  TextureMap map;
  map.setBitmap(path);
  map.spherical = spherical;
  map.uTiling = Value(seed, 0);
  map.vTiling = Value(seed, 1);
  map.uOffset = Value(seed, 2);
  map.vOffset = Value(seed, 3);
  map.texture = 77;  // never stored
  return map;
}

Material MakeMaterial(int32_t index, uint32_t maps, int seed) {
  Material m;
  MaterialHeader h;
  h.index = index;
  for (int k = 0; k < 4; ++k) {
    h.ambient[k] = Value(seed, k);
    h.diffuse[k] = Value(seed + 1, k);
    h.specular[k] = Value(seed + 2, k);
  }
  for (int k = 0; k < 3; ++k) h.emission[k] = Value(seed + 3, k);
  h.twoSided = seed % 2 == 1;
  h.mapCount = maps;
  h.shine = Value(seed + 4, 0);
  m.setHeader(h);
  if (maps >= 1) m.setMap(0, MakeMap("textures\\madera.jpg", false, seed + 5));
  if (maps >= 2) m.setMap(1, MakeMap("C:\\modelos\\tex\\cromo.jpg", true, seed + 6));
  return m;
}

}  // namespace

void BuildRichScene(Scene& scene) {
  SceneParams params;
  params.lastFrame = 100;
  params.frameSpeed = 30;
  params.ticksPerFrame = 160;
  for (int k = 0; k < 3; ++k) params.background[k] = Value(1, k);
  for (int k = 0; k < 3; ++k) params.ambient[k] = Value(2, k);
  for (int k = 0; k < 4; ++k) params.fogColor[k] = Value(3, k);
  params.fogDensity = 0.5f;
  params.fogEnd = 3500;
  params.fogStart = 800;
  params.fogEnabled = true;
  scene.setParams(params);

  scene.setupObjects(2);
  SceneObject first;
  first.setName("caja");
  first.setupVertices(3);
  for (uint32_t i = 0; i < 3; ++i) first.setVertex(i, MakeVertex(10 + static_cast<int>(i)));
  first.setupFaces(2);
  const uint32_t corners[2][3] = {{2, 0, 1}, {0, 1, 2}};
  for (uint32_t j = 0; j < 2; ++j) {
    Face face;
    for (int k = 0; k < 3; ++k) {
      face.index[k] = corners[j][k];
      face.vertex[k] = &first.vertexRef(corners[j][k]);
    }
    FillFace(face, 20 + static_cast<int>(j));
    first.setFace(j, face);
  }
  first.setupTexVertices(3);
  for (uint32_t i = 0; i < 3; ++i) first.setTexVertex(i, TexVertex{Value(30, i), Value(31, i)});
  first.setupTexFaces(1);
  TexFace texFace;
  const uint32_t texCorners[3] = {1, 2, 0};
  for (int k = 0; k < 3; ++k) {
    texFace.index[k] = texCorners[k];
    texFace.texVertex[k] = &first.texVertexRef(texCorners[k]);
  }
  first.setTexFace(0, texFace);
  first.setMaterialIndex(2);
  scene.setObject(0, first);

  SceneObject second;  // no faces and no texture arrays at all
  second.setupVertices(1);
  second.setVertex(0, MakeVertex(40));
  second.setMaterialIndex(-1);
  scene.setObject(1, second);

  scene.setupCameras(2);
  SceneCamera animated;
  animated.setFrame(MakeCameraFrame(50));
  animated.setupTrack(3);
  for (uint32_t k = 0; k < 3; ++k) animated.setSample(k, MakeCameraFrame(51 + static_cast<int>(k)));
  scene.setCamera(0, animated);
  SceneCamera still;
  still.setFrame(MakeCameraFrame(60));
  scene.setCamera(1, still);

  scene.setupMaterials(3);
  scene.setMaterial(0, MakeMaterial(5, 0, 70));
  scene.setMaterial(1, MakeMaterial(3, 1, 80));
  scene.setMaterial(2, MakeMaterial(9, 2, 90));

  scene.setupLights(2);
  SceneLight flare;
  flare.setFrame(MakeLightFrame(100));
  flare.setHasFlare(true);
  flare.setupTrack(2);
  for (uint32_t k = 0; k < 2; ++k) flare.setSample(k, MakeLightFrame(101 + static_cast<int>(k)));
  flare.setFlareBitmap("textures\\particle2.jpg");  // never stored
  flare.setFlareTexture(12);
  scene.setLight(0, flare);
  SceneLight plain;
  plain.setFrame(MakeLightFrame(110));
  scene.setLight(1, plain);
}

void ExpectSameParams(const SceneParams& a, const SceneParams& b) {
  EXPECT_EQ(a.lastFrame, b.lastFrame);
  EXPECT_EQ(a.frameSpeed, b.frameSpeed);
  EXPECT_EQ(a.ticksPerFrame, b.ticksPerFrame);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(a.background[k], b.background[k]);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(a.ambient[k], b.ambient[k]);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(a.fogColor[k], b.fogColor[k]);
  EXPECT_EQ(a.fogDensity, b.fogDensity);
  EXPECT_EQ(a.fogEnd, b.fogEnd);
  EXPECT_EQ(a.fogStart, b.fogStart);
  EXPECT_EQ(a.fogEnabled, b.fogEnabled);
}

void ExpectSameVertex(const Vertex& a, const Vertex& b) {
  for (int k = 0; k < 3; ++k) EXPECT_EQ(a.position[k], b.position[k]);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(a.reserved[k], b.reserved[k]);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(a.normal[k], b.normal[k]);
  for (int k = 0; k < 2; ++k) EXPECT_EQ(a.spare[k], b.spare[k]);
  EXPECT_EQ(a.normalCount, b.normalCount);
}

void ExpectSameFace(const Face& a, const Face& b) {
  for (int k = 0; k < 3; ++k) EXPECT_EQ(a.index[k], b.index[k]);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(a.faceNormal[k], b.faceNormal[k]);
  for (int c = 0; c < 3; ++c)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(a.cornerNormal[c][k], b.cornerNormal[c][k]);
}

void ExpectSameCameraFrame(const CameraFrame& a, const CameraFrame& b) {
  for (int k = 0; k < 3; ++k) EXPECT_EQ(a.position[k], b.position[k]);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(a.target[k], b.target[k]);
  EXPECT_EQ(a.fov, b.fov);
  EXPECT_EQ(a.filled, b.filled);
}

void ExpectSameLightFrame(const LightFrame& a, const LightFrame& b) {
  EXPECT_EQ(a.lightNumber, b.lightNumber);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(a.color[k], b.color[k]);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(a.position[k], b.position[k]);
}

void ExpectSameMaterial(const Material& a, const Material& b) {
  const MaterialHeader& x = a.header;
  const MaterialHeader& y = b.header;
  EXPECT_EQ(x.index, y.index);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(x.ambient[k], y.ambient[k]);
    EXPECT_EQ(x.diffuse[k], y.diffuse[k]);
    EXPECT_EQ(x.specular[k], y.specular[k]);
  }
  for (int k = 0; k < 3; ++k) EXPECT_EQ(x.emission[k], y.emission[k]);
  EXPECT_EQ(x.twoSided, y.twoSided);
  EXPECT_EQ(x.mapCount, y.mapCount);
  EXPECT_EQ(x.shine, y.shine);
  for (uint32_t k = 0; k < x.mapCount && k < 2; ++k) {
    EXPECT_STREQ(a.maps[k].bitmap, b.maps[k].bitmap);
    EXPECT_EQ(a.maps[k].spherical, b.maps[k].spherical);
    EXPECT_EQ(a.maps[k].uTiling, b.maps[k].uTiling);
    EXPECT_EQ(a.maps[k].vTiling, b.maps[k].vTiling);
    EXPECT_EQ(a.maps[k].uOffset, b.maps[k].uOffset);
    EXPECT_EQ(a.maps[k].vOffset, b.maps[k].vOffset);
  }
}

void ExpectSameStoredScene(const Scene& a, const Scene& b) {
  ExpectSameParams(a.params, b.params);
  ASSERT_EQ(a.objectCount, b.objectCount);
  for (uint32_t i = 0; i < a.objectCount; ++i) {
    SCOPED_TRACE(::testing::Message() << "object " << i);
    const SceneObject& x = a.objects[i];
    const SceneObject& y = b.objects[i];
    ASSERT_EQ(x.vertexCount, y.vertexCount);
    ASSERT_EQ(x.faceCount, y.faceCount);
    ASSERT_EQ(x.texVertexCount, y.texVertexCount);
    ASSERT_EQ(x.texFaceCount, y.texFaceCount);
    for (uint32_t j = 0; j < x.vertexCount; ++j) ExpectSameVertex(x.vertices[j], y.vertices[j]);
    for (uint32_t j = 0; j < x.faceCount; ++j) ExpectSameFace(x.faces[j], y.faces[j]);
    for (uint32_t j = 0; j < x.texVertexCount; ++j) {
      EXPECT_EQ(x.texVertices[j].u, y.texVertices[j].u);
      EXPECT_EQ(x.texVertices[j].v, y.texVertices[j].v);
    }
    for (uint32_t j = 0; j < x.texFaceCount; ++j)
      for (int k = 0; k < 3; ++k) EXPECT_EQ(x.texFaces[j].index[k], y.texFaces[j].index[k]);
    EXPECT_EQ(x.materialIndex, y.materialIndex);
  }
  ASSERT_EQ(a.cameraCount, b.cameraCount);
  for (uint32_t i = 0; i < a.cameraCount; ++i) {
    SCOPED_TRACE(::testing::Message() << "camera " << i);
    ExpectSameCameraFrame(a.cameras[i].frame, b.cameras[i].frame);
    ASSERT_EQ(a.cameras[i].trackLength, b.cameras[i].trackLength);
    for (uint32_t k = 0; k < a.cameras[i].trackLength; ++k)
      ExpectSameCameraFrame(a.cameras[i].track[k], b.cameras[i].track[k]);
  }
  ASSERT_EQ(a.materialCount, b.materialCount);
  for (uint32_t i = 0; i < a.materialCount; ++i) {
    SCOPED_TRACE(::testing::Message() << "material " << i);
    ExpectSameMaterial(a.materials[i], b.materials[i]);
  }
  ASSERT_EQ(a.lightCount, b.lightCount);
  for (uint32_t i = 0; i < a.lightCount; ++i) {
    SCOPED_TRACE(::testing::Message() << "light " << i);
    ExpectSameLightFrame(a.lights[i].frame, b.lights[i].frame);
    EXPECT_EQ(a.lights[i].hasFlare, b.lights[i].hasFlare);
    ASSERT_EQ(a.lights[i].trackLength, b.lights[i].trackLength);
    for (uint32_t k = 0; k < a.lights[i].trackLength; ++k)
      ExpectSameLightFrame(a.lights[i].track[k], b.lights[i].track[k]);
  }
}

void ExpectSound(const Scene& scene) {
  if (scene.objectsReady) {
    for (uint32_t i = 0; i < scene.objectCount; ++i) {
      const SceneObject& o = scene.objects[i];
      // Every object kept was read whole, with all four arrays.
      ASSERT_TRUE(o.verticesReady && o.facesReady && o.texVerticesReady && o.texFacesReady) << i;
      for (uint32_t j = 0; j < o.faceCount; ++j)
        for (int k = 0; k < 3; ++k) {
          ASSERT_LT(o.faces[j].index[k], o.vertexCount);
          ASSERT_EQ(o.faces[j].vertex[k], &o.vertices[o.faces[j].index[k]]);
        }
      for (uint32_t j = 0; j < o.texFaceCount; ++j)
        for (int k = 0; k < 3; ++k) {
          ASSERT_LT(o.texFaces[j].index[k], o.texVertexCount);
          ASSERT_EQ(o.texFaces[j].texVertex[k], &o.texVertices[o.texFaces[j].index[k]]);
        }
    }
  }
  for (uint32_t i = 0; i < scene.materialCount; ++i) {
    ASSERT_LE(scene.materials[i].header.mapCount, 2u);
    for (const TextureMap& map : scene.materials[i].maps)
      ASSERT_NE(std::memchr(map.bitmap, '\0', sizeof map.bitmap), nullptr);
  }
  for (uint32_t i = 0; i < scene.cameraCount; ++i)
    ASSERT_TRUE(scene.cameras[i].trackLength == 0 || scene.cameras[i].track != nullptr);
  for (uint32_t i = 0; i < scene.lightCount; ++i)
    ASSERT_TRUE(scene.lights[i].trackLength == 0 || scene.lights[i].track != nullptr);
}
