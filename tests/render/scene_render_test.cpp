#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <jpeglib.h>

#include "support/TestJpeg.h"
#include "support/TestScenes.h"
#include "support/BoxRecorder.h"
#include "support/GLTestWindow.h"
#include "support/TempDir.h"

namespace {

constexpr int kWidth = 160, kHeight = 120;

bool reddish(const GLTestWindow::Pixel& p) { return p.r > 100 && p.g < 60 && p.b < 60; }
bool greenish(const GLTestWindow::Pixel& p) { return p.g > 100 && p.r < 60 && p.b < 60; }

// A window of kWidth x kHeight and scenes that look at the origin from +z through a 45-degree
// camera, with materials 0 red, 1 green, 2 dark blue, 3 white.
class RenderTest : public GLTestWindow {
 protected:
  void SetUp() override {
    ZB_REQUIRE_SCREEN();
    ASSERT_TRUE(Open(kWidth, kHeight));
    window.m_fov = 45;
    window.Resize(-1, -1);
  }

  void build(OwnedScene& scene, std::initializer_list<SceneObject> objects, bool camera = true) {
    scene.window = &window;
    scene.setupMaterials(4);
    scene.setMaterial(0, colourMaterial(0.8f, 0, 0));
    scene.setMaterial(1, colourMaterial(0, 0.8f, 0));
    scene.setMaterial(2, colourMaterial(0, 0, 0.4f));
    scene.setMaterial(3, colourMaterial(1, 1, 1));
    scene.setupObjects(static_cast<uint32_t>(objects.size()));
    uint32_t i = 0;
    for (const SceneObject& object : objects) scene.setObject(i++, object);
    for (uint32_t k = 0; k < scene.objectCount; ++k) {
      int32_t m = scene.objects[k].materialIndex;
      if (m >= 0 && m < 4) scene.objects[k].bindMaterial(&scene.materials[m]);
    }
    scene.setupCameras(camera ? 1 : 0);
    if (camera) scene.setCamera(0, fixedCamera(0, 0, 200, 0, 0, 0, 45));
    scene.params.background[2] = 0.6f;
  }

  Pixel centre() const { return At(kWidth / 2, kHeight / 2); }
};

}  // namespace

TEST_F(RenderTest, CameraShowsTheObjectAtTheCentreOfTheView) {
  OwnedScene scene;
  build(scene, {squareObject(0, 0, 0, 20, 0)});
  window.m_fov = 10;
  EXPECT_TRUE(scene.render());
  EXPECT_EQ(window.m_fov, 45.0f);
  EXPECT_PRED1(reddish, centre()) << ::testing::PrintToString(centre());
  EXPECT_EQ(At(2, 2), (Pixel{0, 0, 153}));
  EXPECT_EQ(At(kWidth - 3, kHeight - 3), (Pixel{0, 0, 153}));
}

TEST_F(RenderTest, SceneWithoutCameraIsSeenFromAboveAndInFront) {
  // A floor square faces up: only an eye above it and looking at the origin sees it at the centre.
  OwnedScene scene;
  build(scene, {squareObject(0, 0, 0, 15, 1, Facing::Up)}, false);
  window.m_fov = 70;
  scene.render();
  EXPECT_EQ(window.m_fov, 70.0f);
  EXPECT_PRED1(greenish, centre()) << ::testing::PrintToString(centre());
  EXPECT_EQ(At(2, 2), (Pixel{0, 0, 153}));
}

TEST_F(RenderTest, CameraTrackLoopsTheAnimationAndBadCameraIndexFallsBack) {
  OwnedScene scene;
  build(scene, {});
  SceneCamera animated = fixedCamera(0, 0, 200, 0, 0, 0, 45);
  animated.setupTrack(2);
  animated.track[0] = animated.frame, animated.track[1] = animated.frame;
  animated.track[0].fov = 30, animated.track[1].fov = 50;
  scene.cameras[0] = animated;
  scene.cameraIndex = 7;

  scene.render();  // starts the clock at frame 0; speed 0 keeps it there
  EXPECT_EQ(scene.cameraIndex, 0);
  EXPECT_EQ(window.m_fov, 30.0f);
  scene.animFrame = 1.7f;
  scene.render();
  EXPECT_EQ(window.m_fov, 50.0f);
  EXPECT_EQ(scene.animFrame, 1.7f);
  scene.animFrame = 2.4f;  // at the track length: back to 0, and entry 0 in the same render
  scene.render();
  EXPECT_EQ(scene.animFrame, 0.0f);
  EXPECT_EQ(window.m_fov, 30.0f);
}

TEST_F(RenderTest, SceneThatDoesNotClearDrawsOverTheEarlierOne) {
  OwnedScene first, second;
  build(first, {squareObject(0, 0, 0, 20, 0)});
  build(second, {squareObject(-50, 0, 0, 15, 1)});
  second.clearsScreen = false;
  second.params.background[0] = 1.0f;  // yellow, were it cleared
  first.render();
  second.render();
  EXPECT_PRED1(reddish, centre());
  EXPECT_PRED1(greenish, At(kWidth / 2 - 40, kHeight / 2)) << ::testing::PrintToString(At(40, 60));
  EXPECT_EQ(At(2, 2), (Pixel{0, 0, 153}));
}

TEST_F(RenderTest, FogDarkensADistantObject) {
  OwnedScene scene;
  build(scene, {squareObject(0, 0, 0, 40, 3)});
  scene.render();
  const int clear = centre().g;
  ASSERT_GT(clear, 200);

  scene.params.fogEnabled = true;  // black fog from 50 to 500: the square at 200 keeps 2/3
  scene.params.fogStart = 50;
  scene.params.fogEnd = 500;
  scene.render();
  EXPECT_LT(centre().g, clear * 0.8);
  EXPECT_GT(centre().g, clear * 0.5);

  scene.params.fogEnabled = false;
  scene.render();
  EXPECT_EQ(centre().g, clear);
}

TEST_F(RenderTest, TransparentMaterialAddsToWhatIsBehind) {
  // The transparent square comes first in the list and nearer, yet the opaque one behind it
  // is drawn first and stays visible through it.
  OwnedScene scene;
  build(scene, {squareObject(0, 0, 10, 20, 1), squareObject(0, 0, 0, 20, 0)});
  scene.materials[1].header.ambient[3] = 0.5f;
  scene.render();
  const Pixel p = centre();
  EXPECT_GT(p.r, 150) << ::testing::PrintToString(p);
  EXPECT_GT(p.g, 80) << ::testing::PrintToString(p);

  // An alpha above 1 is in neither pass; a material index out of range draws nothing.
  scene.materials[1].header.ambient[3] = 1.5f;
  scene.objects[1].materialIndex = 9;
  scene.render();
  EXPECT_EQ(centre(), (Pixel{0, 0, 153}));
}

TEST_F(RenderTest, TwoMapMaterialTexturesBothUnitsAndLeavesUnitOneActive) {
  TempDir dir;
  WriteFileBytes("white.jpg", EncodeJpeg(16, 16, JCS_RGB, [](int, int, uint8_t* o) {
    o[0] = o[1] = o[2] = 255;
  }));
  WriteFileBytes("red.jpg", EncodeJpeg(16, 16, JCS_RGB, [](int, int, uint8_t* o) {
    o[0] = 255, o[1] = o[2] = 0;
  }));
  OwnedScene scene;
  build(scene, {squareObject(0, 0, 0, 20, 3)});
  Material& material = scene.materials[3];
  material.header.mapCount = 2;
  material.maps[0].setBitmap("white.jpg");
  material.maps[1].setBitmap("red.jpg");
  for (TextureMap& map : material.maps) map.uTiling = map.vTiling = 1;
  material.loadMaps(nullptr);  // no window: textures only, no loading frames

  scene.render();
  EXPECT_PRED1(reddish, centre()) << ::testing::PrintToString(centre());

  material.apply();
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE1);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  glActiveTextureARB(GL_TEXTURE0_ARB);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(RenderTest, MissingTextureFacesAreSkippedNotRead) {
  OwnedScene scene;
  SceneObject square = squareObject(0, 0, 0, 20, 0);
  square.texFaceCount = 1;  // the second face has no texture face of its own
  build(scene, {square});
  scene.materials[0].header.mapCount = 1;
  scene.render();
  EXPECT_PRED1(reddish, centre());
}

TEST_F(RenderTest, LightsUseGlLightsOneToSixAndEachSceneItsOwnLightsAlone) {
  OwnedScene dark;
  build(dark, {});
  dark.render();
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));

  OwnedScene lit;
  build(lit, {});
  lit.setupLights(7);
  for (uint32_t i = 0; i < 7; ++i) lit.setLight(i, pointLight(static_cast<int32_t>(i), 0, 0, 50));
  lit.render();
  EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
  for (int i = 1; i <= 6; ++i) EXPECT_TRUE(glIsEnabled(GL_LIGHT0 + i)) << i;
  EXPECT_FALSE(glIsEnabled(GL_LIGHT7));
  EXPECT_EQ(lit.lights[2].frame.position[3], 0.8f);

  // Drawn after the seven-light scene, a scene is lit by its own lights alone.
  OwnedScene one;
  build(one, {});
  one.setupLights(1);
  one.setLight(0, pointLight(2, 0, 0, 50));
  struct Case {
    OwnedScene* scene;
    std::vector<int> on;  // GL_LIGHT0 + each
  };
  for (const Case& c : {Case{&dark, {0}}, Case{&one, {3}}}) {
    lit.render();
    c.scene->render();
    for (int i = 0; i <= 6; ++i) {
      const bool on = std::find(c.on.begin(), c.on.end(), i) != c.on.end();
      EXPECT_EQ(glIsEnabled(GL_LIGHT0 + i), on) << "light " << i << " after " << c.on[0];
    }
  }
}

namespace {

class FlareTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    WriteFileBytes("textures/particle2.jpg", EncodeJpeg(32, 32, JCS_RGB, [](int, int, uint8_t* o) {
      o[0] = o[1] = o[2] = 255;
    }));
  }
  TempDir dir;
};

}  // namespace

TEST_F(FlareTest, FlareShowsThroughTheObjectInFrontOfIt) {
  OwnedScene scene;
  build(scene, {squareObject(0, 0, 20, 40, 2)});
  scene.setupLights(1);
  SceneLight light = pointLight(0, 0, 0, -50);
  light.hasFlare = true;
  scene.setLight(0, light);
  scene.loadTextures();
  ASSERT_NE(scene.lights[0].flareTexture, 0u);

  scene.render();
  const Pixel through = centre();
  EXPECT_GT(through.r, 200) << ::testing::PrintToString(through);
  EXPECT_GT(through.b, 200) << ::testing::PrintToString(through);

  scene.lights[0].hasFlare = false;
  scene.render();
  EXPECT_LT(centre().r, 30) << ::testing::PrintToString(centre());
}

TEST_F(FlareTest, FlareKeepsItsOwnTextureAfterATwoMapMaterial) {
  // A glow: bright in the middle, black towards the edges, so a flare sampled at one corner
  // coordinate would vanish.
  WriteFileBytes("textures/particle2.jpg", EncodeJpeg(64, 64, JCS_RGB, [](int x, int y, uint8_t* o) {
    const bool middle = x > 16 && x < 48 && y > 16 && y < 48;
    o[0] = o[1] = o[2] = middle ? 255 : 0;
  }));
  WriteFileBytes("white.jpg", EncodeJpeg(16, 16, JCS_RGB, [](int, int, uint8_t* o) {
    o[0] = o[1] = o[2] = 255;
  }));
  OwnedScene scene;
  build(scene, {squareObject(-70, 40, 0, 5, 0)});  // off to the side, away from the flare
  Material& material = scene.materials[0];
  material.header.mapCount = 2;
  for (TextureMap& map : material.maps) {
    map.setBitmap("white.jpg");
    map.uTiling = map.vTiling = 1;
  }
  material.maps[0].spherical = true;
  scene.setupLights(1);
  SceneLight light = pointLight(0, 0, 0, -50);
  light.hasFlare = true;
  scene.setLight(0, light);
  scene.loadTextures();

  scene.render();
  EXPECT_GT(centre().r, 200) << ::testing::PrintToString(centre());
  EXPECT_LT(At(kWidth / 2 + 28, kHeight / 2 + 28).r, 40);  // the flare's dark border
}

TEST_F(FlareTest, FlareFollowsTheLightTrackLoopedAtItsOwnLength) {
  OwnedScene scene;
  build(scene, {});
  scene.setupLights(1);
  SceneLight light = pointLight(0, 0, 0, -50);
  light.hasFlare = true;
  light.setupTrack(2);
  light.track[0].position[0] = -60;
  light.track[1].position[0] = 60;
  scene.setLight(0, light);
  scene.loadTextures();

  auto right = [&] { return At(kWidth / 2 + 35, kHeight / 2).r; };
  auto left = [&] { return At(kWidth / 2 - 35, kHeight / 2).r; };
  scene.render();  // frame 0
  EXPECT_GT(left(), 200);
  EXPECT_LT(right(), 30);
  scene.animFrame = 1;
  scene.render();
  EXPECT_LT(left(), 30);
  EXPECT_GT(right(), 200);
  scene.animFrame = 5;  // past the light's track, which has no camera track to loop it
  scene.render();
  EXPECT_GT(right(), 200);
}

TEST_F(FlareTest, LoadingShowsOneFramePerMapThenCargando) {
  const uint8_t grey[3] = {90, 90, 90};
  WriteFileBytes("textures/a.jpg", TwoBandJpeg(16, 16, grey, grey));
  OwnedScene scene;
  build(scene, {});
  scene.materials[0].header.mapCount = 2;
  scene.materials[0].maps[0].setBitmap("textures\\a.jpg");
  scene.materials[0].maps[1].setBitmap("textures\\a.jpg");
  scene.materials[2].header.mapCount = 1;
  scene.materials[2].maps[0].setBitmap("textures\\A.JPG");
  scene.materials[2].maps[0].spherical = true;
  scene.setupLights(3);
  for (uint32_t i = 0; i < 3; ++i) {
    SceneLight light = pointLight(static_cast<int32_t>(i), 0, 0, 0);
    light.hasFlare = i != 1;
    scene.setLight(i, light);
  }

  const uint64_t before = g_presentCount;
  scene.loadTextures();
  EXPECT_EQ(g_presentCount - before, 4u);  // three maps and "Cargando..."

  const uint32_t a = scene.materials[0].maps[0].texture, b = scene.materials[0].maps[1].texture,
                 c = scene.materials[2].maps[0].texture;
  EXPECT_NE(a, 0u);
  EXPECT_EQ(a, b);  // a file named by several maps is one texture, with or without sphere mapping
  EXPECT_EQ(b, c);
  EXPECT_STREQ(scene.lights[0].flareBitmap, "textures\\particle2.jpg");
  EXPECT_NE(scene.lights[0].flareTexture, 0u);
  EXPECT_EQ(scene.lights[2].flareTexture, scene.lights[0].flareTexture);
  EXPECT_EQ(scene.lights[1].flareTexture, 0u);
  EXPECT_STREQ(scene.lights[1].flareBitmap, "");

  // A scene whose materials have no maps shows the single "Cargando..." frame.
  OwnedScene bare;
  build(bare, {});
  bare.loadTextures();
  EXPECT_EQ(g_presentCount - before, 5u);
}

TEST_F(FlareTest, EmptyFlareNameIsReportedAndLoadsNothing) {
  BoxRecorder boxes;
  SceneLight light;
  light.loadFlare();
  EXPECT_EQ(boxes.Take(), BoxLine("Nombre de textura de FLARE nulo.", "Error!"));
  EXPECT_EQ(light.flareTexture, 0u);
}
