#include "render/Renderer.h"

#include <cstring>

#include "render/ClassicRenderer.h"
#include "render/gl3/Gl3Renderer.h"

namespace {

Renderer* g_active = nullptr;

Renderer& Instance(RendererKind kind) {
  static ClassicRenderer classic;
  static Gl3Renderer gl3;
  if (kind == RendererKind::Gl3) return gl3;
  return classic;
}

}  // namespace

bool ParseRendererKind(const char* text, RendererKind& kind) {
  if (std::strcmp(text, "classic") == 0)
    kind = RendererKind::Classic;
  else if (std::strcmp(text, "gl3") == 0)
    kind = RendererKind::Gl3;
  else
    return false;
  return true;
}

const char* RendererName(RendererKind kind) {
  return kind == RendererKind::Gl3 ? "gl3" : "classic";
}

Renderer& ActiveRenderer() { return g_active ? *g_active : Instance(RendererKind::Classic); }

Renderer& UseRenderer(RendererKind kind) {
  g_active = &Instance(kind);
  return *g_active;
}
