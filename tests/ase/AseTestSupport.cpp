#include "AseTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "scene/AseReader.h"
#include "scene/Scene.h"
#include "support/TempDir.h"

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

bool LoadAse(const std::string& text, Scene& scene, AseResult* result) {
  const std::string path = TempFileName("zb_ase");
  WriteBytes(path, text);
  const bool ok = LoadAseFile(path, scene, result);
  std::remove(path.c_str());
  return ok;
}

bool LoadAseFile(const std::string& path, Scene& scene, AseResult* result) {
  QuietStdout quiet;
  AseReader reader;
  const bool ok = reader.load(path.c_str(), scene);
  if (result) *result = reader.result;
  return ok;
}

std::string BaseName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

namespace {

std::string Normalized(const char* bitmap) {
  std::string path = bitmap;
  const size_t slash = path.find_last_of("\\/:");
  return "textures\\" + (slash == std::string::npos ? path : path.substr(slash + 1));
}

#define EXPECT_SAME_FLOATS(a, b, n)                                       \
  for (int k_ = 0; k_ < (n); ++k_) EXPECT_EQ((a)[k_], (b)[k_]) << #a " [" << k_ << "]"

void ExpectSameObject(const SceneObject& a, const SceneObject& b) {
  ASSERT_EQ(a.vertexCount, b.vertexCount);
  ASSERT_EQ(a.faceCount, b.faceCount);
  ASSERT_EQ(a.texVertexCount, b.texVertexCount);
  ASSERT_EQ(a.texFaceCount, b.texFaceCount);
  EXPECT_EQ(a.materialIndex, b.materialIndex);
  for (uint32_t v = 0; v < a.vertexCount; ++v) {
    EXPECT_EQ(0, std::memcmp(&a.vertices[v], &b.vertices[v], sizeof(Vertex))) << "vertex " << v;
  }
  for (uint32_t f = 0; f < a.faceCount; ++f) {
    const Face& x = a.faces[f];
    const Face& y = b.faces[f];
    EXPECT_SAME_FLOATS(x.index, y.index, 3);
    EXPECT_SAME_FLOATS(x.faceNormal, y.faceNormal, 3);
    for (int k = 0; k < 3; ++k) {
      EXPECT_SAME_FLOATS(x.cornerNormal[k], y.cornerNormal[k], 3);
      EXPECT_EQ(x.vertex[k], &a.vertices[x.index[k]]) << "face " << f;
      EXPECT_EQ(y.vertex[k], &b.vertices[y.index[k]]) << "face " << f;
    }
  }
  for (uint32_t t = 0; t < a.texVertexCount; ++t) {
    EXPECT_EQ(a.texVertices[t].u, b.texVertices[t].u);
    EXPECT_EQ(a.texVertices[t].v, b.texVertices[t].v);
  }
  for (uint32_t f = 0; f < a.texFaceCount; ++f) {
    EXPECT_SAME_FLOATS(a.texFaces[f].index, b.texFaces[f].index, 3);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(a.texFaces[f].texVertex[k], &a.texVertices[a.texFaces[f].index[k]]);
      EXPECT_EQ(b.texFaces[f].texVertex[k], &b.texVertices[b.texFaces[f].index[k]]);
    }
  }
}

void ExpectSameCameraFrame(const CameraFrame& a, const CameraFrame& b) {
  EXPECT_SAME_FLOATS(a.position, b.position, 3);
  EXPECT_SAME_FLOATS(a.target, b.target, 3);
  EXPECT_EQ(a.fov, b.fov);
  EXPECT_EQ(a.filled, b.filled);
}

void ExpectSameLightFrame(const LightFrame& a, const LightFrame& b) {
  EXPECT_EQ(a.lightNumber, b.lightNumber);
  EXPECT_SAME_FLOATS(a.color, b.color, 4);
  EXPECT_SAME_FLOATS(a.position, b.position, 4);
}

}  // namespace

void ExpectSameScene(const Scene& a, const Scene& b, bool normalizedBitmaps) {
  const SceneParams& p = a.params;
  const SceneParams& q = b.params;
  EXPECT_EQ(p.lastFrame, q.lastFrame);
  EXPECT_EQ(p.frameSpeed, q.frameSpeed);
  EXPECT_EQ(p.ticksPerFrame, q.ticksPerFrame);
  EXPECT_SAME_FLOATS(p.background, q.background, 3);
  EXPECT_SAME_FLOATS(p.ambient, q.ambient, 3);
  EXPECT_SAME_FLOATS(p.fogColor, q.fogColor, 4);
  EXPECT_EQ(p.fogDensity, q.fogDensity);
  EXPECT_EQ(p.fogEnd, q.fogEnd);
  EXPECT_EQ(p.fogStart, q.fogStart);
  EXPECT_EQ(p.fogEnabled, q.fogEnabled);

  ASSERT_EQ(a.objectCount, b.objectCount);
  for (uint32_t i = 0; i < a.objectCount; ++i) {
    SCOPED_TRACE("object " + std::to_string(i));
    ExpectSameObject(a.objects[i], b.objects[i]);
  }
  ASSERT_EQ(a.materialCount, b.materialCount);
  for (uint32_t i = 0; i < a.materialCount; ++i) {
    SCOPED_TRACE("material " + std::to_string(i));
    const MaterialHeader& x = a.materials[i].header;
    const MaterialHeader& y = b.materials[i].header;
    EXPECT_EQ(x.index, y.index);
    EXPECT_SAME_FLOATS(x.ambient, y.ambient, 4);
    EXPECT_SAME_FLOATS(x.diffuse, y.diffuse, 4);
    EXPECT_SAME_FLOATS(x.specular, y.specular, 4);
    EXPECT_SAME_FLOATS(x.emission, y.emission, 3);
    EXPECT_EQ(x.twoSided, y.twoSided);
    EXPECT_EQ(x.shine, y.shine);
    ASSERT_EQ(x.mapCount, y.mapCount);
    for (uint32_t k = 0; k < x.mapCount; ++k) {
      const TextureMap& m = a.materials[i].maps[k];
      const TextureMap& n = b.materials[i].maps[k];
      EXPECT_EQ(normalizedBitmaps ? Normalized(m.bitmap) : std::string(m.bitmap), std::string(n.bitmap));
      EXPECT_EQ(m.spherical, n.spherical);
      EXPECT_EQ(m.uTiling, n.uTiling);
      EXPECT_EQ(m.vTiling, n.vTiling);
      EXPECT_EQ(m.uOffset, n.uOffset);
      EXPECT_EQ(m.vOffset, n.vOffset);
    }
  }
  ASSERT_EQ(a.cameraCount, b.cameraCount);
  for (uint32_t i = 0; i < a.cameraCount; ++i) {
    SCOPED_TRACE("camera " + std::to_string(i));
    ExpectSameCameraFrame(a.cameras[i].frame, b.cameras[i].frame);
    ASSERT_EQ(a.cameras[i].trackLength, b.cameras[i].trackLength);
    for (uint32_t k = 0; k < a.cameras[i].trackLength; ++k)
      ExpectSameCameraFrame(a.cameras[i].track[k], b.cameras[i].track[k]);
  }
  ASSERT_EQ(a.lightCount, b.lightCount);
  for (uint32_t i = 0; i < a.lightCount; ++i) {
    SCOPED_TRACE("light " + std::to_string(i));
    ExpectSameLightFrame(a.lights[i].frame, b.lights[i].frame);
    EXPECT_EQ(a.lights[i].hasFlare, b.lights[i].hasFlare);
    ASSERT_EQ(a.lights[i].trackLength, b.lights[i].trackLength);
    for (uint32_t k = 0; k < a.lights[i].trackLength; ++k)
      ExpectSameLightFrame(a.lights[i].track[k], b.lights[i].track[k]);
  }
}
