#include "driver/Startup.h"

#include <cstdio>
#include <cstdlib>

#include "driver/Content.h"
#include "driver/Program.h"
#include "platform/MessageBox.h"
#include "platform/TextureCache.h"

bool StartProduction(const StartupOptions& options) {
  OpenLogFile();
  std::printf("VELK 3D Engine - Beta test console\n");
  std::printf("- Opening OpenGL Window\n");
  std::srand(options.randomSeed);

  if (!g_window.Create("QUENTARO Team - Zorbanel!", 800, 600, 32, 100.33f, options.fullscreen))
    return false;
  if (!g_window.CheckExtensions()) {
    MessageBoxA(nullptr, "Multitextura no soportada. No se puede ejecutar esta aplicacion.", "Error!",
                MB_OK);
    std::exit(0);
  }
  g_window.BuildFont();
  g_window.m_fontTexture = AcquireTexture("textures\\font.jpg", false);
  LoadSceneCatalogue();
  g_frameTimer.Start();
  g_infoTimer.Start();
  g_music.Init(g_window.GetHWND());
  g_music.Load("music\\music.ogg");
  LoadLayers();
  LoadParticleSystems();
  g_timeline.LoadScript(kScriptPath);
  g_timeline.SortEvents();
  g_timeline.SetMusic(&g_music);
  g_timeline.SetWindow(&g_window);
  RegisterContent();
  g_timeline.MarkStart();
  g_window.CreateRenderTargets();
  return true;
}

void ShutdownProduction() {
  g_music.Free();
  g_timeline.ReleaseEvents();
  ReleaseContent();
  g_window.DeleteRenderTargets();
  g_window.DeleteFont();
}
