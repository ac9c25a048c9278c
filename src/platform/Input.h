// Input.h — polled keyboard state with Windows virtual-key codes, and the mouse cursor.
//
// The game polls keys once per frame with GetKeyState and tests bit 7 (value 128). The state
// comes from an input source: the real keyboard (fed by the window's event pump) or a script
// or bot that presses keys itself. The cursor is virtual: while hidden it moves by relative
// mouse motion, so steering by cursor works the same under X11, Wayland and headless runs.
#pragma once

#include <cstdint>

namespace VK {
constexpr int Clear = 0x0C;    // numeric-pad 5 with Num Lock off
constexpr int Return = 0x0D;
constexpr int Shift = 0x10;
constexpr int Control = 0x11;
constexpr int Menu = 0x12;     // Alt
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int Prior = 0x21;    // Page Up
constexpr int Next = 0x22;     // Page Down
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Insert = 0x2D;
constexpr int S = 0x53;
constexpr int W = 0x57;
constexpr int X = 0x58;
constexpr int Numpad5 = 0x65;
constexpr int F1 = 0x70;
constexpr int F2 = 0x71;
constexpr int F11 = 0x7A;
constexpr int F12 = 0x7B;
constexpr int Count = 256;
}  // namespace VK

constexpr int16_t KeyDownBit = 0x80;

class TInputSource {
public:
  virtual ~TInputSource() = default;
  virtual bool IsKeyDown(int vk) = 0;
};

// A source whose keys are pressed and released by code: scripted tests and the bot.
class TScriptedInput final : public TInputSource {
public:
  bool IsKeyDown(int vk) override { return vk >= 0 && vk < VK::Count && Down[vk]; }
  void Press(int vk) { Set(vk, true); }
  void Release(int vk) { Set(vk, false); }
  void ReleaseAll() {
    for (bool& d : Down) d = false;
  }

private:
  void Set(int vk, bool down) {
    if (vk >= 0 && vk < VK::Count) Down[vk] = down;
  }
  bool Down[VK::Count] = {};
};

// The real keyboard, as of the last event pump.
TInputSource& KeyboardInput();

void SetInputSource(TInputSource* source);  // nullptr restores the keyboard
TInputSource& ActiveInput();

// Like the Windows call: the result has bit 7 (and the sign bit) set while the key is down.
int16_t GetKeyState(int vk);

// Virtual cursor, in window pixels.
void GetCursorPos(int& x, int& y);
void SetCursorPos(int x, int y);
void ShowCursor(bool show);
bool CursorShown();

// Fed by the window's event pump.
void MoveCursorTo(int x, int y);    // absolute motion while the cursor is shown
void MoveCursorBy(int dx, int dy);  // relative motion while it is hidden
