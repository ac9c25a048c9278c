// FrameRateReadout.h — the frame rate players can switch on: frames counted over whole seconds
// of real time, the last second's rate drawn with the overlay font in the screen's top-right
// corner, and the average and slowest second kept for measurement runs.
#pragma once

#include <cstdint>
#include <string>

class TFrameRateReadout {
public:
  // One frame that took `ms` milliseconds of real time (not the game's fixed step).
  void AddFrame(double ms);
  // The label's text: the last whole second's frames, "-- fps" before one has passed.
  std::string Text() const;
  // Over an identity projection, after the world and the HUD; leaves the matrices as it found
  // them. Needs the font (BuildFont).
  void Draw() const;

  int32_t LastSecond = -1;     // frames in the last whole second; -1 before one has passed
  int32_t SlowestSecond = -1;  // fewest frames in any whole second so far
  int64_t Frames = 0;
  double TotalMs = 0;
  double AverageFps() const { return TotalMs > 0 ? 1000.0 * static_cast<double>(Frames) / TotalMs : 0.0; }

private:
  double SecondMs = 0;  // time and frames of the second being counted
  int32_t SecondFrames = 0;
};
