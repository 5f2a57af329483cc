// The fixed-function back end: each step is the window's, the scene's or the layer's own drawing.
#include "render/ClassicRenderer.h"

#include "effects/LayerSlot.h"
#include "particles/ParticleSystem.h"
#include "platform/GLWindow.h"
#include "platform/MessageBox.h"
#include "platform/OpenGL.h"
#include "scene/Scene.h"

RendererKind ClassicRenderer::Kind() const { return RendererKind::Classic; }

bool ClassicRenderer::Start(GLWindow& window, std::string&) {
  if (!window.CheckExtensions()) {
    MessageBoxA(nullptr, "Multitextura no soportada. No se puede ejecutar esta aplicacion.",
                "Error!", MB_OK);
    return false;
  }
  window.BuildFont();
  return true;
}

void ClassicRenderer::Stop(GLWindow& window) { window.DeleteFont(); }

void ClassicRenderer::CreateTargets(GLWindow& window) { window.CreateRenderTargets(); }

void ClassicRenderer::DeleteTargets(GLWindow& window) { window.DeleteRenderTargets(); }

void ClassicRenderer::ClearFrame(GLWindow&) {
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glDepthMask(GL_TRUE);
  glClearDepth(9000000.0);  // clamped to 1: everything drawn lies in front
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void ClassicRenderer::BeginScenes(GLWindow& window) { window.BeginCapture(); }

void ClassicRenderer::DrawScene(Scene& scene) {
  if (scene.aquaEnabled)
    scene.renderDeformed();
  else
    scene.render();
}

void ClassicRenderer::DrawParticles(ParticleSystem& particles) { particles.Draw(); }

void ClassicRenderer::DrawTrail(GLWindow& window, float alpha) {
  window.DrawPreviousFrame(alpha);
  window.StorePreviousFrame();
}

void ClassicRenderer::ForgetTrail(GLWindow& window) { window.ForgetPreviousFrame(); }

void ClassicRenderer::EndScenes(GLWindow& window) { window.CaptureFrame(); }

void ClassicRenderer::DrawPicture(GLWindow& window, int32_t glowCount, float spread) {
  window.Begin2D();
  const bool glow = glowCount > 0;
  if (glow) window.SetGlowViewport();
  window.DrawFrame();
  if (glow) {
    window.CaptureGlowSource();
    window.Begin2D();
    window.DrawFrame();
    window.DrawGlow(glowCount, spread);
  }
}

void ClassicRenderer::BeginLayers(GLWindow& window) { window.Begin2D(); }

void ClassicRenderer::DrawLayer(LayerSlot& layer) { layer.Draw(); }

void ClassicRenderer::EndLayers(GLWindow& window) { window.End2D(); }

void ClassicRenderer::ClearToBlack(GLWindow&) {
  glClearColor(0, 0, 0, 1);
  glDepthMask(GL_TRUE);
  glClearDepth(1000000.0);  // clamped to 1 by the library
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void ClassicRenderer::Print(GLWindow& window, int32_t x, int32_t y, const char* text, int32_t set,
                            float brightness) {
  window.Print(x, y, text, set, brightness);
}

void ClassicRenderer::PrintOnBand(GLWindow& window, int32_t y, const char* text) {
  window.PrintOnBand(y, text);
}
