#ifndef _WIN32
#include "platform/DisplayLoss.h"

#include <dlfcn.h>
#include <unistd.h>

#include "platform/StatusLine.h"

namespace {

typedef int (*IOErrorHandler)(void* display);
typedef IOErrorHandler (*SetIOErrorHandler)(IOErrorHandler handler);

int DisplayLost(void*) {
  PrintStatus("- The connection to the display was lost: the program ends\n");
  ::_exit(1);
}

}  // namespace

void EndAtOnceWhenTheDisplayIsLost() {
  // SDL loads libX11 itself when it drives X; a library not loaded means no X to lose.
  void* x11 = ::dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (!x11) return;
  if (auto set = reinterpret_cast<SetIOErrorHandler>(::dlsym(x11, "XSetIOErrorHandler")))
    set(DisplayLost);
  ::dlclose(x11);  // only this reference: SDL keeps the library loaded
}
#endif  // !_WIN32
