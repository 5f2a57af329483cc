#pragma once
// The shader back end: OpenGL 3.3 core profile, within what OpenGL ES 3.0 and WebGL 2 offer.
// The 3D pass goes into a render target of its own (two, taking turns, so the trail reads the
// one before without a copy); the picture, its glow and the layers over it are then drawn in one
// pass into the frame the window (or a capture) shows. Meshes go into vertex buffers once; what
// moves per frame is state, but for the aqua ripple's vertices, streamed as the effect moves them.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "render/Renderer.h"
#include "render/gl3/Matrix.h"
#include "render/gl3/ShaderProgram.h"

struct SceneObject;
struct Material;

class Gl3Renderer : public Renderer {
 public:
  RendererKind Kind() const override;
  bool Start(GLWindow& window, std::string& fault) override;
  void Stop(GLWindow& window) override;
  void CreateTargets(GLWindow& window) override;
  void DeleteTargets(GLWindow& window) override;
  void PrepareScene(Scene& scene) override;
  void ForgetScene(Scene& scene) override;
  void ClearFrame(GLWindow& window) override;
  void BeginScenes(GLWindow& window) override;
  void DrawScene(Scene& scene) override;
  void DrawParticles(ParticleSystem& particles) override;
  void DrawTrail(GLWindow& window, float alpha) override;
  void ForgetTrail(GLWindow& window) override;
  void EndScenes(GLWindow& window) override;
  void DrawPicture(GLWindow& window, int32_t glowCount, float spread) override;
  void BeginLayers(GLWindow& window) override;
  void DrawLayer(LayerSlot& layer) override;
  void EndLayers(GLWindow& window) override;
  void ClearToBlack(GLWindow& window) override;
  void Print(GLWindow& window, int32_t x, int32_t y, const char* text, int32_t set,
             float brightness) override;
  void PrintOnBand(GLWindow& window, int32_t y, const char* text) override;

  // A texture and the frame buffer that draws into it (with a depth buffer for the pass).
  struct Target {
    uint32_t texture = 0, framebuffer = 0, depth = 0;
    int32_t width = 0, height = 0;
  };
  // One object's triangles: positions apart, as the aqua ripple rewrites them.
  struct Mesh {
    uint32_t array = 0, positions = 0, attributes = 0, indices = 0, colours = 0;
    int32_t corners = 0;          // indices drawn
    const void* faces = nullptr;  // what the buffers were made from
    uint32_t faceCount = 0;
    bool streamed = false;  // the aqua ripple moves its corners: sent again at each draw
    std::vector<const float*> cornerPositions;
  };
  // The scene program's fog, kept from the scene drawn last: particles and flares take it.
  struct Fog {
    bool enabled = false;
    float color[3] = {0, 0, 0};
    float start = 0, end = 1;
  };
  // A textured square or glyph in the scene program's vertex layout.
  struct Vertex {
    float position[3];
    float normal[3];
    float uv0[2];
    float uv1[2];
  };

 private:
  void Fault(const std::string& error);
  // A render target; with a depth buffer of that format, unless it is 0.
  bool MakeTarget(Target& target, int32_t width, int32_t height, uint32_t depth);
  void DeleteTarget(Target& target);
  void BindOutput(GLWindow& window);
  void DrawRect(const float rect[4], const float uv[4], bool yDown, uint32_t texture,
                const float color[4]);
  Mesh& MeshOf(const SceneObject& object);
  void UploadMesh(Mesh& mesh, const SceneObject& object);
  // What every scene variant draws with until the next view: set once, sent to each variant as
  // it is first used after.
  struct SceneView {
    Mat4 projection, modelview;
    Fog fog;
    int32_t lightCount = 0;
    float lightPositions[7][4] = {};
    float lightDiffuse[7][3] = {};
    float lightSpots[7][4] = {};   // a spot's aim in eye space and its cone's cosine
    float lightFading[7][4] = {};  // attenuation (constant, linear, quadratic), spot exponent
    // A moving object's normals go through normalMatrix and are made unit length again.
    bool normalise = false;
    float normalMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  };
  // A program built on first use; one that did not build is not tried again.
  struct Variant {
    ShaderProgram program;
    uint32_t view = 0;  // a scene variant's: the view last sent to it
    bool failed = false;
  };
  // The bits of a scene variant (scene.glsl's LIT, MAPS, SPHERE0, SPHERE1, FOG).
  static constexpr uint32_t kColourAttribute = 4;  // the scene program's a_colour
  static constexpr uint32_t kLit = 1, kOneMap = 2, kTwoMaps = 4, kSphere0 = 8, kSphere1 = 16,
                            kFog = 32, kAlphaTest = 64, kVariants = 128;
  void SetSceneView(const SceneView& view);
  // The variant made current with the view sent; nullptr (said once) when it cannot be built.
  const ShaderProgram* UseSceneVariant(uint32_t features);
  bool SetMaterial(const Material& material);
  void DrawObject(Scene& scene, SceneObject& object, bool transparent);
  void DrawMesh(Mesh& mesh, const Material& material);
  // A layer as the frame pass blends it.
  struct Layer {
    float rect[4];  // x0, y0, x1, y1 in picture pixels, the jitter so far included
    float alpha;
    bool magnified;  // enlarged on both axes everywhere: level 0 alone is read
    uint32_t texture;
  };
  static constexpr int kFrameLayers = 8;  // layers the frame pass blends; more are drawn after
  // Glow copies a pass adds at most: more are added in further passes, between which a stop
  // request is heard (about a tenth of a second each in software).
  static constexpr int32_t kGlowBatch = 256;
  // The frame pass's variant (frame.glsl): glow 0 none, 1 still, 2 zooming over any count, or
  // 2 + n zooming over n copies (up to kUnrolledCopies); layers 0 to kFrameLayers; without the
  // picture, the zooming glow's copies alone.
  static constexpr int32_t kUnrolledCopies = 4;
  const ShaderProgram* UseFrameVariant(int32_t glow, int32_t layers, bool picture = true);
  // The zooming glow's copies from `first` on, added to the frame in batches; false when a stop
  // request cut them short.
  bool AddGlowBatches(int32_t first);
  void DrawLayerQuad(const Layer& layer);
  void DrawQuads(const std::vector<Vertex>& corners, uint32_t texture, const float color[4]);
  Mat4 Projection(const GLWindow& window) const;

  GLWindow* m_window = nullptr;
  bool m_started = false;
  std::string m_fault;  // the last program that did not build, and why
  ShaderProgram m_picture;
  Variant m_frameVariants[3 + kUnrolledCopies][kFrameLayers + 1];
  Variant m_glowBatch;
  int32_t m_glowCount = 0;
  float m_glowSpread = 0;
  std::vector<Layer> m_layers;  // this frame's, in their order
  Variant m_sceneVariants[kVariants];
  SceneView m_view;
  uint32_t m_viewNumber = 1;
  uint32_t m_squareArray = 0, m_squareBuffer = 0;  // the unit square of the picture passes
  uint32_t m_streamArray = 0, m_streamBuffer = 0;  // quads made per frame
  // Linear filtering without mipmaps, for an enlarged layer: the very values trilinear filtering
  // reads there, but a software renderer reads them several times faster.
  uint32_t m_levelZeroSampler = 0;
  Target m_pass[2];
  int32_t m_current = 0;
  bool m_trailStored = false;
  Target m_glow;
  int32_t m_output = 0;  // the frame buffer the finished frame goes to
  Mat4 m_modelview;      // the eye of the scene drawn last: particles live in its space
  Fog m_fog;
  float m_layerOffset[2] = {0, 0};  // the layers' jitter so far: it moves the later ones too
  std::unordered_map<const SceneObject*, Mesh> m_meshes;
};
