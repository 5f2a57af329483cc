#include "platform/GLWindow.h"
#include "render/Renderer.h"
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
  Renderer& renderer = ActiveRenderer();
  renderer.ClearFrame(*window);

  // The 3D pass goes into a render target of its own, so the trail and the glow reuse it without
  // drawing the scenes twice.
  renderer.BeginScenes(*window);
  for (int32_t i = 0; i < sceneCount; ++i)
    if (sceneActive[i]) renderer.DrawScene(*sceneTargets[i]);
  for (int32_t i = 0; i < particleCount; ++i)
    if (particleActive[i]) renderer.DrawParticles(*particleTargets[i]);
  if (blurAlpha > 0)
    renderer.DrawTrail(*window, blurAlpha);
  else
    renderer.ForgetTrail(*window);
  renderer.EndScenes(*window);

  // A count below one draws no glow copy: the glow source would be made for nothing.
  renderer.DrawPicture(*window, saturateCount > 0 ? TruncateParam(saturateCount) : 0,
                       saturateSpread);

  renderer.BeginLayers(*window);
  for (int32_t i = 0; i < layerCount; ++i)
    if (layerActive[i]) renderer.DrawLayer(*layerTargets[i]);

  AdvanceNoise();
  const int32_t noise = NoiseLayer();
  if (noise >= 0) renderer.DrawLayer(*layerTargets[noise]);
  renderer.EndLayers(*window);
}
