#include "render/AquaDeformation.h"

#include <cmath>
#include <new>

namespace {

// Degrees to radians with the 3.14 the effect was tuned with; multiply first, then divide.
double rad(double t) { return t * 3.14 / 180; }

}  // namespace

void SceneObject::copyCornerNormals() {
  if (!facesReady || !verticesReady) return;
  for (uint32_t f = 0; f < faceCount; ++f) {
    const Face& face = faces[f];
    for (int k = 0; k < 3; ++k) {
      if (face.index[k] >= vertexCount) continue;
      float* normal = vertices[face.index[k]].normal;
      normal[0] = face.cornerNormal[k][0];
      normal[1] = face.cornerNormal[k][1];
      normal[2] = face.cornerNormal[k][2];
    }
  }
}

void SceneObject::prepareDeformation() {
  // A second preparation would take the deformed positions as the rest shape.
  if (!verticesReady || restVerticesReady) return;
  restVertices = new (std::nothrow) Vertex[vertexCount];
  if (!restVertices) return;
  restVerticesReady = true;
  for (uint32_t i = vertexCount; i-- > 0;) {
    restVertices[i] = vertices[i];
    vertices[i].normal[0] = vertices[i].normal[1] = vertices[i].normal[2] = 0;
  }
}

void deformVertices(SceneObject& object) {
  if (!object.restVerticesReady || !object.verticesReady) return;
  const double phase = object.deformPhase;
  for (uint32_t i = object.vertexCount; i-- > 0;) {
    const Vertex& rest = object.restVertices[i];
    const double rx = rest.position[0], ry = rest.position[1], rz = rest.position[2];
    const double nx = rest.normal[0], ny = rest.normal[1], nz = rest.normal[2];
    // Stored in single precision, and used from there on as stored.
    const float x1 = static_cast<float>(std::cos(rad(phase + 2 * ry)) * nx * 25 + rx - 5);
    const float y1 = static_cast<float>(std::cos(rad(-phase + 10 * rz)) * ny * 25 + ry - 5);
    const float z1 = static_cast<float>(std::cos(rad(phase + 4 * rx)) * nz * 25 + rz);
    const float twist = static_cast<float>(rad(std::cos(rad(phase + y1)) * 50));
    const double c = std::cos(twist), s = std::sin(twist);
    float* position = object.vertices[i].position;
    position[0] = static_cast<float>(c * x1 - s * z1);
    position[1] = y1;
    position[2] = static_cast<float>(s * x1 + c * z1);
  }
}

void advanceDeformation(SceneObject& object) {
  if (object.restVerticesReady) object.deformPhase += 3;
}

void settleDeformation(SceneObject& object) {
  if (!object.restVerticesReady || !object.verticesReady) return;
  if (object.deformPhase == 0) {
    for (uint32_t i = 0; i < object.vertexCount; ++i)
      for (int k = 0; k < 3; ++k)
        object.vertices[i].position[k] = object.restVertices[i].position[k];
    return;
  }
  object.deformPhase -= 3;
  deformVertices(object);
  object.deformPhase += 3;
}

void SceneObject::drawDeformed() {
  deformVertices(*this);
  advanceDeformation(*this);
  drawMesh();
}
