// GLMenuUnit.h — TGLMenu: the screens drawn while no mission runs (intro, mission briefing,
// controls help, results, ending), their overlay objects and frame functions.
//
// One menu object exists between missions. Screens change by showing and hiding overlay
// objects and choosing the frame function that Frame() runs; every screen change clears
// OverlayValid so the click that caused it reaches nothing else. The menu never frees itself
// and never starts a mission on its own: Start and Again raise StartRequested, and the mission
// flow that owns the menu acts on it after the frame.
#pragma once

#include "core/RenderHandler.h"
#include "menu/PadFocus.h"

#include <array>
#include <cstdint>
#include <string>

class TGLLabel;
class TGLSprite;

// The last mission's outcome as the results screen shows it (set by the mission flow).
extern uint8_t MissionSuccess;
extern int64_t ShotAccuracy;  // percent

// Menu screen geometry and pacing, in the menu's space 10 units in front of the eye.
constexpr float ButtonWidth = 1.0f;
constexpr float ButtonHeight = 0.5f;
constexpr int StoryLineCount = 9;
constexpr int EndingLineCount = 6;
constexpr int BriefingLineCount = 10;
constexpr int InfoLineCount = 9;

class TGLMenu {
public:
  // Builds every overlay object hidden, the two display lists and loads the intro music; then
  // restarts the frame counter. Throws TFileError naming a missing picture or piece of music.
  TGLMenu();
  // Frees the overlay objects and the display lists. The intro music stays loaded: starting a
  // mission frees all audio.
  ~TGLMenu();
  TGLMenu(const TGLMenu&) = delete;
  TGLMenu& operator=(const TGLMenu&) = delete;

  // One frame of the screen shown.
  void Frame();

  void ShowIntro();
  void ShowEnding();
  void ShowMissionScreen();
  void ShowInfo();
  // After a mission: unlocks the next mission in the profile once, and shows the outcome.
  void ShowResult();

  // The buttons' handlers (the overlay's click dispatch calls them).
  void StartMission();
  void ExitGame();
  void OnContinue();
  void OnAgain();
  void OnNext();
  void OnPrev();
  void OnIntro();

  // Raised by Start and Again: the flow starts mission CurrentLevel after this frame.
  bool StartRequested = false;
  // Why the last profile write failed (shown on the results screen); empty when it worked.
  std::string SaveError;

  int32_t CloudsTexture = -1;
  uint32_t CloudsList = 0;  // TitleList is the next list
  uint32_t TitleList = 0;
  float CloudScroll = 0.0f;
  int32_t TitleTexture = -1;
  float TitlePulse = 0.5f;
  float TitlePulseSpeed = 0.0002f;
  int32_t IntroTimer = 0;
  float IntroZoomSpeed = 0.001f;
  int32_t IntroFadeDir = 1;
  TGLSprite* IntroPicture1 = nullptr;
  TGLSprite* IntroPicture2 = nullptr;
  std::array<TGLLabel*, StoryLineCount> StoryLabels{};
  std::array<TGLLabel*, EndingLineCount> EndingLabels{};
  TGLLabel* TitleLabel = nullptr;
  std::array<TGLLabel*, BriefingLineCount> BriefingLabels{};
  TGLLabel* OutcomeLabel = nullptr;
  TGLLabel* AccuracyLabel = nullptr;
  TGLLabel* SaveErrorLabel = nullptr;
  std::array<TGLLabel*, InfoLineCount> InfoLabels{};
  int32_t IntroMusic = -1;
  bool MusicStarted = false;

  struct TButton {
    TGLSprite* Sprite = nullptr;
    TGLLabel* Caption = nullptr;  // none for the arrows
  };
  TButton BtnStart, BtnExit, BtnInfo, BtnInfoOk, BtnContinue, BtnAgain, BtnNext, BtnPrev, BtnIntro;

  // Which frame function runs; for tests and the flow.
  enum class TScreen : uint8_t { None, Intro, MissionScreen, Info, Result, Ending };
  TScreen Screen = TScreen::None;
  // The pad's highlight over the screen's buttons.
  TPadFocus PadFocus;

private:
  void BuildLists();
  void CreateOverlay();
  TButton MakeButton(float x, float y, const char* image, const std::string& caption,
                     void (TGLMenu::*handler)());
  // Hides and disables every object; a screen then shows what it needs.
  void HideAll();
  static void ShowButton(TButton& button, bool show);
  void Install(TScreen screen, TRenderHandler frame);
  // The pad's moves, A and B over the buttons shown, after the screen's frame.
  void NavigateByPad();
  // Space, Enter, Escape or the left button skips a story.
  static bool SkipPressed();
  // Scrolls story lines up, fading them in over the middle of the screen and out above it.
  static void ScrollStory(TGLLabel* const* labels, int count, int32_t ms);
  void StartIntroMusic();
  // Writes the profile; on failure keeps the progress in memory and remembers the reason.
  void SaveProgress();

  void IntroFrame();
  void EndingFrame();
  void MissionScreenFrame();
  void PlainFrame();
  void DrawClouds(int32_t ms);
  void DrawTitle(int32_t ms);
  void DrawBriefingPanel() const;
  void LeaveIntro();
  void LeaveEnding();

  TRenderHandler ScreenFrame;
};

// The text table entry of mission n's title (its ten briefing lines follow it).
int MissionTitleEntry(int32_t mission);
