#pragma once
#include <cstdint>

class GLWindow;

struct TextureMap {
  char bitmap[256] = {};  // image path
  uint32_t texture = 0;   // OpenGL name once loaded; never stored in files
  bool spherical = false;
  float uTiling = 0;  // tiling defaults to 0, not 1
  float vTiling = 0;
  float uOffset = 0;
  float vOffset = 0;

  const char* getBitmap() const { return bitmap; }
  void setBitmap(const char* path);  // at most 255 characters are kept
  uint32_t getTexture() const { return texture; }
  void setTexture(uint32_t name) { texture = name; }
  bool getSpherical() const { return spherical; }
  void setSpherical(bool value) { spherical = value; }
  float getUTiling() const { return uTiling; }
  void setUTiling(float value) { uTiling = value; }
  float getVTiling() const { return vTiling; }
  void setVTiling(float value) { vTiling = value; }
  float getUOffset() const { return uOffset; }
  void setUOffset(float value) { uOffset = value; }
  float getVOffset() const { return vOffset; }
  void setVOffset(float value) { vOffset = value; }
};

struct MaterialHeader {
  int32_t index = 0;  // the material's number in its ASE file
  float ambient[4] = {0, 0, 0, 0};  // alpha of all three colours = 1 - transparency
  float diffuse[4] = {0, 0, 0, 0};
  float specular[4] = {0, 0, 0, 0};
  float emission[3] = {0, 0, 0};
  bool twoSided = false;
  uint32_t mapCount = 0;  // valid maps: 0, 1 or 2
  float shine = 0;
};

enum class TextureWrap : uint32_t { repeat = 0, clamp = 1, mirror = 2 };

// How a material draws beyond its colours and maps. The defaults are the material every scene
// file of the plain layout holds: lit, every pixel drawn, maps repeating.
struct MaterialLook {
  bool unlit = false;     // drawn at its colour, without lighting
  float alphaCutoff = 0;  // above 0: pixels whose alpha falls below it are not drawn
  TextureWrap wrap[2] = {TextureWrap::repeat, TextureWrap::repeat};  // across u and v, all maps

  bool plain() const {
    return !unlit && alphaCutoff == 0 && wrap[0] == TextureWrap::repeat &&
           wrap[1] == TextureWrap::repeat;
  }
};

struct Material {
  TextureMap maps[2];  // only maps[0 .. mapCount-1] are valid
  MaterialHeader header;
  MaterialLook look;

  MaterialHeader getHeader() const { return header; }
  void setHeader(const MaterialHeader& value) { header = value; }
  // k is 0 or 1; unchecked.
  TextureMap getMap(uint32_t k) const { return maps[k]; }
  void setMap(uint32_t k, const TextureMap& map) { maps[k] = map; }

  // Defined by the renderer: the OpenGL material, blending, culling and texture state; leave
  // takes back what apply set for this material alone (its maps' wrapping).
  void apply();
  void leave();
  // Defined by the loading screen: loads the map textures, one loading frame per map.
  void loadMaps(GLWindow* window);
};
