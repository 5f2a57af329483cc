#include "ComparisonReport.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr size_t kWorstShown = 5;

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

std::string FormatPsnr(double psnr) {
  return std::isinf(psnr) ? "inf dB" : Format("%.2f dB", psnr);
}

std::string FrameLine(const FrameDifference& frame, int levels) {
  return frame.name + "  PSNR " + FormatPsnr(frame.difference.psnr) + "  " +
         Format("%.3f", frame.difference.withinShare) + " % within " + std::to_string(levels) +
         " levels";
}

std::vector<FrameDifference> WorstFrames(std::vector<FrameDifference> frames, size_t count) {
  std::stable_sort(frames.begin(), frames.end(),
                   [](const FrameDifference& x, const FrameDifference& y) {
                     if (x.difference.psnr != y.difference.psnr)
                       return x.difference.psnr < y.difference.psnr;
                     return x.difference.withinShare < y.difference.withinShare;
                   });
  if (frames.size() > count) frames.resize(count);
  return frames;
}

void PrintReport(std::FILE* out, const std::vector<FrameDifference>& frames,
                 const Tolerance& tolerance) {
  size_t failing = 0;
  for (const FrameDifference& frame : frames) {
    if (MeetsTolerance(frame.difference, tolerance)) continue;
    ++failing;
    std::fprintf(out, "outside the tolerance: %s\n", FrameLine(frame, tolerance.levels).c_str());
  }
  std::fprintf(out,
               "%zu frames compared, %zu outside the tolerance (PSNR at least %s, at least "
               "%s %% of pixels within %d levels in every channel)\n",
               frames.size(), failing, FormatPsnr(tolerance.minPsnr).c_str(),
               Format("%g", tolerance.minShare).c_str(), tolerance.levels);
  if (frames.empty()) return;
  // The frame with the lowest share need not be among those of the lowest PSNR.
  const FrameDifference& fewest = *std::min_element(
      frames.begin(), frames.end(), [](const FrameDifference& x, const FrameDifference& y) {
        return x.difference.withinShare < y.difference.withinShare;
      });
  std::fprintf(out, "lowest share: %s\n", FrameLine(fewest, tolerance.levels).c_str());
  std::fprintf(out, "worst frames (lowest PSNR):\n");
  for (const FrameDifference& frame : WorstFrames(frames, kWorstShown))
    std::fprintf(out, "  %s\n", FrameLine(frame, tolerance.levels).c_str());
}
