#ifdef _WIN32
#include "OffscreenDrawing.h"

void PreferOffscreenDrawing() {}
#endif
