#include <gtest/gtest.h>

#include <vector>

#include "effects/LayerSlot.h"
#include "particles/ParticleSystem.h"
#include "support/GLTestWindow.h"
#include "support/TestScenes.h"
#include "timeline/Timeline.h"

namespace {

uint32_t SolidTexture(uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t rgb[4 * 3] = {r, g, b, r, g, b, r, g, b, r, g, b};
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  return name;
}

// Full-window layers, each its own colour, opaque; noise masks 3-6 are red, green, blue and
// grey, masks 7-10 the same again.
class ComposeTest : public GLTestWindow {
 protected:
  void SetUp() override {
    GLTestWindow::SetUp();
    if (IsSkipped()) return;
    window.CreateRenderTargets();
    timeline.SetWindow(&window);
    const Pixel colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {128, 128, 128}};
    for (int i = 0; i < 11; ++i) {
      const Pixel c = i >= 3 ? colours[(i - 3) % 4] : Pixel{255, 255, 0};
      layers[i].texture = SolidTexture(c.r, c.g, c.b);
      layers[i].x1 = 800;
      layers[i].y1 = 600;
      layers[i].alpha = 1.0f;
    }
    g_noiseMode = 0;
    g_noiseFrame = 0;
  }
  void TearDown() override {
    window.DeleteRenderTargets();
    GLTestWindow::TearDown();
  }

  void RegisterLayers(int count) {
    for (int i = 0; i < count; ++i) timeline.RegisterLayer(&layers[i]);
  }

  LayerSlot layers[11];
  Timeline timeline;
};

}  // namespace

TEST_F(ComposeTest, NoiseFlipBookRunsFifteenFrameCyclesWhateverTheActiveFlags) {
  RegisterLayers(11);
  g_noiseMode = 1;
  std::vector<int> masks;
  std::vector<Pixel> centre;
  for (int frame = 0; frame < 20; ++frame) {
    timeline.Compose();
    masks.push_back(static_cast<int>(g_noiseFrame));
    centre.push_back(At(400, 300));
  }
  // The first cycle starts from 0 without a reset frame: four frames of mask 0, then five of 1
  // and 2, one of 3; then the reset frame and four more of mask 0.
  const std::vector<int> expected = {0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3, 0, 0, 0, 0, 0};
  EXPECT_EQ(masks, expected);
  EXPECT_EQ(centre[0], (Pixel{255, 0, 0}));
  EXPECT_EQ(centre[4], (Pixel{0, 255, 0}));
  EXPECT_EQ(centre[9], (Pixel{0, 0, 255}));
  EXPECT_EQ(centre[14], (Pixel{128, 128, 128}));

  // Another mode keeps the counter where it stands; the second set is drawn from it.
  g_noiseMode = 3;
  timeline.Compose();
  EXPECT_EQ(At(400, 300), (Pixel{0, 0, 0}));
  EXPECT_EQ(static_cast<int>(g_noiseFrame * 10 + 0.5f), 8);
  g_noiseMode = 2;
  timeline.Compose();
  EXPECT_EQ(At(400, 300), (Pixel{0, 255, 0}));  // mask 1 of the second set: layer 8
}

TEST_F(ComposeTest, NoiseSkipsMasksThatAreNotRegistered) {
  RegisterLayers(9);  // the second set stops after its second mask
  g_noiseMode = 2;
  for (int frame = 0; frame < 15; ++frame) {
    timeline.Compose();
    const int k = static_cast<int>(g_noiseFrame);
    const Pixel expected = k < 2 ? (k == 0 ? Pixel{255, 0, 0} : Pixel{0, 255, 0}) : Pixel{0, 0, 0};
    EXPECT_EQ(At(400, 300), expected) << "frame " << frame;
  }
}

// The trail switched off and on again, or a seek, starts from the picture of that frame: an image
// stored before, of a scene long gone, never comes back over the new one.
TEST_F(ComposeTest, ATrailSwitchedOnAgainStartsFromThePresentPicture) {
  OwnedScene red, blue;
  for (OwnedScene* scene : {&red, &blue}) {
    scene->window = &window;
    scene->clearsScreen = true;
  }
  red.params.background[0] = 1.0f;
  blue.params.background[2] = 1.0f;
  timeline.RegisterScene(&red);
  timeline.RegisterScene(&blue);
  timeline.MarkStart();
  struct Step {
    bool redShown;
    float trail;
    bool seekFirst;
    Pixel centre;
  };
  const Step steps[] = {
      {true, 0.8f, false, {255, 0, 0}},   {true, 0.8f, false, {255, 0, 0}},
      {false, 0.0f, false, {0, 0, 255}},  {false, 0.8f, false, {0, 0, 255}},  // not red again
      {true, 0.8f, false, {255, 0, 204}}, {false, 0.8f, true, {0, 0, 255}},   // nor after a seek
  };
  int k = 0;
  for (const Step& step : steps) {
    if (step.seekFirst) timeline.Seek(0, 30);
    timeline.sceneActive[0] = step.redShown;
    timeline.sceneActive[1] = !step.redShown;
    timeline.blurAlpha = step.trail;
    timeline.Compose();
    const Pixel centre = At(400, 300);
    EXPECT_NEAR(centre.r, step.centre.r, 1) << "frame " << k;
    EXPECT_NEAR(centre.b, step.centre.b, 1) << "frame " << k;
    ++k;
  }
}

TEST_F(ComposeTest, ActiveLayersGoOverTheCapturedPassInEveryEffectPath) {
  RegisterLayers(3);
  timeline.layerActive[1] = true;
  layers[1].texture = SolidTexture(0, 0, 255);
  layers[1].x1 = 400;  // left half only
  timeline.Compose();
  EXPECT_EQ(At(200, 300), (Pixel{0, 0, 255}));
  EXPECT_EQ(At(600, 300), (Pixel{0, 0, 0}));

  // Trail, glow and noise together, frame after frame: the layer still lands on top, and the
  // repeated entries into the 2D projection leave the matrix stacks as they were.
  ParticleSystem particles;
  timeline.RegisterParticleSystem(&particles);
  timeline.particleActive[0] = true;
  timeline.blurAlpha = 0.9f;
  timeline.saturateCount = 4;
  timeline.saturateSpread = 2;
  for (int frame = 0; frame < 5; ++frame) timeline.Compose();
  EXPECT_EQ(At(200, 300), (Pixel{0, 0, 255}));
  GLint modelview = 0, projection = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelview);
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projection);
  EXPECT_EQ(modelview, 1);
  EXPECT_EQ(projection, 1);

  // A count below one takes the glow path without any glow copy.
  timeline.saturateCount = 0.5f;
  timeline.blurAlpha = 0;
  timeline.Compose();
  EXPECT_EQ(At(600, 300), (Pixel{0, 0, 0}));
  EXPECT_EQ(At(200, 300), (Pixel{0, 0, 255}));
}
