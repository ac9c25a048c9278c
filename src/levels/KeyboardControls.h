// KeyboardControls.h — TKeyboardControls: the player's controls from the polled keyboard and,
// when the settings ask for it, the mouse.
//
// Mouse steering is directional: the cursor's side of the screen centre turns the aircraft,
// and the cursor is put back to the centre every MouseSensitivity ms, so the sensitivity is
// how long a push of the mouse keeps steering. Without UseMouse the mouse is left alone.
#pragma once

#include "actors/ControlState.h"

#include <cstdint>

class TKeyboardControls final : public TControlSource {
public:
  TControlState Poll(int32_t ms) override;

  int32_t MouseTimer = 0;  // ms since the cursor was last put back to the screen centre

private:
  void ReadMouse(TControlState& state, int32_t ms);
};
