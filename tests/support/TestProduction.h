#pragma once
// What a run of the player needs from a test: a production to read, and a run with a timeout.
#include <cstdint>
#include <string>
#include <vector>

#include "particles/ParticleSystem.h"
#include "support/TempDir.h"
#include "support/TestJpeg.h"

// What every test production holds besides its scenes: the font, the seventeen layer textures
// (the masks green, logo2 yellow, the rest grey), the blue particle texture, musicSeconds of
// silent music, and the script.
void WriteProductionMedia(const TempDir& dir, double musicSeconds, const std::string& script);

// The particle system file of the production (system 0), textured with the particle texture.
// The texture is named, not loaded: the file needs only its name, so no GL context is needed.
void WriteParticleFile(const std::vector<Particle>& particles);

// Runs the player in dir with no display and no sound device, killing it after timeoutSeconds.
// With closeAfterSeconds above 0 it is asked to end (SIGTERM, which SDL turns into a close of the
// window) after that long. Gives its exit status (-1 when it did not exit normally) and the run's
// length in seconds.
struct PlayerRun {
  int status = -1;
  double seconds = 0;
};
PlayerRun RunPlayer(const TempDir& dir, double timeoutSeconds, double closeAfterSeconds = 0);

// A picture of the screen: rows from the top, three bytes (r, g, b) per pixel.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Runs the player on a virtual X screen of 800 x 600 (Xvfb, whose screen memory is also a file
// the test can read while the player runs) with no sound device. Once the log holds logLine, it
// waits shootAfterSeconds more and takes the screen as it stands. The run is killed after
// timeoutSeconds. A picture is empty when it could not be taken.
struct ScreenRun {
  PlayerRun run;
  Screenshot picture;
};
ScreenRun RunPlayerOnVirtualScreen(const TempDir& dir, double timeoutSeconds, const char* logLine,
                                   double shootAfterSeconds);
