#pragma once
// A geometric object. Its first thirteen fields are its Mesh: four arrays, each with a Ready
// flag (set up or not) and a count that is meaningful only while the flag is set.
//
// The object is a plain value: a copy shares the arrays and frees nothing. Only release (called
// by the owning Scene's release) frees them.
//
// Counts are public fields; their getters carry a "get" prefix because a C++ class cannot have
// a field and a function of the same name.
#include <cstdint>

#include "scene/CheckedArray.h"
#include "scene/PositionTrack.h"
#include "scene/SceneRecords.h"

struct Material;

// Samples of object tracks a scene may hold in all (64 bytes each): past it, the readers leave
// objects in their first pose, so a small file cannot ask for gigabytes.
constexpr uint64_t kMostObjectFrames = 2000000;

struct SceneObject {
  Vertex* vertices = nullptr;
  Vertex* restVertices = nullptr;  // rest copy made by prepareDeformation
  bool verticesReady = false;
  uint32_t vertexCount = 0;
  Face* faces = nullptr;
  bool facesReady = false;
  uint32_t faceCount = 0;
  TexVertex* texVertices = nullptr;
  bool texVerticesReady = false;
  uint32_t texVertexCount = 0;
  TexFace* texFaces = nullptr;
  bool texFacesReady = false;
  uint32_t texFaceCount = 0;

  int32_t materialIndex = 0;     // into the scene's materials
  Material* material = nullptr;  // bound after loading; not owned
  char name[256] = {};           // node name; nothing reads it
  int32_t deformPhase = 0;       // phase of the aqua deformation
  bool restVerticesReady = false;
  // Where a moving object stands at each frame; empty for an object that stays where its
  // vertices lie (the track is freed by release, like the mesh).
  PositionTrack<ObjectFrame> motion;
  // Each vertex carries its colour (r, g, b, a) in its reserved field, multiplying the
  // material's.
  bool vertexColours = false;

  // n default-constructed elements (or, asked so, elements the caller constructs); the count
  // becomes n and the flag true. A second call frees the array it replaces: faces then point
  // into the new vertex array (texture faces into the new texture vertices) and a rest copy of
  // the old vertices is dropped.
  void setupVertices(uint32_t n, checked::Elements elements = checked::Elements::kDefault);
  void setupFaces(uint32_t n, checked::Elements elements = checked::Elements::kDefault);
  void setupTexVertices(uint32_t n, checked::Elements elements = checked::Elements::kDefault);
  void setupTexFaces(uint32_t n, checked::Elements elements = checked::Elements::kDefault);

  // Checked stores: refused (with a message box) before set-up or at i >= count.
  void setVertex(uint32_t i, const Vertex& value);
  void setFace(uint32_t i, const Face& value);
  void setTexVertex(uint32_t i, const TexVertex& value);
  void setTexFace(uint32_t i, const TexFace& value);

  // Checked reads: before set-up the program ends (status 1) after a message box; at
  // i >= count a message box reports the truncation and the last element is returned (a
  // default-constructed one when the array is empty).
  Vertex getVertex(uint32_t i) const;
  Face getFace(uint32_t i) const;
  TexVertex getTexVertex(uint32_t i) const;
  TexFace getTexFace(uint32_t i) const;

  // Unchecked: the readers derive Face.vertex and TexFace.texVertex with them.
  Vertex& vertexRef(uint32_t i) { return vertices[i]; }
  TexVertex& texVertexRef(uint32_t i) { return texVertices[i]; }

  uint32_t getVertexCount() const { return vertexCount; }
  uint32_t getFaceCount() const { return faceCount; }
  uint32_t getTexVertexCount() const { return texVertexCount; }
  uint32_t getTexFaceCount() const { return texFaceCount; }
  int32_t getMaterialIndex() const { return materialIndex; }
  void setMaterialIndex(int32_t index) { materialIndex = index; }
  void bindMaterial(Material* target) { material = target; }
  void setName(const char* text) { CopyName(name, text); }

  // Frees the four mesh arrays, the rest copy and the motion track; true when at least one mesh
  // array was set up.
  bool release();

  // Defined by the renderer: the triangles with their normals and texture coordinates.
  void drawMesh();
  // Defined with the deformation effects.
  void copyCornerNormals();
  void prepareDeformation();
  void drawDeformed();
};
