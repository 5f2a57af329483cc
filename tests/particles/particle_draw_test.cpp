// Particle systems in a real GL frame: timed bursts on a virtual clock, additive drawing with
// opacity, and a file read with its textures and written back unchanged.
#include <gtest/gtest.h>

#include "ParticleFileBytes.h"
#include "support/GLDraw.h"
#include "particles/ParticleSystem.h"
#include "platform/Clock.h"
#include "support/GLTestWindow.h"
#include "support/TempDir.h"
#include "support/TestJpeg.h"

namespace {

class ParticleDraw : public GLTestWindow {
 protected:
  void SetUp() override {
    GLTestWindow::SetUp();
    if (IsSkipped()) return;
    SetClockSource(&clock);
  }
  void TearDown() override {
    SetClockSource(nullptr);
    GLTestWindow::TearDown();
  }

  // A camera 10 units in front of the origin, as a scene would leave the modelview matrix.
  void Camera() {
    window.Resize(-1, -1);
    glTranslatef(0.0f, 0.0f, -10.0f);
  }

  ManualClock clock;
};

void TwoParticles(ParticleSystem& system) {
  ASSERT_TRUE(system.Allocate(2, 0.0f, 0.0f));
  system.particles[0] = Particle{0.0f, 0.0f, 0.0f, 1.0f};
  system.particles[1] = Particle{10.0f, 0.0f, 0.0f, 2.0f};
}

TEST_F(ParticleDraw, ArmedBurstsComeAtMostOncePerFrameAndAtLeastTheIntervalApart) {
  ParticleSystem system;
  TwoParticles(system);
  ParticleSystem reference;
  TwoParticles(reference);
  system.burstsLeft = 5;
  system.burstInterval = 100;
  // Milliseconds before each frame, and whether that frame bursts. The timer keeps seconds per
  // count in single precision, so exactly 100 ms reads a hair short: steps land just past it.
  const struct {
    double advance;
    bool bursts;
  } frames[] = {{0, false},   {50, false}, {51, true},    {99, false}, {2, true},    {500, true},
                {0, false},   {101, true}, {99.5, false}, {1, true},   {101, false}, {1000, false}};
  int bursts = 0;
  for (const auto& frame : frames) {
    clock.AdvanceMs(frame.advance);
    Camera();
    system.Draw();
    if (frame.bursts) {
      reference.Burst();
      ++bursts;
    }
    SCOPED_TRACE(testing::Message() << "after burst " << bursts);
    EXPECT_EQ(system.burstsLeft, 5 - bursts);
    EXPECT_EQ(system.particles[0].x, reference.particles[0].x);
    EXPECT_EQ(system.particles[1].x, reference.particles[1].x);
  }
  EXPECT_EQ(bursts, 5);
  // Armed again after a long pause: the interval has long passed, so the burst comes at once.
  system.burstsLeft = 1;
  clock.AdvanceMs(1);
  Camera();
  system.Draw();
  EXPECT_EQ(system.burstsLeft, 0);
}

TEST_F(ParticleDraw, ParticlesAddTheirTextureScaledByOpacitySquared) {
  ParticleSystem system;
  ASSERT_TRUE(system.Allocate(1, 0.0f, 0.0f));
  // Off the origin, so the eye position has to come from the camera matrix.
  system.particles[0] = Particle{-3.0f, 2.0f, 0.0f, 1.0f};
  system.textures[0] = MakeWhiteTexture();
  system.textureCount = 1;
  for (const auto& expected : {std::make_pair(1.0f, 255), std::make_pair(0.5f, 64),
                               std::make_pair(0.0f, 0)}) {
    SCOPED_TRACE(expected.first);
    ClearFrame();
    Camera();
    glTranslatef(3.0f, -2.0f, 0.0f);
    system.alpha = expected.first;
    system.Draw();
    EXPECT_NEAR(At(400, 300).r, expected.second, 1);
    if (expected.second > 0) {
      // 2 units wide at 10 units: about 50 pixels at this field of view.
      const int lit = Count([](const Pixel& p) { return p.r > 0; });
      EXPECT_NEAR(lit, 50 * 50, 300);
    }
  }
  // Depth writes are back on and culling is restored for the scenes that follow.
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(ParticleDraw, FileWithTwoTexturesAndThreeParticlesReadsAndWritesBackUnchanged) {
  TempDir dir;
  dir.Write("textures/a.jpg", EncodeSolidJpeg(8, 8, 200, 200, 200));
  dir.Write("textures/b.jpg", EncodeSolidJpeg(8, 8, 90, 90, 90));
  // Filler after each name's NUL, as a writer with a dirty buffer leaves it.
  const std::string original = ParticleFileBytes()
                                   .Header(3, 2)
                                   .Name("textures\\a.jpg", '#')
                                   .Name("TEXTURES\\B.JPG", '%')
                                   .Record(1.0f, 2.0f, 3.0f, 0.5f, 0)
                                   .Record(-1.0f, 0.25f, 8.0f, 4.0f, 1)
                                   .Record(0.0f, -6.0f, 1e-3f, 2.0f, 1)
                                   .bytes;
  ASSERT_EQ(original.size(), 586u);
  dir.Write("escenas_bin/PARTICLES02.BIN", original);

  ParticleSystem system;
  ASSERT_TRUE(system.ReadFile("ESCENAS_BIN\\PARTICLES02.BIN"));
  EXPECT_EQ(system.count, 3u);
  EXPECT_EQ(system.textureCount, 2);
  EXPECT_NE(system.textures[0], 0u);
  EXPECT_NE(system.textures[1], 0u);
  EXPECT_NE(system.textures[0], system.textures[1]);
  EXPECT_STREQ(system.textureNames[1], "TEXTURES\\B.JPG");
  ASSERT_TRUE(system.WriteFile("copy.bin"));
  EXPECT_EQ(dir.Read("copy.bin"), original);

  // Drawn, the cloud shows both textures (the second particle uses the darker one).
  ClearFrame();
  Camera();
  system.Draw();
  EXPECT_GT(Count([](const Pixel& p) { return p.r > 150; }), 0);
  EXPECT_GT(Count([](const Pixel& p) { return p.r > 60 && p.r < 110; }), 0);
}

TEST_F(ParticleDraw, RefusedFileDrawsNothingEvenWithBurstsArmed) {
  TempDir dir;
  dir.Write("p.bin", ParticleFileBytes().Header(2, 1).Name("nowhere.jpg").Record(0, 0, 0, 0, 0)
                         .Record(1, 1, 1, 1, 0).bytes);
  ParticleSystem system;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(system.ReadFile("p.bin"));
  testing::internal::GetCapturedStdout();
  system.burstsLeft = 3;
  ClearFrame();
  Camera();
  for (int frame = 0; frame < 3; ++frame) {
    clock.AdvanceMs(10);
    system.Draw();
  }
  EXPECT_EQ(Count([](const Pixel& p) { return p.r > 0 || p.g > 0 || p.b > 0; }), 0);
}

}  // namespace
