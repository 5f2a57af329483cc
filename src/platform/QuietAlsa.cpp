#ifndef _WIN32
#include "platform/QuietAlsa.h"

#include <dlfcn.h>

namespace {

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

QuietAlsa::QuietAlsa() {
  m_library = ::dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
  if (m_library)
    m_setHandler = reinterpret_cast<SetHandler>(::dlsym(m_library, "snd_lib_error_set_handler"));
  if (m_setHandler) m_setHandler(IgnoreAlsaError);
}

QuietAlsa::~QuietAlsa() {
  if (m_setHandler) m_setHandler(nullptr);
  if (m_library) ::dlclose(m_library);
}
#endif  // !_WIN32
