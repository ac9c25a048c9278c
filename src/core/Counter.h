// Counter.h — the frame timer: milliseconds between the last two updates.
#pragma once

#include <cstdint>

class TClockSource;

class TCounter {
public:
  TCounter();                               // reads the active clock
  explicit TCounter(TClockSource& clock);

  // Called once at the start of every frame. With the high-resolution counter a frame never
  // reports less than 1 ms; on the millisecond fallback two updates in one tick report 0.
  void Update();

  bool HighResolution = false;
  double MsPerTick = 0.0;
  int64_t LastCount = 0;
  int32_t Elapsed = 0;

private:
  TClockSource* Clock;
};
