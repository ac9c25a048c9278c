// PassTimes.h — what each pass of a frame costs: the driver is made to finish after every
// pass, so a software renderer's queued drawing is counted where it was asked for.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class TClockSource;

enum class TPass : uint8_t { Shadows, Clear, Terrain, Sky, Actors, Effects, Flare, Hud, Count };

class TPassTimes {
public:
  // Timed by the system clock: wall time, whatever clock the frames run on.
  TPassTimes();
  explicit TPassTimes(TClockSource& clock);

  // Starts a frame's timing; the time before the first mark belongs to no pass.
  void BeginFrame();
  // Finishes the driver's work and books the time since the last mark to `pass`.
  void Mark(TPass pass);
  // One line a pass: its name, milliseconds a frame on average and its share of the passes;
  // then the total, and the slowest frame after the first with what each of its passes took.
  std::string Table() const;

  int64_t Frames = 0;

private:
  using TPassMs = std::array<double, static_cast<size_t>(TPass::Count)>;
  static double Total(const TPassMs& ms);
  bool CurrentIsSlowest() const;  // of the frames after the first
  double TicksToMs(int64_t ticks) const;

  TClockSource& Clock;
  TPassMs Ms{};       // summed over every frame
  TPassMs Current{};  // the frame being timed
  TPassMs Slowest{};  // the slowest frame finished before it
  int64_t SlowestFrame = 0;  // counted from 1; 0 while none has finished
  int64_t Last = -1;  // clock count at the last mark
};
