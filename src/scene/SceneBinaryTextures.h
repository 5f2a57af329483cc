#pragma once
// The texture images of a scene, copied into the production's "textures\" folder by a
// normalising write (SceneBinaryFile::normalize).
//
// The production is the working directory, and nothing outside it is read or written: a map's
// path keeps only its file name (the last piece after any "\", "/" or drive colon), and an
// image that lies outside the production (an absolute path, "..", a link that leads out) is
// not copied. An existing texture is never replaced by a different image: one with the same
// bytes is used as it is, and a different one gets the image under a name of its own
// ("madera_2.jpg", "madera_3.jpg"...), with a warning, unless the converter wrote it itself from
// the same picture and nobody changed it since: that copy is replaced.
//
// The player reads JPEG only: a picture in another format (PNG, TGA, BMP...) is written there as
// a JPEG named after it ("madera.png" -> "madera.jpg") and the map stores that name; a JPEG is
// copied byte for byte under its own name. A picture not found at its path (one of the modeller's
// machine, "D:\maps\madera.png") is looked for under textures\ by its name, then as its JPEG.
#include <string>
#include <vector>

class Scene;
class SceneBinaryFile;

// Copies the images of every map and returns the path each map stores, in scene order
// (material by material, map by map); appends one line per copied map to copyLog. What it
// writes is noted in the record of ConvertedTextures.h, so that the next conversion replaces a
// copy of its own made from the same picture instead of adding one under a new name.
std::vector<std::string> CopySceneTextures(SceneBinaryFile& file, const Scene& scene,
                                           std::string& copyLog);

// The pictures that the maps in a scene's copy log name, where they are found in the
// production now (as ResolvePath gives them): what a scene is converted from besides its export.
std::vector<std::string> PicturesOfCopyLog(const std::string& copyLogPath);
