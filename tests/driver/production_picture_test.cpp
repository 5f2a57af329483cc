#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/TestProduction.h"
#include "particles/ParticleSystem.h"
#include "platform/GLWindow.h"
#include "support/TempDir.h"
#include "support/TestMusic.h"
#include "support/TestScenes.h"

namespace {

// One blue particle of half size 15 at (70, 0, 50): right of the square and in front of it.
void WriteParticleFile() {
  GLWindow window;  // the texture loader needs a context
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  ASSERT_TRUE(window.Create("particles", 64, 64, 32, 60.0f, false));
  ASSERT_TRUE(window.CheckExtensions());
  {
    ParticleSystem system;
    ASSERT_TRUE(system.Allocate(1, 0, 0));
    system.particles[0] = Particle{70, 0, 50, 15};
    ASSERT_TRUE(system.AddTexture("textures\\particula.jpg", 1));
    ASSERT_TRUE(system.WriteFile("escenas_bin\\PARTICLES02.BIN"));
    system.Release();
  }
  window.Destroy();
}

}  // namespace

// Everything at once: a scene, a layer and the particle system on, with the trail, the glow and
// the noise overlay; then FX_QUIT at 3 s.
TEST(ProductionPicture, ShowsSceneLayerParticlesAndScreenEffectsThenQuits) {
  if (std::system("command -v xvfb-run > /dev/null") != 0) GTEST_SKIP() << "xvfb-run is not installed";
  TempDir dir;
  dir.Write("textures/font.jpg", EncodeSolidJpeg(16, 16, 255, 255, 255));
  const char* const names[] = {"blank",   "zorban",  "cool_your_ideas", "mask_01", "mask_02",
                               "mask_03", "mask_04", "mask_05",         "mask_06", "mask_07",
                               "mask_08", "choose",  "search",          "credits1", "credits2",
                               "credits3"};
  for (const char* name : names) {
    const bool mask = std::string(name).rfind("mask_", 0) == 0;
    dir.Write(std::string("textures/") + name + ".jpg",
              mask ? EncodeSolidJpeg(8, 8, 0, 80, 0) : EncodeSolidJpeg(8, 8, 40, 40, 40));
  }
  dir.Write("textures/logo2.jpg", EncodeSolidJpeg(8, 8, 255, 255, 0));
  dir.Write("textures/particula.jpg", EncodeSolidJpeg(8, 8, 0, 0, 255));
  dir.Write("music/music.ogg", EncodeSilentOgg(8.0));
  dir.Write("escenas_bin/script2_full.txt",
            "0 SCENE 0 FX_START\n"
            "0 LAYER 16 FX_START\n"
            "0 LAYER 16 FX_RESIZE 200 150\n"
            "0 PARTICLE 0 FX_START\n"
            "0 SCENE 0 FX_NOISE 1\n"
            "0 SCENE 0 FX_BLUR 0.5\n"
            "0 SCENE 0 FX_SATURATE 3 0.05\n"
            "3 SCENE 0 FX_QUIT\n");
  writeRedSquareScene();
  WriteParticleFile();

  // The particle file is read just before the music starts; 1.5 s later everything is on.
  const ScreenRun run = RunPlayerOnVirtualScreen(dir, 60.0, "Partículas:", 1.5);
  EXPECT_EQ(run.run.status, 0);
  ASSERT_EQ(run.picture.width, 800);
  ASSERT_EQ(run.picture.height, 600);
  const Screenshot& shot = run.picture;

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
