// MenuScreenTest.cpp — the game window's menus as a player meets them: offscreen on Mesa from
// the intro through the mission screen into a mission and back out of it by the pause
// question, the mission screen's pixels in both languages, and direct starts from the
// command line.
#include "app/MainUnit.h"
#include "app/Program.h"
#include "common/TempDir.h"
#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/PlayerProfile.h"
#include "core/PngFile.h"
#include "core/RenderHandler.h"
#include "levels/LevelHud.h"
#include "menu/GLMenuUnit.h"
#include "menu/MissionFlow.h"
#include "platform/Clock.h"
#include "platform/Gamepad.h"
#include "platform/Window.h"
#include "platform/Input.h"
#include "render/GLSpriteUnit.h"
#include "render/GLTextUnit.h"
#include "render/GLVisualObjectUnit.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using TScreen = TGLMenu::TScreen;
namespace fs = std::filesystem;

bool DataForged() { return fs::exists(std::string(QUINTARA_GAME_DIR) + "/Data/lev1.srf"); }

// The pixel (from the top left) where a point of view space lands.
void ViewPixel(float x, float y, float z, int& px, int& py) {
  px = static_cast<int>((x * ProjectionMatrix[0] / -z + 1.0f) / 2.0f * ScreenWidth);
  py = static_cast<int>((1.0f - y * ProjectionMatrix[5] / -z) / 2.0f * ScreenHeight);
}

class MenuWindow : public ::testing::Test {
protected:
  void SetUp() override {
    if (!DataForged()) GTEST_SKIP() << "no data forged";
    SetAppDir(QUINTARA_GAME_DIR);
    PlayerDir = Dir.Str();
    SavedConfig = Config;
    Config = DefaultConfig();
    Config.Shadows = 0;
    PlayerRecord = {};
    PlayerRecord.Progress = 1;
    CurrentLevel = 1;
    MouseButtons = 0;
    SetActiveClock(&Clock);
    SetInputSource(&Keys);
  }
  void TearDown() override {
    Form.FormDestroy();
    SetInputSource(nullptr);
    SetActiveClock(nullptr);
    Config = SavedConfig;
    SetAppDir(QUINTARA_GAME_DIR);
  }
  void Open(uint8_t language, int width, int height) {
    Config.Language = language;
    TGameWindowOptions options;
    options.WindowWidth = width;
    options.WindowHeight = height;
    options.Vsync = false;
    ASSERT_TRUE(Form.FormCreate(options));
    ASSERT_TRUE(Form.FormActivate());
    ASSERT_NE(Form.MissionFlow(), nullptr);
  }
  void Run(int frames) { Form.RunFrameLoop(Form.FramesRun() + frames, ""); }
  void Click(const TGLSprite& sprite) {
    int px = 0, py = 0;
    ViewPixel(sprite.ModelView[12], sprite.ModelView[13], sprite.ModelView[14], px, py);
    Form.MouseDown(MouseButtonLeft, px, py);
    Form.MouseUp(MouseButtonLeft, px, py);
  }
  TGLMenu* Menu() { return Form.MissionFlow()->Menu(); }
  // From the intro, after its second of black, to the mission screen drawn once.
  void SkipIntro() {
    Run(70);
    ASSERT_EQ(Menu()->Screen, TScreen::Intro);
    Form.MouseDown(MouseButtonLeft, 5, 5);
    Run(1);
    Form.MouseUp(MouseButtonLeft, 5, 5);
    ASSERT_EQ(Menu()->Screen, TScreen::MissionScreen);
    Run(1);
  }
  // Draws one frame of the current screen and reads it back.
  void Capture() {
    OnRender();
    const std::string shot = Dir / "menu.png";
    ASSERT_TRUE(Form.SaveScreenshot(shot));
    Image = ReadPng(shot);
  }
  // Mean brightness (0..765) over a rectangle of the menu plane 10 units ahead.
  double Brightness(float x0, float y0, float x1, float y1) const {
    int px0, py0, px1, py1;
    ViewPixel(x0, y0, -MenuViewDistance, px0, py0);
    ViewPixel(x1, y1, -MenuViewDistance, px1, py1);
    double sum = 0;
    int count = 0;
    for (int y = std::min(py0, py1); y <= std::max(py0, py1); ++y)
      for (int x = std::min(px0, px1); x <= std::max(px0, px1); ++x) {
        const uint8_t* p = &Image.Pixels[(static_cast<size_t>(y) * Image.Width + x) * 4];
        sum += p[0] + p[1] + p[2];
        ++count;
      }
    return count ? sum / count : 0;
  }

  TTempDir Dir;
  TFixedStepClock Clock{16};
  TScriptedInput Keys;
  TConfig SavedConfig{};
  TMainForm Form;
  TRgbaImage Image;
};

TEST_F(MenuWindow, FromTheIntroIntoAMissionAndBackOutWithEscapeAndYes) {
  Open(0, 320, 240);
  SkipIntro();
  Click(*Menu()->BtnStart.Sprite);
  Run(1);
  TLevel* level = Form.MissionFlow()->Level();
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->Mission, 1);
  EXPECT_EQ(Menu(), nullptr);
  Run(3);
  Keys.Press(VK::Escape);
  Run(2);
  Keys.Release(VK::Escape);
  ASSERT_TRUE(level->Paused());
  Run(1);  // the question drawn, so its buttons know where they are
  Click(*level->Hud->QuitYesButton);
  Run(2);
  EXPECT_EQ(Form.MissionFlow()->Level(), nullptr);
  ASSERT_NE(Menu(), nullptr);
  EXPECT_EQ(Menu()->Screen, TScreen::MissionScreen);
  EXPECT_TRUE(CursorShown());
  // Nothing the mission left in the drawing state shows: the briefing panel is black, the
  // clouds and the buttons are drawn.
  Capture();
  EXPECT_LT(Brightness(0.5f, -1.2f, 4.0f, -2.0f), 1.0);
  const double clouds = Brightness(-1.6f, -2.4f, -0.4f, -3.0f);
  EXPECT_GT(clouds, 5.0);
  EXPECT_GT(Brightness(-4.9f, -3.45f, -4.1f, -3.75f), clouds + 20.0);
}

// The mission screen's parts where they belong: the title's last glyph (English "Mission 1" is
// two glyphs longer than Slovak "Misia 1"), the black briefing panel under the clouds and the
// button frames.
class MissionScreenPixels : public MenuWindow, public ::testing::WithParamInterface<uint8_t> {};

TEST_P(MissionScreenPixels, ShowTitleBriefingPanelAndButtons) {
  const uint8_t language = GetParam();
  Open(language, 640, 480);
  SkipIntro();
  Capture();
  ASSERT_EQ(Image.Width, 640);
  // Glyph 8 of the title ("1" in English) spans x 3.2 .. 3.7; the Slovak title ends before.
  const double titleEnd = Brightness(3.25f, 2.95f, 3.6f, 2.55f);
  const double aboveTitle = Brightness(3.25f, 3.6f, 3.6f, 3.2f);
  if (language == 0)
    EXPECT_GT(titleEnd, aboveTitle + 60.0);
  else
    EXPECT_LT(titleEnd, aboveTitle + 15.0);
  // The panel below mission 1's seven briefing lines is black; the clouds beside it are not.
  EXPECT_LT(Brightness(0.5f, -1.2f, 4.0f, -2.0f), 1.0);
  EXPECT_GT(Brightness(-1.6f, -1.2f, -0.4f, -2.0f), 5.0);
  // Start and Exit frames stand out from the clouds around them.
  const double clouds = Brightness(-1.6f, -2.4f, -0.4f, -3.0f);
  EXPECT_GT(Brightness(-4.9f, -3.45f, -4.1f, -3.75f), clouds + 20.0);
  EXPECT_GT(Brightness(4.1f, -3.45f, 4.9f, -3.75f), clouds + 20.0);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, MissionScreenPixels, ::testing::Values(0, 1));

// --- The window beyond the original: focus, screenshots, Alt+Enter, pads, any aspect.

class WindowExtras : public MenuWindow {
protected:
  void TearDown() override {
    SetGamepadOverride(nullptr);
    MenuWindow::TearDown();
  }
  TLevel* StartMissionOne() {
    SkipIntro();
    Click(*Menu()->BtnStart.Sprite);
    Run(4);
    return Form.MissionFlow()->Level();
  }
};

TEST_F(WindowExtras, LosingFocusInAMissionAsksThePauseQuestion) {
  Open(0, 320, 240);
  TLevel* level = StartMissionOne();
  ASSERT_NE(level, nullptr);
  ASSERT_FALSE(level->Paused());
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  Run(1);
  EXPECT_TRUE(level->Paused());
  // A second loss while the question shows changes nothing; No resumes as it always does.
  Form.FocusLost();
  EXPECT_TRUE(level->Paused());
  level->QuitNo();
  EXPECT_FALSE(level->Paused());
}

TEST_F(WindowExtras, ScreenshotKeySavesTheFrameShownAndSaysSo) {
  SetUserDir(Dir.Str());
  Open(0, 320, 240);
  TLevel* level = StartMissionOne();
  ASSERT_NE(level, nullptr);
  Keys.Press(VK::F12);
  OnRender();  // one frame, not yet swapped
  const std::string shown = Dir / "shown.png";
  ASSERT_TRUE(Form.SaveScreenshot(shown));
  Keys.Release(VK::F12);
  const std::string path = Form.MissionFlow()->LastScreenshot();
  EXPECT_EQ(path, Dir / "screenshots/quintara-0001.png");
  ASSERT_TRUE(fs::exists(path));
  const TRgbaImage saved = ReadPng(path), back = ReadPng(shown);
  EXPECT_EQ(saved.Width, 320);
  EXPECT_EQ(saved.Pixels, back.Pixels);
  EXPECT_GT(level->Hud->NoticeTimer(), 1000);
  EXPECT_NE(level->Hud->NoticeLabel->Caption.find("quintara-0001.png"), std::string::npos);
  // Held down, the key takes one shot; the next press takes the next number.
  Run(3);
  Keys.Press(VK::F12);
  Run(1);
  Keys.Release(VK::F12);
  EXPECT_EQ(Form.MissionFlow()->LastScreenshot(), Dir / "screenshots/quintara-0002.png");
  SetAppDir(QUINTARA_GAME_DIR);
}

TEST(FullScreenToggle, OnlyAltEnterWithoutOtherModifiersOrRepeat) {
  EXPECT_TRUE(IsFullScreenToggle(SDLK_RETURN, KMOD_LALT, false));
  EXPECT_TRUE(IsFullScreenToggle(SDLK_KP_ENTER, KMOD_RALT | KMOD_NUM, false));
  EXPECT_FALSE(IsFullScreenToggle(SDLK_RETURN, KMOD_LALT, true));
  EXPECT_FALSE(IsFullScreenToggle(SDLK_RETURN, KMOD_NONE, false));
  EXPECT_FALSE(IsFullScreenToggle(SDLK_RETURN, KMOD_LALT | KMOD_LCTRL, false));
  EXPECT_FALSE(IsFullScreenToggle(SDLK_SPACE, KMOD_LALT, false));
}

TEST_F(WindowExtras, AltEnterTogglesAndTheViewportFollows) {
  Open(0, 640, 480);
  ASSERT_FALSE(Form.IsFullScreen());
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.keysym.sym = SDLK_RETURN;
  event.key.keysym.mod = KMOD_LALT;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  Run(1);
  EXPECT_TRUE(Form.IsFullScreen());
  // The projection is never stretched, whatever size the toggle gave.
  EXPECT_NEAR(ProjectionMatrix[0] * ScreenWidth, ProjectionMatrix[5] * ScreenHeight, 1.0f);
  Form.ToggleFullScreen();
  EXPECT_FALSE(Form.IsFullScreen());
  EXPECT_NEAR(ProjectionMatrix[0] * ScreenWidth, ProjectionMatrix[5] * ScreenHeight, 1.0f);
}

TEST_F(WindowExtras, PadMovesTheMenuHighlightAndAStarts) {
  Open(0, 320, 240);
  SkipIntro();
  TGamepadState pad;
  pad.Pads = 1;
  SetGamepadOverride(&pad);
  Run(1);
  EXPECT_EQ(Menu()->PadFocus.Selected(), nullptr);
  auto tap = [&](TPadButton b) {
    pad.PadButtons[static_cast<int>(b)] = true;
    Run(1);
    pad.PadButtons[static_cast<int>(b)] = false;
    Run(1);
  };
  tap(TPadButton::DPadRight);  // the first touch shows the highlight on Start
  EXPECT_EQ(Menu()->PadFocus.Selected(), Menu()->BtnStart.Sprite);
  EXPECT_LT(Menu()->BtnStart.Sprite->Color[2], 1.0f);
  tap(TPadButton::DPadRight);  // the nearest button shown to its right
  TGLSprite* beside = Menu()->PadFocus.Selected();
  ASSERT_NE(beside, nullptr);
  EXPECT_NE(beside, Menu()->BtnStart.Sprite);
  EXPECT_GT(beside->X, Menu()->BtnStart.Sprite->X);
  EXPECT_FLOAT_EQ(Menu()->BtnStart.Sprite->Color[2], 1.0f);
  // A stick push counts as the d-pad does.
  pad.PadAxes[static_cast<int>(TPadAxis::LeftX)] = -0.9f;
  Run(1);
  pad.PadAxes[static_cast<int>(TPadAxis::LeftX)] = 0;
  Run(1);
  EXPECT_EQ(Menu()->PadFocus.Selected(), Menu()->BtnStart.Sprite);
  EXPECT_FLOAT_EQ(beside->Color[2], 1.0f);
  tap(TPadButton::A);
  TLevel* level = Form.MissionFlow()->Level();
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->Mission, 1);

  // The pause question by pad: B answers No.
  Run(2);
  level->RequestPause();
  Run(1);
  ASSERT_TRUE(level->Paused());
  tap(TPadButton::B);
  EXPECT_FALSE(level->Paused());
}

// The mission screen at 4:3, 16:9 and 21:9: nothing stretched, Start and Exit inside the screen
// and drawn, the title's first glyph drawn.
class MenuAspects : public MenuWindow, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(MenuAspects, MissionScreenFitsUnstretched) {
  const auto [width, height] = GetParam();
  Open(0, width, height);
  SkipIntro();
  Capture();
  ASSERT_EQ(Image.Width, width);
  EXPECT_NEAR(ProjectionMatrix[0] * ScreenWidth, ProjectionMatrix[5] * ScreenHeight, 1.0f);
  for (const TGLSprite* button : {Menu()->BtnStart.Sprite, Menu()->BtnExit.Sprite}) {
    int left = 0, right = 0, top = 0, bottom = 0;
    ViewPixel(button->X - ButtonWidth, button->Y + ButtonHeight, -MenuViewDistance, left, top);
    ViewPixel(button->X + ButtonWidth, button->Y - ButtonHeight, -MenuViewDistance, right, bottom);
    EXPECT_GE(left, 0);
    EXPECT_LE(right, width);
    EXPECT_GE(top, 0);
    EXPECT_LE(bottom, height);
  }
  const double clouds = Brightness(-1.6f, -2.4f, -0.4f, -3.0f);
  EXPECT_GT(Brightness(-4.9f, -3.45f, -4.1f, -3.75f), clouds + 20.0);
  EXPECT_GT(Brightness(4.1f, -3.45f, 4.9f, -3.75f), clouds + 20.0);
}

INSTANTIATE_TEST_SUITE_P(ThreeShapes, MenuAspects,
                         ::testing::Values(std::pair{640, 480}, std::pair{1280, 720}, std::pair{2560, 1080}));

// --- Direct starts from the command line.

int RunQuintara(std::vector<const char*> args) {
  args.insert(args.begin(), "quintara");
  return RunProgram(static_cast<int>(args.size()), args.data());
}

// A game directory of links to the forged data, with a Player/ of its own.
void LinkGameDir(const TTempDir& dir) {
  const fs::path game = QUINTARA_GAME_DIR;
  for (const char* sub : {"textures", "Sound", "shader"}) fs::create_directory_symlink(game / sub, dir.Path / sub);
  fs::create_directories(dir.Path / "Data");
  fs::create_directories(dir.Path / "Player");
  for (const fs::directory_entry& entry : fs::directory_iterator(game / "Data"))
    if (entry.path().filename() != "player.cfg")
      fs::create_symlink(entry.path(), dir.Path / "Data" / entry.path().filename());
}

TEST(DirectStart, AHeadlessMissionRunPrintsItsResultLineWhenItStops) {
  if (!DataForged()) GTEST_SKIP() << "no data forged";
  testing::internal::CaptureStdout();
  ASSERT_EQ(RunQuintara({"--headless", "--mission", "2", "--frames", "20", "--fixed-step", "16", "--seed", "1",
                         "--dir", QUINTARA_GAME_DIR}),
            0);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("result mission=2 outcome=unfinished phase="), std::string::npos) << out;
  EXPECT_NE(out.find(" frames=20"), std::string::npos) << out;
}

TEST(DirectStart, PlayerMakesANewProfileAndAnIntroRunPrintsNoResult) {
  if (!DataForged()) GTEST_SKIP() << "no data forged";
  TTempDir dir;
  LinkGameDir(dir);
  testing::internal::CaptureStdout();
  ASSERT_EQ(RunQuintara({"--headless", "--player", "Ann", "--frames", "10", "--fixed-step", "16", "--dir",
                         dir.Path.c_str()}),
            0);
  EXPECT_EQ(testing::internal::GetCapturedStdout().find("result"), std::string::npos);
  const TPlayerRecord record = ReadProfile(dir / "Player/Ann");
  EXPECT_EQ(record.Progress, 1);
  EXPECT_EQ(GetShortString(record.Name, sizeof record.Name), "Ann");
  EXPECT_FALSE(fs::exists(dir / "Data/player.cfg"));  // the launcher's last player stays as it was
}

}  // namespace
