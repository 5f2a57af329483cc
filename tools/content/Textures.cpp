#include "Textures.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>

#include "FontSheet.h"
#include "JpegWriter.h"
#include "Layers.h"
#include "Masks.h"
#include "SceneMaps.h"
#include "Sprites.h"
#include "platform/Files.h"

namespace {

constexpr int kQuality = 90;
// Small glyphs suffer most from block artefacts, so the font gets a little more.
constexpr int kFontQuality = 95;

struct Recipe {
  const char* path;
  std::function<bool(Picture&)> paint;
  int quality;
};

// Wraps a painter that cannot fail.
std::function<bool(Picture&)> Always(Picture (*paint)()) {
  return [paint](Picture& picture) {
    picture = paint();
    return true;
  };
}

std::function<bool(Picture&)> Mask(int mask) {
  return [mask](Picture& picture) {
    picture = PaintNoiseMask(mask);
    return true;
  };
}

std::function<bool(Picture&)> Credits(int which) {
  return [which](Picture& picture) { return PaintCredits(which, picture); };
}

std::vector<Recipe> Recipes() {
  return {
      // The seventeen layers, in the player's registration order.
      {"textures\\blank.jpg", Always(PaintBlank), kQuality},
      {"textures\\zorban.jpg", PaintTitle, kQuality},
      {"textures\\cool_your_ideas.jpg", PaintCoolYourIdeas, kQuality},
      {"textures\\mask_01.jpg", Mask(1), kQuality},
      {"textures\\mask_02.jpg", Mask(2), kQuality},
      {"textures\\mask_03.jpg", Mask(3), kQuality},
      {"textures\\mask_04.jpg", Mask(4), kQuality},
      {"textures\\mask_05.jpg", Mask(5), kQuality},
      {"textures\\mask_06.jpg", Mask(6), kQuality},
      {"textures\\mask_07.jpg", Mask(7), kQuality},
      {"textures\\mask_08.jpg", Mask(8), kQuality},
      {"textures\\choose.jpg", PaintChoose, kQuality},
      {"textures\\search.jpg", PaintSearch, kQuality},
      {kCreditTextures[0], Credits(1), kQuality},
      {kCreditTextures[1], Credits(2), kQuality},
      {kCreditTextures[2], Credits(3), kQuality},
      {"textures\\logo2.jpg", PaintLogo, kQuality},
      {"textures\\font.jpg", PaintFontSheet, kFontQuality},
      // Sprites.
      {kParticleTextures[0], Always(PaintWarmParticle), kQuality},
      {kFlareTexture, Always(PaintFlare), kQuality},
      {kParticleTextures[2], Always(PaintCoolSparkle), kQuality},
      // Scene maps, in the order of kSceneMaps.
      {kSceneMaps[0], Always(PaintMarble), kQuality},
      {kSceneMaps[1], Always(PaintEnvironment), kQuality},
      {kSceneMaps[2], Always(PaintWater), kQuality},
      {kSceneMaps[3], Always(PaintMetal), kQuality},
      {kSceneMaps[4], Always(PaintGlass), kQuality},
      {kSceneMaps[5], Always(PaintStone), kQuality},
      {kSceneMaps[6], Always(PaintCircuit), kQuality},
      {kSceneMaps[7], Always(PaintLava), kQuality},
  };
}

}  // namespace

bool WriteTextures(const std::string& productionDir) {
  std::string folder = ResolvePath((productionDir + "/textures").c_str());
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    printf("No se pudo crear la carpeta %s: %s\n", folder.c_str(), error.message().c_str());
    return false;
  }
  for (const Recipe& recipe : Recipes()) {
    Picture picture;
    if (!recipe.paint(picture)) return false;
    std::string path = productionDir + "/" + recipe.path;
    if (!WriteJpeg(path, picture, recipe.quality)) return false;
    printf("%s (%d x %d)\n", recipe.path, picture.width, picture.height);
  }
  return true;
}
