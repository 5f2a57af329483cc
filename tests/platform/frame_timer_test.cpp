#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/FrameTimer.h"

namespace {

struct ClockInstalled {
  ManualClock clock;
  ClockInstalled() { SetClockSource(&clock); }
  ~ClockInstalled() { SetClockSource(nullptr); }
};

}  // namespace

TEST(FrameTimer, CounterModeMeasuresFractionalMillisecondsFromTheLastStartOrReset) {
  ClockInstalled fake;
  fake.clock.micros = 5'000'000'000;  // far from zero, as a real counter is
  FrameTimer timer;
  timer.Start();
  EXPECT_TRUE(timer.m_highResolution);
  EXPECT_EQ(timer.ElapsedMs(), 0.0);

  fake.clock.AdvanceMs(16.25);
  EXPECT_NEAR(timer.ElapsedMs(), 16.25, 1e-3);
  EXPECT_NEAR(timer.ElapsedMs(), 16.25, 1e-3) << "reading does not restart the timer";
  fake.clock.AdvanceMs(1000);
  EXPECT_NEAR(timer.ElapsedMs(), 1016.25, 1e-2);

  timer.Reset();
  EXPECT_EQ(timer.ElapsedMs(), 0.0);
  fake.clock.AdvanceMs(0.4);
  EXPECT_NEAR(timer.ElapsedMs(), 0.4, 1e-4);
}

TEST(FrameTimer, WithoutCounterCountsWholeTicksAcrossTheWrap) {
  ClockInstalled fake;
  fake.clock.hasCounter = false;
  fake.clock.ticks = 0xFFFFFFF0u;  // 16 ms before the 32-bit tick count wraps
  FrameTimer timer;
  timer.Start();
  EXPECT_FALSE(timer.m_highResolution);
  EXPECT_EQ(timer.ElapsedMs(), 0.0);

  fake.clock.AdvanceMs(10.7);
  EXPECT_EQ(timer.ElapsedMs(), 10.0);
  fake.clock.AdvanceMs(30);  // now past the wrap
  EXPECT_LT(fake.clock.ticks, 0xFFFFFFF0u);
  EXPECT_EQ(timer.ElapsedMs(), 40.0);

  // Reset keeps the mode Start chose, even if a counter appears later.
  fake.clock.hasCounter = true;
  timer.Reset();
  fake.clock.AdvanceMs(5);
  EXPECT_EQ(timer.ElapsedMs(), 5.0);
}
