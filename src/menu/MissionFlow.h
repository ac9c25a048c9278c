// MissionFlow.h — TMissionFlow: owns either the menu or the running mission and hands over
// between them. The game window's frame function is the flow's; it runs the screen's frame and
// then, outside any call of the screen itself, acts on what the screen asked for: a mission to
// start (the menu's Start or Again) or a mission that has ended (its Outcome), after which the
// level is freed and a fresh menu shows the results or, after a quit, the mission screen.
#pragma once

#include "core/ReplayFile.h"
#include "levels/ComputerPilot.h"
#include "levels/ControlRecording.h"
#include "levels/KeyboardControls.h"
#include "levels/LevelUnit.h"
#include "levels/PassTimes.h"
#include "menu/PadFocus.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TGLMenu;

struct TMissionFlowOptions {
  bool Report = false;            // print the result line when the run stops
  bool ExitAfterMission = false;  // close the window once a mission has ended and is recorded
  bool PaceMenus = false;         // sleep menu frames down to about 60 a second
  bool Bot = false;               // the computer pilot flies the player's aircraft
  bool LoadTime = false;          // print how long each mission took from Start to its first frame
  bool PassTimes = false;         // time every pass of the missions' frames; the table at the end
  std::string RecordPath;         // write the mission's controls and frame times here
  // Play this recording back instead of any live controls: its seed, its frame times, its
  // controls, and the mission stops where the recording ends. Must outlive the flow.
  const TReplay* Replay = nullptr;
  int32_t Step = 0;               // the fixed frame step of this run (0: the real clock)
};

// What the result line reports of a mission: taken from the running level, or kept from the
// moment it ended.
struct TMissionResult {
  int32_t Mission = 0;
  TOutcome Outcome = TOutcome::Running;
  int32_t Phase = 0;
  int32_t Lives = 0;
  int32_t Accuracy = 0;
  int64_t Frames = 0;
  uint64_t Hash = 0;  // of the whole world as it stood (WorldHash)
};

TMissionResult TakeResult(const TLevel& level);
// "result mission=N outcome=success|failure|unfinished phase=P lives=L accuracy=A frames=F
// hash=H"; a quit counts as unfinished.
std::string ResultLine(const TMissionResult& result);

class TMissionFlow {
public:
  using TSwap = std::function<void()>;
  // Saves the frame drawn (before the swap) as a PNG; false, after its message, when it cannot.
  using TScreenshotSaver = std::function<bool(const std::string& path)>;

  // swap shows the back buffer (the loading bar is drawn outside the frame loop).
  TMissionFlow(const TMissionFlowOptions& options, TSwap swap);
  // Prints the result line when asked to and a mission was played, then frees the screen.
  ~TMissionFlow();
  TMissionFlow(const TMissionFlow&) = delete;
  TMissionFlow& operator=(const TMissionFlow&) = delete;

  // A fresh menu on its intro. Throws TFileError naming what the menu could not load.
  void ShowIntro();
  // Mission CurrentLevel, as if started from the mission screen. False, after a message, when
  // it cannot be loaded; a menu on the mission screen is shown then.
  bool StartMission();
  // The window's frame function.
  void Frame();
  // The screenshot key saves the mission's frame through this (none: the key does nothing).
  void SetScreenshotSaver(TScreenshotSaver saver) { SaveShot = std::move(saver); }
  // The window lost focus: a running mission shows its pause question.
  void FocusLost();
  // Where the last screenshot went; empty before the first.
  const std::string& LastScreenshot() const { return ShotPath; }

  TGLMenu* Menu() const { return MenuScreen.get(); }
  TLevel* Level() const { return CurrentMission.get(); }
  bool MissionPlayed() const { return Played; }
  // The running mission's result, or the last one that ended.
  TMissionResult Result() const;

private:
  void InstallFrame();
  void NewMenu();
  void EndMission();
  void PaceMenuFrame();
  void Report();
  void LoadControls();
  TControlSource& ChooseInput(TLevel& level);
  void SaveRecording();
  void EndReplay();
  void CompareReplay() const;
  void TakeScreenshot();
  void ReportLoadTime();
  void AnswerByPad();

  TMissionFlowOptions Options;
  TSwap Swap;
  std::unique_ptr<TGLMenu> MenuScreen;
  std::unique_ptr<TLevel> CurrentMission;
  TKeyboardControls Keyboard;
  std::unique_ptr<TComputerPilot> Pilot;
  TPassTimes PassTimes;
  std::unique_ptr<TRecordingControls> Recorder;
  std::unique_ptr<TReplayControls> ReplayInput;
  std::unique_ptr<TReplayClock> ReplayClock;
  TMissionResult LastResult;
  TScreenshotSaver SaveShot;
  std::string ShotPath;
  bool ShotHeld = true;  // the key must be let go between shots
  TPadFocus QuestionFocus;  // the pad's highlight over the pause question's buttons
  bool Played = false;
  bool Reported = false;
  // System clock counts: when the next paced menu frame is due, and when the last one ended.
  int64_t NextMenuFrame = -1;
  int64_t LastPacedEnd = -1;
  int64_t LoadStarted = -1;  // system clock count at the latest Start, until its first frame
};
