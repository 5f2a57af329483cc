#ifdef _WIN32
#include <SDL.h>
#include <windows.h>

#include "CapturePlatform.h"

const char kFfmpegInstall[] = "ffmpeg.exe and ffprobe.exe on the PATH or beside this program";
const char kCapturePlatformUsage[] =
    "\n"
    "On Windows: videos need ffmpeg.exe (and --join ffprobe.exe too) on the PATH or beside\n"
    "zorbanel-capture.exe; --frames needs neither. The production is drawn in a window of its\n"
    "own. Ctrl+C or Ctrl+Break ends the capture as on other systems: a video is finished.\n";

namespace {

// Ctrl+C and Ctrl+Break end the frame loop as a closed window would; before the production's
// window exists they end the process, as nothing is being written yet. ffmpeg, in a process
// group of its own, is not told.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (!SDL_WasInit(SDL_INIT_EVENTS)) return FALSE;
  SDL_Event quit = {};
  quit.type = SDL_QUIT;
  return SDL_PushEvent(&quit) == 1;
}

}  // namespace

// No file-size signal exists here. SDL's offscreen driver needs EGL, which Windows lacks: the
// production draws in its usual window.
void PrepareCaptureProcess() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }
#endif
