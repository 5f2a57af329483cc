// Glows on black for additive drawing: the lens flare and the particle sprites. Each falls to
// pure black before its edges, so the square it is drawn on never shows.
#pragma once

#include "Images.h"

Picture PaintFlare();         // 128 x 128: bright core, soft halo, four-point star, faint ring
Picture PaintWarmParticle();  // 64 x 64: soft orange glow with a white centre
Picture PaintCoolSparkle();   // 64 x 64: small blue-white star
