#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/TestProcess.h"
#include "support/TestProduction.h"

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

std::string PlayerOnScreen::MissingTools() {
  std::string missing;
  for (const char* tool : {"Xvfb", "xdotool"})
    if (std::system((std::string("command -v ") + tool + " > /dev/null").c_str()) != 0)
      missing += missing.empty() ? tool : std::string(" and ") + tool;
  return missing.empty() ? missing : missing + " not installed (scripts/install-deps.sh)";
}

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Xvfb on the first free display, which it names on a pipe once it takes connections; display
// stays empty when it does not. It is terminated, not killed, when the test process dies: Xvfb
// removes its socket on the way out.
pid_t StartServer(const std::string& screenDir, const std::string& screen, std::string& display) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return -1;
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || ::getppid() != parent) ::_exit(126);
    ::close(pipeFds[0]);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    const std::string fd = std::to_string(pipeFds[1]);
    const std::string mode = screen + "x24";
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", mode.c_str(), "-fbdir",
             screenDir.c_str(), "-nolisten", "tcp", static_cast<char*>(nullptr));
    ::_exit(127);
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
  const auto start = std::chrono::steady_clock::now();
  while (::waitpid(pid, nullptr, WNOHANG) != pid) {
    if (SecondsSince(start) > 10) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      return;
    }
    ::usleep(20000);
  }
}

}  // namespace

PlayerOnScreen::PlayerOnScreen(const TempDir& dir, const std::vector<std::string>& arguments,
                               const std::string& screen)
    : m_dir(dir.path), m_screenDir(dir.path + "/screen") {
  std::filesystem::create_directory(m_screenDir);
  m_server = StartServer(m_screenDir, screen, m_display);
  if (m_display.empty()) return;
  m_startedAt = std::chrono::steady_clock::now();
  ProcessSetup setup;
  setup.folder = dir.path;
  setup.outputFile = setup.errorsFile = m_screenDir + "/player-stderr.txt";
  setup.set = {{"DISPLAY", m_display}};
  setup.unset = {"SDL_VIDEODRIVER", "SDL_AUDIODRIVER"};
  std::vector<std::string> command{ZB_PLAYER};
  command.insert(command.end(), arguments.begin(), arguments.end());
  m_player.Start(command, setup);
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
  return Xdotool("key --delay 40 " + keys);
}

bool PlayerOnScreen::Xdotool(const std::string& arguments) const {
  const std::string command =
      "DISPLAY=" + m_display + " timeout 20 xdotool " + arguments + " > /dev/null 2>&1";
  return Started() && std::system(command.c_str()) == 0;
}

void PlayerOnScreen::LoseDisplay() {
  StopServer(m_server);
  m_server = -1;
}

PlayerRun PlayerOnScreen::Finish(double timeoutSeconds) {
  if (m_player.Started() && !m_finished) {
    m_run.status = m_player.Wait(timeoutSeconds);
    m_run.seconds = SecondsSince(m_startedAt);
    m_finished = true;
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
#endif
