#ifndef _WIN32
#include <signal.h>
#include <stdlib.h>

#include "CapturePlatform.h"

const char kFfmpegInstall[] = "bash scripts/install-deps.sh video";
const char kCapturePlatformUsage[] = "";

// SDL itself turns SIGINT into a quit message. The file-size limit is ignored by ffmpeg too,
// which inherits it; the offscreen driver gives a GL context with no display at all.
void PrepareCaptureProcess() {
  ::signal(SIGXFSZ, SIG_IGN);
  ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
}
#endif
