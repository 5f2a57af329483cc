// The eight noise masks the noise overlay flips through, four per set, grain on black.
// Set 1 (masks 1-4): fine sparkling grain with a little dust. Set 2 (masks 5-8): worn film,
// with vertical scratches, hairs, dust blotches and coarser grain. 512 x 512, stretched over
// the window by the player.
#pragma once

#include "Images.h"

constexpr int kMaskSize = 512;

// mask 1..8; each has its own seed, so the four frames of a set differ.
Picture PaintNoiseMask(int mask);
