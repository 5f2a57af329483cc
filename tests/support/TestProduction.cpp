#include "support/TestProduction.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
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

// Waits for the child pid to end. With closeAfterSeconds above 0 it is asked to end (SIGTERM)
// after that long; after timeoutSeconds it is killed.
PlayerRun AwaitExit(pid_t pid, std::chrono::steady_clock::time_point start, double timeoutSeconds,
                    double closeAfterSeconds) {
  PlayerRun run;
  int status = 0;
  bool closed = false;
  while (::waitpid(pid, &status, WNOHANG) != pid) {
    const double spent = SecondsSince(start);
    if (closeAfterSeconds > 0 && !closed && spent > closeAfterSeconds) {
      ::kill(pid, SIGTERM);
      closed = true;
    }
    if (spent > timeoutSeconds) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  run.seconds = SecondsSince(start);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace

PlayerRun RunPlayer(const TempDir& dir, double timeoutSeconds, double closeAfterSeconds) {
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
  if (pid < 0) return PlayerRun();
  return AwaitExit(pid, start, timeoutSeconds, closeAfterSeconds);
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

bool WaitUntil(const std::function<bool()>& condition, double seconds) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    if (condition()) return true;
    if (SecondsSince(start) > seconds) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::string PlayerOnScreen::MissingTools() {
  std::string missing;
  for (const char* tool : {"Xvfb", "xdotool"})
    if (std::system((std::string("command -v ") + tool + " > /dev/null").c_str()) != 0)
      missing += missing.empty() ? tool : std::string(" and ") + tool;
  return missing.empty() ? missing : missing + " not installed (scripts/install-deps.sh)";
}

namespace {

// A child that gets deathSignal when the test process dies, so a test killed on a timeout
// leaves nothing running.
pid_t ForkChild(int deathSignal) {
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0 && (::prctl(PR_SET_PDEATHSIG, deathSignal) != 0 || ::getppid() != parent))
    ::_exit(126);
  return pid;
}

void Execute(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  ::execvp(argv[0], argv.data());
  ::_exit(127);
}

void RedirectOutput(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return;
  ::dup2(fd, STDOUT_FILENO);
  ::dup2(fd, STDERR_FILENO);
  ::close(fd);
}

// Xvfb on the first free display, which it names on a pipe once it takes connections; display
// stays empty when it does not.
pid_t StartServer(const std::string& screenDir, std::string& display) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return -1;
  // Terminated, not killed: Xvfb removes its socket on the way out.
  const pid_t pid = ForkChild(SIGTERM);
  if (pid == 0) {
    ::close(pipeFds[0]);
    RedirectOutput("/dev/null");
    Execute({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "800x600x24",
             "-fbdir", screenDir, "-nolisten", "tcp"});
  }
  ::close(pipeFds[1]);
  std::string number;
  pollfd ready{pipeFds[0], POLLIN, 0};
  char c;
  while (pid > 0 && ::poll(&ready, 1, 30000) == 1 && ::read(pipeFds[0], &c, 1) == 1 && c != '\n')
    number += c;
  ::close(pipeFds[0]);
  if (!number.empty()) display = ":" + number;
  return pid;
}

void StopServer(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  AwaitExit(pid, std::chrono::steady_clock::now(), 10, 0);
}

}  // namespace

PlayerOnScreen::PlayerOnScreen(const TempDir& dir, const std::vector<std::string>& arguments)
    : m_dir(dir.path), m_screenDir(dir.path + "/screen") {
  std::filesystem::create_directory(m_screenDir);
  m_server = StartServer(m_screenDir, m_display);
  if (m_display.empty()) return;
  m_startedAt = std::chrono::steady_clock::now();
  m_player = ForkChild(SIGKILL);
  if (m_player == 0) {
    if (::chdir(dir.path.c_str()) != 0) ::_exit(126);
    RedirectOutput(m_screenDir + "/player-stderr.txt");
    ::setenv("DISPLAY", m_display.c_str(), 1);
    ::unsetenv("SDL_VIDEODRIVER");
    ::unsetenv("SDL_AUDIODRIVER");
    // Under the sanitizers, LeakSanitizer's check at the end of an X run now and then crashes
    // while it stops the X and GL threads ("Tracer caught signal 11"): the player's leaks are
    // checked in its runs off screen.
    if (const char* sanitizer = std::getenv("ASAN_OPTIONS"))
      ::setenv("ASAN_OPTIONS", (std::string(sanitizer) + ":detect_leaks=0").c_str(), 1);
    std::vector<std::string> command{ZB_PLAYER};
    command.insert(command.end(), arguments.begin(), arguments.end());
    Execute(command);
  }
}

PlayerOnScreen::~PlayerOnScreen() {
  Finish(0);
  StopServer(m_server);
  std::error_code ec;
  std::filesystem::remove_all(m_screenDir, ec);
}

Screenshot PlayerOnScreen::Shoot() const {
  return ReadXwd(ReadWholeFile(m_screenDir + "/Xvfb_screen0"));
}

bool PlayerOnScreen::Type(const std::string& keys) const {
  const std::string command =
      "DISPLAY=" + m_display + " timeout 20 xdotool key --delay 40 " + keys + " > /dev/null 2>&1";
  return Started() && std::system(command.c_str()) == 0;
}

void PlayerOnScreen::LoseDisplay() {
  StopServer(m_server);
  m_server = -1;
}

PlayerRun PlayerOnScreen::Finish(double timeoutSeconds) {
  if (m_player > 0) {
    m_run = AwaitExit(m_player, m_startedAt, SecondsSince(m_startedAt) + timeoutSeconds, 0);
    m_player = 0;
  }
  return m_run;
}

bool PlayerOnScreen::WaitForLog(const std::string& text, double seconds) const {
  return WaitUntil(
      [&] { return ReadWholeFile(m_dir + "/LOGFILE.TXT").find(text) != std::string::npos; },
      seconds);
}

std::string PlayerOnScreen::Errors() const {
  return ReadWholeFile(m_screenDir + "/player-stderr.txt");
}
