#pragma once
// What a run of the player needs from a test: textures to read, and a run with a timeout.
#include <string>

#include "support/TempDir.h"

// A width x height JPEG of one colour.
std::string EncodeSolidJpeg(int width, int height, unsigned char r, unsigned char g, unsigned char b);

// Runs the player in dir with no display and no sound device, killing it after timeoutSeconds.
// With closeAfterSeconds above 0 it is asked to end (SIGTERM, which SDL turns into a close of the
// window) after that long. Gives its exit status (-1 when it did not exit normally) and the run's
// length in seconds.
struct PlayerRun {
  int status = -1;
  double seconds = 0;
};
PlayerRun RunPlayer(const TempDir& dir, double timeoutSeconds, double closeAfterSeconds = 0);
