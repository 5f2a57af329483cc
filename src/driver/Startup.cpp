#include "driver/Startup.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/Content.h"
#include "driver/ContentCheck.h"
#include "driver/ContentManifest.h"
#include "driver/Program.h"
#include "platform/MessageBox.h"
#include "platform/TextureCache.h"

namespace {

ContentManifest g_manifest;

// Start-up faults and warnings go to the log and to standard error, where the author looks.
void Report(const char* label, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    std::printf("- %s: %s\n", label, line.c_str());
    std::fprintf(stderr, "zorbanel: %s: %s\n", label, line.c_str());
  }
}

[[noreturn]] void StopWith(const std::vector<std::string>& faults) {
  Report("error", faults);
  std::exit(1);
}

// Before the window opens: a production that cannot play stops here.
void ReadManifestAndScript() {
  std::vector<std::string> faults;
  if (!ReadProductionManifest(g_manifest, faults)) StopWith(faults);
  if (g_manifest.source == kManifestFile) std::printf("- Manifest: %s\n", kManifestFile);
  std::string fault;
  if (!CheckScriptPlayable(g_manifest.script.path, fault)) StopWith({fault});
  std::vector<std::string> missing;
  ScriptTargets unused;
  CheckContentFiles(g_manifest, false, unused, missing);
  Report("warning", missing);
}

}  // namespace

bool CheckScriptPlayable(const std::string& script, std::string& fault) {
  std::string text, error;
  if (!ReadScriptText(script.c_str(), text, error)) {
    fault = script + ": cannot be read: " + error;
    return false;
  }
  const ScriptCheck check = CheckScript(text, ScriptTargets());
  if (!check.plainText)
    fault = script + ": not plain text (UTF-16 or NUL bytes): save it as ASCII or UTF-8";
  else if (check.events == 0)
    fault = script + ": no events: nothing would play";
  return check.plainText && check.events > 0;
}

void ReportScriptFindings() {
  ScriptTargets targets;
  targets.scenes = g_sceneCount;
  for (int32_t i = 0; i < g_sceneCount; ++i)
    targets.sceneCameras.push_back(static_cast<int32_t>(g_scenes[i].cameraCount));
  targets.layers = g_layerCount;
  targets.particles = g_particleCount;
  for (int s = 0; s < kNoiseSets; ++s) targets.noiseSet[s] = g_noiseSetFirstLayer[s] >= 0;
  targets.musicSeconds = g_music.Length();
  std::vector<std::string> findings;
  int32_t eventLines = 0;
  CheckContentScript(g_manifest, targets, findings, eventLines);
  Report("warning", findings);
  std::printf("- Script %s: %d events read\n", g_manifest.script.path.c_str(), g_timeline.eventCount);
}

bool StartProduction(const StartupOptions& options) {
  OpenLogFile();
  std::printf("VELK 3D Engine - Beta test console\n");
  std::printf("- Opening OpenGL Window\n");
  ReadManifestAndScript();
  std::srand(options.randomSeed);
  // The font and the layers decode on other threads while the window opens and scenes load.
  std::vector<std::string> pictures{g_manifest.font.path};
  for (const ManifestLayer& layer : g_manifest.layers) pictures.push_back(layer.path);
  PrefetchTextures(pictures);

  if (!g_window.Create("QUENTARO Team - Zorbanel!", 800, 600, 32, 100.33f, options.fullscreen))
    return false;
  if (!g_window.CheckExtensions()) {
    MessageBoxA(nullptr, "Multitextura no soportada. No se puede ejecutar esta aplicacion.", "Error!",
                MB_OK);
    std::exit(0);
  }
  g_window.BuildFont();
  g_window.m_fontTexture = AcquireTexture(g_manifest.font.path.c_str(), false);
  LoadSceneCatalogue(g_manifest);
  g_frameTimer.Start();
  g_infoTimer.Start();
  g_music.Init(g_window.GetHWND());
  g_music.Load(g_manifest.music.path.c_str());
  LoadLayers(g_manifest);
  LoadParticleSystems(g_manifest);
  g_timeline.LoadScript(g_manifest.script.path.c_str());
  g_timeline.SortEvents();
  g_timeline.SetMusic(&g_music);
  g_timeline.SetWindow(&g_window);
  RegisterContent(g_manifest);
  g_timeline.MarkStart();
  ReportScriptFindings();
  g_window.CreateRenderTargets();
  return true;
}

const ContentManifest& ProductionManifest() { return g_manifest; }

void SetProductionManifest(const ContentManifest& manifest) { g_manifest = manifest; }

void ShutdownProduction() {
  g_music.Free();
  g_timeline.ReleaseEvents();
  ReleaseContent();
  g_window.DeleteRenderTargets();
  g_window.DeleteFont();
}
