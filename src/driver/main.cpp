// The player: start-up, the frame loop and shutdown, in the order they run.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "driver/Content.h"
#include "driver/Program.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/TextureLoader.h"

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
      g_window.Print(0, g_window.GetHeight() - 16, "QUENTARO Team [OpenGL 3D Engine]", 0, 1.0f);
      g_window.Print(0, g_window.GetHeight() - 32, info, 0, 1.0f);
    }
    SwapBuffers(g_window.GetHDC());
  }
}

}  // namespace

int main() {
  OpenLogFile();
  std::printf("VELK 3D Engine - Beta test console\n");
  std::printf("- Opening OpenGL Window\n");
  std::srand(static_cast<unsigned>(std::time(nullptr)));

  if (!g_window.Create("QUENTARO Team - Zorbanel!", 800, 600, 32, 100.33f, true)) return 0;
  if (!g_window.CheckExtensions()) {
    MessageBoxA(nullptr, "Multitextura no soportada. No se puede ejecutar esta aplicacion.", "Error!",
                MB_OK);
    std::exit(0);
  }
  g_window.BuildFont();
  g_window.m_fontTexture = TextureLoader::LoadTexture("textures\\font.jpg", false);
  LoadSceneCatalogue();
  g_frameTimer.Start();
  g_infoTimer.Start();
  g_music.Init(g_window.GetHWND());
  g_music.Load("music\\music.ogg");
  LoadLayers();
  LoadParticleSystems();
  g_timeline.LoadScript("escenas_bin\\script2_full.txt");
  g_timeline.SortEvents();
  g_timeline.SetMusic(&g_music);
  g_timeline.SetWindow(&g_window);
  RegisterContent();
  g_window.CreateRenderTargets();
  g_music.Play();

  RunFrameLoop();

  g_music.Free();
  g_timeline.ReleaseEvents();
  ReleaseContent();
  g_window.DeleteRenderTargets();
  g_window.DeleteFont();
  return 0;
}
