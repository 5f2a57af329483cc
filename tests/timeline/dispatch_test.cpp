#include <gtest/gtest.h>

#include <string>

#include "effects/LayerSlot.h"
#include "particles/ParticleSystem.h"
#include "platform/AudioOutput.h"
#include "platform/Clock.h"
#include "platform/MusicPlayer.h"
#include "scene/Scene.h"
#include "support/TempDir.h"
#include "support/TestMusic.h"
#include "timeline/Timeline.h"

namespace {

// A manual clock that can also move on by itself each time it is read, as real time does while
// a frame is being dispatched.
struct SteppingClock : ManualClock {
  int64_t stepMicros = 0;
  int64_t Counter() override { return micros += stepMicros; }
};

// A Timeline playing a real (silent) music stream whose position follows a manual clock, with
// three scenes, three layers and two particle systems registered.
class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClockSource(&clock);
    AudioUseSilentOutput(true);
    dir.Write("music/music.ogg", EncodeSilentOgg(30.0));
    ASSERT_TRUE(music.Init(nullptr));
    music.Load("music\\music.ogg");
    ASSERT_NE(music.m_stream, 0u);
    music.Play();
    timeline.SetMusic(&music);
    for (Scene& s : scenes) timeline.RegisterScene(&s);
    for (LayerSlot& l : layers) {
      l.x1 = 800;
      l.y1 = 600;
      timeline.RegisterLayer(&l);
    }
    for (ParticleSystem& p : particles) timeline.RegisterParticleSystem(&p);
    g_noiseMode = 0;
  }

  void TearDown() override {
    music.Free();
    AudioUseSilentOutput(false);
    SetClockSource(nullptr);
  }

  void Script(const std::string& text) {
    dir.Write("script.txt", text);
    timeline.LoadScript("script.txt");
    timeline.SortEvents();
  }

  // Moves the music on to the given position and dispatches once.
  bool At(double seconds) {
    clock.AdvanceMs(seconds * 1000.0 - music.Position() * 1000.0);
    return timeline.Dispatch();
  }

  SteppingClock clock;
  TempDir dir;
  MusicPlayer music;
  Scene scenes[3];
  LayerSlot layers[3];
  ParticleSystem particles[2];
  Timeline timeline;
};

}  // namespace

TEST_F(DispatchTest, AppliesDueEventsInTimeOrderOnceEach) {
  Script("2 LAYER 0 FX_ALPHA 0.2\n0 LAYER 0 FX_START\n1 LAYER 0 FX_ALPHA 0.7\n1 LAYER 1 FX_START\n");
  // Time 0 is due at once; an event exactly at the position is due.
  EXPECT_FALSE(timeline.Dispatch());
  EXPECT_TRUE(timeline.layerActive[0]);
  EXPECT_EQ(timeline.cursor, 1u);
  EXPECT_FALSE(At(0.999));
  EXPECT_FLOAT_EQ(layers[0].alpha, 0.0f);
  EXPECT_FALSE(At(1.0));
  EXPECT_FLOAT_EQ(layers[0].alpha, 0.7f);
  EXPECT_TRUE(timeline.layerActive[1]);
  EXPECT_EQ(timeline.cursor, 3u);
  // Applied events are not applied again when a target is changed behind the timeline's back.
  layers[0].alpha = 0.5f;
  EXPECT_FALSE(At(1.5));
  EXPECT_FLOAT_EQ(layers[0].alpha, 0.5f);
  // After a long frame every event passed is applied, in order; then nothing more happens.
  EXPECT_FALSE(At(25.0));
  EXPECT_FLOAT_EQ(layers[0].alpha, 0.2f);
  EXPECT_EQ(timeline.cursor, 4u);
  EXPECT_FALSE(At(26.0));
  EXPECT_EQ(timeline.cursor, 4u);
}

TEST_F(DispatchTest, ReadsTheMusicAfreshForEveryEventExamined) {
  Script("0.1 LAYER 0 FX_START\n0.5 LAYER 1 FX_START\n5 LAYER 2 FX_START\n");
  // Each reading of the position finds the music 0.3 s further on: the second event is not due at
  // the first reading but is at the second, within the same dispatch.
  clock.stepMicros = 300000;
  EXPECT_FALSE(timeline.Dispatch());
  clock.stepMicros = 0;
  EXPECT_TRUE(timeline.layerActive[1]);
  EXPECT_FALSE(timeline.layerActive[2]);
  EXPECT_EQ(timeline.cursor, 2u);
}

TEST_F(DispatchTest, SceneEffects) {
  scenes[1].animFrame = 42;
  Script("0 SCENE 1 FX_START\n"
         "1 SCENE 1 FX_CHANGE_CAM 1.9\n"
         "1 SCENE 0 FX_SHAKE 3.5\n"
         "1 SCENE 2 FX_AQUA 1\n"
         "1 SCENE 0 FX_SHOW\n"
         "2 SCENE 1 FX_STOP\n"
         "2 SCENE 0 FX_HIDE\n"
         "3 SCENE 0 FX_SHOW\n"
         "4 SCENE 0 FX_START\n"
         "5 SCENE 2 FX_AQUA 0.9\n"
         "5 SCENE 1 FX_CHANGE_CAM -2.7\n");
  EXPECT_FALSE(At(0));
  EXPECT_TRUE(timeline.sceneActive[1]);
  EXPECT_FLOAT_EQ(scenes[1].animFrame, 0.0f);
  EXPECT_FALSE(timeline.sceneActive[0]);

  scenes[0].animFrame = 17;
  EXPECT_FALSE(At(1));
  EXPECT_EQ(scenes[1].cameraIndex, 1);
  EXPECT_FLOAT_EQ(scenes[0].shakeAmount, 3.5f);
  EXPECT_TRUE(scenes[2].aquaEnabled);
  EXPECT_TRUE(timeline.sceneActive[0]);
  EXPECT_FLOAT_EQ(scenes[0].animFrame, 17.0f);  // FX_SHOW keeps the animation position

  EXPECT_FALSE(At(2));
  EXPECT_FALSE(timeline.sceneActive[0]);
  EXPECT_FALSE(timeline.sceneActive[1]);
  EXPECT_FLOAT_EQ(scenes[0].shakeAmount, 3.5f);  // turning off resets nothing

  EXPECT_FALSE(At(3));
  EXPECT_TRUE(timeline.sceneActive[0]);
  EXPECT_FLOAT_EQ(scenes[0].animFrame, 17.0f);
  EXPECT_FALSE(At(4));
  EXPECT_FLOAT_EQ(scenes[0].animFrame, 0.0f);  // FX_START on a scene already on rewinds it

  EXPECT_FALSE(At(5));
  EXPECT_FALSE(scenes[2].aquaEnabled);  // 0.9 truncates to 0
  EXPECT_EQ(scenes[1].cameraIndex, -2);
}

TEST_F(DispatchTest, WholeScreenEffectsRideOnSceneEventsOfAnyIndex) {
  Script("1 SCENE 0 FX_SATURATE 3 0.25\n"
         "1 SCENE 77 FX_BLUR 0.9\n"
         "1 SCENE -4 FX_NOISE 2.8\n"
         "2 LAYER 0 FX_BLUR 0.1\n"
         "2 PARTICLE 0 FX_SATURATE 9 9\n"
         "2 LAYER 0 FX_NOISE 1\n"
         "2.5 SCENE 0 FX_NOISE 1\n"
         "3 SCENE 0 FX_NOISE 257\n"
         "4 SCENE 0 FX_NOISE 0\n"
         "4 SCENE 0 FX_BLUR 0\n");
  EXPECT_FALSE(At(1));
  EXPECT_FLOAT_EQ(timeline.saturateCount, 3.0f);
  EXPECT_FLOAT_EQ(timeline.saturateSpread, 0.25f);
  EXPECT_FLOAT_EQ(timeline.blurAlpha, 0.9f);
  EXPECT_EQ(g_noiseMode, 2);
  // The same codes against a layer or particle system do nothing.
  EXPECT_FALSE(At(2));
  EXPECT_FLOAT_EQ(timeline.blurAlpha, 0.9f);
  EXPECT_FLOAT_EQ(timeline.saturateCount, 3.0f);
  EXPECT_EQ(g_noiseMode, 2);
  EXPECT_FALSE(At(3));
  EXPECT_EQ(g_noiseMode, 0);  // not a set: off, as the checker says
  EXPECT_FALSE(At(4));
  EXPECT_EQ(g_noiseMode, 0);
  EXPECT_FLOAT_EQ(timeline.blurAlpha, 0.0f);
}

// Values that would drive unbounded work or leave the drawing's range are held as the script
// is read, so play, seek and capture all take the held value.
TEST_F(DispatchTest, TakesParametersHeldToTheirRange) {
  Script("1 SCENE 0 FX_SATURATE 2147483647 0\n"
         "1 LAYER 0 FX_MOVE 3e9 -3e9\n"
         "1 LAYER 1 FX_RESIZE 1e30 nan\n"
         "1 LAYER 2 FX_ALPHA 7\n"
         "1 SCENE 0 FX_BLUR 2\n"
         "1 PARTICLE 0 FX_ALPHA -1\n");
  EXPECT_FALSE(At(1));
  EXPECT_EQ(timeline.saturateCount, static_cast<float>(kMaxGlowCopies));
  EXPECT_FLOAT_EQ(timeline.saturateSpread, 0.0f);
  EXPECT_EQ(layers[0].x0, kMaxLayerPixels);
  EXPECT_EQ(layers[0].x1, 800 + kMaxLayerPixels);
  EXPECT_EQ(layers[0].y0, -kMaxLayerPixels);
  EXPECT_EQ(layers[1].x1, kMaxLayerPixels);
  EXPECT_EQ(layers[1].y1, 0.0f);
  EXPECT_EQ(layers[2].alpha, 1.0f);
  EXPECT_EQ(timeline.blurAlpha, 1.0f);
  EXPECT_EQ(particles[0].alpha, 0.0f);
}

TEST_F(DispatchTest, LayerEffects) {
  Script("1 LAYER 1 FX_START\n"
         "1 LAYER 1 FX_ALPHA 0.8\n"
         "1 LAYER 1 FX_MOVE 10 -20\n"
         "2 LAYER 1 FX_RESIZE 400 300\n"
         "2 LAYER 1 FX_SHAKE 6\n"
         "3 LAYER 1 FX_SHOW\n"
         "3 LAYER 2 FX_SHOW\n"
         "3 LAYER 1 FX_EXPLODE 5 5\n"
         "3 LAYER 1 FX_CHANGE_CAM 4\n"
         "4 LAYER 1 FX_STOP\n");
  EXPECT_FALSE(At(1));
  EXPECT_TRUE(timeline.layerActive[1]);
  EXPECT_FLOAT_EQ(layers[1].alpha, 0.8f);
  EXPECT_FLOAT_EQ(layers[1].x0, 10.0f);
  EXPECT_FLOAT_EQ(layers[1].x1, 810.0f);
  EXPECT_FLOAT_EQ(layers[1].y0, -20.0f);
  EXPECT_FLOAT_EQ(layers[1].y1, 580.0f);
  EXPECT_FALSE(At(2));
  EXPECT_FLOAT_EQ(layers[1].x0, 10.0f);
  EXPECT_FLOAT_EQ(layers[1].x1, 410.0f);
  EXPECT_FLOAT_EQ(layers[1].y1, 280.0f);
  EXPECT_FLOAT_EQ(layers[1].shakeAmount, 6.0f);
  // Scene-only and particle-only codes leave a layer alone: FX_SHOW does not turn one on.
  EXPECT_FALSE(At(3));
  EXPECT_FALSE(timeline.layerActive[2]);
  EXPECT_FLOAT_EQ(layers[1].x1, 410.0f);
  EXPECT_FALSE(At(4));
  EXPECT_FALSE(timeline.layerActive[1]);
  EXPECT_FLOAT_EQ(layers[1].alpha, 0.8f);
}

TEST_F(DispatchTest, ParticleEffects) {
  Script("1 PARTICLE 1 FX_START\n"
         "1 PARTICLE 1 FX_ALPHA 0.3\n"
         "1 PARTICLE 1 FX_EXPLODE 5.9 250.7\n"
         "2 PARTICLE 0 FX_SHOW\n"
         "2 PARTICLE 0 FX_MOVE 4 4\n"
         "2 PARTICLE 0 FX_SHAKE 4\n"
         "3 PARTICLE 1 FX_STOP\n"
         "4 PARTICLE 1 FX_EXPLODE 1e20 nan\n");
  EXPECT_FALSE(At(1));
  EXPECT_TRUE(timeline.particleActive[1]);
  EXPECT_FLOAT_EQ(particles[1].alpha, 0.3f);
  EXPECT_EQ(particles[1].burstsLeft, 5);
  EXPECT_EQ(particles[1].burstInterval, 250);
  EXPECT_FALSE(At(2));
  EXPECT_FALSE(timeline.particleActive[0]);
  EXPECT_FALSE(At(3));
  EXPECT_FALSE(timeline.particleActive[1]);
  EXPECT_EQ(particles[1].burstsLeft, 5);
  // Values beyond an int are held to its range, and not-a-number reads as 0.
  EXPECT_FALSE(At(4));
  EXPECT_EQ(particles[1].burstsLeft, INT32_MAX);
  EXPECT_EQ(particles[1].burstInterval, 0);
}

TEST_F(DispatchTest, QuitEndsOnlyFromASceneEventAndHoldsTheCursor) {
  Script("1 LAYER 0 FX_QUIT\n1 PARTICLE 0 FX_QUIT\n2 SCENE 55 FX_QUIT\n2 LAYER 0 FX_START\n");
  EXPECT_FALSE(At(1.5));
  EXPECT_EQ(timeline.cursor, 2u);
  EXPECT_TRUE(At(2.0));
  EXPECT_EQ(timeline.cursor, 2u);
  EXPECT_FALSE(timeline.layerActive[0]);  // nothing after the quit is applied
  EXPECT_TRUE(timeline.Dispatch());
}

TEST_F(DispatchTest, IgnoredEventsAdvanceTheCursorAndTouchNothing) {
  // Unknown kind or code, indices outside the registered targets, and a time that is not a number
  // (never due). The blank line is no event.
  Script("\n"
         "0 SCREEN 0 FX_START\n"
         "0 SCENE 0 FX_WOBBLE 1\n"
         "0 SCENE 3 FX_START\n"
         "0 SCENE -1 FX_SHAKE 2\n"
         "0 LAYER 3 FX_START\n"
         "0 LAYER 99 FX_ALPHA 1\n"
         "0 LAYER 100 FX_START\n"
         "0 PARTICLE 2 FX_START\n"
         "0 PARTICLE -2147483648 FX_ALPHA 0\n"
         "nan SCENE 0 FX_START\n");
  EXPECT_FALSE(At(29.0));
  EXPECT_EQ(timeline.cursor, 9u);
  for (int i = 0; i < kTimelineTargets; ++i) {
    EXPECT_FALSE(timeline.sceneActive[i]);
    EXPECT_FALSE(timeline.layerActive[i]);
    EXPECT_FALSE(timeline.particleActive[i]);
  }
  EXPECT_FLOAT_EQ(scenes[0].shakeAmount, 0.0f);
  EXPECT_FLOAT_EQ(particles[1].alpha, 1.0f);
}

TEST(TimelineTables, RegistrationStopsAtCapacity) {
  Timeline t;
  static LayerSlot layers[kTimelineTargets + 5];
  for (LayerSlot& l : layers) t.RegisterLayer(&l);
  EXPECT_EQ(t.layerCount, kTimelineTargets);
  EXPECT_EQ(t.layerTargets[kTimelineTargets - 1], &layers[kTimelineTargets - 1]);
  EXPECT_EQ(t.sceneCount, 0);

  // No clock, no events: nothing comes due and nothing changes.
  EXPECT_FALSE(t.Dispatch());
  EXPECT_EQ(t.cursor, 0u);
}
