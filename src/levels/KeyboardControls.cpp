// KeyboardControls.cpp — keys and mouse to TControlState, and the cursor's return to the centre.
#include "levels/KeyboardControls.h"

#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "platform/Input.h"

#include <initializer_list>

namespace {

bool AnyDown(std::initializer_list<int> keys) {
  for (int vk : keys)
    if (GetKeyState(vk) & KeyDownBit) return true;
  return false;
}

}  // namespace

TControlState TKeyboardControls::Poll(int32_t ms) {
  TControlState s;
  s.TurnLeft = AnyDown({VK::Left});
  s.TurnRight = AnyDown({VK::Right});
  s.NoseUp = AnyDown({VK::Up});
  s.NoseDown = AnyDown({VK::Down});
  s.Fast = AnyDown({VK::W, VK::Prior});
  s.Slow = AnyDown({VK::S, VK::Next});
  // Numeric-pad 5 arrives as Clear with Num Lock off and as Numpad5 with it on.
  s.Trigger = AnyDown({VK::Space, VK::Control, VK::Clear, VK::Numpad5});
  s.WeaponSwitch = AnyDown({VK::Return, VK::Menu, VK::Insert});
  s.Camera1 = AnyDown({VK::F1});
  s.Camera2 = AnyDown({VK::F2});
  s.Pause = AnyDown({VK::Escape});
  ReadMouse(s, ms);
  return s;
}

void TKeyboardControls::ReadMouse(TControlState& s, int32_t ms) {
  if (Config.UseMouse) {
    const int cx = ScreenWidth / 2;
    const int cy = ScreenHeight / 2;
    int x = cx, y = cy;
    GetCursorPos(x, y);
    s.TurnLeft = s.TurnLeft || x < cx;
    s.TurnRight = s.TurnRight || x > cx;
    s.NoseUp = s.NoseUp || y < cy;
    s.NoseDown = s.NoseDown || y > cy;
    s.Trigger = s.Trigger || (MouseButtons & MouseLeftBit) != 0;
    s.WeaponSwitch = s.WeaponSwitch || (MouseButtons & MouseRightBit) != 0;
    // A negative sensitivity is below the timer's 0 and takes every displacement back at once.
    if (MouseTimer > Config.MouseSensitivity) {
      SetCursorPos(cx, cy);
      MouseTimer = 0;
    }
    if (ms > 0) MouseTimer += ms;
  }
}
