#include "SceneSamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// Every float of the scene gets the next value of one counter, so no two fields are equal.
float g_next = 1.0f;
void Fill(float* values, int n) {
  for (int k = 0; k < n; ++k) values[k] = (g_next += 0.25f);
}

void LinkFace(SceneObject& object, uint32_t j, uint32_t a, uint32_t b, uint32_t c) {
  Face face;
  const uint32_t corners[3] = {a, b, c};
  for (int k = 0; k < 3; ++k) {
    face.index[k] = corners[k];
    face.vertex[k] = &object.vertexRef(corners[k]);
    Fill(face.cornerNormal[k], 3);
  }
  Fill(face.faceNormal, 3);
  object.setFace(j, face);
}

CameraFrame NextCameraFrame() {
  CameraFrame f;
  Fill(f.position, 3);
  Fill(f.target, 3);
  Fill(&f.fov, 1);
  f.filled = static_cast<int>(g_next) % 2 == 0;
  return f;
}

LightFrame NextLightFrame() {
  LightFrame f;
  f.lightNumber = static_cast<int32_t>(g_next) % 6;
  Fill(f.color, 4);
  Fill(f.position, 4);
  return f;
}

Material NextMaterial(int32_t index, uint32_t maps) {
  Material m;
  MaterialHeader& h = m.header;
  h.index = index;
  Fill(h.ambient, 4);
  Fill(h.diffuse, 4);
  Fill(h.specular, 4);
  Fill(h.emission, 3);
  Fill(&h.shine, 1);
  h.twoSided = index % 2 == 1;
  h.mapCount = maps;
  const char* paths[2] = {"textures\\madera.jpg", "C:\\modelos\\tex\\cromo.jpg"};
  for (uint32_t k = 0; k < maps; ++k) {
    TextureMap& map = m.maps[k];
    map.setBitmap(paths[k]);
    map.spherical = k == 1;
    Fill(&map.uTiling, 1);
    Fill(&map.vTiling, 1);
    Fill(&map.uOffset, 1);
    Fill(&map.vOffset, 1);
    map.texture = 77;  // never stored
  }
  return m;
}

}  // namespace

void BuildRichScene(Scene& scene) {
  g_next = 1.0f;
  SceneParams params;
  params.lastFrame = 100;
  params.frameSpeed = 30;
  params.ticksPerFrame = 160;
  Fill(params.background, 3);
  Fill(params.ambient, 3);
  Fill(params.fogColor, 4);
  Fill(&params.fogDensity, 1);
  Fill(&params.fogEnd, 1);
  Fill(&params.fogStart, 1);
  params.fogEnabled = true;
  scene.setParams(params);

  scene.setupObjects(2);
  SceneObject first;
  first.setName("caja");
  first.setupVertices(3);
  for (uint32_t i = 0; i < 3; ++i) {
    Vertex v;
    Fill(v.position, 3);
    Fill(v.reserved, 4);
    Fill(v.normal, 3);
    Fill(v.spare, 2);
    v.normalCount = static_cast<int32_t>(i) + 7;
    first.setVertex(i, v);
  }
  first.setupFaces(2);
  LinkFace(first, 0, 2, 0, 1);
  LinkFace(first, 1, 0, 1, 2);
  first.setupTexVertices(3);
  for (uint32_t i = 0; i < 3; ++i) {
    TexVertex t;
    Fill(&t.u, 1);
    Fill(&t.v, 1);
    first.setTexVertex(i, t);
  }
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
  SceneObject second;
  second.setupVertices(1);
  second.setMaterialIndex(-1);
  scene.setObject(1, second);

  scene.setupCameras(2);
  SceneCamera animated;
  animated.setFrame(NextCameraFrame());
  animated.setupTrack(3);
  for (uint32_t k = 0; k < 3; ++k) animated.setSample(k, NextCameraFrame());
  scene.setCamera(0, animated);
  SceneCamera still;
  still.setFrame(NextCameraFrame());
  scene.setCamera(1, still);

  scene.setupMaterials(3);
  scene.setMaterial(0, NextMaterial(5, 0));
  scene.setMaterial(1, NextMaterial(3, 1));
  scene.setMaterial(2, NextMaterial(9, 2));

  scene.setupLights(2);
  SceneLight flare;
  flare.setFrame(NextLightFrame());
  flare.setHasFlare(true);
  flare.setupTrack(2);
  for (uint32_t k = 0; k < 2; ++k) flare.setSample(k, NextLightFrame());
  flare.setFlareBitmap("textures\\particle2.jpg");  // never stored
  flare.setFlareTexture(12);
  scene.setLight(0, flare);
  SceneLight plain;
  plain.setFrame(NextLightFrame());
  scene.setLight(1, plain);
}

void ExpectSound(const Scene& scene) {
  for (uint32_t i = 0; i < scene.objectCount; ++i) {
    const SceneObject& o = scene.objects[i];
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
  for (uint32_t i = 0; i < scene.materialCount; ++i) {
    ASSERT_LE(scene.materials[i].header.mapCount, 2u);
    for (const TextureMap& map : scene.materials[i].maps)
      ASSERT_NE(std::memchr(map.bitmap, '\0', sizeof map.bitmap), nullptr);
  }
  for (uint32_t i = 0; i < scene.cameraCount; ++i)
    ASSERT_TRUE(scene.cameras[i].trackLength == 0 || scene.cameras[i].track);
  for (uint32_t i = 0; i < scene.lightCount; ++i)
    ASSERT_TRUE(scene.lights[i].trackLength == 0 || scene.lights[i].track);
}

std::string Base64(const std::vector<float>& values) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes(values.size() * 4, '\0');
  std::memcpy(&bytes[0], values.data(), bytes.size());
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t present = std::min<size_t>(3, bytes.size() - i);
    uint32_t n = 0;
    for (size_t k = 0; k < 3; ++k)
      n = n << 8 | (k < present ? static_cast<unsigned char>(bytes[i + k]) : 0);
    for (size_t k = 0; k < 4; ++k) text += k <= present ? kDigits[(n >> (18 - 6 * k)) & 63] : '=';
  }
  return text;
}
