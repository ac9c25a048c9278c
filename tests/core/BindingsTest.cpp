// BindingsTest.cpp — the controls file: what is written reads back the same, a damaged file
// is reported line by line and falls back to the defaults, and inputs bound twice are found.
#include "core/Bindings.h"

#include "common/TempDir.h"
#include "core/FileIO.h"
#include "platform/Gamepad.h"
#include "platform/Input.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TInput Key(int vk) { return {TInputKind::Key, static_cast<int16_t>(vk), 0}; }
TInput Pad(TPadButton b) { return {TInputKind::PadButton, static_cast<int16_t>(b), 0}; }
TInput PadAxis(TPadAxis a, int8_t d) { return {TInputKind::PadAxis, static_cast<int16_t>(a), d}; }

TBindings Parse(const std::string& text, std::vector<TBindingProblem>& problems) {
  return ParseBindings(text, "controls.cfg", problems);
}

// --- defaults -------------------------------------------------------------------------------

TEST(DefaultBindings, KeysAreTheGamesTable) {
  const TBindings b = DefaultBindings();
  auto keys = [&](TAction a) {
    std::vector<int> out;
    for (const TInput& in : b.Of(a))
      if (in.Kind == TInputKind::Key) out.push_back(in.Code);
    return out;
  };
  EXPECT_EQ(keys(TAction::TurnLeft), std::vector<int>{VK::Left});
  EXPECT_EQ(keys(TAction::TurnRight), std::vector<int>{VK::Right});
  EXPECT_EQ(keys(TAction::NoseUp), std::vector<int>{VK::Up});
  EXPECT_EQ(keys(TAction::NoseDown), std::vector<int>{VK::Down});
  EXPECT_EQ(keys(TAction::Fast), (std::vector<int>{VK::W, VK::Prior}));
  EXPECT_EQ(keys(TAction::Slow), (std::vector<int>{VK::S, VK::Next}));
  EXPECT_EQ(keys(TAction::Fire), (std::vector<int>{VK::Space, VK::Control, VK::Clear, VK::Numpad5}));
  EXPECT_EQ(keys(TAction::SwitchWeapon), (std::vector<int>{VK::Return, VK::Menu, VK::Insert}));
  EXPECT_EQ(keys(TAction::Camera1), std::vector<int>{VK::F1});
  EXPECT_EQ(keys(TAction::Camera2), std::vector<int>{VK::F2});
  EXPECT_EQ(keys(TAction::Pause), std::vector<int>{VK::Escape});
  EXPECT_EQ(keys(TAction::Screenshot), std::vector<int>{VK::F12});
}

TEST(DefaultBindings, BindNoInputTwice) {
  const std::vector<TBindingConflict> conflicts = FindConflicts(DefaultBindings());
  for (const TBindingConflict& c : conflicts)
    ADD_FAILURE() << InputName(c.Input) << " drives " << ActionName(c.First) << " and " << ActionName(c.Second);
}

// --- round trip -----------------------------------------------------------------------------

TEST(BindingsFile, WhatIsWrittenReadsBackTheSame) {
  TBindings custom = DefaultBindings();
  custom.Of(TAction::Fire) = {Key('F'), Key('7'), {TInputKind::Mouse, static_cast<int16_t>(TMouseInput::Right), 0},
                              PadAxis(TPadAxis::RightTrigger, 1), {TInputKind::JoyButton, 31, 0}};
  custom.Of(TAction::TurnLeft) = {PadAxis(TPadAxis::RightX, -1), {TInputKind::JoyAxis, 7, 1},
                                  {TInputKind::JoyHat, JoyHatLeft, 0}, Pad(TPadButton::Guide)};
  custom.Of(TAction::Pause).clear();  // unbound on purpose survives the trip
  custom.DeadZone = 0.35f;
  for (const TBindings& b : {DefaultBindings(), custom}) {
    std::vector<TBindingProblem> problems;
    const TBindings back = Parse(FormatBindings(b), problems);
    EXPECT_TRUE(problems.empty()) << problems.front().Text();
    EXPECT_TRUE(back == b) << FormatBindings(back);
  }
}

TEST(BindingsFile, EveryInputNameParsesBackToItself) {
  std::vector<TInput> all;
  for (int vk = 0; vk < VK::Count; ++vk)
    if (KeyName(vk) || (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) all.push_back(Key(vk));
  for (int i = 0; i < static_cast<int>(TMouseInput::Count); ++i) all.push_back({TInputKind::Mouse, static_cast<int16_t>(i), 0});
  for (int i = 0; i < PadButtonCount; ++i) all.push_back(Pad(static_cast<TPadButton>(i)));
  for (int i = 0; i < PadAxisCount; ++i) {
    all.push_back(PadAxis(static_cast<TPadAxis>(i), 1));
    if (i < static_cast<int>(TPadAxis::LeftTrigger)) all.push_back(PadAxis(static_cast<TPadAxis>(i), -1));
  }
  for (int i = 0; i < JoyButtonCount; ++i) all.push_back({TInputKind::JoyButton, static_cast<int16_t>(i), 0});
  for (int i = 0; i < JoyAxisCount; ++i)
    for (int8_t d : {-1, 1}) all.push_back({TInputKind::JoyAxis, static_cast<int16_t>(i), d});
  for (uint8_t bit : {JoyHatUp, JoyHatDown, JoyHatLeft, JoyHatRight}) all.push_back({TInputKind::JoyHat, bit, 0});
  for (const TInput& in : all) {
    TInput back;
    ASSERT_TRUE(ParseInput(InputName(in), back)) << InputName(in);
    EXPECT_TRUE(back == in) << InputName(in);
  }
}

TEST(BindingsFile, HandEditingIsForgiven) {
  std::vector<TBindingProblem> problems;
  const TBindings b = Parse("  # my pad\r\n  FIRE =  KEY:space ,pad:A,, key:ctrl  # thumb\r\n\n", problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(b.Of(TAction::Fire), (std::vector<TInput>{Key(VK::Space), Pad(TPadButton::A), Key(VK::Control)}));
  EXPECT_EQ(b.Of(TAction::Pause), DefaultBindings().Of(TAction::Pause));  // not written: default
}

TEST(BindingsFile, AByteOrderMarkIsSkipped) {
  std::vector<TBindingProblem> problems;
  const TBindings b = Parse("\xef\xbb\xbf" "fire = key:F\n", problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(b.Of(TAction::Fire), std::vector<TInput>{Key('F')});
}

TEST(BindingsFile, SavedAtomicallyAndLoadedBack) {
  TTempDir dir;
  const std::string path = dir / "controls.cfg";
  TBindings b = DefaultBindings();
  b.Of(TAction::Camera1) = {Key('C')};
  SaveBindings(path, b);
  EXPECT_FALSE(FileExists(path + ".tmp"));
  std::vector<TBindingProblem> problems;
  EXPECT_TRUE(LoadBindings(path, problems) == b);
  EXPECT_TRUE(problems.empty());
}

TEST(BindingsFile, AMissingFileGivesTheDefaultsQuietly) {
  TTempDir dir;
  std::vector<TBindingProblem> problems;
  EXPECT_TRUE(LoadBindings(dir / "none.cfg", problems) == DefaultBindings());
  EXPECT_TRUE(problems.empty());
}

TEST(BindingsFile, ADirectoryOrAHugeFileIsReportedAndGivesTheDefaults) {
  TTempDir dir;
  const std::string huge = dir / "huge.cfg";
  {
    std::ofstream out(huge, std::ios::binary);
    out << "fire = key:F\n" << std::string(200 * 1024, '#');
  }
  for (const std::string& path : {huge, dir.Str() + "."}) {
    std::vector<TBindingProblem> problems;
    const TBindings b = LoadBindings(path, problems);
    if (path == huge) {
      ASSERT_EQ(problems.size(), 1u);
      EXPECT_EQ(problems[0].File, huge);
    }
    EXPECT_TRUE(b == DefaultBindings());
  }
}

// --- damaged files --------------------------------------------------------------------------

struct TDamage {
  const char* Text;
  int ProblemLine;   // 0: no problem expected
  TAction Action;    // what the line touched
  std::vector<TInput> Expected;
};

TEST(BindingsFile, DamageIsReportedWithItsLineAndFallsBackToTheDefaults) {
  const std::vector<TInput> defaultFire = DefaultBindings().Of(TAction::Fire);
  const TDamage cases[] = {
      {"fire = key:NoSuchKey", 1, TAction::Fire, defaultFire},
      {"\n\nfire = key:F, key:NoSuchKey, pad:zz", 3, TAction::Fire, {Key('F')}},
      {"fire key:F", 1, TAction::Fire, defaultFire},
      {"shoot = key:F", 1, TAction::Fire, defaultFire},
      {"fire = pad:leftx", 1, TAction::Fire, defaultFire},        // an axis needs its direction
      {"fire = pad:lt-", 1, TAction::Fire, defaultFire},          // a trigger pulls one way only
      {"fire = joy:button0, joy:button33, joy:axis9+, joy:button-1, joy:button 1", 1, TAction::Fire, defaultFire},
      {"fire = key:", 1, TAction::Fire, defaultFire},
      {"fire = :", 1, TAction::Fire, defaultFire},
      {"fire = key:FF", 1, TAction::Fire, defaultFire},
      {"fire = key:F\nfire = key:G", 2, TAction::Fire, {Key('G')}},  // the later line counts
      {"fire =", 0, TAction::Fire, {}},                               // unbound on purpose
      {"fire = key:F, key:F, key:f", 0, TAction::Fire, {Key('F')}},  // repeats fold
      {"fire = \x01\xff\x7f:\x80", 1, TAction::Fire, defaultFire},
      {"\xef\xbb\xbf = = =", 1, TAction::Fire, defaultFire},
      {"\xef\xbb\xbf\xef\xbb\xbf" "fire = key:F", 1, TAction::Fire, defaultFire},
  };
  for (const TDamage& c : cases) {
    std::vector<TBindingProblem> problems;
    const TBindings b = Parse(c.Text, problems);
    if (c.ProblemLine == 0) {
      EXPECT_TRUE(problems.empty()) << c.Text;
    } else {
      ASSERT_FALSE(problems.empty()) << c.Text;
      EXPECT_EQ(problems[0].Line, c.ProblemLine) << c.Text;
      EXPECT_EQ(problems[0].File, "controls.cfg");
      EXPECT_EQ(problems[0].Text().rfind("controls.cfg:" + std::to_string(c.ProblemLine) + ": ", 0), 0u)
          << problems[0].Text();
    }
    EXPECT_EQ(b.Of(c.Action), c.Expected) << c.Text;
  }
}

TEST(BindingsFile, TooManyInputsAreCut) {
  std::string line = "fire =";
  for (int i = 0; i < 20; ++i) line += " joy:button" + std::to_string(i + 1) + ",";
  std::vector<TBindingProblem> problems;
  const TBindings b = Parse(line, problems);
  EXPECT_EQ(b.Of(TAction::Fire).size(), MaxInputsPerAction);
  EXPECT_EQ(problems.size(), 1u);
}

TEST(BindingsFile, DeadZoneOutsideItsRangeKeepsTheDefault) {
  for (const char* value : {"-0.1", "0.95", "nan", "inf", "0.2x", "", "1e9"}) {
    std::vector<TBindingProblem> problems;
    const TBindings b = Parse(std::string("dead-zone = ") + value, problems);
    EXPECT_EQ(b.DeadZone, DefaultDeadZone) << value;
    EXPECT_EQ(problems.size(), 1u) << value;
  }
  std::vector<TBindingProblem> problems;
  EXPECT_EQ(Parse("dead-zone = 0", problems).DeadZone, 0.0f);
  EXPECT_TRUE(problems.empty());
}

TEST(BindingsFile, ReportsAreShortAndPrintable) {
  std::vector<TBindingProblem> problems;
  Parse("fire = key:" + std::string(5000, '\x07'), problems);
  ASSERT_EQ(problems.size(), 2u);  // the input, then the line that kept its defaults
  EXPECT_LT(problems[0].Text().size(), 120u);
  for (char ch : problems[0].Text()) EXPECT_TRUE(ch >= 0x20 && ch < 0x7f);
}

// --- conflicts ------------------------------------------------------------------------------

TEST(BindingConflicts, OneInputOnTwoActionsIsFoundOncePerPair) {
  TBindings b = DefaultBindings();
  b.Of(TAction::Camera1).push_back(Key(VK::Space));                          // also fire
  b.Of(TAction::Pause).push_back(Key(VK::Numpad5));                          // keypad 5 is fire's Clear too
  b.Of(TAction::Slow).push_back(PadAxis(TPadAxis::LeftX, 1));                // turn right's stick
  b.Of(TAction::Screenshot).push_back(PadAxis(TPadAxis::RightX, 1));         // free: no clash
  b.Of(TAction::Fast).push_back(PadAxis(TPadAxis::LeftY, 1));                // nose down's stick
  const std::vector<TBindingConflict> found = FindConflicts(b);
  struct TWant {
    TAction First, Second;
  };
  const TWant want[] = {{TAction::TurnRight, TAction::Slow},
                        {TAction::NoseDown, TAction::Fast},
                        {TAction::Fire, TAction::Camera1},
                        {TAction::Fire, TAction::Pause}};
  EXPECT_EQ(found.size(), std::size(want));
  for (const TWant& w : want) {
    int count = 0;
    for (const TBindingConflict& c : found) count += c.First == w.First && c.Second == w.Second;
    EXPECT_GE(count, 1) << ActionName(w.First) << " / " << ActionName(w.Second);
  }
}

TEST(BindingConflicts, OppositeDirectionsOfOneAxisAreTwoInputs) {
  TBindings b;
  b.Of(TAction::TurnLeft) = {PadAxis(TPadAxis::LeftX, -1)};
  b.Of(TAction::TurnRight) = {PadAxis(TPadAxis::LeftX, 1)};
  EXPECT_TRUE(FindConflicts(b).empty());
}

}  // namespace
