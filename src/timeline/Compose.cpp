#include "effects/LayerSlot.h"
#include "particles/ParticleSystem.h"
#include "platform/GLWindow.h"
#include "platform/OpenGL.h"
#include "scene/Scene.h"
#include "timeline/Timeline.h"

int32_t g_noiseSetFirstLayer[2] = {3, 7};

void Timeline::AdvanceNoise() {
  if (g_noiseMode != 1 && g_noiseMode != 2) return;
  // Advanced per frame in single precision: 0.2 fifteen times overshoots 3, so a cycle is five
  // frames each of masks 0-2 and one of mask 3.
  if (g_noiseFrame > 3.0f)
    g_noiseFrame = 0.0f;
  else
    g_noiseFrame += 0.2f;
}

int32_t Timeline::NoiseLayer() const {
  if (g_noiseMode != 1 && g_noiseMode != 2) return -1;
  const int32_t first = g_noiseSetFirstLayer[g_noiseMode - 1];
  const int32_t layer = first + static_cast<int32_t>(g_noiseFrame);
  return first >= 0 && layer < layerCount ? layer : -1;
}

void Timeline::Compose() {
  if (!window) return;
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glDepthMask(GL_TRUE);
  glClearDepth(9000000.0);  // clamped to 1: everything drawn lies in front
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  // The 3D pass goes into a reduced viewport that is captured as a texture, so the trail and the
  // glow reuse it without drawing the scenes twice.
  window->BeginCapture();
  for (int32_t i = 0; i < sceneCount; ++i) {
    if (!sceneActive[i]) continue;
    Scene& scene = *sceneTargets[i];
    if (scene.aquaEnabled)
      scene.renderDeformed();
    else
      scene.render();
  }
  for (int32_t i = 0; i < particleCount; ++i)
    if (particleActive[i]) particleTargets[i]->Draw();
  if (blurAlpha > 0) {
    window->DrawPreviousFrame(blurAlpha);
    window->StorePreviousFrame();
  } else {
    window->ForgetPreviousFrame();
  }
  window->CaptureFrame();

  window->Begin2D();
  // A count below one draws no glow copy: the glow source would be made for nothing.
  const int32_t glowCount = saturateCount > 0 ? TruncateParam(saturateCount) : 0;
  const bool glow = glowCount > 0;
  if (glow) window->SetGlowViewport();
  window->DrawFrame();
  if (glow) {
    window->CaptureGlowSource();
    window->Begin2D();
    window->DrawFrame();
    window->DrawGlow(glowCount, saturateSpread);
  }

  window->Begin2D();
  for (int32_t i = 0; i < layerCount; ++i)
    if (layerActive[i]) layerTargets[i]->Draw();

  AdvanceNoise();
  const int32_t noise = NoiseLayer();
  if (noise >= 0) layerTargets[noise]->Draw();
  window->End2D();
}
