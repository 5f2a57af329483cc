#include "scene/ImportedScene.h"

#include <cmath>
#include <cstdio>

#include "scene/ImpossibleValues.h"
#include "scene/Scene.h"

namespace {

// In double: the products of coordinates near a float's limit would overflow in float.
void FaceNormal(const float* a, const float* b, const float* c, float n[3]) {
  const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
  const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
  const double d[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                       u[0] * v[1] - u[1] * v[0]};
  const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  // A degenerate triangle keeps a zero normal rather than a division by zero.
  for (int k = 0; k < 3; ++k) n[k] = length > 0 ? static_cast<float>(d[k] / length) : 0.0f;
}

bool Within(const std::vector<uint32_t>& indices, size_t count) {
  for (uint32_t i : indices)
    if (i >= count) return false;
  return true;
}

}  // namespace

bool ImportedScene::addObject(const ImportedTriangles& mesh, int32_t materialIndex,
                              const std::string& name) {
  const size_t vertexCount = mesh.positions.size() / 3, faceCount = mesh.faces.size() / 3;
  const size_t texVertexCount = mesh.uvs.size() / 2;
  const bool textured = !mesh.uvFaces.empty();
  if (!Within(mesh.faces, vertexCount) || (textured && mesh.uvFaces.size() != mesh.faces.size()) ||
      !Within(mesh.uvFaces, texVertexCount) ||
      (!mesh.cornerNormals.empty() && mesh.cornerNormals.size() != faceCount * 9) ||
      (!mesh.colours.empty() && mesh.colours.size() != vertexCount * 4) ||
      vertexCount > UINT32_MAX || faceCount > UINT32_MAX)
    return false;

  SceneObject object;
  object.setName(name.c_str());
  object.setMaterialIndex(materialIndex);
  object.setupVertices(static_cast<uint32_t>(vertexCount));
  object.setupFaces(static_cast<uint32_t>(faceCount));
  object.setupTexVertices(textured ? static_cast<uint32_t>(texVertexCount) : 0);
  object.setupTexFaces(textured ? static_cast<uint32_t>(faceCount) : 0);
  if ((vertexCount && !object.vertices) || (faceCount && !object.faces) ||
      (textured && (!object.texFaces || (texVertexCount && !object.texVertices)))) {
    object.release();
    return false;
  }
  for (size_t i = 0; i < vertexCount; ++i)
    for (int k = 0; k < 3; ++k) object.vertices[i].position[k] = mesh.positions[i * 3 + k];
  object.vertexColours = !mesh.colours.empty();
  for (size_t i = 0; object.vertexColours && i < vertexCount; ++i)
    for (int k = 0; k < 4; ++k) object.vertices[i].reserved[k] = mesh.colours[i * 4 + k];
  for (size_t i = 0; textured && i < texVertexCount; ++i) {
    object.texVertices[i].u = mesh.uvs[i * 2];
    object.texVertices[i].v = mesh.uvs[i * 2 + 1];
  }
  for (size_t f = 0; f < faceCount; ++f) {
    Face& face = object.faces[f];
    for (int k = 0; k < 3; ++k) {
      face.index[k] = mesh.faces[f * 3 + k];
      face.vertex[k] = &object.vertices[face.index[k]];
    }
    FaceNormal(face.vertex[0]->position, face.vertex[1]->position, face.vertex[2]->position,
               face.faceNormal);
    for (int k = 0; k < 3; ++k)
      for (int c = 0; c < 3; ++c)
        face.cornerNormal[k][c] =
            mesh.cornerNormals.empty() ? face.faceNormal[c] : mesh.cornerNormals[f * 9 + k * 3 + c];
    if (!textured) continue;
    TexFace& texFace = object.texFaces[f];
    for (int k = 0; k < 3; ++k) {
      texFace.index[k] = mesh.uvFaces[f * 3 + k];
      texFace.texVertex[k] = &object.texVertices[texFace.index[k]];
    }
  }
  objects.push_back(object);
  return true;
}

SceneParams ImportedParams(int32_t lastFrame) {
  SceneParams params;
  params.lastFrame = lastFrame;
  params.frameSpeed = kImportFrameRate;
  params.ticksPerFrame = 160;  // what modellers' ASE exports write; nothing reads it
  return params;
}

ImportResult ImportUnreadable(const char* path) {
  std::printf("]> ** ERROR ** The file [ %s ] is not there or cannot be read. **\n", path);
  return ImportResult::unreadable;
}

ImportResult ImportRefused(const char* path, const std::string& why) {
  std::printf("]> ** ERROR ** [ %s ] %s.\n", path, why.c_str());
  return ImportResult::unreadable;
}

ImportResult ImportedScene::finish(const char* path, Scene& scene) {
  const ImportResult result = objects.empty() ? ImportResult::noObjects : ImportResult::complete;
  if (result == ImportResult::noObjects)
    std::printf("]> ** WARNING ** No mesh in [ %s ]: nothing to draw.\n", path);
  scene.setupObjects(static_cast<uint32_t>(objects.size()));
  scene.setupMaterials(static_cast<uint32_t>(materials.size()));
  scene.setupCameras(static_cast<uint32_t>(cameras.size()));
  scene.setupLights(static_cast<uint32_t>(lights.size()));
  for (size_t i = 0; i < objects.size(); ++i) scene.setObject(static_cast<uint32_t>(i), objects[i]);
  for (size_t i = 0; i < materials.size(); ++i)
    scene.setMaterial(static_cast<uint32_t>(i), materials[i]);
  for (size_t i = 0; i < cameras.size(); ++i) scene.setCamera(static_cast<uint32_t>(i), cameras[i]);
  for (size_t i = 0; i < lights.size(); ++i) scene.setLight(static_cast<uint32_t>(i), lights[i]);
  objects.clear();
  materials.clear();
  cameras.clear();
  lights.clear();
  if (!ValuesArePossible(path, scene)) {
    scene.release();
    return ImportResult::unreadable;
  }
  std::printf("\n Leidos: %u Objetos - %u Materiales - %u Camaras - %u Luces.\n", scene.objectCount,
              scene.materialCount, scene.cameraCount, scene.lightCount);
  return result;
}

void ImportedScene::discard() {
  for (SceneObject& object : objects) object.release();
  for (SceneCamera& camera : cameras) camera.freeTrack();
  for (SceneLight& light : lights) light.freeTrack();
  objects.clear();
  materials.clear();
  cameras.clear();
  lights.clear();
}

void ImportWarnings::warn(const std::string& what) {
  if (!told_.insert(what).second) return;
  std::printf("]> ** WARNING ** [ %s ] %s\n", path_.c_str(), what.c_str());
}

Material ImportedMaterial(int32_t index, const float rgb[3], float alpha, const float emission[3],
                          bool twoSided, const std::string& texture) {
  Material material;
  MaterialHeader& header = material.header;
  header.index = index;
  for (int c = 0; c < 3; ++c) {
    header.ambient[c] = header.diffuse[c] = rgb[c];
    header.emission[c] = emission[c];
  }
  header.ambient[3] = header.diffuse[3] = header.specular[3] = alpha;
  header.twoSided = twoSided;
  if (!texture.empty()) {
    header.mapCount = 1;
    material.maps[0].setBitmap(texture.c_str());
    // The renderer scales coordinates by the tiling: 1 draws the image once over 0..1.
    material.maps[0].setUTiling(1);
    material.maps[0].setVTiling(1);
  }
  return material;
}

std::string BesideSceneFile(const std::string& scenePath, const std::string& name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos)
    return "";
  std::string relative;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    const std::string piece = name.substr(start, end - start);
    if (piece == "..") return "";
    if (!piece.empty() && piece != ".") relative += (relative.empty() ? "" : "\\") + piece;
    start = end + 1;
  }
  const size_t slash = scenePath.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : scenePath.substr(0, slash + 1);
  return relative.empty() ? "" : folder + relative;
}
