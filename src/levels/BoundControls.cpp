// BoundControls.cpp — bindings to TControlState: keys, mouse, pads and sticks, the dead zone,
// and the cursor's return to the centre.
#include "levels/BoundControls.h"

#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "platform/Input.h"

#include <algorithm>

namespace {

// A stick bound to an on/off action presses it past this share of its travel (after the
// dead zone), so a resting or drifting stick never fires.
constexpr float AxisPressThreshold = 0.5f;

float ClampedDeadZone(float dz) {
  if (!(dz >= 0)) return dz > MaxDeadZone ? MaxDeadZone : DefaultDeadZone;  // NaN or negative
  return std::min(dz, MaxDeadZone);
}

bool IsSteering(TAction a) {
  return a == TAction::TurnLeft || a == TAction::TurnRight || a == TAction::NoseUp || a == TAction::NoseDown;
}

}  // namespace

TBoundControls::TBoundControls() : TBoundControls(DefaultBindings()) {}

TBoundControls::TBoundControls(TBindings bindings) { SetBindings(std::move(bindings)); }

void TBoundControls::SetBindings(TBindings bindings) {
  Bound = std::move(bindings);
  Bound.DeadZone = ClampedDeadZone(Bound.DeadZone);
}

bool TBoundControls::Held(TAction action) const {
  const int i = static_cast<int>(action);
  return i >= 0 && i < ActionCount && HeldNow[i];
}

TControlState TBoundControls::Poll(int32_t ms) {
  const TGamepadState pads = ReadGamepads();
  TCursor cursor;
  cursor.CentreX = ScreenWidth / 2;
  cursor.CentreY = ScreenHeight / 2;
  cursor.X = cursor.CentreX;
  cursor.Y = cursor.CentreY;
  if (Config.UseMouse) GetCursorPos(cursor.X, cursor.Y);

  TReading r[ActionCount];
  for (int a = 0; a < ActionCount; ++a) {
    r[a] = Read(static_cast<TAction>(a), pads, cursor);
    // Steering takes any push past the dead zone; on/off actions want a firm one.
    const float needed = IsSteering(static_cast<TAction>(a)) ? 0.0f : AxisPressThreshold;
    HeldNow[a] = r[a].Digital || (r[a].Analog > 0 && r[a].Analog >= needed);
  }
  auto held = [&](TAction a) { return HeldNow[static_cast<int>(a)]; };
  // The deflection the aircraft scales by; 0 (full rate) whenever a key or button is held.
  auto deflection = [&](TAction a) {
    const TReading& x = r[static_cast<int>(a)];
    return x.Digital ? 0.0f : x.Analog;
  };

  TControlState s;
  s.TurnLeft = held(TAction::TurnLeft);
  s.TurnRight = held(TAction::TurnRight);
  s.NoseUp = held(TAction::NoseUp);
  s.NoseDown = held(TAction::NoseDown);
  // The aircraft lets right overwrite left and down overwrite up; the deflection follows.
  if (s.TurnRight) s.Turn = deflection(TAction::TurnRight);
  else if (s.TurnLeft) s.Turn = -deflection(TAction::TurnLeft);
  if (s.NoseDown) s.Pitch = deflection(TAction::NoseDown);
  else if (s.NoseUp) s.Pitch = -deflection(TAction::NoseUp);
  s.Fast = held(TAction::Fast);
  s.Slow = held(TAction::Slow);
  s.Trigger = held(TAction::Fire);
  s.WeaponSwitch = held(TAction::SwitchWeapon);
  s.Camera1 = held(TAction::Camera1);
  s.Camera2 = held(TAction::Camera2);
  s.Pause = held(TAction::Pause);
  if (PauseOnUnplug && TakeGamepadUnplugged()) s.Pause = true;
  if (Config.UseMouse) RecentreCursor(cursor, ms);
  return s;
}

TBoundControls::TReading TBoundControls::Read(TAction action, const TGamepadState& pads, const TCursor& cursor) const {
  TReading r;
  for (const TInput& in : Bound.Of(action)) {
    if (in.IsAxis())
      r.Analog = std::max(r.Analog, ReadAnalog(in, pads));
    else
      r.Digital = r.Digital || ReadDigital(in, pads, cursor);
  }
  return r;
}

bool TBoundControls::ReadDigital(const TInput& in, const TGamepadState& pads, const TCursor& c) const {
  const int code = in.Code;
  switch (in.Kind) {
    case TInputKind::Key: return (GetKeyState(code) & KeyDownBit) != 0;
    case TInputKind::Mouse:
      if (!Config.UseMouse) return false;
      switch (static_cast<TMouseInput>(code)) {
        case TMouseInput::Left: return (MouseButtons & MouseLeftBit) != 0;
        case TMouseInput::Right: return (MouseButtons & MouseRightBit) != 0;
        case TMouseInput::CursorLeft: return c.X < c.CentreX;
        case TMouseInput::CursorRight: return c.X > c.CentreX;
        case TMouseInput::CursorUp: return c.Y < c.CentreY;
        case TMouseInput::CursorDown: return c.Y > c.CentreY;
        default: return false;
      }
    case TInputKind::PadButton: return code >= 0 && code < PadButtonCount && pads.PadButtons[code];
    case TInputKind::JoyButton: return code >= 0 && code < JoyButtonCount && pads.JoyButtons[code];
    case TInputKind::JoyHat: return (pads.JoyHat & code) != 0;
    default: return false;
  }
}

// The deflection in the bound direction, the dead zone taken off and the rest stretched back
// to 0..1, so the stick's whole travel is used and its edge equals a key.
float TBoundControls::ReadAnalog(const TInput& in, const TGamepadState& pads) const {
  float raw = 0;
  if (in.Kind == TInputKind::PadAxis && in.Code >= 0 && in.Code < PadAxisCount) raw = pads.PadAxes[in.Code];
  if (in.Kind == TInputKind::JoyAxis && in.Code >= 0 && in.Code < JoyAxisCount) raw = pads.JoyAxes[in.Code];
  const float d = raw * static_cast<float>(in.Direction);
  const float dz = Bound.DeadZone;
  if (!(d > dz)) return 0;  // also a NaN
  return std::min(1.0f, (d - dz) / (1.0f - dz));
}

void TBoundControls::RecentreCursor(const TCursor& c, int32_t ms) {
  // A negative sensitivity is below the timer's 0 and takes every displacement back at once.
  if (MouseTimer > Config.MouseSensitivity) {
    SetCursorPos(c.CentreX, c.CentreY);
    MouseTimer = 0;
  }
  if (ms > 0) MouseTimer += ms;
}
