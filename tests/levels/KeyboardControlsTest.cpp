// KeyboardControlsTest.cpp — the keyboard and mouse as the player's control source: every key
// of the table, the mouse honoured only when the settings ask, the cursor's side of the screen
// centre, and when the cursor is put back there.
#include "levels/KeyboardControls.h"

#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "platform/Input.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class KeyboardControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    SavedConfig = Config;
    SavedWidth = ScreenWidth;
    SavedHeight = ScreenHeight;
    SavedButtons = MouseButtons;
    SetInputSource(&Keys);
    ScreenWidth = 801;  // odd: the centre is the integer half, 400
    ScreenHeight = 600;
    MouseButtons = 0;
    Config.UseMouse = 0;
    Config.MouseSensitivity = 5;
    SetCursorPos(400, 300);
  }
  void TearDown() override {
    SetInputSource(nullptr);
    Config = SavedConfig;
    ScreenWidth = SavedWidth;
    ScreenHeight = SavedHeight;
    MouseButtons = SavedButtons;
  }
  static void CursorAt(int x, int y) { SetCursorPos(x, y); }
  static void Cursor(int& x, int& y) { GetCursorPos(x, y); }

  TScriptedInput Keys;
  TKeyboardControls Source;
  TConfig SavedConfig{};
  int32_t SavedWidth = 0, SavedHeight = 0;
  uint8_t SavedButtons = 0;
};

TEST_F(KeyboardControlsTest, EveryKeyOfTheTableSetsItsControl) {
  using TField = std::function<bool(const TControlState&)>;
  struct TCase {
    int Key;
    TField Field;
  };
  const TField left = [](const TControlState& s) { return s.TurnLeft; };
  const TField right = [](const TControlState& s) { return s.TurnRight; };
  const TField up = [](const TControlState& s) { return s.NoseUp; };
  const TField down = [](const TControlState& s) { return s.NoseDown; };
  const TField fast = [](const TControlState& s) { return s.Fast; };
  const TField slow = [](const TControlState& s) { return s.Slow; };
  const TField trigger = [](const TControlState& s) { return s.Trigger; };
  const TField weapon = [](const TControlState& s) { return s.WeaponSwitch; };
  const TField f1 = [](const TControlState& s) { return s.Camera1; };
  const TField f2 = [](const TControlState& s) { return s.Camera2; };
  const TField pause = [](const TControlState& s) { return s.Pause; };
  const TCase cases[] = {
      {VK::Left, left},      {VK::Right, right},      {VK::Up, up},          {VK::Down, down},
      {VK::W, fast},         {VK::Prior, fast},       {VK::S, slow},         {VK::Next, slow},
      {VK::Space, trigger},  {VK::Control, trigger},  {VK::Clear, trigger},  {VK::Numpad5, trigger},
      {VK::Return, weapon},  {VK::Menu, weapon},      {VK::Insert, weapon},  {VK::F1, f1},
      {VK::F2, f2},          {VK::Escape, pause},
  };
  for (const TCase& c : cases) {
    Keys.ReleaseAll();
    Keys.Press(c.Key);
    const TControlState s = Source.Poll(16);
    EXPECT_TRUE(c.Field(s)) << c.Key;
    // Exactly one control per key.
    int count = 0;
    for (const TField& f : {left, right, up, down, fast, slow, trigger, weapon, f1, f2, pause}) count += f(s) ? 1 : 0;
    EXPECT_EQ(count, 1) << c.Key;
  }
  Keys.ReleaseAll();
  EXPECT_TRUE(Source.Poll(16) == TControlState{});
}

TEST_F(KeyboardControlsTest, WithTheMouseOffButtonsAndCursorAreIgnoredAndNeverRecentred) {
  Config.UseMouse = 0;
  Config.MouseSensitivity = -1;
  MouseButtons = MouseLeftBit | MouseRightBit;
  CursorAt(10, 590);
  for (int frame = 0; frame < 10; ++frame) EXPECT_TRUE(Source.Poll(16) == TControlState{});
  int x = 0, y = 0;
  Cursor(x, y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 590);
}

TEST_F(KeyboardControlsTest, TheCursorsSideOfTheCentreSteers) {
  Config.UseMouse = 1;
  Config.MouseSensitivity = 20;
  struct TCase {
    int X, Y;
    bool Left, Right, Up, Down;
  };
  const TCase cases[] = {
      {400, 300, false, false, false, false}, {399, 300, true, false, false, false},
      {401, 300, false, true, false, false},  {400, 299, false, false, true, false},
      {400, 301, false, false, false, true},  {0, 599, true, false, false, true},
  };
  for (const TCase& c : cases) {
    Source.MouseTimer = 0;
    CursorAt(c.X, c.Y);
    const TControlState s = Source.Poll(16);
    EXPECT_EQ(s.TurnLeft, c.Left) << c.X << "," << c.Y;
    EXPECT_EQ(s.TurnRight, c.Right) << c.X << "," << c.Y;
    EXPECT_EQ(s.NoseUp, c.Up) << c.X << "," << c.Y;
    EXPECT_EQ(s.NoseDown, c.Down) << c.X << "," << c.Y;
  }
}

TEST_F(KeyboardControlsTest, MouseButtonsAreTriggerAndWeaponSwitch) {
  Config.UseMouse = 1;
  MouseButtons = MouseLeftBit;
  TControlState s = Source.Poll(16);
  EXPECT_TRUE(s.Trigger);
  EXPECT_FALSE(s.WeaponSwitch);
  MouseButtons = MouseRightBit;
  s = Source.Poll(16);
  EXPECT_FALSE(s.Trigger);
  EXPECT_TRUE(s.WeaponSwitch);
}

TEST_F(KeyboardControlsTest, TheCursorReturnsToTheCentreOnceTheSensitivityHasPassed) {
  Config.UseMouse = 1;
  struct TCase {
    int32_t Sensitivity;
    int32_t Recentred;  // of 12 polls of 16 ms: the timer is tested before the frame counts
  };
  for (const TCase& c : {TCase{-1, 12}, TCase{-20, 12}, TCase{0, 11}, TCase{20, 5}, TCase{40, 3}}) {
    Config.MouseSensitivity = c.Sensitivity;
    Source.MouseTimer = 0;
    CursorAt(400, 300);
    // Re-centred polls, counted over a run of polls with the cursor pushed aside before each.
    int32_t recentred = 0;
    const int32_t polls = 12;
    for (int32_t i = 0; i < polls; ++i) {
      CursorAt(300, 200);
      const TControlState s = Source.Poll(16);
      EXPECT_TRUE(s.TurnLeft && s.NoseUp);  // read before the cursor goes back
      int x = 0, y = 0;
      Cursor(x, y);
      if (x == 400 && y == 300) ++recentred;
    }
    EXPECT_EQ(recentred, c.Recentred) << c.Sensitivity;
  }
}

}  // namespace
