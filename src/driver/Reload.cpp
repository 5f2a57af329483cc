#include "driver/Reload.h"

#include <cstdio>

#include "driver/Program.h"
#include "driver/Startup.h"
#include "platform/Files.h"

bool ReloadProduction(std::string& why) {
  FILE* script = OpenFile(kScriptPath, "r");
  if (!script) {
    why = std::string(kScriptPath) + " cannot be read";
    return false;
  }
  std::fclose(script);
  if (!g_timeline.ReplaceScript(kScriptPath)) {
    why = std::string(kScriptPath) + " holds no events";
    return false;
  }
  g_timeline.Seek(g_music.Position(), kPlayerSeekFps);
  return true;
}
