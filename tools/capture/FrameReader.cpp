#include "FrameReader.h"

#include <SDL.h>

#include <algorithm>

namespace {

template <typename Entry>
Entry Lookup(const char* name) {
  return reinterpret_cast<Entry>(SDL_GL_GetProcAddress(name));
}

// Rows of the GL's bottom-up picture, from the top.
void CopyFlipped(const uint8_t* bottomUp, int width, int height, std::vector<uint8_t>& rgb) {
  const size_t stride = static_cast<size_t>(width) * 3;
  rgb.resize(stride * height);
  for (int y = 0; y < height; ++y)
    std::copy_n(bottomUp + (height - 1 - y) * stride, stride, &rgb[y * stride]);
}

}  // namespace

FrameReader::FrameReader(int width, int height) : m_width(width), m_height(height) {
  const size_t bytes = static_cast<size_t>(width) * height * 3;
  auto gen = Lookup<PFNGLGENBUFFERSPROC>("glGenBuffers");
  auto data = Lookup<PFNGLBUFFERDATAPROC>("glBufferData");
  m_bind = Lookup<PFNGLBINDBUFFERPROC>("glBindBuffer");
  m_delete = Lookup<PFNGLDELETEBUFFERSPROC>("glDeleteBuffers");
  m_map = Lookup<PFNGLMAPBUFFERPROC>("glMapBuffer");
  m_unmap = Lookup<PFNGLUNMAPBUFFERPROC>("glUnmapBuffer");
  if (gen && data && m_bind && m_delete && m_map && m_unmap) {
    gen(1, &m_buffer);
    m_bind(GL_PIXEL_PACK_BUFFER, m_buffer);
    data(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
    m_bind(GL_PIXEL_PACK_BUFFER, 0);
    if (glGetError() != GL_NO_ERROR) {
      m_delete(1, &m_buffer);
      m_buffer = 0;
    }
  }
  if (!m_buffer) m_direct.resize(bytes);
}

FrameReader::~FrameReader() {
  if (m_buffer) m_delete(1, &m_buffer);
}

void FrameReader::Start() {
  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  if (m_buffer) {
    m_bind(GL_PIXEL_PACK_BUFFER, m_buffer);
    glReadPixels(0, 0, m_width, m_height, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    m_bind(GL_PIXEL_PACK_BUFFER, 0);
  } else {
    glReadPixels(0, 0, m_width, m_height, GL_RGB, GL_UNSIGNED_BYTE, m_direct.data());
  }
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  m_inFlight = true;
}

bool FrameReader::Take(std::vector<uint8_t>& rgb) {
  m_inFlight = false;
  if (!m_buffer) {
    CopyFlipped(m_direct.data(), m_width, m_height, rgb);
    return true;
  }
  m_bind(GL_PIXEL_PACK_BUFFER, m_buffer);
  const void* mapped = m_map(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
  if (mapped) {
    CopyFlipped(static_cast<const uint8_t*>(mapped), m_width, m_height, rgb);
    m_unmap(GL_PIXEL_PACK_BUFFER);
  }
  m_bind(GL_PIXEL_PACK_BUFFER, 0);
  return mapped != nullptr;
}
