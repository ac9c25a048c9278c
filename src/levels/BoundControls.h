// BoundControls.h — TBoundControls: the player's controls read through the bindings from the
// keyboard, the mouse and every plugged-in pad or joystick.
//
// Keys, buttons and the mouse steer at the full rate; a stick steers at its deflection past
// the bindings' dead zone, carried in the state's Turn and Pitch. A stick bound to an on/off
// action (fire, fast, the camera) counts as pressed past half its travel. The mouse counts only
// with UseMouse: its buttons, and the cursor's side of the screen centre, which is put back to
// the centre every MouseSensitivity ms, so the sensitivity is how long a push keeps steering.
#pragma once

#include "actors/ControlState.h"
#include "core/Bindings.h"
#include "platform/Gamepad.h"

#include <cstdint>

class TBoundControls final : public TControlSource {
public:
  TBoundControls();  // the default bindings
  explicit TBoundControls(TBindings bindings);

  TControlState Poll(int32_t ms) override;

  // A dead zone outside 0..MaxDeadZone (or not a number) is brought back inside it.
  void SetBindings(TBindings bindings);
  const TBindings& Bindings() const { return Bound; }

  // Whether the action was held at the last Poll: for actions the aircraft does not read,
  // such as the screenshot.
  bool Held(TAction action) const;

  // A pad or stick pulled out mid-mission reads as a press of pause, so the game stops while
  // the player plugs it back in. The app clears the gamepad's unplug flag when a mission starts.
  bool PauseOnUnplug = true;
  int32_t MouseTimer = 0;  // ms since the cursor was last put back to the screen centre

private:
  // One action this frame: a key, button or mouse input held, and the furthest stick
  // deflection past the dead zone (0..1).
  struct TReading {
    bool Digital = false;
    float Analog = 0;
  };
  struct TCursor {
    int X = 0, Y = 0, CentreX = 0, CentreY = 0;
  };

  TReading Read(TAction action, const TGamepadState& pads, const TCursor& cursor) const;
  bool ReadDigital(const TInput& input, const TGamepadState& pads, const TCursor& cursor) const;
  float ReadAnalog(const TInput& input, const TGamepadState& pads) const;
  void RecentreCursor(const TCursor& cursor, int32_t ms);

  TBindings Bound;
  bool HeldNow[ActionCount] = {};
};
