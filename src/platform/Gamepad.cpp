// Gamepad.cpp — SDL game controllers and joysticks opened and closed on device events, and
// their merged state.
#include "platform/Gamepad.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>

namespace {

// More devices than anyone plugs in at once; a further one is left closed, never a crash.
constexpr int MaxDevices = 8;
constexpr float AxisFullScale = 32767.0f;
constexpr Uint32 Subsystems = SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER;

struct TDevice {
  SDL_GameController* Controller = nullptr;
  SDL_Joystick* Joystick = nullptr;  // the plain joystick; null for a controller
  SDL_JoystickID Instance = -1;
  bool Open() const { return Controller || Joystick; }
};

TDevice Devices[MaxDevices];
const TGamepadState* Override = nullptr;
bool Unplugged = false;

constexpr SDL_GameControllerButton ControllerButtons[PadButtonCount] = {
    SDL_CONTROLLER_BUTTON_A,           SDL_CONTROLLER_BUTTON_B,          SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,           SDL_CONTROLLER_BUTTON_BACK,       SDL_CONTROLLER_BUTTON_GUIDE,
    SDL_CONTROLLER_BUTTON_START,       SDL_CONTROLLER_BUTTON_LEFTSTICK,  SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_DPAD_UP,     SDL_CONTROLLER_BUTTON_DPAD_DOWN,  SDL_CONTROLLER_BUTTON_DPAD_LEFT,
    SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
};
constexpr SDL_GameControllerAxis ControllerAxes[PadAxisCount] = {
    SDL_CONTROLLER_AXIS_LEFTX,       SDL_CONTROLLER_AXIS_LEFTY,        SDL_CONTROLLER_AXIS_RIGHTX,
    SDL_CONTROLLER_AXIS_RIGHTY,      SDL_CONTROLLER_AXIS_TRIGGERLEFT,  SDL_CONTROLLER_AXIS_TRIGGERRIGHT,
};

bool Started() { return SDL_WasInit(Subsystems) == Subsystems; }

TDevice* FindDevice(SDL_JoystickID instance) {
  for (TDevice& d : Devices)
    if (d.Open() && d.Instance == instance) return &d;
  return nullptr;
}

TDevice* FreeSlot() {
  for (TDevice& d : Devices)
    if (!d.Open()) return &d;
  return nullptr;
}

void Close(TDevice& d) {
  if (d.Controller) SDL_GameControllerClose(d.Controller);
  if (d.Joystick) SDL_JoystickClose(d.Joystick);
  d = TDevice{};
}

// SDL reports a controller twice (as a joystick and as a controller) and the devices already
// present again when the subsystem starts; the instance id keeps each open once.
void OpenDevice(int deviceIndex) {
  if (deviceIndex < 0 || deviceIndex >= SDL_NumJoysticks()) return;
  const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (instance < 0 || FindDevice(instance)) return;
  TDevice* slot = FreeSlot();
  if (!slot) return;
  if (SDL_IsGameController(deviceIndex)) {
    slot->Controller = SDL_GameControllerOpen(deviceIndex);
  } else {
    slot->Joystick = SDL_JoystickOpen(deviceIndex);
  }
  if (!slot->Open()) {
    std::fprintf(stderr, "Gamepad: device %d could not be opened: %s\n", deviceIndex, SDL_GetError());
    return;
  }
  slot->Instance = instance;
}

void CloseDevice(SDL_JoystickID instance) {
  TDevice* d = FindDevice(instance);
  if (!d) return;
  Close(*d);
  Unplugged = true;
}

float Normalised(Sint16 raw) {
  const float v = static_cast<float>(raw) / AxisFullScale;
  return v < -1.0f ? -1.0f : v > 1.0f ? 1.0f : v;
}

// The further deflection wins, so a resting second pad never cancels the one being used.
void MergeAxis(float& into, float value) {
  if (std::fabs(value) > std::fabs(into)) into = value;
}

void ReadController(SDL_GameController* c, TGamepadState& s) {
  ++s.Pads;
  for (int b = 0; b < PadButtonCount; ++b)
    if (SDL_GameControllerGetButton(c, ControllerButtons[b])) s.PadButtons[b] = true;
  for (int a = 0; a < PadAxisCount; ++a) MergeAxis(s.PadAxes[a], Normalised(SDL_GameControllerGetAxis(c, ControllerAxes[a])));
}

uint8_t HatBits(Uint8 hat) {
  return static_cast<uint8_t>(((hat & SDL_HAT_UP) ? JoyHatUp : 0) | ((hat & SDL_HAT_RIGHT) ? JoyHatRight : 0) |
                              ((hat & SDL_HAT_DOWN) ? JoyHatDown : 0) | ((hat & SDL_HAT_LEFT) ? JoyHatLeft : 0));
}

void ReadJoystick(SDL_Joystick* j, TGamepadState& s) {
  ++s.Joysticks;
  const int buttons = SDL_JoystickNumButtons(j);
  for (int b = 0; b < buttons && b < JoyButtonCount; ++b)
    if (SDL_JoystickGetButton(j, b)) s.JoyButtons[b] = true;
  const int axes = SDL_JoystickNumAxes(j);
  for (int a = 0; a < axes && a < JoyAxisCount; ++a) MergeAxis(s.JoyAxes[a], Normalised(SDL_JoystickGetAxis(j, a)));
  if (SDL_JoystickNumHats(j) > 0) s.JoyHat |= HatBits(SDL_JoystickGetHat(j, 0));
}

}  // namespace

bool StartGamepads() {
  if (Started()) return true;
  if (SDL_InitSubSystem(Subsystems) != 0) {
    std::fprintf(stderr, "Gamepad: no joystick support: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

void StopGamepads() {
  for (TDevice& d : Devices)
    if (d.Open()) Close(d);
  if (SDL_WasInit(Subsystems) != 0) SDL_QuitSubSystem(Subsystems);
}

bool HandleGamepadEvent(const void* sdlEvent) {
  if (!sdlEvent) return false;
  const SDL_Event& e = *static_cast<const SDL_Event*>(sdlEvent);
  switch (e.type) {
    case SDL_JOYDEVICEADDED:
    case SDL_CONTROLLERDEVICEADDED:
      if (Started()) OpenDevice(e.jdevice.which);  // a device index
      return true;
    case SDL_JOYDEVICEREMOVED:
    case SDL_CONTROLLERDEVICEREMOVED:
      CloseDevice(e.jdevice.which);  // an instance id
      return true;
    default: return false;
  }
}

TGamepadState ReadGamepads() {
  if (Override) return *Override;
  TGamepadState s;
  for (const TDevice& d : Devices) {
    if (d.Controller) ReadController(d.Controller, s);
    if (d.Joystick) ReadJoystick(d.Joystick, s);
  }
  return s;
}

void SetGamepadOverride(const TGamepadState* state) { Override = state; }

bool TakeGamepadUnplugged() {
  const bool was = Unplugged;
  Unplugged = false;
  return was;
}

void ClearGamepadUnplugged() { Unplugged = false; }

void NoteGamepadUnplugged() { Unplugged = true; }
