// The shader back end's 3D pass: meshes in vertex buffers, lit, textured and fogged as the
// fixed-function pipeline did; lens flares; particles.
#include <cmath>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <unordered_map>

#include "particles/ParticleSystem.h"
#include "platform/GLWindow.h"
#include "render/AquaDeformation.h"
#include "render/SceneRenderer.h"
#include "render/gl3/Gl3Api.h"
#include "render/gl3/Gl3Renderer.h"
#include "scene/Scene.h"

namespace {

constexpr int kLights = 7;        // GL_LIGHT0 and the six scene slots
constexpr float kFlareHalf = 60;  // half the side of a flare's square, in eye units

using Quad = Gl3Renderer::Vertex[4];

// A camera-facing square around eye-space point e, its texture upright.
void AppendSquare(std::vector<Gl3Renderer::Vertex>& out, const float e[3], float half) {
  const Quad quad = {{{e[0] - half, e[1] - half, e[2]}, {0, 0, 1}, {0, 0}, {0, 0}},
                     {{e[0] - half, e[1] + half, e[2]}, {0, 0, 1}, {0, 1}, {0, 0}},
                     {{e[0] + half, e[1] + half, e[2]}, {0, 0, 1}, {1, 1}, {0, 0}},
                     {{e[0] + half, e[1] - half, e[2]}, {0, 0, 1}, {1, 0}, {0, 0}}};
  for (int k : {0, 1, 2, 0, 2, 3}) out.push_back(quad[k]);
}

}  // namespace

Mat4 Gl3Renderer::Projection(const GLWindow& window) const {
  const double aspect = static_cast<double>(window.GetPictureWidth()) /
                        static_cast<double>(window.GetPictureHeight());
  return Mat4::Perspective(window.m_projectionFov, aspect, 1.0, 50000.0);
}

void Gl3Renderer::SetSceneView(const SceneView& view) {
  m_view = view;
  ++m_viewNumber;
}

const ShaderProgram* Gl3Renderer::UseSceneVariant(uint32_t features) {
  if (m_view.fog.enabled) features |= kFog;
  Variant& variant = m_sceneVariants[features % kVariants];
  if (variant.failed) return nullptr;
  if (!variant.program.program) {
    const int maps = features & kTwoMaps ? 2 : features & kOneMap ? 1 : 0;
    const std::string defines = "#define LIT " + std::to_string(features & kLit ? 1 : 0) +
                                "\n#define MAPS " + std::to_string(maps) + "\n#define SPHERE0 " +
                                std::to_string(features & kSphere0 ? 1 : 0) + "\n#define SPHERE1 " +
                                std::to_string(features & kSphere1 ? 1 : 0) + "\n#define FOG " +
                                std::to_string(features & kFog ? 1 : 0) + "\n#define ALPHA_TEST " +
                                std::to_string(features & kAlphaTest ? 1 : 0) + "\n";
    std::string error;
    if (!variant.program.Build("scene.glsl", kShader_scene, error, defines)) {
      Fault(error);
      variant.failed = true;
      return nullptr;
    }
    const ShaderProgram& program = variant.program;
    program.Use();
    gl3.Uniform1i(program.Uniform("u_map0"), 0);
    gl3.Uniform1i(program.Uniform("u_map1"), 1);
  }
  const ShaderProgram& program = variant.program;
  program.Use();
  if (variant.view != m_viewNumber) {
    variant.view = m_viewNumber;
    gl3.UniformMatrix4fv(program.Uniform("u_projection"), 1, GL_FALSE, m_view.projection.m);
    gl3.UniformMatrix4fv(program.Uniform("u_modelview"), 1, GL_FALSE, m_view.modelview.m);
    gl3.Uniform3fv(program.Uniform("u_fogColor"), 1, m_view.fog.color);
    gl3.Uniform1f(program.Uniform("u_fogStart"), m_view.fog.start);
    gl3.Uniform1f(program.Uniform("u_fogEnd"), m_view.fog.end);
    gl3.Uniform1i(program.Uniform("u_normalise"), m_view.normalise ? 1 : 0);
    gl3.UniformMatrix3fv(program.Uniform("u_normalMatrix"), 1, GL_FALSE, m_view.normalMatrix);
    gl3.Uniform1i(program.Uniform("u_lightCount"), m_view.lightCount);
    if (m_view.lightCount > 0) {
      gl3.Uniform4fv(program.Uniform("u_lightPosition"), m_view.lightCount,
                     m_view.lightPositions[0]);
      gl3.Uniform3fv(program.Uniform("u_lightDiffuse"), m_view.lightCount, m_view.lightDiffuse[0]);
      gl3.Uniform4fv(program.Uniform("u_lightSpot"), m_view.lightCount, m_view.lightSpots[0]);
      gl3.Uniform4fv(program.Uniform("u_lightFading"), m_view.lightCount, m_view.lightFading[0]);
    }
  }
  return &program;
}

// Blending, depth writes, culling, colour and maps as the material asks.
bool Gl3Renderer::SetMaterial(const Material& material) {
  const MaterialHeader& header = material.header;
  applyMaterialBlend(header);
  const MaterialLook& look = material.look;
  const uint32_t maps = header.mapCount < 2 ? header.mapCount : 2;
  uint32_t features = (look.unlit ? 0 : kLit) | (look.alphaCutoff > 0 ? kAlphaTest : 0) |
                      (maps == 2 ? kTwoMaps : maps == 1 ? kOneMap : 0);
  for (uint32_t k = 0; k < maps; ++k) {
    gl3.ActiveTexture(GL_TEXTURE0 + k);
    glBindTexture(GL_TEXTURE_2D, material.maps[k].texture);
    applyWrap(look);
    if (material.maps[k].spherical) features |= k == 0 ? kSphere0 : kSphere1;
  }
  gl3.ActiveTexture(GL_TEXTURE0);
  const ShaderProgram* program = UseSceneVariant(features);
  if (!program) return false;
  gl3.Uniform4fv(program->Uniform("u_color"), 1, header.ambient);
  if (look.alphaCutoff > 0) gl3.Uniform1f(program->Uniform("u_alphaCutoff"), look.alphaCutoff);
  const float none[3] = {0, 0, 0};
  gl3.Uniform3fv(program->Uniform("u_emission"), 1,
                 header.emission[0] > 0 ? header.emission : none);
  return true;
}

// Corners in the order the classic renderer sends them; a corner without texture coordinates of
// its own keeps the ones before it, as the pipeline's current coordinates did. Corners alike in
// every attribute are sent once and indexed: the vertex stage then runs once for each.
void Gl3Renderer::UploadMesh(Mesh& mesh, const SceneObject& object) {
  mesh.faces = object.faces;
  mesh.faceCount = object.faceCount;
  mesh.streamed = object.restVerticesReady;
  mesh.cornerPositions.clear();
  struct Corner {
    const float* position;
    float attributes[7];  // normal, first and second map's coordinates
    bool operator==(const Corner& other) const {
      return position == other.position &&
             std::memcmp(attributes, other.attributes, sizeof attributes) == 0;
    }
  };
  struct CornerHash {
    size_t operator()(const Corner& corner) const {
      size_t hash = std::hash<const void*>()(corner.position);
      for (float value : corner.attributes) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        hash = hash * 1000003u ^ bits;
      }
      return hash;
    }
  };
  std::unordered_map<Corner, uint32_t, CornerHash> seen;
  std::vector<float> positions, attributes, colours;
  std::vector<uint32_t> indices;
  const Material* material = object.material;
  const bool textured =
      material && object.texFacesReady && object.texVerticesReady && object.texVertexCount > 0;
  const bool twoMaps = textured && material->header.mapCount >= 2;
  float uv0[2] = {0, 0}, uv1[2] = {0, 0};
  for (uint32_t f = 0; object.facesReady && f < object.faceCount; ++f) {
    const Face& face = object.faces[f];
    if (!face.vertex[0] || !face.vertex[1] || !face.vertex[2]) continue;
    const TexFace* texFace = textured && f < object.texFaceCount ? &object.texFaces[f] : nullptr;
    for (int k = 0; k < 3; ++k) {
      if (texFace && texFace->texVertex[k]) {
        const TexVertex& uv = *texFace->texVertex[k];
        uv0[0] = material->maps[0].uTiling * uv.u;
        uv0[1] = material->maps[0].vTiling * uv.v;
        if (twoMaps) {
          uv1[0] = material->maps[1].uTiling * uv.u;
          uv1[1] = material->maps[1].vTiling * uv.v;
        }
      }
      const float* n = face.cornerNormal[k];
      const Corner corner{face.vertex[k]->position,
                          {n[0], n[1], n[2], uv0[0], uv0[1], uv1[0], uv1[1]}};
      const auto found = seen.emplace(corner, static_cast<uint32_t>(seen.size()));
      indices.push_back(found.first->second);
      if (!found.second) continue;
      mesh.cornerPositions.push_back(corner.position);
      positions.insert(positions.end(), corner.position, corner.position + 3);
      if (object.vertexColours)
        colours.insert(colours.end(), face.vertex[k]->reserved, face.vertex[k]->reserved + 4);
      attributes.insert(attributes.end(), corner.attributes, corner.attributes + 7);
    }
  }
  mesh.corners = static_cast<int32_t>(indices.size());

  // Only the rippling objects keep their corners: the others never change.
  if (!mesh.streamed) mesh.cornerPositions.clear();
  if (!mesh.array) {
    gl3.GenVertexArrays(1, &mesh.array);
    gl3.GenBuffers(1, &mesh.positions);
    gl3.GenBuffers(1, &mesh.attributes);
    gl3.GenBuffers(1, &mesh.indices);
  }
  gl3.BindVertexArray(mesh.array);
  gl3.BindBuffer(GL_ARRAY_BUFFER, mesh.positions);
  gl3.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(positions.size() * sizeof(float)),
                 positions.data(), mesh.streamed ? GL_STREAM_DRAW : GL_STATIC_DRAW);
  gl3.VertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
  gl3.EnableVertexAttribArray(0);
  gl3.BindBuffer(GL_ARRAY_BUFFER, mesh.attributes);
  gl3.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(attributes.size() * sizeof(float)),
                 attributes.data(), GL_STATIC_DRAW);
  const GLsizei stride = 7 * sizeof(float);
  gl3.VertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
  gl3.VertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(3 * sizeof(float)));
  gl3.VertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(5 * sizeof(float)));
  for (uint32_t a = 1; a < 4; ++a) gl3.EnableVertexAttribArray(a);
  // Colours only where the object has them; the others read the attribute's constant white.
  if (object.vertexColours) {
    if (!mesh.colours) gl3.GenBuffers(1, &mesh.colours);
    gl3.BindBuffer(GL_ARRAY_BUFFER, mesh.colours);
    gl3.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(colours.size() * sizeof(float)),
                   colours.data(), GL_STATIC_DRAW);
    gl3.VertexAttribPointer(kColourAttribute, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    gl3.EnableVertexAttribArray(kColourAttribute);
  } else {
    gl3.DisableVertexAttribArray(kColourAttribute);
  }
  gl3.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indices);
  gl3.BufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(indices.size() * sizeof(uint32_t)), indices.data(),
                 GL_STATIC_DRAW);
  gl3.BindVertexArray(0);
}

// Made at first use where the scene was not prepared, and again where its arrays were replaced.
Gl3Renderer::Mesh& Gl3Renderer::MeshOf(const SceneObject& object) {
  Mesh& mesh = m_meshes[&object];
  if (mesh.faces != object.faces || mesh.faceCount != object.faceCount || !mesh.array ||
      mesh.streamed != object.restVerticesReady)
    UploadMesh(mesh, object);
  return mesh;
}

void Gl3Renderer::PrepareScene(Scene& scene) {
  for (uint32_t i = 0; scene.objectsReady && i < scene.objectCount; ++i) MeshOf(scene.objects[i]);
}

void Gl3Renderer::ForgetScene(Scene& scene) {
  for (uint32_t i = 0; scene.objectsReady && i < scene.objectCount; ++i) {
    const auto found = m_meshes.find(&scene.objects[i]);
    if (found == m_meshes.end()) continue;
    Mesh& mesh = found->second;
    gl3.DeleteVertexArrays(1, &mesh.array);
    const uint32_t buffers[] = {mesh.positions, mesh.attributes, mesh.indices, mesh.colours};
    gl3.DeleteBuffers(mesh.colours ? 4 : 3, buffers);
    m_meshes.erase(found);
  }
}

void Gl3Renderer::DrawQuads(const std::vector<Vertex>& corners, uint32_t texture,
                            const float color[4]) {
  const ShaderProgram* program = UseSceneVariant(texture ? kOneMap : 0);
  if (!program) return;
  gl3.Uniform4fv(program->Uniform("u_color"), 1, color);
  gl3.ActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  gl3.BindVertexArray(m_streamArray);
  gl3.BindBuffer(GL_ARRAY_BUFFER, m_streamBuffer);
  gl3.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(Vertex)),
                 corners.data(), GL_STREAM_DRAW);
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(corners.size()));
}

void Gl3Renderer::DrawObject(Scene& scene, SceneObject& object, bool transparent) {
  const Material* material = materialInPass(scene, object, transparent);
  if (!material) return;
  if (scene.aquaEnabled) {
    deformVertices(object);
    advanceDeformation(object);
  }
  Mesh& mesh = MeshOf(object);
  // A moving object is drawn from the view carried by its place at this frame.
  const ObjectFrame* motion = object.motion.looped(animFrameIndex(scene.animFrame));
  if (!motion) {
    DrawMesh(mesh, *material);
    return;
  }
  const SceneView still = m_view;
  SceneView moved = still;
  Mat4 place;
  std::memcpy(place.m, motion->matrix, sizeof place.m);
  moved.modelview = still.modelview * place;
  moved.modelview.NormalMatrix(moved.normalMatrix);
  moved.normalise = true;
  SetSceneView(moved);
  DrawMesh(mesh, *material);
  SetSceneView(still);
}

void Gl3Renderer::DrawMesh(Mesh& mesh, const Material& material) {
  if (!SetMaterial(material) || mesh.corners == 0) return;
  if (mesh.streamed) {
    std::vector<float> positions;
    positions.reserve(mesh.cornerPositions.size() * 3);
    for (const float* p : mesh.cornerPositions) positions.insert(positions.end(), p, p + 3);
    gl3.BindBuffer(GL_ARRAY_BUFFER, mesh.positions);
    gl3.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(positions.size() * sizeof(float)),
                   positions.data(), GL_STREAM_DRAW);
  }
  gl3.BindVertexArray(mesh.array);
  glDrawElements(GL_TRIANGLES, mesh.corners, GL_UNSIGNED_INT, nullptr);
}

void Gl3Renderer::DrawScene(Scene& scene) {
  const SceneFrame frame = beginSceneFrame(scene);
  const SceneParams& params = scene.params;
  if (scene.clearsScreen) {
    glClearColor(params.background[0], params.background[1], params.background[2], 1.0f);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  m_fog = Fog();
  if (params.fogEnabled) {
    m_fog.enabled = true;
    for (int i = 0; i < 3; ++i) m_fog.color[i] = params.fogColor[i];
    m_fog.start = params.fogStart;
    m_fog.end = params.fogEnd;
  }
  m_modelview = Mat4::LookAt(frame.eye);
  if (frame.shaken)
    m_modelview = m_modelview * Mat4::Translation(frame.shake[0], frame.shake[1], frame.shake[2]);

  // The lights in eye space, each in its slot (a later light of the same number takes it); the
  // default light, from the eye, only in a scene without lights.
  float positions[kLights][4] = {}, diffuse[kLights][3] = {}, spots[kLights][4] = {},
        fading[kLights][4] = {};
  bool used[kLights] = {};
  for (int slot = 0; slot < kLights; ++slot) {
    spots[slot][3] = -1;  // the cosine of 180 degrees: all round
    fading[slot][0] = 1;  // as strong at any distance
  }
  const int32_t frameIndex = animFrameIndex(scene.animFrame);
  for (uint32_t i = 0; i < scene.lightCount; ++i) {
    SceneLight& light = scene.lights[i];
    light.place(frameIndex);
    const int32_t number = light.frame.lightNumber;
    if (number < 0 || number >= kSceneLightSlots) continue;
    const int slot = number + 1;
    const LightShape& shape = light.shape;
    const float* aim = light.aimAt(frameIndex);
    const float aimAhead[4] = {aim[0], aim[1], aim[2], 0};
    if (shape.kind == LightKind::directional) {
      // From infinitely far back along its aim: a direction, at w 0.
      m_modelview.Transform(aimAhead, positions[slot]);
      for (int c = 0; c < 3; ++c) positions[slot][c] = -positions[slot][c];
    } else {
      // A point at w 0.8: the driver lights from the point it stands for, divided through.
      const float w = light.frame.position[3];
      m_modelview.Transform(light.frame.position, positions[slot]);
      for (int c = 0; c < 3; ++c) positions[slot][c] /= w;
      positions[slot][3] = 1;
    }
    if (shape.kind == LightKind::spot) {
      m_modelview.Transform(aimAhead, spots[slot]);
      spots[slot][3] = std::cos(shape.cutoff * 3.14159265f / 180);
    }
    for (int c = 0; c < 3; ++c) fading[slot][c] = shape.attenuation[c];
    fading[slot][3] = shape.exponent;
    for (int c = 0; c < 3; ++c) diffuse[slot][c] = light.frame.color[c];
    used[slot] = true;
  }
  if (scene.lightCount == 0) {
    positions[0][2] = 1;  // a direction: w stays 0
    diffuse[0][0] = diffuse[0][1] = diffuse[0][2] = 1;
    used[0] = true;
  }
  SceneView view;
  view.projection = Projection(*m_window);
  view.modelview = m_modelview;
  view.fog = m_fog;
  int count = 0;
  for (int slot = 0; slot < kLights; ++slot) {
    if (!used[slot]) continue;
    for (int c = 0; c < 4; ++c) view.lightPositions[count][c] = positions[slot][c];
    for (int c = 0; c < 4; ++c) view.lightSpots[count][c] = spots[slot][c];
    for (int c = 0; c < 4; ++c) view.lightFading[count][c] = fading[slot][c];
    for (int c = 0; c < 3; ++c) view.lightDiffuse[count][c] = diffuse[slot][c];
    ++count;
  }

  view.lightCount = count;
  SetSceneView(view);

  // Opaque objects first, then the additive ones that do not write depth.
  if (scene.materialCount > 0)
    for (bool transparent : {false, true})
      for (uint32_t i = 0; i < scene.objectCount; ++i)
        DrawObject(scene, scene.objects[i], transparent);

  // Flares: squares around each light in eye space, added over everything.
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_CULL_FACE);
  view.modelview = Mat4();
  SetSceneView(view);
  const float white[4] = {1, 1, 1, 1};
  for (uint32_t i = 0; i < scene.lightCount; ++i) {
    const SceneLight& light = scene.lights[i];
    if (!light.hasFlare) continue;
    const float point[4] = {light.frame.position[0], light.frame.position[1],
                            light.frame.position[2], 1};
    float eye[3];
    m_modelview.Transform(point, eye);
    std::vector<Vertex> corners;
    AppendSquare(corners, eye, kFlareHalf);
    DrawQuads(corners, light.flareTexture, white);
  }
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
}

// Additive squares facing the camera of the scene drawn last, hidden by what lies in front.
void Gl3Renderer::DrawParticles(ParticleSystem& particles) {
  particles.Advance();
  if (particles.count == 0) return;
  SceneView view;
  view.projection = Projection(*m_window);
  view.fog = m_fog;
  SetSceneView(view);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_CULL_FACE);
  glDepthMask(GL_FALSE);
  // One draw per texture: added light and an unwritten depth make the order of no account.
  std::vector<Vertex> corners[ParticleSystem::kMaxTextures];
  for (uint32_t c = 0; c < particles.count; ++c) {
    const Particle& p = particles.particles[c];
    const int32_t k = particles.textureIndex[c];
    if (k < 0 || k >= ParticleSystem::kMaxTextures) continue;
    const float point[4] = {p.x, p.y, p.z, 1};
    float eye[3];
    m_modelview.Transform(point, eye);
    AppendSquare(corners[k], eye, p.size);
  }
  const float a = particles.alpha;
  const float color[4] = {a, a, a, a};
  for (int k = 0; k < ParticleSystem::kMaxTextures; ++k)
    if (!corners[k].empty()) DrawQuads(corners[k], particles.textures[k], color);
  glEnable(GL_CULL_FACE);
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
}
