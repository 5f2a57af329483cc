// The full-screen layer images: title, text cards, credits and logo, on black (the player
// screens layers over the frame, so black leaves the picture below untouched). Each is designed
// on a 4:3 canvas of 1024 x 768 and stored as 1024 x 512; the player stretches it back over the
// 800 x 600 window, so nothing looks squashed.
#pragma once

#include "Images.h"

constexpr int kLayerDesignWidth = 1024;
constexpr int kLayerDesignHeight = 768;
constexpr int kLayerWidth = 1024;
constexpr int kLayerHeight = 512;

// Plain white: laid over the frame it fades the picture to white (flashes, fades).
Picture PaintBlank();

// Each returns false (after a message) when a DejaVu font file is missing.
bool PaintTitle(Picture& picture);                    // "ZORBAN", chrome and blue glow
bool PaintCoolYourIdeas(Picture& picture);            // "cool / your ideas"
bool PaintChoose(Picture& picture);                   // "choose"
bool PaintSearch(Picture& picture);                   // "search", with scan lines
bool PaintCredits(int which, Picture& picture);       // which = 1, 2, 3
bool PaintLogo(Picture& picture);                     // ringed "Z" emblem over "ZORBANEL"
