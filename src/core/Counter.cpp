// Counter.cpp — the frame timer.
#include "core/Counter.h"

#include "platform/Clock.h"

#include <cmath>

TCounter::TCounter() : TCounter(ActiveClock()) {}

TCounter::TCounter(TClockSource& clock) : Clock(&clock) {
  int64_t frequency = 0;
  if (Clock->QueryFrequency(frequency) && frequency > 0) {
    HighResolution = true;
    MsPerTick = 1.0 / static_cast<double>(frequency) * 1000.0;
    LastCount = Clock->QueryCounter();
    return;
  }
  LastCount = Clock->TickCount();
}

void TCounter::Update() {
  if (HighResolution) {
    int64_t now = Clock->QueryCounter();
    auto ms = static_cast<int64_t>(std::llround(static_cast<double>(now - LastCount) * MsPerTick));
    Elapsed = ms >= 1 ? static_cast<int32_t>(ms) : 1;
    LastCount = now;
    return;
  }
  // The tick count wraps at 2^32; unsigned subtraction gives the right difference across it.
  uint32_t now = Clock->TickCount();
  Elapsed = static_cast<int32_t>(now - static_cast<uint32_t>(LastCount));
  LastCount = now;
}
