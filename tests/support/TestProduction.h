#pragma once
// What a run of the player needs from a test: a production to read, and a run with a timeout.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "particles/ParticleSystem.h"
#include "support/TempDir.h"
#include "support/TestJpeg.h"
#include "support/TestProcess.h"

// What every test production holds: the font, the seventeen layer textures (the masks green,
// logo2 yellow, the rest grey), the blue particle texture, musicSeconds of silent music, the
// script, and scenes and a particle file with nothing in them.
void WriteProductionMedia(const TempDir& dir, double musicSeconds, const std::string& script);

// A production of its own manifest: a white font, 60 s of silent music and script.txt holding
// script, listed in production.txt before `entries` (whole lines).
void WriteSmallProduction(const TempDir& dir, const std::string& entries, const std::string& script);

// The particle system file of the production (system 0), textured with the particle texture.
// The texture is named, not loaded: the file needs only its name, so no GL context is needed.
void WriteParticleFile(const std::vector<Particle>& particles);

// Runs the player in dir with no display and no sound device, killing it after timeoutSeconds.
// With closeAfterSeconds above 0 it is asked to end (TestProcess::AskToEnd) after that long.
// Gives its exit status (-1 when it did not end in time) and the run's length in seconds.
struct PlayerRun {
  int status = -1;
  double seconds = 0;
};
PlayerRun RunPlayer(const TempDir& dir, double timeoutSeconds, double closeAfterSeconds = 0);

// The lines of a run's console output that are not the player's own (its status lines start
// with "- ", its messages with "zorbanel: "): what some library printed.
std::vector<std::string> ForeignLines(const std::string& console);

// A picture of the screen: rows from the top, three bytes (r, g, b) per pixel.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Polls condition every 20 ms until it holds (true) or seconds have passed (false).
bool WaitUntil(const std::function<bool()>& condition, double seconds);

// The player on a virtual X screen, 800 x 600 unless told (Xvfb, whose screen memory is also a
// file the test reads while the player runs), in dir with arguments, as from a user's shell: SDL
// picks its drivers itself, and finds no sound device here. Keys are typed with xdotool. The player and the
// X server are killed when the object goes (or the test process dies) if they still run.
class PlayerOnScreen {
 public:
  // Empty when Xvfb and xdotool are installed: otherwise what is missing, for a skip. Elsewhere
  // than on Linux, always the reason: the screen is read from Xvfb's screen file.
  static std::string MissingTools();

  // screen: the virtual screen's size, WIDTHxHEIGHT.
  PlayerOnScreen(const TempDir& dir, const std::vector<std::string>& arguments,
                 const std::string& screen = "800x600");
  ~PlayerOnScreen();
  PlayerOnScreen(const PlayerOnScreen&) = delete;
  PlayerOnScreen& operator=(const PlayerOnScreen&) = delete;

  bool Started() const { return m_player.Started(); }
  // The screen as it stands; empty when it cannot be read.
  Screenshot Shoot() const;
  // Taps the keys (xdotool names, such as "space" or "Right") one after the other.
  bool Type(const std::string& keys) const;
  // Runs xdotool with these arguments on the screen; true when it succeeds.
  bool Xdotool(const std::string& arguments) const;
  // Ends the X server under the running player.
  void LoseDisplay();
  // Waits for the player to end; killed after timeoutSeconds. Gives its exit status and length.
  PlayerRun Finish(double timeoutSeconds);
  // Waits until the player's log holds text.
  bool WaitForLog(const std::string& text, double seconds) const;
  // What the player wrote to standard error.
  std::string Errors() const;

 private:
  std::string m_dir;
  std::string m_screenDir;
  std::string m_display;
  int m_server = -1;
  TestProcess m_player;
  bool m_finished = false;
  std::chrono::steady_clock::time_point m_startedAt;
  PlayerRun m_run;
};
