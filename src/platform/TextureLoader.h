#pragma once
// JPEG files become mipmapped RGB OpenGL textures here. Decoding is kept apart from GL, so the
// decoder can be driven from memory by tests and fuzz targets without a context.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/TextureCoverage.h"

// Pictures above this many pixels are refused: no texture of the production comes near it, and a
// forged header must not make us allocate gigabytes.
constexpr uint64_t kMaxTexturePixels = 32ull * 1024 * 1024;

// One decoded picture: RGB rows, row 0 is the top of the picture, no gaps between rows.
struct DecodedImage {
  int32_t rowBytes = 0;  // width x 3
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
};

// Decodes a JPEG held in memory. Greyscale pictures are widened to RGB and CMYK ones converted;
// other layouts and oversized pictures are refused. Never exits: on failure image is left empty
// and message says why; on success message holds the library's first warning (a truncated or
// damaged file still gives a picture), or is empty.
bool DecodeJpegMemory(const uint8_t* data, size_t size, DecodedImage& image, std::string& message);

// The same for a file opened through OpenFile; a failure message names the file.
bool DecodeJpegFile(const char* path, DecodedImage& image, std::string& message);

// A texture file made ready for upload without GL, so it can be done on another thread: the
// decoded picture and, for sides that are powers of two, its whole mipmap chain, each level the
// 2 x 2 box average that gluBuild2DMipmaps makes, byte for byte.
struct PreparedTexture {
  bool decoded = false;
  std::string message;               // why it failed, or the decoder's first warning
  std::vector<DecodedImage> levels;  // level 0 (the picture) first; only it for other sides
  TextureCoverage coverage;          // of a chain made here; none (no tiles) otherwise
};
PreparedTexture PrepareTexture(const char* path);
// The picture that stands in for a scene's texture that cannot be loaded: magenta and black
// squares, which no author would mistake for a picture of theirs.
PreparedTexture PrepareCheckerTexture();

class TextureLoader {
 public:
  // The name of a new mipmapped RGB texture made from the file, bound on unit 0 (and on unit 1
  // when sphereMap is set, which also puts S and T generation of both units in sphere-map mode);
  // unit 0 is left active. Needs a current context with the multitexture entry points.
  // A missing, unreadable or undecodable file gives 0, after the line "Cannot load texture:"
  // naming it on standard error and the log, and counts as a failure: the production cannot run
  // with such a texture missing, so start-up stops on any (FailureCount) and ends through main.
  // A scene's maps have a stand-in instead (AcquireTextureOrStandIn).
  static uint32_t LoadTexture(const char* path, bool sphereMap);
  // The same from a file PrepareTexture has read.
  static uint32_t Upload(const char* path, const PreparedTexture& prepared, bool sphereMap);
  // How many textures have failed to load so far in this process.
  static int FailureCount();
  // The binding and texture-unit state LoadTexture leaves behind, for a texture made before.
  static void BindAsLoaded(uint32_t name, bool sphereMap);
};
