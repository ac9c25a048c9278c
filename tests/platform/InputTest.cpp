// InputTest.cpp — key state emulation and the virtual cursor.
#include "platform/Input.h"
#include "platform/KeyMap.h"

#include <SDL_scancode.h>
#include <gtest/gtest.h>

namespace {

struct TScriptGuard {
  TScriptedInput Script;
  TScriptGuard() { SetInputSource(&Script); }
  ~TScriptGuard() { SetInputSource(nullptr); }
};

TEST(GetKeyState, ReportsBitSevenOnlyWhileTheScriptHoldsTheKey) {
  TScriptGuard guard;
  EXPECT_EQ(GetKeyState(VK::Space) & KeyDownBit, 0);
  guard.Script.Press(VK::Space);
  EXPECT_NE(GetKeyState(VK::Space) & KeyDownBit, 0);
  EXPECT_EQ(GetKeyState(VK::Control) & KeyDownBit, 0);
  guard.Script.Release(VK::Space);
  EXPECT_EQ(GetKeyState(VK::Space) & KeyDownBit, 0);
}

TEST(GetKeyState, OutOfRangeCodesAreNeverDown) {
  TScriptGuard guard;
  guard.Script.Press(-1);
  guard.Script.Press(VK::Count);
  EXPECT_EQ(GetKeyState(-1), 0);
  EXPECT_EQ(GetKeyState(VK::Count), 0);
  EXPECT_EQ(GetKeyState(100000), 0);
}

TEST(GetKeyState, RealKeyboardWithoutVideoReportsNothing) {
  SetInputSource(nullptr);
  EXPECT_EQ(GetKeyState(VK::Escape), 0);
}

TEST(KeyMap, EveryPolledKeyHasAPhysicalKey) {
  const int polled[] = {VK::Left,  VK::Up,     VK::Right,  VK::Down,  VK::Space, VK::Control,
                        VK::Clear, VK::Numpad5, VK::Return, VK::Menu,  VK::Insert, VK::W,
                        VK::S,     VK::Prior,  VK::Next,   VK::F1,    VK::F2,    VK::Escape};
  for (int vk : polled) EXPECT_NE(ScancodesForKey(vk)[0], 0) << "virtual key " << vk;
}

TEST(KeyMap, BothControlKeysAndKeypadFiveCount) {
  EXPECT_EQ(ScancodesForKey(VK::Control), (std::array<int, 2>{SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL}));
  EXPECT_EQ(ScancodesForKey(VK::Clear)[0], SDL_SCANCODE_KP_5);
  EXPECT_EQ(ScancodesForKey(VK::Numpad5)[0], SDL_SCANCODE_KP_5);
  EXPECT_EQ(ScancodesForKey('W')[0], SDL_SCANCODE_W);
  EXPECT_EQ(ScancodesForKey(0x07), (std::array<int, 2>{0, 0}));
}

TEST(VirtualCursor, FollowsAbsoluteMotionWhenShownAndRelativeWhenHidden) {
  ShowCursor(true);
  SetCursorPos(100, 80);
  MoveCursorTo(120, 90);
  MoveCursorBy(50, 50);  // relative motion is ignored while the real cursor is shown
  int x = 0, y = 0;
  GetCursorPos(x, y);
  EXPECT_EQ(x, 120);
  EXPECT_EQ(y, 90);

  ShowCursor(false);
  SetCursorPos(320, 240);  // the player's aircraft re-centres the cursor every frame
  MoveCursorBy(-15, 7);
  MoveCursorTo(0, 0);      // absolute positions mean nothing in relative mode
  GetCursorPos(x, y);
  EXPECT_EQ(x, 305);
  EXPECT_EQ(y, 247);
  ShowCursor(true);
}

}  // namespace
