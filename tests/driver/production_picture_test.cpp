#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "support/TestProduction.h"
#include "support/TempDir.h"
#include "support/TestScenes.h"

// Everything at once: a scene, a layer and the particle system on, with the trail, the glow and
// the noise overlay; then FX_QUIT at 3 s. Drawn by each renderer.
class ProductionPictureDrawnBy : public testing::TestWithParam<const char*> {};

TEST_P(ProductionPictureDrawnBy, ShowsSceneLayerParticlesAndScreenEffectsThenQuits) {
  const std::string missing = PlayerOnScreen::MissingTools();
  if (!missing.empty()) GTEST_SKIP() << missing;
  TempDir dir;
  WriteProductionMedia(dir, 8.0,
                       "0 SCENE 0 FX_START\n"
                       "0 LAYER 16 FX_START\n"
                       "0 LAYER 16 FX_RESIZE 200 150\n"
                       "0 PARTICLE 0 FX_START\n"
                       "0 SCENE 0 FX_NOISE 1\n"
                       "0 SCENE 0 FX_BLUR 0.5\n"
                       "0 SCENE 0 FX_SATURATE 3 0.05\n"
                       "3 SCENE 0 FX_QUIT\n");
  writeRedSquareScene();
  WriteParticleFile({Particle{70, 0, 50, 15}});  // right of the square and in front of it

  // The particle file is read just before the music starts; 1.5 s later everything is on.
  PlayerOnScreen player(dir, {"--renderer", GetParam()});
  ASSERT_TRUE(player.WaitForLog("Particles:", 60));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const Screenshot shot = player.Shoot();
  EXPECT_EQ(player.Finish(60).status, 0);
  ASSERT_EQ(shot.width, 800);
  ASSERT_EQ(shot.height, 600);

  const uint8_t* scene = shot.At(400, 300);
  EXPECT_GE(scene[0], 200) << "the red square in the middle";
  const uint8_t* particle = shot.At(640, 300);
  EXPECT_GE(particle[2], 150) << "the blue particle right of the square";
  const uint8_t* layer = shot.At(100, 75);
  EXPECT_GE(layer[0], 200) << "the yellow layer, resized into the top-left corner";
  EXPECT_GE(layer[1], 200);
  const uint8_t* layerOutside = shot.At(300, 75);
  EXPECT_LT(layerOutside[0], 200) << "the layer ends at 200 pixels";
  // The green noise mask at half opacity over the empty bottom-right corner.
  const uint8_t* corner = shot.At(790, 590);
  EXPECT_GE(corner[1], 20);
  EXPECT_GT(corner[1], corner[0] + 15);
  // The glow spreads the square's brightness as grey beyond its edge (it ends near y = 170);
  // without the glow that place would hold only the green noise.
  const uint8_t* halo = shot.At(400, 150);
  EXPECT_GE(halo[0], 20) << "the glow around the square";
  EXPECT_GE(halo[2], 20);
}

INSTANTIATE_TEST_SUITE_P(Renderers, ProductionPictureDrawnBy, testing::Values("classic", "gl3"));

// The X server ends under a playing production (a remote session drops, xvfb-run is stopped):
// the player says so and ends with status 1, without tearing its scenes down inside the GL call
// that found the display gone (which corrupted the heap and aborted).
TEST(ProductionPicture, ALostDisplayEndsThePlayerWithAMessage) {
  const std::string missing = PlayerOnScreen::MissingTools();
  if (!missing.empty()) GTEST_SKIP() << missing;
  TempDir dir;
  WriteProductionMedia(dir, 8.0, "0 SCENE 0 FX_START\n7 SCENE 0 FX_QUIT\n");
  writeRedSquareScene();
  PlayerOnScreen player(dir, {"--window"});
  ASSERT_TRUE(WaitUntil([&] {
    const Screenshot shot = player.Shoot();
    return shot.width == 800 && shot.At(400, 300)[0] >= 200;
  }, 60));
  player.LoseDisplay();
  EXPECT_EQ(player.Finish(30).status, 1);
  EXPECT_TRUE(player.WaitForLog("connection to the display was lost", 5));
  EXPECT_EQ(player.Errors().find("Sanitizer"), std::string::npos) << player.Errors();
}
