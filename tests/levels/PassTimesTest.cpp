// PassTimesTest.cpp — the pass table's averages, shares and slowest frame, timed by a clock
// whose readings the test chooses, over the null GL table.
#include "levels/PassTimes.h"
#include "platform/Clock.h"
#include "platform/GLTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>

namespace {

// Counts in milliseconds, each reading the next of the ones queued.
class TScriptedClock final : public TClockSource {
public:
  bool QueryFrequency(int64_t& ticksPerSecond) override {
    ticksPerSecond = 1000;
    return true;
  }
  int64_t QueryCounter() override {
    if (Readings.empty()) return Now;
    Now = Readings.front();
    Readings.pop_front();
    return Now;
  }
  uint32_t TickCount() override { return static_cast<uint32_t>(Now); }

  std::deque<int64_t> Readings;
  int64_t Now = 0;
};

class PassTimes : public ::testing::Test {
protected:
  void SetUp() override { LoadNullGLTable(); }

  // One frame: its start, then a terrain mark and a sky mark after these many milliseconds.
  void Frame(TPassTimes& times, int64_t terrain, int64_t sky) {
    Clock.Readings = {Clock.Now + 1, Clock.Now + 1 + terrain, Clock.Now + 1 + terrain + sky};
    times.BeginFrame();
    times.Mark(TPass::Terrain);
    times.Mark(TPass::Sky);
  }

  static std::string Line(const std::string& table, const std::string& start) {
    const size_t at = table.find(start);
    return at == std::string::npos ? std::string() : table.substr(at, table.find('\n', at) - at);
  }

  TScriptedClock Clock;
};

TEST_F(PassTimes, AveragesSharesAndTheSlowestFrameWithItsPasses) {
  TPassTimes times(Clock);
  Frame(times, 2, 3);
  Frame(times, 10, 1);
  Frame(times, 1, 1);
  const std::string table = times.Table();
  EXPECT_EQ(Line(table, "pass terrain"), "pass terrain     4.33 ms a frame  72.2%");
  EXPECT_EQ(Line(table, "pass sky"), "pass sky         1.67 ms a frame  27.8%");
  EXPECT_EQ(Line(table, "pass all"), "pass all         6.00 ms a frame over 3 frames");
  EXPECT_EQ(Line(table, "pass slowest"),
            "pass slowest    11.00 ms in frame 2: shadows 0.00 clear 0.00 terrain 10.00 sky 1.00 actors 0.00 "
            "effects 0.00 flare 0.00 hud 0.00");
}

TEST_F(PassTimes, TheLastFrameCountsTheFirstDoesNotAndTheTimeBetweenFramesIsNobodys) {
  TPassTimes times(Clock);
  Frame(times, 30, 1);  // the shaders compiled
  EXPECT_EQ(Line(times.Table(), "pass slowest"), "");
  Frame(times, 1, 1);
  Clock.Now += 50;  // between frames: not a pass
  Frame(times, 4, 4);
  const std::string table = times.Table();
  EXPECT_EQ(Line(table, "pass all"), "pass all        13.67 ms a frame over 3 frames");
  EXPECT_EQ(Line(table, "pass slowest").substr(0, 32), "pass slowest     8.00 ms in fram");
  EXPECT_NE(Line(table, "pass slowest").find("in frame 3:"), std::string::npos);
}

TEST_F(PassTimes, NoFrameNoSlowestLine) {
  TPassTimes times(Clock);
  times.Mark(TPass::Terrain);  // before any frame: ignored
  const std::string table = times.Table();
  EXPECT_EQ(Line(table, "pass all"), "pass all         0.00 ms a frame over 0 frames");
  EXPECT_EQ(Line(table, "pass slowest"), "");
}

}  // namespace
