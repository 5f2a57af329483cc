// The 3D pass is drawn into a power-of-two corner of the window, copied into a texture and drawn
// back over the whole window; the trail and the glow reuse that copy instead of redrawing scenes.
#include "effects/RenderTargets.h"

#include <cstdint>
#include <vector>

#include "platform/GLWindow.h"

bool g_previousFrameStored = false;

namespace {

constexpr int32_t kGlowSize = 256;      // smallest side of the grey glow image
constexpr int32_t kCaptureSize = 4096;  // largest side of the captured 3D pass
// Glow copies drawn between two looks at the queue: about a tenth of a second in software.
constexpr int32_t kGlowBatch = 64;

// Texture units 1 and 0 back to plain untextured, unblended drawing; unit 0 stays active.
void ResetTextureUnits() {
  for (GLenum unit : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
    glActiveTextureARB(unit);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
  }
}

// The captured image over the whole 2D area, its top (t = 1) at the top of the picture.
void DrawPictureQuad(const GLWindow& window) {
  const float w = static_cast<float>(window.GetPictureWidth());
  const float h = static_cast<float>(window.GetPictureHeight());
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(0.0f, 0.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(0.0f, h);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(w, h);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(w, 0.0f);
  glEnd();
}

void CreateBlackTexture(uint32_t& name, int32_t width, int32_t height) {
  const std::vector<uint8_t> black(static_cast<size_t>(width) * height * 3, 0);
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, black.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

// Fills the bound texture from the lower-left corner of the frame buffer. A texture of that size
// and format is filled in place: defining it anew costs the software renderer fresh memory on
// every frame. One of another size (the window was resized) is defined anew.
void CopyToBoundTexture(GLenum internalFormat, int32_t width, int32_t height) {
  GLint had[3] = {0, 0, 0};
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &had[0]);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &had[1]);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &had[2]);
  if (had[0] == width && had[1] == height && had[2] == static_cast<GLint>(internalFormat))
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
  else
    glCopyTexImage2D(GL_TEXTURE_2D, 0, internalFormat, 0, 0, width, height, 0);
}

// The 3D pass as BeginCapture placed it.
void CopyCapture(const GLWindow& window) {
  const GLWindow::Rect picture = window.PictureRect();
  CopyToBoundTexture(GL_RGB, CaptureSide(picture.width), CaptureSide(picture.height));
}

// The picture quad for a pass whose colour is white: the texture's colour alone is the same as
// the texture times white (the colour's alpha is kept either way, the texture having none), and
// the software renderer fills the window noticeably faster without the product. Every other pass
// expects the default modulation, so it is put back.
void DrawWhitePictureQuad(const GLWindow& window) {
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  DrawPictureQuad(window);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// The glow source is one grey value, the picture's red, in every channel (alpha too). An
// intensity texture holds just that, but the software renderer samples its one-channel format
// several times slower than a colour one, and the glow draws it over the whole window a few times
// a frame; where the driver can swizzle, a colour texture whose every channel reads red gives the
// same values.
GLenum GlowFormat() {
  static const GLenum format = GLWindow::HasExtension("GL_ARB_texture_swizzle") ||
                                        GLWindow::HasExtension("GL_EXT_texture_swizzle")
                                    ? GL_RGBA
                                    : GL_INTENSITY;
  return format;
}

}  // namespace

// The largest power of two that does not exceed the window side (nor the driver's largest
// texture): power-of-two textures hold it exactly, and the pass keeps between half and all of
// the picture's detail at any size, 512 x 512 for 800 x 600 as for 2048 x 2048 for 2880 x 2160.
int32_t CaptureSide(int32_t windowSide) {
  GLint largest = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
  int32_t side = kCaptureSize;
  while (side > 1 && (side > windowSide || side > largest)) side /= 2;
  return side;
}

// Half the pass's larger side, never below 256: the glow samples the pass as it does at
// 800 x 600, so a big capture's glow is as soft, not blockier.
int32_t GlowSide(const GLWindow& window) {
  const GLWindow::Rect picture = window.PictureRect();
  const int32_t pass = CaptureSide(picture.width > picture.height ? picture.width : picture.height);
  return pass / 2 > kGlowSize ? pass / 2 : kGlowSize;
}

// Made at the size the first capture gives them, so that copy only fills them.
void GLWindow::CreateRenderTargets() {
  const Rect picture = PictureRect();
  const int32_t width = CaptureSide(picture.width), height = CaptureSide(picture.height);
  const int32_t glow = GlowSide(*this);
  CreateBlackTexture(m_glowTexture, glow, glow);
  if (GlowFormat() == GL_RGBA) {
    const GLint red[4] = {GL_RED, GL_RED, GL_RED, GL_RED};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, red);
  }
  CreateBlackTexture(m_frameTexture, width, height);
  CreateBlackTexture(m_previousFrameTexture, width, height);
  m_capturedTexture = m_frameTexture;
  m_passStored = false;
}

void GLWindow::DeleteRenderTargets() {
  const GLuint names[] = {m_glowTexture, m_frameTexture, m_previousFrameTexture};
  glDeleteTextures(3, names);
}

// The pass follows the picture's size on the screen, whatever the bars beside it.
void GLWindow::BeginCapture() {
  m_frameAbandoned = false;
  const Rect picture = PictureRect();
  glViewport(0, 0, CaptureSide(picture.width), CaptureSide(picture.height));
}

void GLWindow::DrawPreviousFrame(float alpha) {
  if (!g_previousFrameStored) return;
  ResetTextureUnits();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glBindTexture(GL_TEXTURE_2D, m_previousFrameTexture);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  // The viewport is still the capture corner, so the stored frame lands exactly on the new one.
  Begin2D();
  glColor4f(1.0f, 1.0f, 1.0f, alpha);
  DrawWhitePictureQuad(*this);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
}

void GLWindow::StorePreviousFrame() {
  glBindTexture(GL_TEXTURE_2D, m_previousFrameTexture);
  CopyCapture(*this);
  g_previousFrameStored = true;
  m_passStored = true;
}

// A frame drawn without the trail, or a seek, leaves the stored image behind the picture: a trail
// switched on again starts from the picture of its own first frame, not from one seconds old.
void GLWindow::ForgetPreviousFrame() { g_previousFrameStored = false; }

// Right after StorePreviousFrame the stored image is this very pass: it is drawn from there
// instead of being copied a second time.
void GLWindow::CaptureFrame() {
  if (m_passStored) {
    m_capturedTexture = m_previousFrameTexture;
    m_passStored = false;
  } else {
    m_capturedTexture = m_frameTexture;
    glBindTexture(GL_TEXTURE_2D, m_frameTexture);
    CopyCapture(*this);
  }
  Resize(m_width, m_height);
}

void GLWindow::SetGlowViewport() {
  const int32_t glow = GlowSide(*this);
  glViewport(0, 0, glow, glow);
}

// The opaque quad covers every pixel of the viewport, and nothing later in the frame tests
// depth: only bars beside the picture need clearing, as the 3D pass may have drawn into them.
void GLWindow::DrawFrame() {
  if (HasBars()) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glLoadIdentity();
  ResetTextureUnits();
  glBindTexture(GL_TEXTURE_2D, m_capturedTexture);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_LIGHTING);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  DrawWhitePictureQuad(*this);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
}

void GLWindow::CaptureGlowSource() {
  glBindTexture(GL_TEXTURE_2D, m_glowTexture);
  // The red channel as one grey value that is also the alpha of the copies (GlowFormat).
  const int32_t glow = GlowSide(*this);
  CopyToBoundTexture(GlowFormat(), glow, glow);
  Resize(m_width, m_height);
}

void GLWindow::DrawGlow(int32_t count, float spread) {
  ResetTextureUnits();
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, m_glowTexture);
  Begin2D();
  DrawGlowCopies(count, spread);
  End2D();
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, 0);
}

// Each copy shows a smaller central part of the grey image over nearly the whole window, weaker
// than the one before: added up they give a radial zoom glow around the centre.
// Thousands of copies take seconds in software: past one batch, each batch is finished before the
// queue is asked whether the user wants to stop, and on a stop the rest is left undrawn and the
// frame marked abandoned. The copies are independent quads, so the batches draw the same pixels.
void GLWindow::DrawGlowCopies(int32_t count, float spread) {
  if (count <= 0) return;
  const float w = static_cast<float>(GetPictureWidth());
  const float h = static_cast<float>(GetPictureHeight());
  const float step = 1.0f / static_cast<float>(count);
  float inset = 0.0f;
  float alpha = 1.0f;
  for (int32_t first = 0, end = 0; first < count; first = end) {
    if (first > 0) {
      glFinish();
      if (StopWaiting(g_active)) {
        m_frameAbandoned = true;
        return;
      }
    }
    end = count - first > kGlowBatch ? first + kGlowBatch : count;
    glBegin(GL_QUADS);
    for (int32_t i = first; i < end; ++i) {
      glColor4f(1.0f, 1.0f, 1.0f, alpha);
      glTexCoord2f(inset, 1.0f - inset);
      glVertex2f(inset, inset);
      glTexCoord2f(inset, inset);
      glVertex2f(inset, h - inset);
      glTexCoord2f(1.0f - inset, inset);
      glVertex2f(w - inset, h - inset);
      glTexCoord2f(1.0f - inset, 1.0f - inset);
      glVertex2f(w - inset, inset);
      inset = inset + spread;
      alpha = alpha - step;
    }
    glEnd();
  }
}
