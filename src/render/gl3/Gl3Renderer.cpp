// The shader back end's frame: render targets, the trail, the picture with its glow, the layers
// and the text. The scenes and particles are drawn in Gl3Scenes.cpp.
#include "render/gl3/Gl3Renderer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "effects/Font.h"
#include "effects/LayerSlot.h"
#include "effects/RenderTargets.h"
#include "platform/GLWindow.h"
#include "platform/Messages.h"
#include "platform/StatusLine.h"
#include "platform/TextureCache.h"
#include "render/gl3/Gl3Api.h"

namespace {

const float kWhite[4] = {1, 1, 1, 1};
const float kWholeTexture[4] = {0, 0, 1, 1};

// The depth buffer's format: as many bits as the frame's own has, where the classic renderer
// draws its pass; surfaces close together then hide each other alike in both.
GLenum DepthFormat(int32_t output) {
  GLint bits = 16;
  gl3.GetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, output ? GL_DEPTH_ATTACHMENT : GL_DEPTH,
                                          GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &bits);
  return bits <= 16   ? GL_DEPTH_COMPONENT16
         : bits <= 24 ? GL_DEPTH_COMPONENT24
                      : GL_DEPTH_COMPONENT32;
}

}  // namespace

RendererKind Gl3Renderer::Kind() const { return RendererKind::Gl3; }

bool Gl3Renderer::Start(GLWindow& window, std::string& fault) {
  m_window = &window;
  const char* missing = nullptr;
  if (!gl3.Load(missing)) {
    fault = std::string("the GL driver lacks ") + missing;
    return false;
  }
  // The fullest variants, which compile every line of their programs, are built first: a fault
  // in them is found here, where the classic renderer can still take over.
  m_fault.clear();
  m_started = false;
  if (!UseSceneVariant(kVariants - 1 - kOneMap) || !UseFrameVariant(2, kFrameLayers) ||
      !m_picture.Build("picture.glsl", kShader_picture, m_fault)) {
    fault = m_fault;
    return false;
  }
  m_started = true;
  // Meshes without colours of their own read the colour attribute's constant: white.
  gl3.VertexAttrib4f(kColourAttribute, 1, 1, 1, 1);
  const float square[] = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
  gl3.GenVertexArrays(1, &m_squareArray);
  gl3.BindVertexArray(m_squareArray);
  gl3.GenBuffers(1, &m_squareBuffer);
  gl3.BindBuffer(GL_ARRAY_BUFFER, m_squareBuffer);
  gl3.BufferData(GL_ARRAY_BUFFER, sizeof square, square, GL_STATIC_DRAW);
  gl3.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  gl3.EnableVertexAttribArray(0);

  gl3.GenVertexArrays(1, &m_streamArray);
  gl3.BindVertexArray(m_streamArray);
  gl3.GenBuffers(1, &m_streamBuffer);
  gl3.BindBuffer(GL_ARRAY_BUFFER, m_streamBuffer);
  const GLsizei stride = sizeof(Vertex);
  gl3.VertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(Vertex, position)));
  gl3.VertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(Vertex, normal)));
  gl3.VertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(Vertex, uv0)));
  gl3.VertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<void*>(offsetof(Vertex, uv1)));
  for (uint32_t a = 0; a < 4; ++a) gl3.EnableVertexAttribArray(a);
  gl3.BindVertexArray(0);
  gl3.GenSamplers(1, &m_levelZeroSampler);
  gl3.SamplerParameteri(m_levelZeroSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  gl3.SamplerParameteri(m_levelZeroSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glCullFace(GL_BACK);
  glClearColor(0, 0, 0, 1);
  glClearDepth(1.0);
  return true;
}

// Once running, a variant that does not build is told once and its draws left out.
void Gl3Renderer::Fault(const std::string& error) {
  if (m_started && m_fault != error) PrintStatus("- Shader %s\n", error.c_str());
  m_fault = error;
}

void Gl3Renderer::Stop(GLWindow&) {
  for (auto& entry : m_meshes) {
    Mesh& mesh = entry.second;
    gl3.DeleteVertexArrays(1, &mesh.array);
    const uint32_t buffers[] = {mesh.positions, mesh.attributes, mesh.indices};
    gl3.DeleteBuffers(3, buffers);
  }
  m_meshes.clear();
  if (!gl3.DeleteVertexArrays) return;  // never started
  const uint32_t arrays[] = {m_squareArray, m_streamArray};
  const uint32_t buffers[] = {m_squareBuffer, m_streamBuffer};
  gl3.DeleteVertexArrays(2, arrays);
  gl3.DeleteBuffers(2, buffers);
  gl3.DeleteSamplers(1, &m_levelZeroSampler);
  for (Variant& variant : m_sceneVariants) {
    variant.program.Release();
    variant = Variant();
  }
  m_picture.Release();
  for (auto& row : m_frameVariants)
    for (Variant& variant : row) {
      variant.program.Release();
      variant = Variant();
    }
  m_glowBatch.program.Release();
  m_glowBatch = Variant();
}

bool Gl3Renderer::MakeTarget(Target& target, int32_t width, int32_t height, GLenum depth) {
  target.width = width;
  target.height = height;
  glGenTextures(1, &target.texture);
  glBindTexture(GL_TEXTURE_2D, target.texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  // Linear and repeating, as the classic renderer's copies are: the picture's edge pixels blend
  // with the opposite edge where the pass is enlarged.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gl3.GenFramebuffers(1, &target.framebuffer);
  gl3.BindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
  gl3.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.texture, 0);
  if (depth) {
    gl3.GenRenderbuffers(1, &target.depth);
    gl3.BindRenderbuffer(GL_RENDERBUFFER, target.depth);
    gl3.RenderbufferStorage(GL_RENDERBUFFER, depth, width, height);
    gl3.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target.depth);
  }
  const bool complete = gl3.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glViewport(0, 0, width, height);
  glClear(GL_COLOR_BUFFER_BIT | (depth ? GL_DEPTH_BUFFER_BIT : 0));
  return complete;
}

void Gl3Renderer::DeleteTarget(Target& target) {
  if (target.framebuffer) gl3.DeleteFramebuffers(1, &target.framebuffer);
  if (target.depth) gl3.DeleteRenderbuffers(1, &target.depth);
  if (target.texture) glDeleteTextures(1, &target.texture);
  target = Target();
}

void Gl3Renderer::CreateTargets(GLWindow& window) {
  GLint output = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &output);
  const GLWindow::Rect picture = window.PictureRect();
  const GLenum depth = DepthFormat(output);
  bool complete = true;
  for (Target& pass : m_pass)
    complete &= MakeTarget(pass, CaptureSide(picture.width), CaptureSide(picture.height), depth);
  const int32_t glow = GlowSide(window);
  complete &= MakeTarget(m_glow, glow, glow, 0);
  if (!complete)
    PrintStatus("- The GL driver cannot draw into a texture: the picture stays black\n");
  gl3.BindFramebuffer(GL_FRAMEBUFFER, static_cast<uint32_t>(output));
  m_trailStored = false;
  window.Resize(window.m_width, window.m_height);
}

void Gl3Renderer::DeleteTargets(GLWindow&) {
  for (Target& pass : m_pass) DeleteTarget(pass);
  DeleteTarget(m_glow);
}

void Gl3Renderer::BindOutput(GLWindow& window) {
  gl3.BindFramebuffer(GL_FRAMEBUFFER, static_cast<uint32_t>(m_output));
  window.Resize(-1, -1);
}

// The frame buffer bound now is where the frame goes: the window's, or a capture's.
void Gl3Renderer::ClearFrame(GLWindow& window) {
  m_window = &window;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &m_output);
}

void Gl3Renderer::BeginScenes(GLWindow&) {
  m_current ^= 1;
  const Target& pass = m_pass[m_current];
  gl3.BindFramebuffer(GL_FRAMEBUFFER, pass.framebuffer);
  glViewport(0, 0, pass.width, pass.height);
  glDepthMask(GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  m_modelview = Mat4();
}

// The unit square stretched over rect (x0, y0, x1, y1 in picture pixels, y from the top when
// yDown) with the texture coordinates uv at its corners, through the picture program.
void Gl3Renderer::DrawRect(const float rect[4], const float uv[4], bool yDown, uint32_t texture,
                           const float color[4]) {
  m_picture.Use();
  gl3.Uniform4f(m_picture.Uniform("u_rect"), rect[0], rect[1], rect[2], rect[3]);
  gl3.Uniform4f(m_picture.Uniform("u_uvRect"), uv[0], uv[1], uv[2], uv[3]);
  gl3.Uniform2f(m_picture.Uniform("u_picture"), static_cast<float>(m_window->GetPictureWidth()),
                static_cast<float>(m_window->GetPictureHeight()));
  gl3.Uniform1i(m_picture.Uniform("u_yDown"), yDown);
  gl3.Uniform4fv(m_picture.Uniform("u_color"), 1, color);
  gl3.Uniform1i(m_picture.Uniform("u_textured"), texture != 0);
  gl3.Uniform1i(m_picture.Uniform("u_texture"), 0);
  gl3.ActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  gl3.BindVertexArray(m_squareArray);
  glDrawArrays(GL_TRIANGLES, 0, 6);
}

// The pass before this one, over the whole of this one.
void Gl3Renderer::DrawTrail(GLWindow& window, float alpha) {
  if (m_trailStored) {
    const Target& previous = m_pass[m_current ^ 1];
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    const float rect[4] = {0, 0, static_cast<float>(window.GetPictureWidth()),
                           static_cast<float>(window.GetPictureHeight())};
    const float color[4] = {1, 1, 1, alpha};
    DrawRect(rect, kWholeTexture, false, previous.texture, color);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
  }
  m_trailStored = true;
}

void Gl3Renderer::ForgetTrail(GLWindow&) { m_trailStored = false; }

// The projection follows the field of view from the next frame on, as the classic one does.
void Gl3Renderer::EndScenes(GLWindow& window) { window.Resize(window.m_width, window.m_height); }

// The glow source is made now, from this frame's pass; the picture itself is drawn with the
// layers, in one pass, when they are all known.
void Gl3Renderer::DrawPicture(GLWindow& window, int32_t glowCount, float spread) {
  m_glowCount = glowCount;
  m_glowSpread = spread;
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_CULL_FACE);
  if (glowCount <= 0) return;
  // The pass made smaller, its red read as one grey value.
  gl3.BindFramebuffer(GL_FRAMEBUFFER, m_glow.framebuffer);
  glViewport(0, 0, m_glow.width, m_glow.height);
  const float rect[4] = {0, 0, static_cast<float>(window.GetPictureWidth()),
                         static_cast<float>(window.GetPictureHeight())};
  DrawRect(rect, kWholeTexture, false, m_pass[m_current].texture, kWhite);
}

void Gl3Renderer::BeginLayers(GLWindow&) {
  m_layerOffset[0] = m_layerOffset[1] = 0;
  m_layers.clear();
}

void Gl3Renderer::DrawLayer(LayerSlot& layer) {
  float jitter[2];
  if (layer.Jitter(jitter)) {
    m_layerOffset[0] += jitter[0];
    m_layerOffset[1] += jitter[1];
  }
  if (!(layer.alpha > 0.0f)) return;
  // A rectangle turned inside out on one axis faces away, and the classic pipeline culls it.
  if ((layer.x1 < layer.x0) != (layer.y1 < layer.y0)) return;
  Layer drawn;
  drawn.rect[0] = layer.x0 + m_layerOffset[0];
  drawn.rect[1] = layer.y0 + m_layerOffset[1];
  drawn.rect[2] = layer.x1 + m_layerOffset[0];
  drawn.rect[3] = layer.y1 + m_layerOffset[1];
  drawn.alpha = layer.alpha < 1.0f ? layer.alpha : 1.0f;
  drawn.texture = layer.texture;
  // Where the picture's size is not known, it is not taken as enlarged.
  const TextureCoverage* size = CoverageOfTexture(layer.texture);
  const GLWindow::Rect picture = m_window->PictureRect();
  const double across =
      std::fabs(drawn.rect[2] - drawn.rect[0]) * picture.width / m_window->GetPictureWidth();
  const double down =
      std::fabs(drawn.rect[3] - drawn.rect[1]) * picture.height / m_window->GetPictureHeight();
  drawn.magnified = size && size->width > 0 && size->width <= kMostTexelsAPixel * across &&
                    size->height <= kMostTexelsAPixel * down;
  m_layers.push_back(drawn);
}

const ShaderProgram* Gl3Renderer::UseFrameVariant(int32_t glow, int32_t layers, bool picture) {
  Variant& variant = picture ? m_frameVariants[glow][layers] : m_glowBatch;
  ShaderProgram& program = variant.program;
  if (variant.failed) return nullptr;
  if (!program.program) {
    std::string error;
    const std::string defines = "#define GLOW " + std::to_string(glow < 2 ? glow : 2) +
                                "\n#define COPIES " + std::to_string(glow > 2 ? glow - 2 : 0) +
                                "\n#define LAYERS " + std::to_string(layers) +
                                "\n#define PICTURE " + (picture ? "1" : "0") + "\n";
    if (!program.Build("frame.glsl", kShader_frame, error, defines)) {
      Fault(error);
      variant.failed = true;
      return nullptr;
    }
    program.Use();
    gl3.Uniform1i(program.Uniform("u_pass"), 0);
    gl3.Uniform1i(program.Uniform("u_glow"), 1);
    const char* samplers[kFrameLayers] = {"u_layer0", "u_layer1", "u_layer2", "u_layer3",
                                          "u_layer4", "u_layer5", "u_layer6", "u_layer7"};
    for (int k = 0; k < kFrameLayers; ++k) gl3.Uniform1i(program.Uniform(samplers[k]), 2 + k);
  }
  program.Use();
  return &program;
}

bool Gl3Renderer::AddGlowBatches(int32_t first) {
  const ShaderProgram* program = UseFrameVariant(2, 0, false);
  if (!program) return true;
  gl3.Uniform2f(program->Uniform("u_picture"), static_cast<float>(m_window->GetPictureWidth()),
                static_cast<float>(m_window->GetPictureHeight()));
  gl3.Uniform1i(program->Uniform("u_count"), m_glowCount);
  gl3.Uniform1f(program->Uniform("u_spread"), m_glowSpread);
  gl3.Uniform1i(program->Uniform("u_batch"), kGlowBatch);
  gl3.ActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, m_glow.texture);
  gl3.ActiveTexture(GL_TEXTURE0);
  gl3.BindVertexArray(m_squareArray);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  // The insets and opacities as the copies before reach them, one step at a time.
  const float step = 1.0f / static_cast<float>(m_glowCount);
  float inset = 0.0f, alpha = 1.0f;
  int32_t copy = 0;
  bool stopped = false;
  for (; first < m_glowCount && !stopped; first += kGlowBatch) {
    for (; copy < first; ++copy) {
      inset = inset + m_glowSpread;
      alpha = alpha - step;
    }
    glFinish();
    stopped = StopWaiting(g_active);
    if (stopped) break;
    gl3.Uniform1i(program->Uniform("u_first"), first);
    gl3.Uniform1f(program->Uniform("u_firstInset"), inset);
    gl3.Uniform1f(program->Uniform("u_firstAlpha"), alpha);
    glDrawArrays(GL_TRIANGLES, 0, 6);
  }
  glDisable(GL_BLEND);
  return !stopped;
}

// A layer left over from the frame pass, blended on its own.
void Gl3Renderer::DrawLayerQuad(const Layer& layer) {
  const float color[4] = {layer.alpha, layer.alpha, layer.alpha, layer.alpha};
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_COLOR);
  DrawRect(layer.rect, kWholeTexture, true, layer.texture, color);
  glDisable(GL_BLEND);
}

// The picture, its glow and the layers: those covering a quarter of the picture or more, from
// the first on, in the frame pass; any after them as quads of their own, in their order.
void Gl3Renderer::EndLayers(GLWindow& window) {
  BindOutput(window);
  if (window.HasBars()) {
    glViewport(0, 0, window.m_width, window.m_height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    window.Resize(-1, -1);
  }
  const float width = static_cast<float>(window.GetPictureWidth());
  const float height = static_cast<float>(window.GetPictureHeight());
  int32_t merged = 0;
  while (merged < static_cast<int32_t>(m_layers.size()) && merged < kFrameLayers) {
    const float* r = m_layers[merged].rect;
    if (std::fabs((r[2] - r[0]) * (r[3] - r[1])) * 4 < width * height) break;
    ++merged;
  }
  const int32_t glow = m_glowCount <= 0                 ? 0
                       : m_glowSpread == 0              ? 1
                       : m_glowCount <= kUnrolledCopies ? 2 + m_glowCount
                                                        : 2;
  // A zooming glow of more copies than a batch takes the frame pass to itself: the layers come
  // after its last batch.
  const bool batched = glow == 2 && m_glowCount > kGlowBatch;
  if (batched) merged = 0;
  if (const ShaderProgram* program = UseFrameVariant(glow, merged)) {
    gl3.Uniform2f(program->Uniform("u_picture"), width, height);
    gl3.Uniform1i(program->Uniform("u_count"), m_glowCount);
    gl3.Uniform1f(program->Uniform("u_spread"), m_glowSpread);
    gl3.Uniform1i(program->Uniform("u_first"), 0);
    gl3.Uniform1f(program->Uniform("u_firstInset"), 0);
    gl3.Uniform1f(program->Uniform("u_firstAlpha"), 1);
    gl3.Uniform1i(program->Uniform("u_batch"), kGlowBatch);
    float rects[kFrameLayers][4], alphas[kFrameLayers];
    for (int32_t k = 0; k < merged; ++k) {
      const Layer& layer = m_layers[k];
      for (int c = 0; c < 4; ++c) rects[k][c] = layer.rect[c];
      alphas[k] = layer.alpha;
      gl3.ActiveTexture(GL_TEXTURE2 + k);
      glBindTexture(GL_TEXTURE_2D, layer.texture);
      gl3.BindSampler(2 + k, layer.magnified ? m_levelZeroSampler : 0);
    }
    if (merged > 0) {
      gl3.Uniform4fv(program->Uniform("u_layerRect"), merged, rects[0]);
      gl3.Uniform1fv(program->Uniform("u_layerAlpha"), merged, alphas);
    }
    gl3.ActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, m_glow.texture);
    gl3.ActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, m_pass[m_current].texture);
    gl3.BindVertexArray(m_squareArray);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    for (int32_t k = 0; k < merged; ++k) gl3.BindSampler(2 + k, 0);
  }
  if (batched && !AddGlowBatches(kGlowBatch)) {
    window.m_frameAbandoned = true;
    return window.End2D();
  }
  for (size_t k = static_cast<size_t>(merged); k < m_layers.size(); ++k) DrawLayerQuad(m_layers[k]);
  window.End2D();
}

void Gl3Renderer::ClearToBlack(GLWindow& window) {
  m_window = &window;
  glDepthMask(GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The glyphs as quads of the scene program, unlit, in picture pixels from the lower-left corner.
void Gl3Renderer::Print(GLWindow& window, int32_t x, int32_t y, const char* text, int32_t set,
                        float brightness) {
  m_window = &window;
  constexpr float kCell = 1.0f / 16;
  std::vector<Vertex> corners;
  float left = static_cast<float>(x);
  const float bottom = static_cast<float>(y), top = bottom + kGlyphSide;
  for (const char* p = text; *p != '\0'; ++p) {
    const int32_t glyph = FontGlyph(*p, set);
    if (glyph < 0) continue;
    const float c = static_cast<float>(glyph % 16) / 16, r = static_cast<float>(glyph / 16) / 16;
    const float right = left + kGlyphSide;
    const Vertex quad[4] = {{{left, bottom, 0}, {0, 0, 1}, {c, 1 - r - kCell}, {0, 0}},
                            {{right, bottom, 0}, {0, 0, 1}, {c + kCell, 1 - r - kCell}, {0, 0}},
                            {{right, top, 0}, {0, 0, 1}, {c + kCell, 1 - r}, {0, 0}},
                            {{left, top, 0}, {0, 0, 1}, {c, 1 - r}, {0, 0}}};
    for (int k : {0, 1, 2, 0, 2, 3}) corners.push_back(quad[k]);
    left += kGlyphAdvance;
  }
  if (corners.empty()) return;
  SceneView view;
  view.projection = Mat4::Ortho(0, window.GetPictureWidth(), 0, window.GetPictureHeight());
  SetSceneView(view);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);  // text adds to the frame: black cells are transparent
  const float color[4] = {brightness, brightness, brightness, 0.5f};
  DrawQuads(corners, window.m_fontTexture, color);
  glDisable(GL_BLEND);
}

void Gl3Renderer::PrintOnBand(GLWindow& window, int32_t y, const char* text) {
  m_window = &window;
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_CULL_FACE);
  const float band[4] = {0, static_cast<float>(y - 2), static_cast<float>(window.GetPictureWidth()),
                         static_cast<float>(y + 18)};
  const float black[4] = {0, 0, 0, 1};
  DrawRect(band, kWholeTexture, false, 0, black);
  Print(window, 2, y, text, 0, 1.0f);
}
