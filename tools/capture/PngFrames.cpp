#include "PngFrames.h"

#include <cinttypes>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

#include "PngFile.h"
#include "platform/Files.h"

PngFrames::PngFrames(std::string folder, int width, int height)
    : m_folder(std::move(folder)), m_width(width), m_height(height) {}

bool PngFrames::Open(std::string& error) {
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::u8path(m_folder);
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) {
    error = "cannot create the folder " + m_folder;
    return false;
  }
  m_namesOwn = std::filesystem::is_empty(folder, ec) && !ec;
  return true;
}

// Encoding is most of a PNG frame's cost: one encoder per core, while the drawing thread mostly
// waits on the GL driver's own threads.
int PngFrames::Workers() const {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 1 ? static_cast<int>(cores) : 1;
}

bool PngFrames::Write(const std::vector<int64_t>& frames, const uint8_t* bgra,
                      std::string& error) {
  std::vector<uint8_t> png;
  if (!EncodePng(m_width, m_height, bgra, png)) {
    error = "cannot encode a PNG frame";
    return false;
  }
  for (const int64_t frame : frames) {
    char name[32];
    std::snprintf(name, sizeof name, "/%06" PRId64 ".png", frame);
    if (!WriteWholeFile((m_folder + name).c_str(), png.data(), png.size(), m_namesOwn)) {
      error = "cannot write " + m_folder + name + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}
