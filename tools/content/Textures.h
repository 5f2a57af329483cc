// Every image of the production: layers, noise masks, the font sheet, the flare,
// particle sprites and the maps of the scenes' materials, written as JPEG files into
// <production>/textures/.
#pragma once

#include <string>

// Maps for the scenes' materials, as the ASE files name them ("*BITMAP"). All are
// 256 x 256 RGB. The converter copies a map into "textures\" by its file name, and
// the files already live there, so the copy is a no-op rewrite of the same bytes.
//   textures\marble.jpg   white-grey veined marble
//   textures\env.jpg      spherical environment map (sky gradient, horizon glow, sun);
//                         meant for materials that use sphere mapping. Stored with the
//                         ground at the top of the file: sphere-map coordinates put upward
//                         reflections at high texture rows, which the loader fills from the
//                         file's last rows, so the sky shows above
//   textures\water.jpg    blue-green caustic ripples
//   textures\metal.jpg    brushed steel with faint panel lines
//   textures\glass.jpg    pale cyan, soft highlights; for transparent materials
//   textures\stone.jpg    dark granular rock
//   textures\circuit.jpg  dark panel with glowing traces
//   textures\lava.jpg     black crust with glowing orange cracks
constexpr const char* kSceneMaps[] = {
    "textures\\marble.jpg", "textures\\env.jpg",   "textures\\water.jpg",
    "textures\\metal.jpg",  "textures\\glass.jpg", "textures\\stone.jpg",
    "textures\\circuit.jpg", "textures\\lava.jpg",
};

// Sprites on black, drawn additively.
//   textures\particle2.jpg  lens flare: soft radial glow with a bright core and a faint
//                           star (128 x 128); also fine as a particle sprite
//   textures\particle1.jpg  soft round glow, warm (64 x 64)
//   textures\particle3.jpg  small sparkle, cool blue (64 x 64)
constexpr const char* kFlareTexture = "textures\\particle2.jpg";
constexpr const char* kParticleTextures[] = {
    "textures\\particle1.jpg", "textures\\particle2.jpg", "textures\\particle3.jpg",
};

// The other layer images, all 1024 x 512 on black (designed at 4:3 and stretched back over
// the window by the player) unless noted:
//   textures\blank.jpg            plain white, 64 x 64: raising its opacity fades the frame
//                                 towards white (flashes, fade-outs)
//   textures\zorban.jpg           title "ZORBAN", chrome with a blue glow and a lens streak
//   textures\cool_your_ideas.jpg  "cool / your ideas", cyan
//   textures\choose.jpg           "[ choose ]", gold to pink
//   textures\search.jpg           "search", green with scan lines
//   textures\credits1..3.jpg      CODE & DESIGN / MUSIC / GRAPHICS cards
//   textures\logo2.jpg            ringed "Z" emblem over "ZORBANEL", orange
//   textures\mask_01..04.jpg      noise set 1: fine grain, 512 x 512
//   textures\mask_05..08.jpg      noise set 2: worn film (scratches, hairs, dust), 512 x 512
//   textures\font.jpg             the bitmap font sheet, 256 x 256 (see FontSheet.h)

// Writes every image above, the seventeen layer images and "textures\font.jpg" into
// <productionDir>/textures/ (created if needed). Same bytes on every run. Prints a
// clear message and returns false on failure (e.g. the DejaVu fonts are missing).
bool WriteTextures(const std::string& productionDir);
