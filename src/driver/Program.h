#pragma once
// The process-wide objects of the player, all constructed before main runs and destroyed at
// process exit in reverse order: the timers, the scene file reader, the music, the window, the
// three content stores and the timeline that addresses them.
#include <cstdint>
#include <string>

#include "effects/LayerSlot.h"
#include "particles/ParticleSystem.h"
#include "platform/FrameTimer.h"
#include "platform/GLWindow.h"
#include "platform/MusicPlayer.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "timeline/Timeline.h"

constexpr int32_t kStoreCapacity = 50;

extern FrameTimer g_frameTimer;  // length of the current frame
extern FrameTimer g_infoTimer;   // paces the refresh of the information text
extern SceneBinaryFile g_sceneFile;
extern MusicPlayer g_music;
extern GLWindow g_window;
// Entries in use are [0, count); a store index is the script's target index.
extern Scene g_scenes[kStoreCapacity];
extern LayerSlot g_layers[kStoreCapacity];
extern ParticleSystem g_particles[kStoreCapacity];
extern int32_t g_sceneCount;
extern int32_t g_layerCount;
extern int32_t g_particleCount;
extern Timeline g_timeline;

// Standard output becomes the log file in the working directory, truncated: "LOGFILE.TXT", or
// the name a tool set before start-up so that its runs keep the player's log and each other's.
// Where that file cannot be written the log stays on the console, and standard error says why.
void OpenLogFile();
void SetLogFile(const std::string& name);
const std::string& LogFile();
