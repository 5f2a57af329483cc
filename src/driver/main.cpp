// The player: start-up, the frame loop and shutdown, in the order they run.
#include <cstdio>
#include <ctime>

#include "driver/Program.h"
#include "driver/Startup.h"
#include "platform/Messages.h"

namespace {

bool g_showInfo = false;

// Until Escape on the active window, a closed window or the script's FX_QUIT.
void RunFrameLoop() {
  char info[256] = "";
  bool done = false;
  while (!done) {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      // All pending messages are handled before the next frame is drawn.
      if (msg.message == WM_QUIT) {
        done = true;
      } else {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      continue;
    }
    if (g_active && g_keys[VK_ESCAPE]) break;
    if (g_keys[VK_F1]) {
      g_showInfo = !g_showInfo;
      g_keys[VK_F1] = false;  // one toggle per key-down message
    }
    g_frameTimer.Reset();
    if (g_timeline.Dispatch()) break;
    g_timeline.Compose();
    if (g_showInfo) {
      if (g_infoTimer.ElapsedMs() > 100) {
        std::snprintf(info, sizeof info, "Time: %.1f | FPS: %2.1f", g_music.Position(),
                      1000.0 / g_frameTimer.ElapsedMs());
        g_infoTimer.Reset();
      }
      const int32_t top = g_window.GetPictureHeight();
      g_window.Print(0, top - 16, "QUENTARO Team [OpenGL 3D Engine]", 0, 1.0f);
      g_window.Print(0, top - 32, info, 0, 1.0f);
    }
    SwapBuffers(g_window.GetHDC());
  }
}

}  // namespace

int main() {
  StartupOptions options;
  options.randomSeed = static_cast<unsigned>(std::time(nullptr));
  if (!StartProduction(options)) return 0;
  g_music.Play();  // from here the script's clock runs

  RunFrameLoop();

  ShutdownProduction();
  return 0;
}
