// Counter.h — the frame timer: milliseconds between the last two updates.
#pragma once

#include <cstdint>

class TClockSource;

class TCounter {
public:
  TCounter();                               // reads the active clock
  explicit TCounter(TClockSource& clock);

  // Called once at the start of every frame. With the high-resolution counter a frame never
  // reports less than 1 ms, and the part of a millisecond that rounding gives or takes is
  // carried into the next frame, so the reported frames add up to the time that passed; on
  // the millisecond fallback two updates in one tick report 0.
  void Update();

  bool HighResolution = false;
  double MsPerTick = 0.0;
  int64_t LastCount = 0;
  int32_t Elapsed = 0;

private:
  double Carry = 0.0;  // ms measured but not yet reported (negative: reported ahead)
  TClockSource* Clock;
};
