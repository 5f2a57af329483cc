#include "timeline/EffectState.h"

#include <algorithm>

#include "effects/LayerSlot.h"
#include "platform/GLWindow.h"
#include "scene/Scene.h"
#include "timeline/Timeline.h"

namespace {

template <size_t N>
std::vector<bool> Flags(const bool (&flags)[N], int32_t count) {
  return std::vector<bool>(flags, flags + count);
}

template <size_t N>
void PutFlags(const std::vector<bool>& from, bool (&flags)[N], int32_t count) {
  for (size_t i = 0; i < from.size() && i < static_cast<size_t>(count); ++i) flags[i] = from[i];
}

bool SameParticle(const Particle& a, const Particle& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z && a.size == b.size;
}

}  // namespace

EffectState EffectState::Of(const Timeline& t) {
  EffectState s;
  s.cursor = t.cursor;
  s.sceneActive = Flags(t.sceneActive, t.sceneCount);
  s.layerActive = Flags(t.layerActive, t.layerCount);
  s.particleActive = Flags(t.particleActive, t.particleCount);
  s.saturateCount = t.saturateCount;
  s.saturateSpread = t.saturateSpread;
  s.blurAlpha = t.blurAlpha;
  s.noiseMode = g_noiseMode;
  s.noiseFrame = g_noiseFrame;
  s.fov = t.window ? t.window->m_fov : 0;
  for (int32_t i = 0; i < t.sceneCount; ++i) {
    const Scene& scene = *t.sceneTargets[i];
    SceneEffects e{scene.cameraIndex, scene.animFrame, scene.shakeAmount, scene.aquaEnabled,
                   scene.timerStarted, {}};
    for (uint32_t k = 0; k < scene.objectCount; ++k)
      e.deformPhases.push_back(scene.objects[k].deformPhase);
    s.scenes.push_back(std::move(e));
  }
  for (int32_t i = 0; i < t.layerCount; ++i) {
    const LayerSlot& layer = *t.layerTargets[i];
    s.layers.push_back({layer.alpha, layer.x0, layer.x1, layer.y0, layer.y1, layer.shakeAmount});
  }
  for (int32_t i = 0; i < t.particleCount; ++i) {
    const ParticleSystem& system = *t.particleTargets[i];
    s.particles.push_back({system.alpha, system.burstsLeft, system.burstInterval, system.started,
                           std::vector<Particle>(system.particles,
                                                 system.particles + system.count)});
  }
  s.moves = t.moves;
  return s;
}

void EffectState::ApplyTo(Timeline& t) const {
  t.cursor = cursor;
  PutFlags(sceneActive, t.sceneActive, t.sceneCount);
  PutFlags(layerActive, t.layerActive, t.layerCount);
  PutFlags(particleActive, t.particleActive, t.particleCount);
  t.saturateCount = saturateCount;
  t.saturateSpread = saturateSpread;
  t.blurAlpha = blurAlpha;
  t.moves = moves;
  g_noiseMode = noiseMode;
  g_noiseFrame = noiseFrame;
  if (t.window) t.window->m_fov = fov;
  for (size_t i = 0; i < scenes.size() && i < static_cast<size_t>(t.sceneCount); ++i) {
    Scene& scene = *t.sceneTargets[i];
    const SceneEffects& e = scenes[i];
    scene.cameraIndex = e.cameraIndex;
    scene.animFrame = e.animFrame;
    scene.shakeAmount = e.shakeAmount;
    scene.aquaEnabled = e.aquaEnabled;
    scene.timerStarted = e.timerStarted;
    for (uint32_t k = 0; k < scene.objectCount && k < e.deformPhases.size(); ++k)
      scene.objects[k].deformPhase = e.deformPhases[k];
  }
  for (size_t i = 0; i < layers.size() && i < static_cast<size_t>(t.layerCount); ++i) {
    LayerSlot& layer = *t.layerTargets[i];
    const LayerEffects& e = layers[i];
    layer.alpha = e.alpha;
    layer.x0 = e.x0;
    layer.x1 = e.x1;
    layer.y0 = e.y0;
    layer.y1 = e.y1;
    layer.shakeAmount = e.shakeAmount;
  }
  for (size_t i = 0; i < particles.size() && i < static_cast<size_t>(t.particleCount); ++i) {
    ParticleSystem& system = *t.particleTargets[i];
    const ParticleEffects& e = particles[i];
    system.alpha = e.alpha;
    system.burstsLeft = e.burstsLeft;
    system.burstInterval = e.burstInterval;
    system.started = e.started;
    std::copy_n(e.particles.begin(), std::min<size_t>(e.particles.size(), system.count),
                system.particles);
  }
}

bool operator==(const EffectState& a, const EffectState& b) {
  auto sameScene = [](const SceneEffects& x, const SceneEffects& y) {
    return x.cameraIndex == y.cameraIndex && x.animFrame == y.animFrame &&
           x.shakeAmount == y.shakeAmount && x.aquaEnabled == y.aquaEnabled &&
           x.timerStarted == y.timerStarted && x.deformPhases == y.deformPhases;
  };
  auto sameLayer = [](const LayerEffects& x, const LayerEffects& y) {
    return x.alpha == y.alpha && x.x0 == y.x0 && x.x1 == y.x1 && x.y0 == y.y0 && x.y1 == y.y1 &&
           x.shakeAmount == y.shakeAmount;
  };
  auto sameSystem = [](const ParticleEffects& x, const ParticleEffects& y) {
    return x.alpha == y.alpha && x.burstsLeft == y.burstsLeft &&
           x.burstInterval == y.burstInterval && x.started == y.started &&
           std::equal(x.particles.begin(), x.particles.end(), y.particles.begin(),
                      y.particles.end(), SameParticle);
  };
  return a.cursor == b.cursor && a.sceneActive == b.sceneActive &&
         a.layerActive == b.layerActive && a.particleActive == b.particleActive &&
         a.saturateCount == b.saturateCount && a.saturateSpread == b.saturateSpread &&
         a.blurAlpha == b.blurAlpha && a.noiseMode == b.noiseMode &&
         a.noiseFrame == b.noiseFrame && a.moves == b.moves && a.fov == b.fov &&
         std::equal(a.scenes.begin(), a.scenes.end(), b.scenes.begin(), b.scenes.end(),
                    sameScene) &&
         std::equal(a.layers.begin(), a.layers.end(), b.layers.begin(), b.layers.end(),
                    sameLayer) &&
         std::equal(a.particles.begin(), a.particles.end(), b.particles.begin(),
                    b.particles.end(), sameSystem);
}
