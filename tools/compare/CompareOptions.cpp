#include "CompareOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

const char kCompareUsage[] =
    "Usage: zorbanel-compare [options] DIR_A DIR_B\n"
    "\n"
    "Compares the PNG frames of the same name in DIR_A and DIR_B (as zorbanel-capture --frames\n"
    "writes them), such as the frames of two renderers. For each frame it measures the PSNR over\n"
    "the red, green and blue samples (\"inf\" for identical frames) and the share of pixels that\n"
    "differ by at most N levels (of 255) in every channel. It prints each frame outside the\n"
    "tolerance, then how many were compared, the frame with the lowest share and the five\n"
    "frames of the lowest PSNR with both figures.\n"
    "\n"
    "  --levels N            the levels a pixel's channels may differ by, 0 to 255 (6)\n"
    "  --min-psnr DB         the lowest PSNR a frame may have, in dB; inf asks for identical\n"
    "                        frames (40)\n"
    "  --min-share PERCENT   the least share of pixels within --levels, 0 to 100 (99.5)\n"
    "  --side-by-side FRAME OUT.png\n"
    "                        also writes OUT.png: FRAME (a frame's file name, .png may be left\n"
    "                        out) of DIR_A, of DIR_B and their difference side by side; the\n"
    "                        difference is amplified so that --levels levels show at full\n"
    "                        brightness\n"
    "  -h, --help            this help\n"
    "  --version             the program's version\n"
    "\n"
    "Exit status: 0 when every frame is within the tolerance, 1 when one is not, 2 for bad\n"
    "arguments, a frame one folder lacks, a frame that cannot be read, frames of different\n"
    "sizes or a side-by-side picture that cannot be written (each named).\n";

namespace {

bool ReadNumber(const std::string& text, double low, double high, double& value) {
  char* end = nullptr;
  errno = 0;
  const double number = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || std::isnan(number) || number < low ||
      number > high)
    return false;
  value = number;
  return true;
}

}  // namespace

CompareRequest ParseCompareOptions(const std::vector<std::string>& arguments,
                                   CompareOptions& options, std::string& error) {
  std::vector<std::string> folders;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (arg == "-h" || arg == "--help") return CompareRequest::Help;
    if (arg == "--version") return CompareRequest::Version;
    const size_t values = arg == "--side-by-side" ? 2
                          : arg == "--levels" || arg == "--min-psnr" || arg == "--min-share" ? 1
                                                                                              : 0;
    if (i + values >= arguments.size()) {
      error = arg + " needs " + (values == 2 ? "a frame and a file name" : "a value");
      return CompareRequest::Bad;
    }
    const std::string value = values ? arguments[i + 1] : std::string();
    double number = 0;
    if (arg == "--levels") {
      if (!ReadNumber(value, 0, 255, number) || number != std::floor(number)) {
        error = "--levels takes a whole number from 0 to 255, not '" + value + "'";
        return CompareRequest::Bad;
      }
      options.tolerance.levels = static_cast<int>(number);
    } else if (arg == "--min-psnr") {
      if (!ReadNumber(value, 0, INFINITY, options.tolerance.minPsnr)) {
        error = "--min-psnr takes decibels, 0 or more (or inf), not '" + value + "'";
        return CompareRequest::Bad;
      }
    } else if (arg == "--min-share") {
      if (!ReadNumber(value, 0, 100, options.tolerance.minShare)) {
        error = "--min-share takes a per cent from 0 to 100, not '" + value + "'";
        return CompareRequest::Bad;
      }
    } else if (arg == "--side-by-side") {
      options.sideBySideFrame = value;
      options.sideBySideOutput = arguments[i + 2];
    } else if (!arg.empty() && arg[0] == '-') {
      error = "unknown option " + arg;
      return CompareRequest::Bad;
    } else {
      folders.push_back(arg);
    }
    i += values;
  }
  if (folders.size() != 2) {
    error = "two folders of frames are needed, " + std::to_string(folders.size()) + " given";
    return CompareRequest::Bad;
  }
  options.folderA = folders[0];
  options.folderB = folders[1];
  return CompareRequest::Run;
}
