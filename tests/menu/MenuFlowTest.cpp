// MenuFlowTest.cpp — the menu screens and the mission flow headless on the null table: every
// transition between the screens driven through the overlay's click dispatch, the profile's
// progress, the results line and the intro's music.
#include "common/TempDir.h"
#include "core/ConfigUnit.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/MotionUnit.h"
#include "core/PlayerProfile.h"
#include "core/Random.h"
#include "core/RenderHandler.h"
#include "core/Texture.h"
#include "menu/GLMenuUnit.h"
#include "menu/MissionFlow.h"
#include "menu/TextConstants.h"
#include "platform/Clock.h"
#include "platform/GLTable.h"
#include "platform/Input.h"
#include "platform/Message.h"
#include "platform/Window.h"
#include "render/GLSpriteUnit.h"
#include "render/GLTextUnit.h"
#include "render/GLVisualObjectUnit.h"
#include "sound/SoundUnit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <memory>
#include <utility>
#include <vector>

namespace {

using TScreen = TGLMenu::TScreen;

constexpr int Width = 800;
constexpr int Height = 600;

class MenuFlow : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    SetAppDir(QUINTARA_GAME_DIR);
    if (!std::filesystem::exists(DataDir + "lev1.srf")) GTEST_SKIP() << "no data forged";
    PlayerDir = Dir.Str();
    SavedConfig = Config;
    Config = DefaultConfig();
    Config.Shadows = 0;
    SelectLanguage(0);
    ScreenWidth = Width;
    ScreenHeight = Height;
    MatrixPerspective(45.0f, static_cast<float>(Width) / Height, 0.1f, FarPlane, ProjectionMatrix);
    SetRandomSeed(1);
    SetActiveClock(&Clock);
    SetInputSource(&Keys);
    MouseButtons = 0;
    BuildFont();
    Flow = std::make_unique<TMissionFlow>(TMissionFlowOptions{}, nullptr);
  }
  void TearDown() override {
    Flow.reset();
    OnRender = {};
    DeleteFont();
    FreeAllAudio();
    ClearTextureCache();
    ClearMotionCache();
    SetInputSource(nullptr);
    SetActiveClock(nullptr);
    RestartCounter();
    Config = SavedConfig;
    SetAppDir(QUINTARA_GAME_DIR);
  }

  void UsePlayer(int progress, int32_t level) {
    PlayerRecord = {};
    SetShortString(PlayerRecord.Name, "Tester");
    PlayerRecord.Progress = static_cast<uint8_t>(progress);
    WriteProfile(PlayerDir + "Tester", PlayerRecord);
    CurrentLevel = level;
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) OnRender();
  }
  TGLMenu& Menu() {
    EXPECT_NE(Flow->Menu(), nullptr);
    return *Flow->Menu();
  }
  // A left click where the window would show the sprite, as the window's mouse handlers
  // deliver it (the button's bit is set while the click is dispatched).
  void Click(const TGLSprite& sprite) {
    const float depth = -sprite.ModelView[14];
    const int px = static_cast<int>((sprite.ModelView[12] * ProjectionMatrix[0] / depth + 1.0f) / 2.0f * Width);
    const int py = static_cast<int>((1.0f - sprite.ModelView[13] * ProjectionMatrix[5] / depth) / 2.0f * Height);
    MouseButtons = MouseLeftBit;
    OverlayMouseDown(MouseButtonLeft, px, py);
    MouseButtons = 0;
  }
  void Click(const TGLMenu::TButton& button) { Click(*button.Sprite); }
  // From the intro to the mission screen with Space, after the second of black.
  void SkipIntro() {
    Frames(70);
    Keys.Press(VK::Space);
    Frames(1);
    Keys.Release(VK::Space);
    ASSERT_EQ(Menu().Screen, TScreen::MissionScreen);
    Frames(1);  // drawn once, so the buttons know where they are
  }
  void ToMissionScreen() {
    Flow->ShowIntro();
    SkipIntro();
  }
  // Starts mission CurrentLevel from the mission screen and ends it with `outcome`.
  void PlayAndEnd(TOutcome outcome, int32_t shotsFired = 0, int32_t shotsHit = 0) {
    Click(Menu().BtnStart);
    Frames(1);
    ASSERT_NE(Flow->Level(), nullptr);
    Frames(2);
    Flow->Level()->ShotsFired = shotsFired;
    Flow->Level()->ShotsHit = shotsHit;
    Flow->Level()->EndMission(outcome);
    Frames(2);
    ASSERT_EQ(Flow->Level(), nullptr);
  }
  static bool Shown(const TGLMenu::TButton& button) { return button.Sprite->Visible && button.Sprite->Enabled; }
  uint8_t ProgressOnDisk() { return ReadProfile(PlayerDir + "Tester").Progress; }

  TTempDir Dir;
  TFixedStepClock Clock{16};
  TScriptedInput Keys;
  TConfig SavedConfig{};
  std::unique_ptr<TMissionFlow> Flow;
};

// --- The mission screen and its arrows.

TEST_F(MenuFlow, ANewPlayerSeesNoArrows) {
  UsePlayer(1, 1);
  ToMissionScreen();
  TGLMenu& menu = Menu();
  EXPECT_FALSE(Shown(menu.BtnNext));
  EXPECT_FALSE(Shown(menu.BtnPrev));
  for (auto* button : {&menu.BtnStart, &menu.BtnExit, &menu.BtnInfo, &menu.BtnIntro}) EXPECT_TRUE(Shown(*button));
  EXPECT_FALSE(Shown(menu.BtnContinue));
  EXPECT_EQ(menu.TitleLabel->Caption, "Mission 1");
  EXPECT_EQ(menu.BriefingLabels[0]->Caption, TextTable[10]);
}

TEST_F(MenuFlow, AtTheHighestUnlockedMissionOnlyTheLeftArrowShowsAndNextDoesNothing) {
  UsePlayer(3, 3);
  ToMissionScreen();
  EXPECT_FALSE(Shown(Menu().BtnNext));
  EXPECT_TRUE(Shown(Menu().BtnPrev));
  Click(Menu().BtnNext);  // not there: the click reaches nothing
  Menu().OnNext();
  EXPECT_EQ(CurrentLevel, 3);
  Click(Menu().BtnPrev);
  EXPECT_EQ(CurrentLevel, 2);
  EXPECT_EQ(Menu().TitleLabel->Caption, "Mission 2");
  EXPECT_TRUE(Shown(Menu().BtnNext));
  Frames(1);
  Click(Menu().BtnNext);
  EXPECT_EQ(CurrentLevel, 3);
}

TEST_F(MenuFlow, InfoShowsTheControlsAndOkReturns) {
  UsePlayer(1, 1);
  ToMissionScreen();
  Click(Menu().BtnInfo);
  EXPECT_EQ(Menu().Screen, TScreen::Info);
  EXPECT_FALSE(Shown(Menu().BtnStart));
  EXPECT_TRUE(Menu().InfoLabels[0]->Visible);
  EXPECT_FALSE(Menu().TitleLabel->Visible);
  Frames(1);
  Click(Menu().BtnInfoOk);
  EXPECT_EQ(Menu().Screen, TScreen::MissionScreen);
  EXPECT_FALSE(Menu().InfoLabels[0]->Visible);
}

// --- The intro and its music.

TEST_F(MenuFlow, TheIntroPlaysThroughToTheMissionScreenAndStartsTheMusicOnce) {
  UsePlayer(1, 1);
  Flow->ShowIntro();
  EXPECT_EQ(PlayingMusic(), -1);
  int frames = 0;
  while (Menu().Screen == TScreen::Intro && frames < 5000) {
    Frames(1);
    ++frames;
  }
  EXPECT_EQ(Menu().Screen, TScreen::MissionScreen);
  // A second of black, two pictures of four seconds each, then the story's 7.5 units at
  // 0.0003 a millisecond: about 34 seconds of 16 ms frames.
  EXPECT_GT(frames, 2000);
  EXPECT_LT(frames, 2300);
  EXPECT_EQ(PlayingMusic(), Menu().IntroMusic);
  EXPECT_TRUE(CursorShown());
}

TEST_F(MenuFlow, SkippingTheIntroAfterIntroStoppedTheMusicLeavesItStopped) {
  UsePlayer(1, 1);
  ToMissionScreen();
  EXPECT_EQ(PlayingMusic(), Menu().IntroMusic);  // a skip starts it when nothing had
  Click(Menu().BtnIntro);
  EXPECT_EQ(Menu().Screen, TScreen::Intro);
  EXPECT_EQ(PlayingMusic(), -1);
  SkipIntro();
  EXPECT_EQ(PlayingMusic(), -1);
  EXPECT_TRUE(Menu().MusicStarted);
}

// --- Missions, results and the profile.

TEST_F(MenuFlow, WinningUnlocksTheNextMissionOnceAndWritesTheProfile) {
  UsePlayer(2, 2);
  ToMissionScreen();
  PlayAndEnd(TOutcome::Success);
  EXPECT_EQ(Menu().Screen, TScreen::Result);
  EXPECT_EQ(CurrentLevel, 3);
  EXPECT_EQ(PlayerRecord.Progress, 3);
  EXPECT_EQ(ProgressOnDisk(), 3);
  EXPECT_EQ(Menu().OutcomeLabel->Caption, TextTable[TextSuccess]);
  EXPECT_TRUE(Shown(Menu().BtnContinue));
  EXPECT_TRUE(Shown(Menu().BtnAgain));
  EXPECT_FALSE(Shown(Menu().BtnStart));
  EXPECT_FALSE(Menu().SaveErrorLabel->Visible);
  Frames(1);
  Click(Menu().BtnContinue);
  EXPECT_EQ(Menu().Screen, TScreen::MissionScreen);
  EXPECT_EQ(Menu().TitleLabel->Caption, "Mission 3");
}

TEST_F(MenuFlow, WinningMissionTwoWithEverythingUnlockedLeavesTheProfileAlone) {
  UsePlayer(5, 2);
  std::filesystem::remove(PlayerDir + "Tester");  // any write would bring it back
  ToMissionScreen();
  PlayAndEnd(TOutcome::Success);
  EXPECT_EQ(PlayerRecord.Progress, 5);
  EXPECT_FALSE(std::filesystem::exists(PlayerDir + "Tester"));
}

TEST_F(MenuFlow, AFailedProfileWriteIsShownAndTheProgressKeptForTheRun) {
  UsePlayer(1, 1);
  PlayerDir = Dir / "missing/";
  ToMissionScreen();
  PlayAndEnd(TOutcome::Success);
  EXPECT_EQ(PlayerRecord.Progress, 2);
  EXPECT_TRUE(Menu().SaveErrorLabel->Visible);
  EXPECT_EQ(Menu().SaveErrorLabel->Caption, "Your progress could not be saved.");
  EXPECT_FALSE(Menu().SaveError.empty());
  Frames(1);
  Click(Menu().BtnContinue);
  EXPECT_TRUE(Shown(Menu().BtnPrev));  // mission 2 is open for this run
  EXPECT_FALSE(Menu().SaveErrorLabel->Visible);
}

TEST_F(MenuFlow, WinningTheLastMissionLeadsThroughOkToTheEndingAndBackToMissionFive) {
  UsePlayer(5, 5);
  ToMissionScreen();
  PlayAndEnd(TOutcome::Success);
  EXPECT_EQ(CurrentLevel, 6);
  EXPECT_EQ(ProgressOnDisk(), 5);
  Frames(1);
  Click(Menu().BtnContinue);
  EXPECT_EQ(Menu().Screen, TScreen::Ending);
  EXPECT_EQ(CurrentLevel, 5);
  Frames(5);
  EXPECT_EQ(Menu().Screen, TScreen::Ending);  // the click that opened it did not skip it
  int frames = 0;
  while (Menu().Screen == TScreen::Ending && frames < 3000) {
    Frames(1);
    ++frames;
  }
  EXPECT_EQ(Menu().Screen, TScreen::MissionScreen);
  EXPECT_EQ(Menu().TitleLabel->Caption, "Mission 5");
}

TEST_F(MenuFlow, AgainAfterAFailureReplaysTheSameMission) {
  UsePlayer(3, 3);
  ToMissionScreen();
  PlayAndEnd(TOutcome::Failure);
  EXPECT_EQ(Menu().OutcomeLabel->Caption, TextTable[TextFailure]);
  EXPECT_EQ(CurrentLevel, 3);
  Frames(1);
  Click(Menu().BtnAgain);
  Frames(1);
  ASSERT_NE(Flow->Level(), nullptr);
  EXPECT_EQ(Flow->Level()->Mission, 3);
}

TEST_F(MenuFlow, AgainAfterASuccessReplaysTheMissionJustWon) {
  UsePlayer(2, 2);
  ToMissionScreen();
  PlayAndEnd(TOutcome::Success);
  Frames(1);
  Click(Menu().BtnAgain);
  Frames(1);
  ASSERT_NE(Flow->Level(), nullptr);
  EXPECT_EQ(Flow->Level()->Mission, 2);
}

TEST_F(MenuFlow, TheAccuracyLineRoundsTwoHitsOfThreeShots) {
  UsePlayer(1, 1);
  ToMissionScreen();
  PlayAndEnd(TOutcome::Failure, 3, 2);
  EXPECT_EQ(Menu().AccuracyLabel->Caption, TextTable[TextAccuracy] + "67%");
  EXPECT_EQ(Flow->Result().Accuracy, 67);
}

TEST_F(MenuFlow, QuittingReturnsToTheMissionScreenWithoutTouchingTheProfile) {
  UsePlayer(2, 2);
  ToMissionScreen();
  PlayAndEnd(TOutcome::Quit);
  EXPECT_EQ(Menu().Screen, TScreen::MissionScreen);
  EXPECT_EQ(CurrentLevel, 2);
  EXPECT_EQ(ProgressOnDisk(), 2);
  EXPECT_EQ(ResultLine(Flow->Result()).find("outcome=unfinished") != std::string::npos, true);
}

TEST_F(MenuFlow, TheMissionScreenSpeaksSlovakWhenChosen) {
  SelectLanguage(1);
  UsePlayer(1, 1);
  ToMissionScreen();
  EXPECT_EQ(Menu().TitleLabel->Caption, "Misia 1");
  EXPECT_EQ(Menu().BtnExit.Caption->Caption, "Koniec");
  EXPECT_EQ(Menu().BtnStart.Caption->Caption, "\x8Atart");
}

TEST_F(MenuFlow, AMissionThatCannotLoadReturnsToTheMissionScreenWithAMessage) {
  UsePlayer(1, 1);
  ToMissionScreen();
  std::vector<std::string> messages;
  SetMessageSink([&](const std::string& text) { messages.push_back(text); });
  DataDir = Dir.Str();  // no terrain there
  Click(Menu().BtnStart);
  Frames(1);
  SetMessageSink({});
  EXPECT_EQ(Flow->Level(), nullptr);
  EXPECT_EQ(Menu().Screen, TScreen::MissionScreen);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("cannot be started"), std::string::npos);
  EXPECT_FALSE(Flow->MissionPlayed());
}

// A headless --mission run: the mission's end is recorded as after a played one, the results
// screen follows, the line is printed once and the window asked to close.
TEST_F(MenuFlow, ADirectRunRecordsItsMissionPrintsItsLineAndCloses) {
  UsePlayer(1, 1);
  Flow = std::make_unique<TMissionFlow>(TMissionFlowOptions{true, true, false}, nullptr);
  ResetGameWindowClosing();
  ASSERT_TRUE(Flow->StartMission());
  Frames(3);
  Flow->Level()->EndMission(TOutcome::Success);
  testing::internal::CaptureStdout();
  Frames(1);
  Flow.reset();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(GameWindowClosing());
  ResetGameWindowClosing();
  EXPECT_EQ(out.rfind("result mission=1 outcome=success phase=", 0), 0u) << out;
  EXPECT_EQ(out.find("result", 1), std::string::npos) << out;
  EXPECT_EQ(ProgressOnDisk(), 2);
}

// --- Soak: missions started from the mission screen and left through the pause question.

// Resident memory in kilobytes, from /proc.
long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

// A hundred missions loaded, flown a moment and left with Escape and Yes leave no GL name,
// sound slot or texture behind, and resident memory settles: after the first ten (caches and
// the allocator's pools filled), the next ninety add less than 16 MB.
TEST_F(MenuFlow, AHundredMissionsLeftThroughThePauseQuestionLeaveNothingBehind) {
  UsePlayer(5, 3);
  ToMissionScreen();
  const TNullGLCounts before = NullGLCounts();
  const size_t textures = Textures.size();
  long settled = 0;
  for (int run = 0; run < 100; ++run) {
    Click(Menu().BtnStart);
    Frames(30);
    ASSERT_NE(Flow->Level(), nullptr);
    Flow->Level()->RequestPause();
    Frames(1);
    ASSERT_TRUE(Flow->Level()->Paused());
    Click(*Flow->Level()->Hud->QuitYesButton);
    Frames(2);
    ASSERT_EQ(Flow->Level(), nullptr) << run;
    ASSERT_EQ(Menu().Screen, TScreen::MissionScreen) << run;
    EXPECT_EQ(NullGLCounts().LiveLists, before.LiveLists) << run;
    EXPECT_LE(NullGLCounts().LiveTextures, before.LiveTextures) << run;
    EXPECT_LE(Textures.size(), textures) << run;
    EXPECT_LE(SoundCount(), 8) << run;  // the menu's own
    if (run == 9) settled = ResidentKb();
  }
  EXPECT_LT(ResidentKb() - settled, 16 * 1024);
}

// --- The result line and the profile's progress byte.

TEST(ResultLine, KeepsItsFormat) {
  EXPECT_EQ(ResultLine({2, TOutcome::Failure, 3, 0, 67, 1234, 0x1234abcdULL}),
            "result mission=2 outcome=failure phase=3 lives=0 accuracy=67 frames=1234 hash=000000001234abcd");
  EXPECT_EQ(ResultLine({5, TOutcome::Success, 7, 2, 40, 9, 0xffffffffffffffffULL}),
            "result mission=5 outcome=success phase=7 lives=2 accuracy=40 frames=9 hash=ffffffffffffffff");
  EXPECT_EQ(ResultLine({1, TOutcome::Quit, 1, 4, 0, 0, 0}),
            "result mission=1 outcome=unfinished phase=1 lives=4 accuracy=0 frames=0 hash=0000000000000000");
}

TEST(ProfileProgress, AByteOutsideOneToFiveReadsAsTheNearestMission) {
  const std::pair<int, int> cases[] = {{0, 1}, {1, 1}, {5, 5}, {6, 5}, {255, 5}};
  for (auto [stored, read] : cases) {
    TPlayerRecord record{};
    record.Progress = static_cast<uint8_t>(stored);
    const TPlayerRecord parsed = ParseProfile(reinterpret_cast<const uint8_t*>(&record), sizeof record, "p");
    EXPECT_EQ(parsed.Progress, read) << stored;
  }
}

}  // namespace
