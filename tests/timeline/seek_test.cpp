#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <ostream>
#include <vector>

#include "effects/LayerSlot.h"
#include "particles/ParticleSystem.h"
#include "platform/AudioOutput.h"
#include "platform/Random.h"
#include "platform/Clock.h"
#include "platform/MusicPlayer.h"
#include "platform/OpenGL.h"
#include "render/SceneRenderer.h"
#include "support/GLTestWindow.h"
#include "support/TempDir.h"
#include "support/TestMusic.h"
#include "support/TestScenes.h"
#include "timeline/Timeline.h"

namespace {

constexpr int kFps = 50;
constexpr int64_t kMicrosPerFrame = 1000000 / kFps;

// Every kind of event and every per-frame clock: a scene whose camera track loops every 40
// frames and that goes under aqua, hides and shows again; a second scene at another speed
// that stops and restarts; bursts; layer moves; both noise sets; trail and glow; values that
// move over time, one taken over by a later event and a layer moved and resized at once.
const char kScript[] =
    "0 SCENE 0 FX_START\n"
    "0 SCENE 0 FX_NOISE 1\n"
    "0.5 PARTICLE 0 FX_START\n"
    "0.6 PARTICLE 0 FX_EXPLODE 6 150\n"
    "1.0 SCENE 0 FX_AQUA 1\n"
    "1.2 LAYER 0 FX_START\n"
    "1.3 LAYER 0 FX_MOVE 10 -20\n"
    "1.4 LAYER 1 FX_ALPHA 0.2 over 1.2 smooth\n"
    "1.45 SCENE 0 FX_SHAKE 4 over 0.8 ease-in\n"
    "1.5 SCENE 1 FX_START\n"
    "1.8 SCENE 0 FX_CHANGE_CAM 1\n"
    "2.0 SCENE 0 FX_HIDE\n"
    "2.0 LAYER 0 FX_MOVE 100 50 over 1 ease-out\n"
    "2.2 LAYER 0 FX_RESIZE 300 200 over 0.5 step\n"
    "2.3 LAYER 1 FX_ALPHA 1 over 0.5\n"
    "2.4 SCENE 0 FX_SHOW\n"
    "2.5 SCENE 0 FX_AQUA 0\n"
    "2.6 SCENE 0 FX_BLUR 0.5\n"
    "2.7 SCENE 0 FX_SATURATE 3 4\n"
    "2.8 SCENE 0 FX_SATURATE 10 2 over 0.6\n"
    "2.9 SCENE 1 FX_STOP\n"
    "3.1 SCENE 1 FX_START\n"
    "3.2 LAYER 0 FX_ALPHA 0.4\n"
    "3.3 SCENE 0 FX_NOISE 2\n"
    "3.9 SCENE 0 FX_QUIT\n";

// The frame clock of a run that draws kFps frames a second: a scene's wait for its next
// animation frame moves it on, and a frame whose start it has passed is not drawn.
struct FrameStepClock : ManualClock {
  int64_t origin = 0;
  bool MoveToFrame(int64_t k) {
    const int64_t start = origin + k * kMicrosPerFrame;
    if (micros > start) return false;
    Set(start);
    return true;
  }
  void Set(int64_t count) {
    micros = count;
    ticks = static_cast<uint32_t>(count / 1000);
  }
};

// What the aqua leaves in the scene's mesh, besides its phase.
std::vector<float> VertexPositions(const Scene& scene) {
  std::vector<float> positions;
  for (uint32_t k = 0; k < scene.objects[0].vertexCount; ++k)
    for (float p : scene.objects[0].vertices[k].position) positions.push_back(p);
  return positions;
}

}  // namespace

// Failure messages name the fields that decide how the production goes on.
void PrintTo(const EffectState& s, std::ostream* out) {
  char line[200];
  std::snprintf(line, sizeof line, "cursor %u noise %d/%a", s.cursor, s.noiseMode, s.noiseFrame);
  *out << line;
  for (const SceneEffects& e : s.scenes) {
    std::snprintf(line, sizeof line, " | scene cam %d frame %a aqua %d/%d timer %d", e.cameraIndex,
                  e.animFrame, e.aquaEnabled, e.deformPhases.empty() ? 0 : e.deformPhases[0],
                  e.timerStarted);
    *out << line;
  }
  for (const ParticleEffects& e : s.particles) {
    std::snprintf(line, sizeof line, " | bursts %d started %d x0 %a", e.burstsLeft, e.started,
                  e.particles.empty() ? 0.0f : e.particles[0].x);
    *out << line;
  }
}

namespace {

class SeekTest : public GLTestWindow {
 protected:
  void SetUp() override {
    GLTestWindow::SetUp();
    if (IsSkipped()) return;
    ASSERT_TRUE(Open(200, 150));  // the picture is not looked at: keep the frames cheap
    window.CreateRenderTargets();
    SetClockSource(&clock);
    setFrameWaitHandler([this](double missingMs) {
      const int64_t micros = static_cast<int64_t>(std::ceil(missingMs * 1000));
      clock.Set(clock.micros + std::max<int64_t>(1, micros));
      return true;
    });
    AudioUseSilentOutput(true);
    dir.Write("music/music.ogg", EncodeSilentOgg(3.0));  // the quit comes after its end
    dir.Write("script.txt", kScript);
    ASSERT_TRUE(music.Init(nullptr));
    music.Load("music\\music.ogg");

    for (int s = 0; s < 2; ++s) {
      SceneParams params;
      params.frameSpeed = s == 0 ? 30 : 25;
      scenes[s].setParams(params);
      scenes[s].setupObjects(1);
      scenes[s].setObject(0, squareObject(0, 0, 0, 50, 0));
      scenes[s].setupMaterials(1);
      scenes[s].setMaterial(0, colourMaterial(1, 0, 0));
      scenes[s].setupCameras(2);
      SceneCamera looping = fixedCamera(0, 0, 200, 0, 0, 0, 60);
      looping.setupTrack(40);
      // A field of view of its own on every frame: the next frame's projection tells them apart.
      for (uint32_t f = 0; f < 40; ++f) {
        looping.track[f] = looping.frame;
        looping.track[f].fov = 40.0f + f;
      }
      scenes[s].setCamera(0, looping);
      scenes[s].setCamera(1, fixedCamera(0, 0, 300, 0, 0, 0, 60));
      scenes[s].objects[0].prepareDeformation();
      scenes[s].window = &window;
      timeline.RegisterScene(&scenes[s]);
    }
    for (LayerSlot& layer : layers) {
      layer.x1 = 800;
      layer.y1 = 600;
      layer.alpha = 1;
      timeline.RegisterLayer(&layer);
    }
    SeedRandom(7);
    ASSERT_TRUE(particles.Allocate(40, 10, 100));
    particles.Randomize();
    timeline.RegisterParticleSystem(&particles);
    timeline.SetMusic(&music);
    timeline.SetWindow(&window);
    timeline.LoadScript("script.txt");
    timeline.SortEvents();
    g_noiseMode = 0;
    g_noiseFrame = 0;
    timeline.MarkStart();
    music.Play();
  }
  void TearDown() override {
    music.Free();
    AudioUseSilentOutput(false);
    setFrameWaitHandler(nullptr);
    SetClockSource(nullptr);
    window.DeleteRenderTargets();
    GLTestWindow::TearDown();
  }

  // Draws frames [from, to) as the player would; false once FX_QUIT has come due.
  bool Run(int64_t from, int64_t to) {
    for (int64_t k = from; k < to; ++k) {
      if (!clock.MoveToFrame(k)) continue;
      if (timeline.Dispatch()) return false;
      timeline.Compose();
    }
    return true;
  }

  // The seek target that lands on frame k.
  static float Moment(int64_t k) { return MusicPositionAtFrame(k, kFps); }

  // The projection the next frame's scenes are drawn with.
  static std::vector<float> Projection() {
    std::vector<float> matrix(16);
    glGetFloatv(GL_PROJECTION_MATRIX, matrix.data());
    return matrix;
  }

  FrameStepClock clock;
  TempDir dir;
  MusicPlayer music;
  OwnedScene scenes[2];
  LayerSlot layers[11];
  ParticleSystem particles;
  Timeline timeline;
};

}  // namespace

TEST_F(SeekTest, SeekingToAnyMomentGivesTheStateOfAStraightRunThere) {
  const int64_t moments[] = {0, 1, 19, 31, 50, 61, 77, 101, 123, 140, 149, 163, 181};
  std::map<int64_t, EffectState> straight;
  std::map<int64_t, std::vector<float>> mesh, projection;
  int64_t k = 0;
  for (int64_t moment : moments) {
    ASSERT_TRUE(Run(k, moment));
    k = moment;
    straight[k] = EffectState::Of(timeline);
    mesh[k] = VertexPositions(scenes[0]);
    projection[k] = Projection();
  }
  EXPECT_EQ(straight[181].particles[0].burstsLeft, 0) << "the bursts ran in the straight run";
  EXPECT_NE(straight[101].scenes[0].deformPhases[0], 0) << "the aqua ran";

  // Backwards and forwards, from wherever the previous seek left the production.
  for (int64_t target : {int64_t{181}, int64_t{31}, int64_t{149}, int64_t{0}, int64_t{77},
                         int64_t{163}, int64_t{61}, int64_t{1}, int64_t{123}, int64_t{50},
                         int64_t{140}, int64_t{19}, int64_t{101}}) {
    timeline.Seek(Moment(target), kFps);
    EXPECT_EQ(EffectState::Of(timeline), straight[target]) << "frame " << target;
    EXPECT_EQ(VertexPositions(scenes[0]), mesh[target]) << "frame " << target;
    EXPECT_EQ(Projection(), projection[target]) << "frame " << target;
    EXPECT_NEAR(music.Position(), Moment(target), 1.0f / kMusicRate) << "frame " << target;
  }
}

TEST_F(SeekTest, ARunGoesOnFromASeekAsItWouldHaveWithoutOne) {
  const int64_t end = 180;
  ASSERT_TRUE(Run(0, end));
  const EffectState uninterrupted = EffectState::Of(timeline);

  // Back to the start, then seek to the very frame being played at two moments: every clock the
  // replay leaves behind must carry on as the run's own would have.
  clock.origin = clock.micros + kMicrosPerFrame;
  clock.MoveToFrame(0);
  timeline.Seek(0, kFps);
  EXPECT_EQ(EffectState::Of(timeline), timeline.start);
  int64_t k = 0;
  for (int64_t moment : {int64_t{70}, int64_t{130}}) {
    ASSERT_TRUE(Run(k, moment));
    k = moment;
    clock.MoveToFrame(k);
    timeline.Seek(Moment(k), kFps);
  }
  ASSERT_TRUE(Run(k, end));
  EXPECT_EQ(EffectState::Of(timeline), uninterrupted);
}

TEST_F(SeekTest, TheClockRunsOnPastTheMusicAndASeekStopsAtTheQuit) {
  // The music lasts 3 s; the quit at 3.9 s still comes due in a straight run.
  EXPECT_FALSE(Run(0, 500));
  EXPECT_GE(music.Position(), 3.9f);

  timeline.Seek(10.0f, kFps);
  EXPECT_FLOAT_EQ(music.Position(), 10.0f);
  EXPECT_TRUE(timeline.Dispatch()) << "the seek left the quit due";
  timeline.Seek(3.5f, kFps);
  EXPECT_FALSE(timeline.Dispatch());
  EXPECT_TRUE(timeline.sceneActive[1]);
}

TEST_F(SeekTest, AReplacedScriptKeepsThePlaceAndOneWithoutEventsIsRefused) {
  ASSERT_TRUE(Run(0, 60));
  const int32_t events = timeline.eventCount;
  for (const char* bad : {"", "\n\n"}) {
    dir.Write("script.txt", bad);
    EXPECT_FALSE(timeline.ReplaceScript("script.txt"));
    EXPECT_EQ(timeline.eventCount, events);
  }
  EXPECT_FALSE(timeline.ReplaceScript("missing.txt"));
  dir.Write("script.txt", "0 SCENE 1 FX_START\n");
  ASSERT_TRUE(timeline.ReplaceScript("script.txt"));
  timeline.Seek(music.Position(), kFps);
  EXPECT_TRUE(timeline.sceneActive[1]);
  EXPECT_FALSE(timeline.sceneActive[0]) << "the new script alone decides";
}

TEST_F(SeekTest, AMovingValueFollowsItsCurveOnTheMusicPosition) {
  // 2.02 s: the alpha move of 1.4 s is under way (to be taken over at 2.3 s). The scenes' waits
  // may have moved the clock since the frame's dispatch: once more at the position read here.
  ASSERT_TRUE(Run(0, 101));
  const float now = music.Position();
  timeline.Dispatch();
  ASSERT_GT(now, 1.4f);
  ASSERT_LT(now, 2.3f);
  const float expected = 1 + (0.2f - 1) * CurveAt(CURVE_SMOOTH, (now - 1.4f) / 1.2f);
  EXPECT_FLOAT_EQ(layers[1].alpha, expected);
  // The layer's corner is on its way, its size kept.
  EXPECT_GT(layers[0].x0, 10);
  EXPECT_LT(layers[0].x0, 110);
  EXPECT_FLOAT_EQ(layers[0].x1 - layers[0].x0, 800);

  // Past every move: each value is where its last event put it.
  ASSERT_TRUE(Run(101, 175));
  EXPECT_EQ(layers[1].alpha, 1.0f);
  EXPECT_EQ(layers[0].x0, 110.0f);
  EXPECT_EQ(layers[0].y0, 30.0f);
  EXPECT_EQ(layers[0].x1, 410.0f);
  EXPECT_EQ(layers[0].y1, 230.0f);
  EXPECT_EQ(timeline.saturateCount, 10.0f);
  EXPECT_EQ(scenes[0].shakeAmount, 4.0f);
  EXPECT_TRUE(timeline.moves.empty());
}
