#include "driver/Reload.h"

#include "driver/Program.h"
#include "driver/ContentManifest.h"
#include "driver/Startup.h"

bool ReloadProduction(std::string& why) {
  if (!CheckScriptPlayable(why)) return false;
  const char* path = ProductionManifest().script.path.c_str();
  if (!g_timeline.ReplaceScript(path)) {
    why = std::string(path) + ": no events: nothing would play";
    return false;
  }
  g_timeline.Seek(g_music.Position(), kPlayerSeekFps);
  ReportScriptFindings();
  return true;
}
