// The player: start-up, the frame loop and shutdown, in the order they run.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "driver/Authoring.h"
#include "driver/PlayerOptions.h"
#include "driver/Program.h"
#include "driver/Startup.h"
#include "platform/Console.h"
#include "platform/Messages.h"
#include "render/Renderer.h"

namespace {

bool g_showInfo = false;

// At the picture's top-left corner, bars or not: the information text, or while paused a mark
// alone; along its bottom, why a reload was refused, for a few seconds.
void DrawOverlay(const Authoring& authoring, const char* info) {
  const int32_t top = g_window.GetPictureHeight();
  Renderer& renderer = ActiveRenderer();
  if (g_showInfo) {
    renderer.Print(g_window, 0, top - 16, ProductionInfoTitle(), 0, 1.0f);
    renderer.Print(g_window, 0, top - 32, info, 0, 1.0f);
  } else if (authoring.Paused()) {
    renderer.Print(g_window, 0, top - 16, "paused", 0, 1.0f);
  }
  if (const char* notice = authoring.Notice()) renderer.PrintOnBand(g_window, 8, notice);
}

// Until Escape on the active window, a closed window or the script's FX_QUIT.
void RunFrameLoop(Authoring& authoring) {
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
    // Presses, not only held keys: a tap between two frames still counts.
    const bool escape = TakeKeyPresses(VK_ESCAPE) > 0 || g_keys[VK_ESCAPE];
    if (g_active && escape) break;
    if (TakeKeyPresses(VK_F1) % 2) g_showInfo = !g_showInfo;  // one toggle per key-down
    authoring.BeforeFrame();
    g_frameTimer.Reset();
    if (g_timeline.Dispatch()) break;
    g_timeline.Compose();
    // Cut short by a stop request: not shown, and the messages that asked end the loop.
    if (g_window.m_frameAbandoned) continue;
    // Paused, the clock that paces the text stands still: the text follows every seek.
    if (g_showInfo && (g_infoTimer.ElapsedMs() > 100 || authoring.Paused())) {
      authoring.FormatInfo(info, sizeof info, g_frameTimer.ElapsedMs());
      g_infoTimer.Reset();
    }
    DrawOverlay(authoring, info);
    SwapBuffers(g_window.GetHDC());
    authoring.AfterFrame();
  }
}

}  // namespace

int main(int argc, char** argv) {
  UseStartingConsole();
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  std::vector<const char*> args;
  for (const std::string& a : arguments) args.push_back(a.c_str());
  PlayerOptions options;
  std::string error;
  switch (ParsePlayerOptions(static_cast<int>(args.size()) - 1, args.data() + 1, options, error)) {
    case PlayerCommand::Help: std::fputs(kPlayerUsage, stdout); return 0;
    case PlayerCommand::Version: std::puts("zorbanel 1.0"); return 0;
    case PlayerCommand::Bad:
      std::fprintf(stderr, "zorbanel: %s\nTry 'zorbanel --help'.\n", error.c_str());
      return 2;
    case PlayerCommand::Play: break;
  }
  if (!EnterProduction(options.production)) return 1;

  Authoring authoring(options);
  StartupOptions startup;
  startup.randomSeed = static_cast<unsigned>(std::time(nullptr));
  startup.fullscreen = options.window != WindowChoice::Window;
  startup.renderer = options.renderer;
  // Every way out, a fault at start-up included, comes back here and shuts down in the reverse
  // order of start-up, while the texture cache and the GL context the scenes hold are still
  // there.
  int status = 0;
  if (StartProduction(startup, status)) {
    authoring.Begin();
    g_music.Play();  // from here the script's clock runs
    RunFrameLoop(authoring);
  }
  ShutdownProduction();
  authoring.ExitIfConverting(status);
  return status;
}
