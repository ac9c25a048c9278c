// KeyMap.h — which physical keys (SDL scancodes) stand for a Windows virtual-key code.
#pragma once

#include <array>

// Up to two scancodes per key (left and right Ctrl, Return and keypad Enter); 0 = none.
std::array<int, 2> ScancodesForKey(int vk);
