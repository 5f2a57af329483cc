#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/Clock.h"
#include "platform/Random.h"
#include "render/SceneRenderer.h"
#include "scene/Scene.h"

namespace {

// A scene on a manual clock; every wait is recorded and, unless told otherwise, made good by
// moving the clock on by the missing time, rounded up to the clock's next microsecond (the
// timer's single-precision scale leaves fractions of a microsecond missing).
struct ClockedScene : ::testing::Test {
  ManualClock clock;
  Scene scene;
  std::vector<double> waits;
  bool keepWaiting = true;

  void SetUp() override {
    SetClockSource(&clock);
    setFrameWaitHandler([this](double missingMs) {
      waits.push_back(missingMs);
      if (keepWaiting) clock.AdvanceMs(std::floor(missingMs * 1000 + 1) / 1000);
      return keepWaiting;
    });
    scene.params.frameSpeed = 25;  // 40 ms per frame
    advanceAnimationClock(scene);  // starts the clock
  }
  void TearDown() override {
    setFrameWaitHandler(nullptr);
    SetClockSource(nullptr);
  }
};

}  // namespace

TEST_F(ClockedScene, AdvancesByTheFractionOfFramesThatPassed) {
  EXPECT_TRUE(scene.timerStarted);
  EXPECT_EQ(scene.animFrame, 0.0f);
  clock.AdvanceMs(100);
  advanceAnimationClock(scene);
  EXPECT_NEAR(scene.animFrame, 2.5f, 1e-4);
  EXPECT_TRUE(waits.empty());
  // The timer was reset: the next 40 ms make exactly one more frame.
  clock.AdvanceMs(40);
  advanceAnimationClock(scene);
  EXPECT_NEAR(scene.animFrame, 3.5f, 1e-4);
}

TEST_F(ClockedScene, WaitsForAWholeFrameTime) {
  clock.AdvanceMs(10);
  advanceAnimationClock(scene);
  ASSERT_EQ(waits.size(), 1u);
  EXPECT_NEAR(waits[0], 30.0, 1e-3);
  EXPECT_NEAR(scene.animFrame, 1.0f, 1e-4);

  // A handler that gives up leaves the frame advanced by the part that passed.
  keepWaiting = false;
  clock.AdvanceMs(10);
  advanceAnimationClock(scene);
  EXPECT_NEAR(scene.animFrame, 1.25f, 1e-4);
}

// A real clock runs while it is polled; this one moves 10 us per reading and records the sleeps.
struct RunningClock : ManualClock {
  std::vector<uint32_t> sleeps;
  int64_t Counter() override { return micros += 10; }
  void SleepMs(uint32_t ms) override {
    sleeps.push_back(ms);
    ManualClock::SleepMs(ms);
  }
};

TEST(AnimationWait, SleepsMostOfTheWaitThenPollsToTheDueTime) {
  RunningClock clock;
  SetClockSource(&clock);
  Scene scene;
  scene.params.frameSpeed = 25;  // 40 ms per frame
  advanceAnimationClock(scene);
  clock.AdvanceMs(10);
  const int64_t before = clock.micros;
  advanceAnimationClock(scene);
  SetClockSource(nullptr);

  uint32_t slept = 0;
  for (uint32_t ms : clock.sleeps) slept += ms;
  EXPECT_GE(slept, 28u);  // 30 ms were missing: all but the last one asleep
  EXPECT_LE(slept, 29u);
  EXPECT_GE(scene.animFrame, 1.0f);  // never drawn before its frame is due
  EXPECT_LT(clock.micros - before, 31000) << "polled for far longer than the margin";
}

TEST_F(ClockedScene, OddSpeedsNeitherRunBackwardsNorDivideByZero) {
  scene.params.frameSpeed = 0;
  clock.AdvanceMs(100);
  advanceAnimationClock(scene);
  EXPECT_EQ(scene.animFrame, 0.0f);
  // Speed 0 did not reset the timer: the 100 ms are still there once the speed is set.
  scene.params.frameSpeed = 25;
  advanceAnimationClock(scene);
  EXPECT_NEAR(scene.animFrame, 2.5f, 1e-4);

  scene.params.frameSpeed = -25;
  clock.AdvanceMs(100);
  advanceAnimationClock(scene);
  EXPECT_NEAR(scene.animFrame, 2.5f, 1e-4);

  scene.params.frameSpeed = 5000;  // beyond one frame per millisecond
  clock.AdvanceMs(1);
  advanceAnimationClock(scene);
  EXPECT_TRUE(std::isfinite(scene.animFrame));
  EXPECT_GT(scene.animFrame, 2.5f);
}

TEST(AnimFrameIndex, TruncatesAndStaysUsable) {
  EXPECT_EQ(animFrameIndex(0.0f), 0);
  EXPECT_EQ(animFrameIndex(2.99f), 2);
  EXPECT_EQ(animFrameIndex(-1.5f), 0);
  EXPECT_EQ(animFrameIndex(NAN), 0);
  EXPECT_EQ(animFrameIndex(1e20f), INT32_MAX);
}

TEST(Shake, AmountsBelowOneDrawNothing) {
  float offset[3] = {9, 9, 9};
  SeedRandom(3);
  const int expected = Random();
  SeedRandom(3);
  for (float amount : {0.0f, -4.0f, 0.5f, 0.999f, NAN}) EXPECT_FALSE(shakeOffset(amount, offset));
  EXPECT_EQ(Random(), expected);  // no random numbers were used
  EXPECT_EQ(offset[0], 9.0f);
}

TEST(Shake, OffsetsSpreadAroundZeroWithinHalfTheAmount) {
  float offset[3];
  ASSERT_TRUE(shakeOffset(1.0f, offset));  // modulus 1: the fixed offset -amount/2
  EXPECT_EQ(offset[0], -0.5f);
  EXPECT_EQ(offset[2], -0.5f);

  SeedRandom(11);
  float low = 1e9f, high = -1e9f;
  for (int i = 0; i < 2000; ++i) {
    ASSERT_TRUE(shakeOffset(10.5f, offset));
    for (float d : offset) {
      low = std::fmin(low, d);
      high = std::fmax(high, d);
      EXPECT_EQ(d + 5.25f, std::floor(d + 5.25f));  // a whole number less half the amount
    }
  }
  EXPECT_EQ(low, -5.25f);
  EXPECT_EQ(high, 9 - 5.25f);

  EXPECT_TRUE(shakeOffset(1e12f, offset));  // huge amounts stay defined
}
