// PassTimes.h — what each pass of a frame costs: the driver is made to finish after every
// pass, so a software renderer's queued drawing is counted where it was asked for.
#pragma once

#include <array>
#include <cstdint>
#include <string>

enum class TPass : uint8_t { Shadows, Clear, Terrain, Sky, Actors, Effects, Flare, Hud, Count };

class TPassTimes {
public:
  // Starts a frame's timing; the time before the first mark belongs to no pass.
  void BeginFrame();
  // Finishes the driver's work and books the time since the last mark to `pass`.
  void Mark(TPass pass);
  // One line a pass: its name, milliseconds a frame on average and its share of the passes.
  std::string Table() const;

  int64_t Frames = 0;

private:
  std::array<double, static_cast<size_t>(TPass::Count)> Ms{};
  int64_t Last = -1;  // system clock count at the last mark
};
