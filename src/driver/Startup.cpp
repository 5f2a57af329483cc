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
#include "platform/Random.h"
#include "platform/StatusLine.h"
#include "platform/TextureCache.h"
#include "platform/TextureLoader.h"
#include "render/Renderer.h"

namespace {

ContentManifest g_manifest;
float g_musicSeconds = 0;  // of the manifest's music, as checked; 0: none to play

// Start-up faults and warnings go to the log and to standard error, where the author looks.
void Report(const char* label, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    std::printf("- %s: %s\n", label, line.c_str());
    std::fprintf(stderr, "zorbanel: %s: %s\n", label, line.c_str());
  }
}

// Before the window opens: a production that cannot play stops here, every fault told.
bool ReadManifestAndScript() {
  std::vector<std::string> faults;
  if (!ReadProductionManifest(g_manifest, faults)) {
    Report("error", faults);
    return false;
  }
  if (g_manifest.source == kManifestFile) std::printf("- Manifest: %s\n", kManifestFile);
  const std::string silence = SilentClockNote(g_manifest);
  if (!silence.empty()) std::printf("- %s\n", silence.c_str());
  std::string fault;
  if (!CheckScriptPlayable(g_manifest.script.path, fault)) faults.push_back(fault);
  std::vector<std::string> warnings = g_manifest.warnings;
  ScriptTargets targets;
  CheckContentFiles(g_manifest, false, targets, faults, &warnings);
  g_musicSeconds = targets.musicSeconds;
  Report("warning", warnings);
  Report("error", faults);
  return faults.empty();
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

void ReportScriptFindings(const std::vector<std::string>& contentWarnings) {
  Report("warning", contentWarnings);
  ScriptTargets targets;
  targets.scenes = g_sceneCount;
  for (int32_t i = 0; i < g_sceneCount; ++i)
    targets.sceneCameras.push_back(static_cast<int32_t>(g_scenes[i].cameraCount));
  targets.layers = g_layerCount;
  targets.particles = g_particleCount;
  for (int s = 0; s < kNoiseSets; ++s) targets.noiseSet[s] = g_noiseSetFirstLayer[s] >= 0;
  targets.musicSeconds = g_music.Length();
  targets.tempo = g_manifest.tempo;
  std::vector<std::string> findings;
  int32_t eventLines = 0;
  CheckContentScript(g_manifest, targets, findings, eventLines);
  Report("warning", findings);
  std::printf("- Script %s: %d events read\n", g_manifest.script.path.c_str(), g_timeline.eventCount);
}

namespace {

// The window with a context for the chosen renderer, and the renderer started in it. Where the
// shader renderer cannot have its context or its programs, one line says so and the classic one
// draws instead, in a window made anew for it.
bool OpenWindow(const StartupOptions& options) {
  Renderer* renderer = &UseRenderer(options.renderer);
  g_window.m_coreProfile = options.renderer == RendererKind::Gl3;
  if (!g_window.Create(ProductionTitle(), 800, 600, 32, 100.33f, options.fullscreen))
    return false;
  if (renderer->Kind() == RendererKind::Gl3 && !g_window.m_coreProfile)
    renderer = &UseRenderer(RendererKind::Classic);
  std::string fault;
  if (renderer->Start(g_window, fault)) return true;
  if (renderer->Kind() == RendererKind::Classic) return false;
  PrintStatus("- The gl3 renderer cannot start (%s): drawing with the classic renderer\n",
              fault.c_str());
  g_window.Destroy();
  renderer = &UseRenderer(RendererKind::Classic);
  g_window.m_coreProfile = false;
  return g_window.Create(ProductionTitle(), 800, 600, 32, 100.33f, options.fullscreen) &&
         renderer->Start(g_window, fault);
}

}  // namespace

bool StartProduction(const StartupOptions& options, int& status) {
  status = 1;  // a fault of the content, unless told otherwise below
  OpenLogFile();
  std::printf("VELK 3D Engine - Beta test console\n");
  std::printf("- Opening OpenGL Window\n");
  if (!ReadManifestAndScript()) return false;
  SeedRandom(options.randomSeed);
  // The font and the layers decode on other threads while the window opens and scenes load.
  std::vector<std::string> pictures{g_manifest.font.path};
  for (const ManifestLayer& layer : g_manifest.layers) pictures.push_back(layer.path);
  PrefetchTextures(pictures);

  status = 0;  // the window's own faults have shown their box and end quietly
  if (!OpenWindow(options)) return false;
  status = 1;
  // A texture that cannot be loaded has been told by the loader: start-up stops at the end of
  // that step.
  const auto loaded = [] { return TextureLoader::FailureCount() == 0; };
  g_window.m_fontTexture = AcquireTexture(g_manifest.font.path.c_str(), false);
  if (!loaded()) return false;
  LoadSceneCatalogue(g_manifest);
  if (!loaded()) return false;
  g_frameTimer.Start();
  g_infoTimer.Start();
  g_music.Init(g_window.GetHWND());
  LoadMusic(g_manifest, g_musicSeconds);
  LoadLayers(g_manifest);
  if (!loaded()) return false;
  LoadParticleSystems(g_manifest);
  if (!loaded()) return false;
  g_timeline.tempo = g_manifest.tempo;
  g_timeline.LoadScript(g_manifest.script.path.c_str());
  g_timeline.SortEvents();
  g_timeline.SetMusic(&g_music);
  g_timeline.SetWindow(&g_window);
  RegisterContent(g_manifest);
  g_timeline.MarkStart();
  ReportScriptFindings({});
  ActiveRenderer().CreateTargets(g_window);
  status = 0;
  return true;
}

const ContentManifest& ProductionManifest() { return g_manifest; }

void SetProductionManifest(const ContentManifest& manifest) { g_manifest = manifest; }

const char* ProductionTitle() {
  return g_manifest.title.empty() ? "QUENTARO Team - Zorbanel!" : g_manifest.title.c_str();
}

const char* ProductionInfoTitle() {
  return g_manifest.title.empty() ? "QUENTARO Team [OpenGL 3D Engine]" : g_manifest.title.c_str();
}

void ShutdownProduction() {
  g_music.Free();
  g_timeline.ReleaseEvents();
  // Each texture goes while the context that holds it is still there.
  if (g_window.m_hRC) {
    ReleaseContent();
    ReleaseTexture(g_window.m_fontTexture);
    g_window.m_fontTexture = 0;
    ActiveRenderer().DeleteTargets(g_window);
    ActiveRenderer().Stop(g_window);
  }
  // The window and its context go with the process: the driver keeps what it allocated until
  // then, and nothing of ours is left in them.
}
