#pragma once
#include "render/Renderer.h"

class ClassicRenderer : public Renderer {
 public:
  RendererKind Kind() const override;
  bool Start(GLWindow& window, std::string& fault) override;
  void Stop(GLWindow& window) override;
  void CreateTargets(GLWindow& window) override;
  void DeleteTargets(GLWindow& window) override;
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
};
