#include "render/gl3/Gl3Api.h"

#include "platform/GLWindow.h"

Gl3Api gl3;

bool Gl3Api::Load(const char*& missing) {
  missing = nullptr;
#define ZB_GL3_LOAD(type, field, name)                  \
  field = reinterpret_cast<type>(GLProcAddress(#name)); \
  if (!field && !missing) missing = #name;
  ZB_GL3_ENTRIES(ZB_GL3_LOAD)
#undef ZB_GL3_LOAD
  return missing == nullptr;
}
