// CounterTest.cpp — the frame timer on both clock paths, driven by a fake clock.
#include "core/Counter.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace {

class TFakeClock final : public TClockSource {
public:
  bool QueryFrequency(int64_t& f) override {
    f = Frequency;
    return Frequency > 0;
  }
  int64_t QueryCounter() override { return Count; }
  uint32_t TickCount() override { return Ticks; }

  int64_t Frequency = 0;
  int64_t Count = 0;
  uint32_t Ticks = 0;
};

TEST(Counter, HighResolutionRoundsToWholeMillisecondsAndNeverReportsZero) {
  TFakeClock clock;
  clock.Frequency = 3'000'000;
  clock.Count = 1'000'000;
  TCounter counter(clock);
  EXPECT_TRUE(counter.HighResolution);
  EXPECT_EQ(counter.Elapsed, 0);

  counter.Update();  // same instant
  EXPECT_EQ(counter.Elapsed, 1);
  clock.Count += 1'000;  // a third of a millisecond
  counter.Update();
  EXPECT_EQ(counter.Elapsed, 1);
  clock.Count += 49'500;  // 16.5 ms rounds to 17 (half away from zero)
  counter.Update();
  EXPECT_EQ(counter.Elapsed, 17);
  clock.Count += 3'000'000 * 10LL;  // ten seconds: no upper clamp
  counter.Update();
  EXPECT_EQ(counter.Elapsed, 10'000);
}

// Frames of a 60 Hz display (16.67 ms): each reports 16 or 17 and a second adds up to 1000.
TEST(Counter, RoundingIsCarriedSoFramesAddUpToTheTimePassed) {
  TFakeClock clock;
  clock.Frequency = 3'000'000;
  TCounter counter(clock);
  int64_t sum = 0;
  for (int frame = 0; frame < 60; ++frame) {
    clock.Count += 50'000;
    counter.Update();
    EXPECT_TRUE(counter.Elapsed == 16 || counter.Elapsed == 17) << counter.Elapsed;
    sum += counter.Elapsed;
  }
  EXPECT_EQ(sum, 1000);
  // At 2.5 ms a frame (400 Hz) four frames report 10 ms, not 12.
  sum = 0;
  for (int frame = 0; frame < 4; ++frame) {
    clock.Count += 7'500;
    counter.Update();
    sum += counter.Elapsed;
  }
  EXPECT_EQ(sum, 10);
}

TEST(Counter, FallbackTicksReportZeroWithinOneMillisecondAndSurviveWrap) {
  TFakeClock clock;  // no performance counter
  clock.Ticks = 0xFFFFFFF0u;
  TCounter counter(clock);
  EXPECT_FALSE(counter.HighResolution);
  counter.Update();
  EXPECT_EQ(counter.Elapsed, 0);
  clock.Ticks += 0x20;  // wraps past 2^32
  counter.Update();
  EXPECT_EQ(counter.Elapsed, 0x20);
}

TEST(Counter, FixedStepClockMakesEveryFrameTheSameLength) {
  TFixedStepClock clock(16);
  TCounter counter(clock);
  for (int frame = 0; frame < 5; ++frame) {
    counter.Update();
    EXPECT_EQ(counter.Elapsed, 16);
  }
}

}  // namespace
