#pragma once
// What draws each step of a frame. The compositor keeps the frame's road (the 3D pass, the
// trail, the picture with its glow, the layers, the noise, the text); a back end chosen at start
// draws it: `classic` with the fixed-function pipeline, the reference, or `gl3` with shaders
// written within what OpenGL ES 3.0 and WebGL 2 offer.
#include <cstdint>
#include <string>

class GLWindow;
class LayerSlot;
class ParticleSystem;
class Scene;

enum class RendererKind { Classic, Gl3 };

// "classic" or "gl3"; false for any other text.
bool ParseRendererKind(const char* text, RendererKind& kind);
const char* RendererName(RendererKind kind);

class Renderer {
 public:
  virtual ~Renderer() = default;
  virtual RendererKind Kind() const = 0;

  // After the window's context is made: what the back end needs of the driver, and its
  // resources. False when the back end cannot run here, with why in `fault` (or told already in
  // a message box).
  virtual bool Start(GLWindow& window, std::string& fault) = 0;
  virtual void Stop(GLWindow& window) = 0;
  // The render targets follow the frame's size: made again after the size changed.
  virtual void CreateTargets(GLWindow& window) = 0;
  virtual void DeleteTargets(GLWindow& window) = 0;
  // A loaded scene's meshes go to the back end once; they are let go before the scene is.
  virtual void PrepareScene(Scene&) {}
  virtual void ForgetScene(Scene&) {}

  // The frame's road, in the order the compositor takes it.
  virtual void ClearFrame(GLWindow& window) = 0;
  virtual void BeginScenes(GLWindow& window) = 0;
  virtual void DrawScene(Scene& scene) = 0;
  virtual void DrawParticles(ParticleSystem& particles) = 0;
  // The trail: the stored pass laid over this one at alpha and this one stored in its place; or,
  // without a trail, the stored pass forgotten.
  virtual void DrawTrail(GLWindow& window, float alpha) = 0;
  virtual void ForgetTrail(GLWindow& window) = 0;
  virtual void EndScenes(GLWindow& window) = 0;
  // The pass over the whole picture, with glowCount glow copies (none below 1).
  virtual void DrawPicture(GLWindow& window, int32_t glowCount, float spread) = 0;
  virtual void BeginLayers(GLWindow& window) = 0;
  virtual void DrawLayer(LayerSlot& layer) = 0;
  virtual void EndLayers(GLWindow& window) = 0;

  // A black picture, as the loading frames and the frame's start have it.
  virtual void ClearToBlack(GLWindow& window) = 0;
  // Text with its first glyph's lower-left corner at (x, y), in picture pixels from the
  // lower-left corner; a line on a black band across the picture.
  virtual void Print(GLWindow& window, int32_t x, int32_t y, const char* text, int32_t set,
                     float brightness) = 0;
  virtual void PrintOnBand(GLWindow& window, int32_t y, const char* text) = 0;
};

// The back end the program draws with: classic until UseRenderer chooses another.
Renderer& ActiveRenderer();
// Makes kind the active back end (the window is then created for it); returns it.
Renderer& UseRenderer(RendererKind kind);
