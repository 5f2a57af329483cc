#include "FrameTarget.h"

#include "GlEntry.h"
#include "driver/Program.h"
#include "render/Renderer.h"

int DrawHeight(int width, int height, int pictureWidth, int pictureHeight, bool fill) {
  if (!fill || pictureWidth <= 0 || pictureHeight <= 0) return height;
  // Rounded to the nearest even number, so the cut strips are equal.
  const long long tall =
      (static_cast<long long>(width) * pictureHeight + pictureWidth) / (2LL * pictureWidth) * 2;
  return tall > height ? static_cast<int>(tall) : height;
}

FrameTarget::~FrameTarget() {
  if (!m_framebuffer) return;
  GlEntry<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer")(GL_FRAMEBUFFER, 0);
  GlEntry<PFNGLDELETEFRAMEBUFFERSPROC>("glDeleteFramebuffers")(1, &m_framebuffer);
  const GLuint buffers[] = {m_colour, m_depth};
  GlEntry<PFNGLDELETERENDERBUFFERSPROC>("glDeleteRenderbuffers")(2, buffers);
}

bool FrameTarget::Open(int width, int height, bool fill, std::string& error) {
  const int tall = DrawHeight(width, height, g_window.GetPictureWidth(),
                              g_window.GetPictureHeight(), fill);
  m_frame = GLWindow::Rect{0, (tall - height) / 2, width, height};
  // At the window's own size the window is drawn into, as the player draws.
  if (width == g_window.GetWidth() && tall == g_window.GetHeight()) return true;
  auto genFramebuffers = GlEntry<PFNGLGENFRAMEBUFFERSPROC>("glGenFramebuffers");
  auto bindFramebuffer = GlEntry<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
  auto genRenderbuffers = GlEntry<PFNGLGENRENDERBUFFERSPROC>("glGenRenderbuffers");
  auto bindRenderbuffer = GlEntry<PFNGLBINDRENDERBUFFERPROC>("glBindRenderbuffer");
  auto storage = GlEntry<PFNGLRENDERBUFFERSTORAGEPROC>("glRenderbufferStorage");
  auto attach = GlEntry<PFNGLFRAMEBUFFERRENDERBUFFERPROC>("glFramebufferRenderbuffer");
  auto status = GlEntry<PFNGLCHECKFRAMEBUFFERSTATUSPROC>("glCheckFramebufferStatus");
  if (!genFramebuffers || !bindFramebuffer || !genRenderbuffers || !bindRenderbuffer ||
      !storage || !attach || !status ||
      !GlEntry<PFNGLDELETEFRAMEBUFFERSPROC>("glDeleteFramebuffers") ||
      !GlEntry<PFNGLDELETERENDERBUFFERSPROC>("glDeleteRenderbuffers")) {
    error = "the GL driver cannot draw off the window (no frame buffer objects): use the "
            "picture's own size";
    return false;
  }
  GLint largest = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
  if (width > largest || tall > largest) {
    error = "the GL driver draws at most " + std::to_string(largest) + " pixels a side, and " +
            std::to_string(width) + "x" + std::to_string(tall) + " are needed";
    return false;
  }
  genFramebuffers(1, &m_framebuffer);
  bindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
  // As the window's: colour without alpha, 16-bit depth.
  genRenderbuffers(1, &m_colour);
  bindRenderbuffer(GL_RENDERBUFFER, m_colour);
  storage(GL_RENDERBUFFER, GL_RGB8, width, tall);
  attach(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_colour);
  genRenderbuffers(1, &m_depth);
  bindRenderbuffer(GL_RENDERBUFFER, m_depth);
  storage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, tall);
  attach(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depth);
  bindRenderbuffer(GL_RENDERBUFFER, 0);
  if (status(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE || glGetError() != GL_NO_ERROR) {
    error = "the GL driver cannot draw off the window at " + std::to_string(width) + "x" +
            std::to_string(tall);
    return false;
  }
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  m_drawWidth = width;
  m_drawHeight = tall;
  // The effects' textures follow the picture's size on the frame.
  g_window.Resize(width, tall);
  ActiveRenderer().DeleteTargets(g_window);
  ActiveRenderer().CreateTargets(g_window);
  return true;
}

void FrameTarget::Hold() {
  if (m_framebuffer && (g_window.GetWidth() != m_drawWidth || g_window.GetHeight() != m_drawHeight))
    g_window.Resize(m_drawWidth, m_drawHeight);
}
