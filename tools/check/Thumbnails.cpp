#include "Thumbnails.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "platform/ChildProcess.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFramesPerSecond = 10;
constexpr uint64_t kMaxPicture = 64u << 20;

std::string Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// The last line a failed capture wrote, for the page's note.
std::string LastLine(const std::string& text) {
  std::string trimmed = text;
  while (!trimmed.empty() && (trimmed.back() == '\n' || trimmed.back() == '\r')) trimmed.pop_back();
  const size_t start = trimmed.rfind('\n');
  return start == std::string::npos ? trimmed : trimmed.substr(start + 1);
}

}  // namespace

std::vector<double> SpreadTimes(double seconds, int count) {
  std::vector<double> times;
  for (int i = 1; i <= count && seconds > 0; ++i)
    times.push_back(std::floor(seconds * i / (count + 1) * kFramesPerSecond) / kFramesPerSecond);
  return times;
}

std::vector<Thumbnail> CaptureThumbnails(const std::string& folder,
                                         const std::vector<double>& times, std::string& note) {
  std::vector<Thumbnail> pictures;
  if (times.empty()) return pictures;
  const std::string capture = ProgramBeside("zorbanel-capture");
  if (ExamineFile(capture.c_str()).kind != FileKind::regular) {
    note = "no pictures: the capture tool (" + capture + ") is not beside the checker";
    return pictures;
  }
  std::error_code error;
  std::random_device random;
  const fs::path frames = fs::temp_directory_path(error) /
                          ("zorbanel-check-" + std::to_string(random()) + std::to_string(random()));
  for (const double seconds : times) {
    const long frame = std::lround(seconds * kFramesPerSecond);
    const double at = static_cast<double>(frame) / kFramesPerSecond;
    ChildProcess child;
    ChildOptions options;
    options.keepOutput = options.keepErrors = true;
    std::string why;
    int status = 0;
    const std::vector<std::string> args = {
        capture,          "-C",        folder, "--fps",           std::to_string(kFramesPerSecond),
        "--from",         Decimal(at), "--to", Decimal(at + 0.1), "--frames",
        frames.u8string()};
    if (!child.Start(args, options, why) || !child.Wait(status)) {
      note = "no picture at " + Decimal(at) + " s: the capture tool failed: " +
             (why.empty() ? LastLine(child.Errors() + child.Output()) : why);
      continue;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%06ld.png", frame);
    std::vector<uint8_t> png;
    // The frame is this tool's own file, outside the production whose reads are kept within.
    const std::string picture = (frames / name).u8string();
    AllowReadOf(picture.c_str());
    if (!ReadWholeFile(picture.c_str(), kMaxPicture, png)) {
      note = "no picture at " + Decimal(at) + " s: the capture wrote none";
      continue;
    }
    pictures.push_back({at, "data:image/png;base64," + Base64(png)});
  }
  fs::remove_all(frames, error);
  return pictures;
}

std::string Base64(const std::vector<unsigned char>& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = static_cast<uint32_t>(bytes[i]) << 16;
    if (n > 1) group |= static_cast<uint32_t>(bytes[i + 1]) << 8;
    if (n > 2) group |= bytes[i + 2];
    for (size_t k = 0; k < 4; ++k) text += k <= n ? kDigits[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return text;
}
