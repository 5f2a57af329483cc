#include "driver/Reload.h"

#include <cstdio>

#include "driver/Program.h"
#include "driver/ContentManifest.h"
#include "driver/Startup.h"
#include "platform/Files.h"

bool ReloadProduction(std::string& why) {
  const char* path = ProductionManifest().script.path.c_str();
  FILE* script = OpenFile(path, "r");
  if (!script) {
    why = std::string(path) + " cannot be read";
    return false;
  }
  std::fclose(script);
  if (!g_timeline.ReplaceScript(path)) {
    why = std::string(path) + " holds no events";
    return false;
  }
  g_timeline.Seek(g_music.Position(), kPlayerSeekFps);
  return true;
}
