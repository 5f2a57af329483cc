#include "PngFrames.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>

#include "PngFile.h"

PngFrames::PngFrames(std::string folder, int width, int height)
    : m_folder(std::move(folder)), m_width(width), m_height(height) {}

bool PngFrames::Open() {
  std::error_code ec;
  std::filesystem::create_directories(m_folder, ec);
  if (!std::filesystem::is_directory(m_folder, ec)) {
    error = "no se puede crear la carpeta " + m_folder;
    return false;
  }
  return true;
}

bool PngFrames::Write(int64_t frame, const uint8_t* rgb) {
  char name[32];
  std::snprintf(name, sizeof name, "/%06" PRId64 ".png", frame);
  const std::string path = m_folder + name;
  if (!WritePng(path, m_width, m_height, rgb)) {
    error = "no se puede escribir " + path;
    return false;
  }
  return true;
}
