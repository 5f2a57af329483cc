#pragma once
// Two frames and their difference in one picture, for a person to look at.
#include "PngPicture.h"

// a, b (of one size) and their difference side by side, three times as wide: each channel's
// difference multiplied so that `levels` levels (or more) show at full brightness, and any
// difference at all when levels is 0.
RgbPicture SideBySide(const RgbPicture& a, const RgbPicture& b, int levels);
