#include "Textures.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>
#include <system_error>

#include "FontSheet.h"
#include "JpegWriter.h"
#include "Layers.h"
#include "Masks.h"
#include "SceneMaps.h"
#include "Sprites.h"
#include "driver/ContentManifest.h"
#include "platform/Files.h"

namespace {

constexpr int kQuality = 90;
// Small glyphs suffer most from block artefacts, so the font gets a little more.
constexpr int kFontQuality = 95;

struct Recipe {
  std::string path;
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
  // The painters of the manifest's layers, in its order.
  const std::function<bool(Picture&)> layerPainters[] = {
      Always(PaintBlank), PaintTitle, PaintCoolYourIdeas, Mask(1),    Mask(2),    Mask(3),
      Mask(4),            Mask(5),    Mask(6),            Mask(7),    Mask(8),    PaintChoose,
      PaintSearch,        Credits(1), Credits(2),         Credits(3), PaintLogo,
  };
  const ContentManifest& manifest = DefaultManifest();
  std::vector<Recipe> recipes;
  for (size_t i = 0; i < manifest.layers.size() && i < std::size(layerPainters); ++i)
    recipes.push_back({manifest.layers[i].path, layerPainters[i], kQuality});
  recipes.push_back({manifest.font.path, PaintFontSheet, kFontQuality});
  std::vector<Recipe> others = {
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
  recipes.insert(recipes.end(), others.begin(), others.end());
  return recipes;
}

}  // namespace

bool WriteTextures(const std::string& productionDir) {
  std::string folder = ResolvePath((productionDir + "/textures").c_str());
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    printf("Could not create the folder %s: %s\n", folder.c_str(), error.message().c_str());
    return false;
  }
  for (const Recipe& recipe : Recipes()) {
    Picture picture;
    if (!recipe.paint(picture)) return false;
    std::string path = productionDir + "/" + recipe.path;
    if (!WriteJpeg(path, picture, recipe.quality)) return false;
    printf("%s (%d x %d)\n", recipe.path.c_str(), picture.width, picture.height);
  }
  return true;
}
