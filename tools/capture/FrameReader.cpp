#include "FrameReader.h"

#include <cstring>

#include "GlEntry.h"

FrameReader::FrameReader(int x, int y, int width, int height)
    : m_x(x), m_y(y), m_width(width), m_height(height) {
  const size_t bytes = static_cast<size_t>(width) * height * 4;
  auto gen = GlEntry<PFNGLGENBUFFERSPROC>("glGenBuffers");
  auto data = GlEntry<PFNGLBUFFERDATAPROC>("glBufferData");
  m_bind = GlEntry<PFNGLBINDBUFFERPROC>("glBindBuffer");
  m_delete = GlEntry<PFNGLDELETEBUFFERSPROC>("glDeleteBuffers");
  m_map = GlEntry<PFNGLMAPBUFFERPROC>("glMapBuffer");
  m_unmap = GlEntry<PFNGLUNMAPBUFFERPROC>("glUnmapBuffer");
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

// BGRA is what the software renderer keeps: its read is a copy, where RGB took a conversion of
// every pixel on the drawing thread. Rows of four bytes need no alignment setting.
void FrameReader::Start() {
  if (m_buffer) {
    m_bind(GL_PIXEL_PACK_BUFFER, m_buffer);
    glReadPixels(m_x, m_y, m_width, m_height, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    m_bind(GL_PIXEL_PACK_BUFFER, 0);
  } else {
    glReadPixels(m_x, m_y, m_width, m_height, GL_BGRA, GL_UNSIGNED_BYTE, m_direct.data());
  }
  m_inFlight = true;
}

bool FrameReader::Take(std::vector<uint8_t>& bgra) {
  m_inFlight = false;
  bgra.resize(static_cast<size_t>(m_width) * m_height * 4);
  if (!m_buffer) {
    std::memcpy(bgra.data(), m_direct.data(), bgra.size());
    return true;
  }
  m_bind(GL_PIXEL_PACK_BUFFER, m_buffer);
  const void* mapped = m_map(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
  if (mapped) {
    std::memcpy(bgra.data(), mapped, bgra.size());
    m_unmap(GL_PIXEL_PACK_BUFFER);
  }
  m_bind(GL_PIXEL_PACK_BUFFER, 0);
  return mapped != nullptr;
}
