// ControlState.h — what the player's hands do this frame, whoever's hands they are: the keyboard
// and mouse, a pad, a recording or the computer pilot fill one TControlState a frame, and the
// player's aircraft reads only that.
//
// Each field is "held this frame"; edges (one missile per press, one weapon switch per press)
// are found by the aircraft from the previous frame's state, as it would from polled keys.
#pragma once

#include <cstdint>

struct TControlState {
  bool TurnLeft = false;
  bool TurnRight = false;
  bool NoseUp = false;    // the up input: the nose rises unless the settings invert it
  bool NoseDown = false;
  bool Fast = false;      // W, Page Up
  bool Slow = false;      // S, Page Down
  bool Trigger = false;   // guns, or one missile per press in missile mode
  bool WeaponSwitch = false;
  bool Camera1 = false;   // F1
  bool Camera2 = false;   // F2
  bool Pause = false;     // Escape
  // How far a stick is deflected, for the direction the booleans above already chose: Turn
  // for TurnLeft/TurnRight (negative to the left), Pitch for NoseUp/NoseDown (negative for the
  // up input). 0 means full rate, which is what keys, buttons and the mouse give; a stick
  // gives its deflection past the dead zone, so a slight push turns slowly.
  float Turn = 0;
  float Pitch = 0;

  friend bool operator==(const TControlState&, const TControlState&) = default;
};

// Where the frame's controls come from. Poll is called once a frame, before the player's view
// update, with the frame's milliseconds.
class TControlSource {
public:
  virtual ~TControlSource() = default;
  virtual TControlState Poll(int32_t ms) = 0;
};
