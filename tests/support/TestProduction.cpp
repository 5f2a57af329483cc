#include "support/TestProduction.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>
#include <vector>

#include "driver/ContentManifest.h"
#include "support/TestMusic.h"
#include "support/TestProcess.h"

void WriteSmallProduction(const TempDir& dir, const std::string& entries, const std::string& script) {
  dir.Write("production.txt",
            "font textures/font.jpg\nmusic music/music.ogg\nscript script.txt\n" + entries);
  dir.Write("textures/font.jpg", EncodeSolidJpeg(16, 16, 255, 255, 255));
  dir.Write("music/music.ogg", EncodeSilentOgg(60));
  dir.Write("script.txt", script);
}

void WriteProductionMedia(const TempDir& dir, double musicSeconds, const std::string& script) {
  // The bundled production's names: grey cards, green noise masks, a yellow last layer (the logo).
  const ContentManifest& bundled = DefaultManifest();
  dir.Write(bundled.font.path, EncodeSolidJpeg(16, 16, 255, 255, 255));
  for (size_t i = 0; i < bundled.layers.size(); ++i) {
    const bool mask = bundled.layers[i].path.find("mask_") != std::string::npos;
    const bool last = i + 1 == bundled.layers.size();
    dir.Write(bundled.layers[i].path, last ? EncodeSolidJpeg(8, 8, 255, 255, 0)
                                      : mask ? EncodeSolidJpeg(8, 8, 0, 80, 0)
                                             : EncodeSolidJpeg(8, 8, 40, 40, 40));
  }
  dir.Write("textures/particula.jpg", EncodeSolidJpeg(8, 8, 0, 0, 255));
  // Every file the manifest names is there, for the player stops on one that is not: empty
  // scenes (a zero header and four zero counts) and a particle file of no particles.
  for (const ManifestScene& scene : bundled.scenes)
    dir.Write("escenas_bin/" + scene.name + ".bin", std::string(84, '\0'));
  dir.Write(bundled.particleFiles[0].path, std::string(16, '\0'));
  dir.Write(bundled.music.path, EncodeSilentOgg(musicSeconds));
  dir.Write(bundled.script.path, script);
}

void WriteParticleFile(const std::vector<Particle>& particles) {
  ParticleSystem system;
  ASSERT_TRUE(system.Allocate(static_cast<uint32_t>(particles.size()), 0, 0));
  std::snprintf(system.textureNames[0], ParticleSystem::kNameLength, "textures\\particula.jpg");
  system.textureCount = 1;
  for (size_t i = 0; i < particles.size(); ++i) {
    system.particles[i] = particles[i];
    system.textureIndex[i] = 0;
  }
  ASSERT_TRUE(system.WriteFile(DefaultManifest().particleFiles[0].path.c_str()));
  system.Release();
}

std::vector<std::string> ForeignLines(const std::string& console) {
  std::vector<std::string> foreign;
  std::istringstream lines(console);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("- ", 0) != 0 && line.rfind("zorbanel: ", 0) != 0) foreign.push_back(line);
  return foreign;
}

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, double seconds) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    if (condition()) return true;
    if (SecondsSince(start) > seconds) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

PlayerRun RunPlayer(const TempDir& dir, double timeoutSeconds, double closeAfterSeconds) {
  const auto start = std::chrono::steady_clock::now();
  TestProcess player;
  PlayerRun run;
  if (!player.Start({ZB_PLAYER}, HeadlessSetup(dir.path))) return run;
  int status = 0;
  if (closeAfterSeconds > 0 && !WaitUntil([&] { return player.Ended(status); }, closeAfterSeconds))
    player.AskToEnd();
  run.status = player.Wait(timeoutSeconds - SecondsSince(start));
  run.seconds = SecondsSince(start);
  return run;
}

