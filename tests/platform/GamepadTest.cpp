// GamepadTest.cpp — devices through SDL's virtual joysticks: a pad or stick plugged in works at
// once, one pulled out is reported once and leaves nothing held, a broken event is ignored.
#include "platform/Gamepad.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

class GamepadTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!StartGamepads()) GTEST_SKIP() << "no joystick subsystem";
    Pump();
    TakeGamepadUnplugged();
  }
  void TearDown() override {
    for (int index : Attached)
      if (index >= 0) SDL_JoystickDetachVirtual(index);
    Pump();
    TakeGamepadUnplugged();
    StopGamepads();
  }
  // What the window's event pump does with device events.
  static void Pump() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) HandleGamepadEvent(&e);
  }
  int Attach(SDL_JoystickType type, int axes, int buttons, int hats) {
    const int index = SDL_JoystickAttachVirtual(type, axes, buttons, hats);
    Attached.push_back(index);
    Pump();
    return index;
  }
  void Detach(int index) {
    SDL_JoystickDetachVirtual(index);
    for (int& a : Attached)
      if (a == index) a = -1;
    Pump();
  }
  // The device as the game opened it: the virtual joystick's values are set through it.
  static SDL_Joystick* Opened(int index) {
    return SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
  }

  std::vector<int> Attached;
};

TEST_F(GamepadTest, APadPluggedInWorksAtOnce) {
  const int index = Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(index, 0) << SDL_GetError();
  ASSERT_TRUE(SDL_IsGameController(index));
  TGamepadState s = ReadGamepads();
  EXPECT_EQ(s.Pads, 1);
  EXPECT_EQ(s.Joysticks, 0);
  EXPECT_FALSE(s.Button(TPadButton::A));

  SDL_Joystick* j = Opened(index);
  ASSERT_NE(j, nullptr);
  SDL_JoystickSetVirtualButton(j, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
  SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_LEFTX, -32768);
  SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  Pump();
  s = ReadGamepads();
  EXPECT_TRUE(s.Button(TPadButton::A));
  EXPECT_FALSE(s.Button(TPadButton::B));
  EXPECT_EQ(s.Axis(TPadAxis::LeftX), -1.0f);  // the extra step below -32767 is clamped
  EXPECT_EQ(s.Axis(TPadAxis::RightTrigger), 1.0f);
}

TEST_F(GamepadTest, APulledPadIsReportedOnceAndLeavesNothingHeld) {
  const int index = Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(index, 0) << SDL_GetError();
  SDL_Joystick* j = Opened(index);
  ASSERT_NE(j, nullptr);
  SDL_JoystickSetVirtualButton(j, SDL_CONTROLLER_BUTTON_START, SDL_PRESSED);
  SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_LEFTY, 32767);
  Pump();
  ASSERT_TRUE(ReadGamepads().Button(TPadButton::Start));
  EXPECT_FALSE(TakeGamepadUnplugged());

  Detach(index);
  const TGamepadState s = ReadGamepads();
  EXPECT_EQ(s.Pads, 0);
  EXPECT_FALSE(s.Button(TPadButton::Start));
  EXPECT_EQ(s.Axis(TPadAxis::LeftY), 0.0f);
  EXPECT_TRUE(TakeGamepadUnplugged());
  EXPECT_FALSE(TakeGamepadUnplugged());
}

TEST_F(GamepadTest, AFlightStickKeepsItsOwnNumbering) {
  const int index = Attach(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 4, 6, 1);
  ASSERT_GE(index, 0) << SDL_GetError();
  TGamepadState s = ReadGamepads();
  ASSERT_EQ(s.Joysticks, 1);
  EXPECT_EQ(s.Pads, 0);
  SDL_Joystick* j = Opened(index);
  ASSERT_NE(j, nullptr);
  SDL_JoystickSetVirtualButton(j, 5, SDL_PRESSED);
  SDL_JoystickSetVirtualAxis(j, 3, -32768);
  SDL_JoystickSetVirtualHat(j, 0, SDL_HAT_LEFTUP);
  Pump();
  s = ReadGamepads();
  EXPECT_TRUE(s.JoyButtons[5]);
  EXPECT_FALSE(s.JoyButtons[0]);
  EXPECT_EQ(s.JoyAxes[3], -1.0f);
  EXPECT_EQ(s.JoyHat, JoyHatLeft | JoyHatUp);
}

TEST_F(GamepadTest, TwoDevicesMergeAndOneLeavingKeepsTheOther) {
  const int pad = Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
  const int stick = Attach(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 2, 2, 0);
  ASSERT_GE(pad, 0);
  ASSERT_GE(stick, 0);
  EXPECT_EQ(ReadGamepads().Pads, 1);
  EXPECT_EQ(ReadGamepads().Joysticks, 1);
  Detach(stick);
  EXPECT_EQ(ReadGamepads().Pads, 1);
  EXPECT_EQ(ReadGamepads().Joysticks, 0);
  EXPECT_TRUE(TakeGamepadUnplugged());
}

TEST(GamepadEvents, NullAndForeignEventsAreIgnored) {
  EXPECT_FALSE(HandleGamepadEvent(nullptr));
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  EXPECT_FALSE(HandleGamepadEvent(&e));
  // A removal of a device never opened, and an arrival with a bad index, change nothing.
  e.type = SDL_JOYDEVICEREMOVED;
  e.jdevice.which = 12345;
  EXPECT_TRUE(HandleGamepadEvent(&e));
  e.type = SDL_JOYDEVICEADDED;
  e.jdevice.which = 999;
  EXPECT_TRUE(HandleGamepadEvent(&e));
  EXPECT_FALSE(TakeGamepadUnplugged());
  EXPECT_EQ(ReadGamepads().Pads + ReadGamepads().Joysticks, 0);
}

TEST(GamepadOverride, StandsInForTheDevicesUntilCleared) {
  TGamepadState scripted;
  scripted.PadButtons[static_cast<int>(TPadButton::Y)] = true;
  SetGamepadOverride(&scripted);
  EXPECT_TRUE(ReadGamepads().Button(TPadButton::Y));
  SetGamepadOverride(nullptr);
  EXPECT_FALSE(ReadGamepads().Button(TPadButton::Y));
}

}  // namespace
