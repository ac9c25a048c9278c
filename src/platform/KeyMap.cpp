// KeyMap.cpp — virtual-key codes to SDL scancodes.
#include "platform/KeyMap.h"

#include "platform/Input.h"

#include <SDL_scancode.h>

std::array<int, 2> ScancodesForKey(int vk) {
  switch (vk) {
    case VK::Left: return {SDL_SCANCODE_LEFT, SDL_SCANCODE_KP_4};
    case VK::Right: return {SDL_SCANCODE_RIGHT, SDL_SCANCODE_KP_6};
    case VK::Up: return {SDL_SCANCODE_UP, SDL_SCANCODE_KP_8};
    case VK::Down: return {SDL_SCANCODE_DOWN, SDL_SCANCODE_KP_2};
    case VK::Space: return {SDL_SCANCODE_SPACE, 0};
    case VK::Control: return {SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL};
    case VK::Shift: return {SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT};
    case VK::Menu: return {SDL_SCANCODE_LALT, SDL_SCANCODE_RALT};
    // Keypad 5 reads as Clear or Numpad5 on Windows depending on Num Lock; both are the key.
    case VK::Clear:
    case VK::Numpad5: return {SDL_SCANCODE_KP_5, SDL_SCANCODE_CLEAR};
    case VK::Return: return {SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER};
    case VK::Escape: return {SDL_SCANCODE_ESCAPE, 0};
    case VK::Insert: return {SDL_SCANCODE_INSERT, SDL_SCANCODE_KP_0};
    case VK::Prior: return {SDL_SCANCODE_PAGEUP, SDL_SCANCODE_KP_9};
    case VK::Next: return {SDL_SCANCODE_PAGEDOWN, SDL_SCANCODE_KP_3};
    case VK::W: return {SDL_SCANCODE_W, 0};
    case VK::S: return {SDL_SCANCODE_S, 0};
    case VK::F1: return {SDL_SCANCODE_F1, 0};
    case VK::F2: return {SDL_SCANCODE_F2, 0};
    case VK::F11: return {SDL_SCANCODE_F11, 0};
    case VK::F12: return {SDL_SCANCODE_F12, 0};
    default: break;
  }
  // Letters and digits share their ASCII code with the virtual-key code.
  if (vk >= 'A' && vk <= 'Z') return {SDL_SCANCODE_A + (vk - 'A'), 0};
  if (vk >= '1' && vk <= '9') return {SDL_SCANCODE_1 + (vk - '1'), 0};
  if (vk == '0') return {SDL_SCANCODE_0, 0};
  return {0, 0};
}
