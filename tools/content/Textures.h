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
//                         meant for materials that use sphere mapping
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

// The three credit layers (layers 13 to 15).
constexpr const char* kCreditTextures[] = {
    "textures\\credits1.jpg", "textures\\credits2.jpg", "textures\\credits3.jpg",
};

// Writes every image above, the seventeen layer images and "textures\font.jpg" into
// <productionDir>/textures/ (created if needed). Same bytes on every run. Prints a
// clear message and returns false on failure (e.g. the DejaVu fonts are missing).
bool WriteTextures(const std::string& productionDir);
