#pragma once
// A scene's pictures made into what the player reads, JPEG files. A JPEG goes as it is, byte for
// byte; a picture in any other format stb_image reads (PNG, TGA, BMP, GIF, PSD, PNM, HDR) is
// decoded and encoded as a JPEG of the same size.
#include <cstdint>
#include <string>
#include <vector>

// The quality of the JPEGs made here: high enough that a texture seen up close shows no blocks.
constexpr int kTextureJpegQuality = 92;

// Whether the bytes of the file called name go to the player as they are: a JPEG (by its
// start-of-image marker, whatever the name), or a file named .jpg or .jpeg that is no picture
// stb_image knows either, which the player judges when it loads it, as it always has.
bool TakenAsItIs(const std::vector<uint8_t>& bytes, const std::string& name);

// A picture in another format, as a JPEG. Grey and palette pictures become RGB; transparency is
// flattened on black (each colour times its alpha), so a see-through part adds nothing where the
// renderer blends additively, as it does for transparent materials. Sides are kept as they are:
// the player scales sides that are not powers of two itself. False, with why in message, for
// bytes that are no picture or one larger than the player takes.
bool PictureToJpeg(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& jpeg,
                   std::string& message);
