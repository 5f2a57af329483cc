#include "support/TestProduction.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "driver/ContentManifest.h"
#include "support/TestMusic.h"

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

PlayerRun RunPlayer(const TempDir& dir, double timeoutSeconds, double closeAfterSeconds) {
  PlayerRun run;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.path.c_str()) != 0) ::_exit(126);
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::unsetenv("DISPLAY");
    ::execl(ZB_PLAYER, ZB_PLAYER, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (pid < 0) return run;
  int status = 0;
  bool closed = false;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    if (closeAfterSeconds > 0 && !closed && spent.count() > closeAfterSeconds) {
      ::kill(pid, SIGTERM);
      closed = true;
    }
    if (spent.count() > timeoutSeconds) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

namespace {

uint32_t BigEndian32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

uint8_t Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!(mask >> shift & 1)) ++shift;
  return static_cast<uint8_t>((pixel & mask) >> shift);
}

// The screen file of Xvfb: an XWD image (big-endian header, then the colour map, then the
// pixels as the server keeps them). Only the 32-bit true-colour layout of our screen is read.
Screenshot ReadXwd(const std::string& bytes) {
  Screenshot shot;
  if (bytes.size() < 100) return shot;
  uint32_t h[25];
  for (size_t i = 0; i < 25; ++i) h[i] = BigEndian32(bytes, i * 4);
  const uint32_t headerSize = h[0], version = h[1], width = h[4], height = h[5], byteOrder = h[7],
                 bitsPerPixel = h[11], bytesPerLine = h[12], redMask = h[14], greenMask = h[15],
                 blueMask = h[16], colours = h[19];
  const size_t start = headerSize + static_cast<size_t>(colours) * 12;
  if (version != 7 || bitsPerPixel != 32 || width > 4096 || height > 4096 ||
      start + static_cast<size_t>(bytesPerLine) * height > bytes.size())
    return shot;
  shot.width = static_cast<int>(width);
  shot.height = static_cast<int>(height);
  shot.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const size_t at = start + static_cast<size_t>(y) * bytesPerLine + x * 4;
      uint32_t pixel = 0;
      for (int i = 0; i < 4; ++i) {
        const uint32_t byte = static_cast<uint8_t>(bytes[at + i]);
        pixel |= byteOrder == 0 ? byte << (8 * i) : byte << (8 * (3 - i));
      }
      uint8_t* out = &shot.rgb[(static_cast<size_t>(y) * width + x) * 3];
      out[0] = Channel(pixel, redMask);
      out[1] = Channel(pixel, greenMask);
      out[2] = Channel(pixel, blueMask);
    }
  }
  return shot;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

ScreenRun RunPlayerOnVirtualScreen(const TempDir& dir, double timeoutSeconds, const char* logLine,
                                   double shootAfterSeconds) {
  ScreenRun result;
  char pattern[] = "/tmp/zorbanel-screen-XXXXXX";
  const std::string screenDir = ::mkdtemp(pattern);
  const std::string server = "-screen 0 800x600x24 -fbdir " + screenDir;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);  // the player and its X server end together on a timeout
    if (::chdir(dir.path.c_str()) != 0) ::_exit(126);
    ::unsetenv("SDL_VIDEODRIVER");
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::execlp("xvfb-run", "xvfb-run", "-a", "-s", server.c_str(), ZB_PLAYER,
             static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (pid < 0) return result;
  ::setpgid(pid, pid);
  int status = 0;
  double lineSeenAt = -1;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    const double spent =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (spent > timeoutSeconds) {
      ::kill(-pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    if (lineSeenAt < 0 && dir.Read("LOGFILE.TXT").find(logLine) != std::string::npos)
      lineSeenAt = spent;
    if (lineSeenAt >= 0 && result.picture.rgb.empty() && spent >= lineSeenAt + shootAfterSeconds)
      result.picture = ReadXwd(ReadWholeFile(screenDir + "/Xvfb_screen0"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  result.run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::error_code ec;
  std::filesystem::remove_all(screenDir, ec);
  return result;
}
