#include "driver/Program.h"

#include <cstdio>
#include <string>

#include "platform/Console.h"
#include "platform/Files.h"

// One translation unit, so the construction order is the order written here.
FrameTimer g_frameTimer;
FrameTimer g_infoTimer;
SceneBinaryFile g_sceneFile;
MusicPlayer g_music;
GLWindow g_window;
Scene g_scenes[kStoreCapacity];
LayerSlot g_layers[kStoreCapacity];
ParticleSystem g_particles[kStoreCapacity];
int32_t g_sceneCount = 0;
int32_t g_layerCount = 0;
int32_t g_particleCount = 0;
Timeline g_timeline;

namespace {

std::string g_logFile = "LOGFILE.TXT";

}  // namespace

void SetLogFile(const std::string& name) { g_logFile = name; }

const std::string& LogFile() { return g_logFile; }

// Runs before anything is printed: the buffering of standard output can only be chosen then.
void OpenLogFile() {
  FILE* log = OpenFile(g_logFile.c_str(), "w");
  if (!log) {
    std::fprintf(stderr, "Cannot write %s: the log goes to the console.\n",
                 g_logFile.c_str());
    return;
  }
  if (!SendStandardOutputTo(log))
    std::fprintf(stderr, "Cannot write %s: the log goes to the console.\n",
                 g_logFile.c_str());
  std::fclose(log);
}
