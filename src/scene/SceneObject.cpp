#include "scene/SceneObject.h"

#include "scene/CheckedArray.h"

namespace {

const char kNoVertices[] = "No esta iniciado el vector de vertices";
const char kNoTexVertices[] = "No esta iniciado el vector de Tvertices";
const char kNoFaces[] = "No esta iniciado el vector de caras";
const char kNoTexFaces[] = "No esta iniciado el vector de Tcaras";

// Frees the array a second set-up replaces, then allocates the new one.
template <typename T>
T* Replace(T*& array, uint32_t& count, bool& ready, uint32_t n, checked::Elements elements) {
  T* old = array;
  checked::Allocate(array, count, ready, n, elements);
  return old;
}

// After the elements were replaced, corner references that pointed into the old array point
// at the same index of the new one, or nowhere when the new array is shorter.
template <typename Corner, typename Element>
void Relink(Corner* corners, uint32_t cornerCount, Element* (Corner::*refs)[3],
            Element* elements, uint32_t elementCount) {
  if (!corners) return;
  for (uint32_t f = 0; f < cornerCount; ++f)
    for (int k = 0; k < 3; ++k) {
      Element*& ref = (corners[f].*refs)[k];
      if (!ref) continue;
      const uint32_t index = corners[f].index[k];
      ref = index < elementCount ? &elements[index] : nullptr;
    }
}

// The flag is cleared with the array, so a later release cannot free it twice.
void DropRestCopy(SceneObject& object) {
  delete[] object.restVertices;
  object.restVertices = nullptr;
  object.restVerticesReady = false;
}

}  // namespace

void SceneObject::setupVertices(uint32_t n, checked::Elements elements) {
  Vertex* old = Replace(vertices, vertexCount, verticesReady, n, elements);
  if (!old) return;
  if (facesReady) Relink(faces, faceCount, &Face::vertex, vertices, vertexCount);
  checked::DeleteArray(old);
  // The rest copy belongs to the old vertices; the deformation must never walk it with the
  // new count.
  DropRestCopy(*this);
}

void SceneObject::setupTexVertices(uint32_t n, checked::Elements elements) {
  TexVertex* old = Replace(texVertices, texVertexCount, texVerticesReady, n, elements);
  if (!old) return;
  if (texFacesReady)
    Relink(texFaces, texFaceCount, &TexFace::texVertex, texVertices, texVertexCount);
  checked::DeleteArray(old);
}

void SceneObject::setupFaces(uint32_t n, checked::Elements elements) {
  checked::DeleteArray(Replace(faces, faceCount, facesReady, n, elements));
}

void SceneObject::setupTexFaces(uint32_t n, checked::Elements elements) {
  checked::DeleteArray(Replace(texFaces, texFaceCount, texFacesReady, n, elements));
}

void SceneObject::setVertex(uint32_t i, const Vertex& value) {
  checked::Store(vertices, verticesReady, vertexCount, i, value, kNoVertices);
}

void SceneObject::setFace(uint32_t i, const Face& value) {
  checked::Store(faces, facesReady, faceCount, i, value, kNoFaces);
}

void SceneObject::setTexVertex(uint32_t i, const TexVertex& value) {
  checked::Store(texVertices, texVerticesReady, texVertexCount, i, value, kNoTexVertices);
}

void SceneObject::setTexFace(uint32_t i, const TexFace& value) {
  checked::Store(texFaces, texFacesReady, texFaceCount, i, value, kNoTexFaces);
}

Vertex SceneObject::getVertex(uint32_t i) const {
  return checked::Read(vertices, verticesReady, vertexCount, i, kNoVertices);
}

Face SceneObject::getFace(uint32_t i) const {
  return checked::Read(faces, facesReady, faceCount, i, kNoFaces);
}

TexVertex SceneObject::getTexVertex(uint32_t i) const {
  return checked::Read(texVertices, texVerticesReady, texVertexCount, i, kNoTexVertices);
}

TexFace SceneObject::getTexFace(uint32_t i) const {
  return checked::Read(texFaces, texFacesReady, texFaceCount, i, kNoTexFaces);
}

bool SceneObject::release() {
  motion.freeTrack();
  const bool hadVertices = checked::Free(vertices, vertexCount, verticesReady);
  DropRestCopy(*this);
  const bool hadTexVertices = checked::Free(texVertices, texVertexCount, texVerticesReady);
  const bool hadFaces = checked::Free(faces, faceCount, facesReady);
  const bool hadTexFaces = checked::Free(texFaces, texFaceCount, texFacesReady);
  return hadVertices || hadTexVertices || hadFaces || hadTexFaces;
}
