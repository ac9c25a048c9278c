// Clock.cpp — the system clock over SDL's timers.
#include "platform/Clock.h"

#include <SDL.h>

namespace {

class TSdlClock final : public TClockSource {
public:
  bool QueryFrequency(int64_t& ticksPerSecond) override {
    ticksPerSecond = static_cast<int64_t>(SDL_GetPerformanceFrequency());
    return ticksPerSecond > 0;
  }
  int64_t QueryCounter() override { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }
  uint32_t TickCount() override { return SDL_GetTicks(); }
};

TClockSource* Active = nullptr;

}  // namespace

TClockSource& SystemClock() {
  static TSdlClock clock;
  return clock;
}

TClockSource& ActiveClock() { return Active ? *Active : SystemClock(); }

void SetActiveClock(TClockSource* clock) { Active = clock; }

void SleepMs(int32_t ms) {
  if (ms > 0) SDL_Delay(static_cast<Uint32>(ms));
}
