// Clock.h — where frame time comes from: the system's high-resolution counter or a fixed step.
#pragma once

#include <cstdint>

class TClockSource {
public:
  virtual ~TClockSource() = default;
  // False when no high-resolution counter exists; the counter then falls back to TickCount.
  virtual bool QueryFrequency(int64_t& ticksPerSecond) = 0;
  virtual int64_t QueryCounter() = 0;
  virtual uint32_t TickCount() = 0;  // milliseconds, wrapping at 2^32
};

// The real clock: SDL's performance counter and millisecond ticks.
TClockSource& SystemClock();

// A clock that advances by a fixed number of milliseconds every time it is read, so every
// frame reports exactly that step and a headless run is repeatable.
class TFixedStepClock final : public TClockSource {
public:
  explicit TFixedStepClock(int32_t stepMs) : Step(stepMs) {}
  bool QueryFrequency(int64_t& ticksPerSecond) override {
    ticksPerSecond = 1000;
    return true;
  }
  int64_t QueryCounter() override { return Now += Step; }
  uint32_t TickCount() override { return static_cast<uint32_t>(Now += Step); }

private:
  int64_t Step;
  int64_t Now = 0;
};

// The clock every new counter reads; the system clock unless a fixed step was chosen.
TClockSource& ActiveClock();
void SetActiveClock(TClockSource* clock);  // nullptr restores the system clock

// Gives the processor back for about `ms` milliseconds (nothing for 0 or less). Only for pacing
// real-time screens: runs with a fixed step never call it.
void SleepMs(int32_t ms);
