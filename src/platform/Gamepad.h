// Gamepad.h — game controllers and plain joysticks: opened as they are plugged in, closed as
// they are pulled, and read as one plain state with no SDL types in it.
//
// Every open device adds to one merged state: a button is held when any device holds it, an
// axis reads the device deflected furthest. Sticks read -1..1 with SDL's signs (x grows to the
// right, y grows towards the player, so pushing a stick forward reads negative); triggers
// read 0..1. A pulled device simply stops contributing, so nothing it held stays held.
//
// Devices already plugged in when the subsystem starts arrive as "added" events like any
// other, so the window's event pump is the one place devices come and go.
#pragma once

#include <cstdint>

// The buttons of a game controller, in the layout SDL's controller database normalises every
// pad to (A at the bottom of the face buttons, as on an Xbox pad; cross on a PlayStation pad).
enum class TPadButton : uint8_t {
  A, B, X, Y, Back, Guide, Start, LeftStick, RightStick, LeftShoulder, RightShoulder,
  DPadUp, DPadDown, DPadLeft, DPadRight, Count
};
enum class TPadAxis : uint8_t { LeftX, LeftY, RightX, RightY, LeftTrigger, RightTrigger, Count };

constexpr int PadButtonCount = static_cast<int>(TPadButton::Count);
constexpr int PadAxisCount = static_cast<int>(TPadAxis::Count);
// A plain joystick (one SDL has no controller mapping for) keeps its own numbering: flight
// sticks and throttles have as many buttons and axes as their maker chose. Beyond these the
// rest are ignored.
constexpr int JoyButtonCount = 32;
constexpr int JoyAxisCount = 8;

// The first hat of a plain joystick, as bits.
constexpr uint8_t JoyHatUp = 1;
constexpr uint8_t JoyHatRight = 2;
constexpr uint8_t JoyHatDown = 4;
constexpr uint8_t JoyHatLeft = 8;

struct TGamepadState {
  bool PadButtons[PadButtonCount] = {};
  float PadAxes[PadAxisCount] = {};
  bool JoyButtons[JoyButtonCount] = {};
  float JoyAxes[JoyAxisCount] = {};
  uint8_t JoyHat = 0;
  int Pads = 0;       // open game controllers
  int Joysticks = 0;  // open plain joysticks

  bool Button(TPadButton b) const { return PadButtons[static_cast<int>(b)]; }
  float Axis(TPadAxis a) const { return PadAxes[static_cast<int>(a)]; }
};

// Starts SDL's joystick and game-controller subsystems (idempotent); false (the reason on
// stderr) when they cannot start, and the game then plays on with the keyboard alone.
bool StartGamepads();
void StopGamepads();  // closes every device and stops the subsystems

// The window's event pump hands every event here; device arrivals and removals are acted on,
// everything else is ignored. Returns whether the event was a device event.
bool HandleGamepadEvent(const void* sdlEvent);

// The merged state of every open device now; all released with none open. With an override
// set (tests, scripted play) the override is returned instead, as SetInputSource does for keys.
TGamepadState ReadGamepads();
void SetGamepadOverride(const TGamepadState* state);  // nullptr returns to the devices

// True once after a device was pulled while open: the app turns it into the pause question.
bool TakeGamepadUnplugged();
// Forgets a pull that happened while nothing was being played (call when a mission starts).
void ClearGamepadUnplugged();
// Marks a pull, as the device-removed event does; for tests of what follows an unplug.
void NoteGamepadUnplugged();
