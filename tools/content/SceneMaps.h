// The maps of the scenes' materials (names in Textures.h), each 256 x 256. All but the
// environment map repeat without seams.
#pragma once

#include "Images.h"

constexpr int kSceneMapSize = 256;

Picture PaintMarble();
// A spherical environment map: sky, glowing horizon, sun and dark ground as a mirror ball
// sees them. Stored with the ground in the top rows: sphere-map coordinates put the upward
// reflection at the high texture rows, which the player's loader fills from the file's end.
Picture PaintEnvironment();
Picture PaintWater();
Picture PaintMetal();
Picture PaintGlass();
Picture PaintStone();
Picture PaintCircuit();
Picture PaintLava();
