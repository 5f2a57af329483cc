#include "driver/Reload.h"

#include <algorithm>
#include <vector>

#include "driver/Content.h"
#include "driver/ContentCheck.h"
#include "driver/ContentManifest.h"
#include "driver/Program.h"
#include "driver/Startup.h"
#include "platform/Files.h"
#include "platform/TextureCache.h"

namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "; ") + line;
  return text;
}

// The old content goes and the manifest's is loaded into the emptied stores, in start-up's order.
// The timeline is put back to its start first, so the state a seek returns to is taken again
// with the new targets. The font and the music are read again when named anew or changed on disk.
void LoadContent(const ContentManifest& manifest, float musicSeconds,
                 const std::vector<std::string>& changedFiles) {
  const auto changed = [&](const std::string& path) {
    return std::find(changedFiles.begin(), changedFiles.end(), ResolvePath(path.c_str())) !=
           changedFiles.end();
  };
  const ContentManifest& old = ProductionManifest();
  g_timeline.start.ApplyTo(g_timeline);
  g_timeline.ForgetTargets();
  ReleaseContent();
  if (manifest.font.path != old.font.path || changed(manifest.font.path)) {
    ReleaseTexture(g_window.m_fontTexture);
    g_window.m_fontTexture = AcquireTexture(manifest.font.path.c_str(), false);
  }
  LoadSceneCatalogue(manifest);
  if (manifest.music.path != old.music.path || changed(manifest.music.path)) {
    const bool playing = g_music.m_playing;
    LoadMusic(manifest, musicSeconds);
    if (playing) g_music.Play();
  }
  LoadLayers(manifest);
  LoadParticleSystems(manifest);
  RegisterContent(manifest);
  g_timeline.MarkStart();
}

}  // namespace

bool ReloadProduction(std::string& why, bool& contentLoaded,
                      const std::vector<std::string>& changedFiles) {
  contentLoaded = false;
  ContentManifest manifest;
  std::vector<std::string> faults;
  if (!ReadProductionManifest(manifest, faults)) {
    why = Joined(faults);
    return false;
  }
  if (!CheckScriptPlayable(manifest.script.path, why)) return false;
  const bool newContent =
      !changedFiles.empty() || !SameContent(manifest, ProductionManifest());
  // What start-up plays on with, a reload takes too, and says so.
  std::vector<std::string> warnings = manifest.warnings;
  ScriptTargets targets;
  if (newContent) {
    // Start-up may stop on a file it cannot use: a reload reads every one first.
    CheckContentFiles(manifest, true, targets, faults, &warnings);
    if (!faults.empty()) {
      why = Joined(faults);
      return false;
    }
  }
  const float now = g_music.Position();
  if (newContent) LoadContent(manifest, targets.musicSeconds, changedFiles);
  contentLoaded = newContent;
  SetProductionManifest(manifest);
  // Only a script changed since its check gives no events here: the events held play on.
  g_timeline.tempo = manifest.tempo;
  const bool scriptTaken = g_timeline.ReplaceScript(manifest.script.path.c_str());
  if (!scriptTaken) why = manifest.script.path + ": no events: nothing would play";
  g_timeline.Seek(now, kPlayerSeekFps);
  ReportScriptFindings(warnings);
  return scriptTaken;
}
