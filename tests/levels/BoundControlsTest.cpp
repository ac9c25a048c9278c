// BoundControlsTest.cpp — pads, sticks and rebound keys as the player's control source: a pad
// press gives the state its key gives, a stick steers at its deflection past the dead zone, a
// pulled pad pauses once, and a rebinding takes the old input away.
#include "levels/BoundControls.h"

#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "platform/Gamepad.h"
#include "platform/Input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

class BoundControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    SavedConfig = Config;
    SavedButtons = MouseButtons;
    SetInputSource(&Keys);
    SetGamepadOverride(&Pads);
    ClearGamepadUnplugged();
    MouseButtons = 0;
    Config.UseMouse = 0;
  }
  void TearDown() override {
    SetGamepadOverride(nullptr);
    SetInputSource(nullptr);
    ClearGamepadUnplugged();
    Config = SavedConfig;
    MouseButtons = SavedButtons;
  }

public:  // the table's presses reach in from lambdas
  void ReleaseAll() {
    Keys.ReleaseAll();
    Pads = TGamepadState{};
  }
  float& Axis(TPadAxis a) { return Pads.PadAxes[static_cast<int>(a)]; }
  bool& Button(TPadButton b) { return Pads.PadButtons[static_cast<int>(b)]; }
  // The dead zone's edge mapped back: the raw deflection that reads as `share` of full.
  static float RawFor(float share) { return DefaultDeadZone + share * (1.0f - DefaultDeadZone); }

  TScriptedInput Keys;
  TGamepadState Pads;
  TBoundControls Source;
  TConfig SavedConfig{};
  uint8_t SavedButtons = 0;
};

// --- a pad mirrors the keys -----------------------------------------------------------------

TEST_F(BoundControlsTest, APadPressGivesTheStateItsKeyGives) {
  struct TCase {
    const char* Name;
    std::function<void(BoundControlsTest&)> Press;
    int Key;
  };
  const TCase cases[] = {
      {"A", [](auto& t) { t.Button(TPadButton::A) = true; }, VK::Space},
      {"B", [](auto& t) { t.Button(TPadButton::B) = true; }, VK::Return},
      {"X", [](auto& t) { t.Button(TPadButton::X) = true; }, VK::Return},
      {"LB", [](auto& t) { t.Button(TPadButton::LeftShoulder) = true; }, VK::F1},
      {"RB", [](auto& t) { t.Button(TPadButton::RightShoulder) = true; }, VK::F2},
      {"Start", [](auto& t) { t.Button(TPadButton::Start) = true; }, VK::Escape},
      {"d-pad left", [](auto& t) { t.Button(TPadButton::DPadLeft) = true; }, VK::Left},
      {"d-pad up", [](auto& t) { t.Button(TPadButton::DPadUp) = true; }, VK::Up},
      {"right trigger", [](auto& t) { t.Axis(TPadAxis::RightTrigger) = 1.0f; }, VK::W},
      {"left trigger", [](auto& t) { t.Axis(TPadAxis::LeftTrigger) = 1.0f; }, VK::S},
      {"stick button 1", [](auto& t) { t.Pads.JoyButtons[0] = true; }, VK::Space},
      {"stick button 2", [](auto& t) { t.Pads.JoyButtons[1] = true; }, VK::Return},
      {"hat right", [](auto& t) { t.Pads.JoyHat = JoyHatRight; }, VK::Right},
      {"hat down", [](auto& t) { t.Pads.JoyHat = JoyHatDown; }, VK::Down},
      {"throttle forward", [](auto& t) { t.Pads.JoyAxes[3] = -1.0f; }, VK::W},
      {"throttle back", [](auto& t) { t.Pads.JoyAxes[3] = 1.0f; }, VK::S},
  };
  for (const TCase& c : cases) {
    ReleaseAll();
    Keys.Press(c.Key);
    const TControlState byKey = Source.Poll(16);
    ReleaseAll();
    c.Press(*this);
    const TControlState byPad = Source.Poll(16);
    EXPECT_TRUE(byPad == byKey) << c.Name;
    EXPECT_FALSE(byPad == TControlState{}) << c.Name;
  }
}

TEST_F(BoundControlsTest, FullStickDeflectionSteersLikeTheArrowKeys) {
  struct TCase {
    TPadAxis Axis;
    float Value;
    int Key;
  };
  for (const TCase& c : {TCase{TPadAxis::LeftX, -1, VK::Left}, {TPadAxis::LeftX, 1, VK::Right},
                         {TPadAxis::LeftY, -1, VK::Up}, {TPadAxis::LeftY, 1, VK::Down}}) {
    ReleaseAll();
    Keys.Press(c.Key);
    const TControlState byKey = Source.Poll(16);
    ReleaseAll();
    Axis(c.Axis) = c.Value;
    TControlState byStick = Source.Poll(16);
    // The stick says how far (all the way); the key says nothing, which means all the way.
    EXPECT_EQ(std::fabs(byStick.Turn + byStick.Pitch), 1.0f) << c.Key;
    byStick.Turn = byStick.Pitch = 0;
    EXPECT_TRUE(byStick == byKey) << c.Key;
  }
}

// --- dead zone and deflection ---------------------------------------------------------------

TEST_F(BoundControlsTest, InsideTheDeadZoneNothingHappens) {
  const float inside = DefaultDeadZone * 0.99f;
  for (TPadAxis a : {TPadAxis::LeftX, TPadAxis::LeftY, TPadAxis::LeftTrigger, TPadAxis::RightTrigger})
    for (float sign : {-1.0f, 1.0f}) {
      ReleaseAll();
      Axis(a) = inside * sign;
      Pads.JoyAxes[0] = Pads.JoyAxes[1] = Pads.JoyAxes[3] = inside * sign;
      EXPECT_TRUE(Source.Poll(16) == TControlState{});
    }
}

TEST_F(BoundControlsTest, DeflectionPastTheDeadZoneIsStretchedToTheWholeRange) {
  for (float share : {0.1f, 0.5f, 0.9f}) {
    ReleaseAll();
    Axis(TPadAxis::LeftX) = -RawFor(share);
    Axis(TPadAxis::LeftY) = RawFor(share);
    const TControlState s = Source.Poll(16);
    EXPECT_TRUE(s.TurnLeft && !s.TurnRight && s.NoseDown && !s.NoseUp);
    EXPECT_NEAR(s.Turn, -share, 1e-5f);
    EXPECT_NEAR(s.Pitch, share, 1e-5f);
  }
}

TEST_F(BoundControlsTest, AKeyHeldWithAStickSteersAtTheFullRate) {
  Axis(TPadAxis::LeftX) = -RawFor(0.3f);
  Keys.Press(VK::Left);
  const TControlState s = Source.Poll(16);
  EXPECT_TRUE(s.TurnLeft);
  EXPECT_EQ(s.Turn, 0.0f);
}

TEST_F(BoundControlsTest, OnOffActionsWantAFirmPush) {
  Axis(TPadAxis::RightTrigger) = RawFor(0.45f);
  EXPECT_FALSE(Source.Poll(16).Fast);
  Axis(TPadAxis::RightTrigger) = RawFor(0.55f);
  EXPECT_TRUE(Source.Poll(16).Fast);
}

TEST_F(BoundControlsTest, NotANumberFromAStickSteersNothing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float& a : Pads.PadAxes) a = nan;
  for (float& a : Pads.JoyAxes) a = nan;
  EXPECT_TRUE(Source.Poll(16) == TControlState{});
}

TEST_F(BoundControlsTest, ADeadZoneOutOfRangeIsBroughtBack) {
  for (float dz : {-1.0f, 5.0f, std::numeric_limits<float>::quiet_NaN()}) {
    TBindings b = DefaultBindings();
    b.DeadZone = dz;
    Source.SetBindings(b);
    EXPECT_GE(Source.Bindings().DeadZone, 0.0f);
    EXPECT_LE(Source.Bindings().DeadZone, MaxDeadZone);
    ReleaseAll();
    Axis(TPadAxis::LeftX) = 1.0f;
    const TControlState s = Source.Poll(16);
    EXPECT_TRUE(s.TurnRight) << dz;
    EXPECT_EQ(s.Turn, 1.0f) << dz;
  }
}

// --- unplugging -----------------------------------------------------------------------------

TEST_F(BoundControlsTest, APulledPadPausesOnce) {
  NoteGamepadUnplugged();
  EXPECT_TRUE(Source.Poll(16).Pause);
  EXPECT_FALSE(Source.Poll(16).Pause);
}

TEST_F(BoundControlsTest, APullCanBeLeftToTheApp) {
  Source.PauseOnUnplug = false;
  NoteGamepadUnplugged();
  EXPECT_FALSE(Source.Poll(16).Pause);
  EXPECT_TRUE(TakeGamepadUnplugged());
  EXPECT_FALSE(TakeGamepadUnplugged());
}

// --- rebinding ------------------------------------------------------------------------------

TEST_F(BoundControlsTest, ARebindingTakesTheOldInputAway) {
  TBindings b = DefaultBindings();
  b.Of(TAction::Fire) = {{TInputKind::Key, 'F', 0}, {TInputKind::PadButton, static_cast<int16_t>(TPadButton::Y), 0}};
  Source.SetBindings(b);
  Keys.Press(VK::Space);
  EXPECT_FALSE(Source.Poll(16).Trigger);
  Keys.Press('F');
  EXPECT_TRUE(Source.Poll(16).Trigger);
  ReleaseAll();
  Button(TPadButton::A) = true;
  EXPECT_FALSE(Source.Poll(16).Trigger);
  Button(TPadButton::Y) = true;
  EXPECT_TRUE(Source.Poll(16).Trigger);
}

TEST_F(BoundControlsTest, TheMouseCountsOnlyWithUseMouseWhereverItIsBound) {
  TBindings b = DefaultBindings();
  b.Of(TAction::Camera2) = {{TInputKind::Mouse, static_cast<int16_t>(TMouseInput::Right), 0}};
  b.Of(TAction::SwitchWeapon).clear();
  Source.SetBindings(b);
  MouseButtons = MouseRightBit;
  EXPECT_FALSE(Source.Poll(16).Camera2);
  Config.UseMouse = 1;
  const TControlState s = Source.Poll(16);
  EXPECT_TRUE(s.Camera2);
  EXPECT_FALSE(s.WeaponSwitch);
}

TEST_F(BoundControlsTest, TheScreenshotIsHeldButNotAControl) {
  Keys.Press(VK::F12);
  EXPECT_TRUE(Source.Poll(16) == TControlState{});
  EXPECT_TRUE(Source.Held(TAction::Screenshot));
  Keys.Release(VK::F12);
  Source.Poll(16);
  EXPECT_FALSE(Source.Held(TAction::Screenshot));
  EXPECT_FALSE(Source.Held(TAction::Count));
}

}  // namespace
