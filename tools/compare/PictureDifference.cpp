#include "PictureDifference.h"

#include <cmath>
#include <cstdlib>
#include <limits>

PictureDifference MeasureDifference(const uint8_t* a, const uint8_t* b, size_t pixels,
                                    int levels) {
  uint64_t squares = 0;
  size_t within = 0;
  for (size_t i = 0; i < pixels * 3; i += 3) {
    int largest = 0;
    for (size_t c = i; c < i + 3; ++c) {
      const int d = std::abs(a[c] - b[c]);
      squares += static_cast<uint64_t>(d * d);
      if (d > largest) largest = d;
    }
    if (largest <= levels) ++within;
  }
  PictureDifference difference;
  difference.withinShare = pixels ? 100.0 * static_cast<double>(within) / pixels : 100.0;
  const double meanSquare = pixels ? static_cast<double>(squares) / (3.0 * pixels) : 0.0;
  difference.psnr = meanSquare > 0 ? 10.0 * std::log10(255.0 * 255.0 / meanSquare)
                                   : std::numeric_limits<double>::infinity();
  return difference;
}

bool MeetsTolerance(const PictureDifference& difference, const Tolerance& tolerance) {
  return difference.psnr >= tolerance.minPsnr && difference.withinShare >= tolerance.minShare;
}
