#ifndef _WIN32
#include <stdlib.h>

#include "OffscreenDrawing.h"

void PreferOffscreenDrawing() { ::setenv("SDL_VIDEODRIVER", "offscreen", 0); }
#endif
