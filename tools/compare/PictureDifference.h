#pragma once
// How far apart two pictures of one size are, and whether that is close enough: the figures by
// which one renderer's frames are held against another's.
#include <cstddef>
#include <cstdint>

struct PictureDifference {
  double psnr = 0;         // dB over the R, G and B samples; +infinity for identical pictures
  double withinShare = 0;  // per cent of pixels whose every channel differs by at most `levels`
};

// a and b: `pixels` pixels of three bytes (R, G, B) each. No pixels: identical.
PictureDifference MeasureDifference(const uint8_t* a, const uint8_t* b, size_t pixels, int levels);

// Close enough: at least minPsnr dB, and at least minShare per cent of pixels within `levels`.
struct Tolerance {
  int levels = 6;
  double minPsnr = 40;
  double minShare = 99.5;
};

bool MeetsTolerance(const PictureDifference& difference, const Tolerance& tolerance);
