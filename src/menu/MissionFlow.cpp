// MissionFlow.cpp — starting a mission from the menu, running it, and taking its outcome back
// to a fresh menu.
#include "menu/MissionFlow.h"

#include "core/Error.h"
#include "core/Globals.h"
#include "core/PlayerProfile.h"
#include "core/Random.h"
#include "core/UserFiles.h"
#include "levels/LevelHud.h"
#include "levels/MissionFactory.h"
#include "levels/WorldHash.h"
#include "menu/GLMenuUnit.h"
#include "menu/TextConstants.h"
#include "platform/Clock.h"
#include "platform/GLTable.h"
#include "platform/Gamepad.h"
#include "platform/Input.h"
#include "platform/Message.h"
#include "render/GLSpriteUnit.h"
#include "render/GLVisualObjectUnit.h"
#include "sound/SoundUnit.h"

#include <cstdio>

namespace {
// Menu frames are kept to about 60 a second when nothing else (vsync) holds them back: a menu
// has nothing to gain from more, and an idle menu should not keep a core busy.
constexpr double MenuFrameMs = 1000.0 / 60.0;
constexpr int32_t ScreenshotNoticeMs = 2000;  // how long "Screenshot saved" stays on screen
}  // namespace

TMissionResult TakeResult(const TLevel& level) {
  TMissionResult result;
  result.Mission = level.Mission;
  result.Outcome = level.Outcome;
  result.Phase = level.Phase;
  result.Lives = level.Lives;
  // The accuracy is settled when the mission ends; until then it is the one so far.
  result.Accuracy = level.Outcome == TOutcome::Running ? level.Accuracy() : level.ShotAccuracy;
  result.Frames = level.Frames;
  result.Hash = WorldHash(level);
  return result;
}

std::string ResultLine(const TMissionResult& result) {
  const char* outcome = "unfinished";
  if (result.Outcome == TOutcome::Success) outcome = "success";
  if (result.Outcome == TOutcome::Failure) outcome = "failure";
  char line[200];
  std::snprintf(line, sizeof line,
                "result mission=%d outcome=%s phase=%d lives=%d accuracy=%d frames=%lld hash=%016llx",
                result.Mission, outcome, result.Phase, result.Lives, result.Accuracy,
                static_cast<long long>(result.Frames), static_cast<unsigned long long>(result.Hash));
  return line;
}

TMissionFlow::TMissionFlow(const TMissionFlowOptions& options, TSwap swap)
    : Options(options), Swap(std::move(swap)) {
  LoadControls();
}

// The player's bindings, read once: what a damaged file cannot say falls back to the defaults,
// and the problems are shown once.
void TMissionFlow::LoadControls() {
  std::vector<TBindingProblem> problems;
  TBindings bindings = LoadBindings(BindingsPath(TFileUse::Read), problems);
  Keyboard.SetBindings(std::move(bindings));
  if (problems.empty()) return;
  std::string text = "Some control bindings could not be read; the defaults are used for them.";
  for (const TBindingProblem& problem : problems) text += "\n" + problem.Text();
  ShowMessage(text);
}

TMissionFlow::~TMissionFlow() {
  if (OnRender.IsBoundTo(this)) OnRender = {};
  SaveRecording();
  Report();
  if (Options.PassTimes && PassTimes.Frames > 0) std::printf("%s", PassTimes.Table().c_str());
  if (ReplayClock) SetActiveClock(nullptr);
  CurrentMission.reset();
  MenuScreen.reset();
  FreeOverlay();
  ShowCursor(true);
}

TMissionResult TMissionFlow::Result() const {
  return CurrentMission ? TakeResult(*CurrentMission) : LastResult;
}

void TMissionFlow::Report() {
  if (!Options.Report || Reported || !Played) return;
  std::printf("%s\n", ResultLine(Result()).c_str());
  std::fflush(stdout);
  Reported = true;
}

void TMissionFlow::InstallFrame() { OnRender = TRenderHandler::Bind<&TMissionFlow::Frame>(this); }

void TMissionFlow::NewMenu() {
  // The old screen goes first: its destructor empties the overlay list the new one fills.
  MenuScreen.reset();
  MenuScreen = std::make_unique<TGLMenu>();
  InstallFrame();
}

void TMissionFlow::ShowIntro() {
  NewMenu();
  MenuScreen->ShowIntro();
}

bool TMissionFlow::StartMission() {
  LoadStarted = SystemClock().QueryCounter();
  MenuScreen.reset();
  FreeAllAudio();
  OverlayValid = false;
  Keyboard.MouseTimer = 0;
  // A pad pulled out in the menus is no reason to pause the mission that starts now.
  ClearGamepadUnplugged();
  std::unique_ptr<TLevel> level = CreateMission(CurrentLevel);
  TLevel* loading = level.get();
  level->Input = &ChooseInput(*level);
  if (Options.PassTimes) level->PassTimes = &PassTimes;
  // The levels know no text tables: the question comes in the player's language from here.
  level->QuestionTexts = {TextTable[TextYes], TextTable[TextNo], TextTable[TextPauseQuestion]};
  ShowCursor(false);
  level->Progress = [this, loading](float fraction) {
    if (!loading->Hud) return;
    loading->Hud->DrawLoadingBar(fraction);
    if (Swap) Swap();
  };
  try {
    level->LoadLevel();
  } catch (const TFileError& e) {
    level.reset();
    FreeOverlay();
    ShowCursor(true);
    ShowMessage(std::string("The mission cannot be started.\n") + e.what());
    NewMenu();
    MenuScreen->ShowMissionScreen();
    return false;
  }
  level->Progress = {};
  level->Hud->QuitYesButton->OnMouseDown = [loading](TGLSprite&, int) { loading->QuitYes(); };
  level->Hud->QuitNoButton->OnMouseDown = [loading](TGLSprite&, int) { loading->QuitNo(); };
  CurrentMission = std::move(level);
  ShotHeld = true;
  QuestionFocus.Forget();
  Played = true;
  Reported = false;
  InstallFrame();
  return true;
}

// The controls of a mission: a recording played back (with its seed and its frame times), the
// computer pilot or the player's own, and any of them recorded on the way.
TControlSource& TMissionFlow::ChooseInput(TLevel& level) {
  Pilot.reset();
  Recorder.reset();
  ReplayInput.reset();
  TControlSource* source = &Keyboard;
  if (Options.Replay) {
    SetRandomSeed(Options.Replay->Seed);
    ReplayClock = std::make_unique<TReplayClock>(*Options.Replay);
    SetActiveClock(ReplayClock.get());
    ReplayInput = std::make_unique<TReplayControls>(*Options.Replay);
    source = ReplayInput.get();
  } else if (Options.Bot) {
    Pilot = std::make_unique<TComputerPilot>(level);
    source = Pilot.get();
  }
  if (Options.RecordPath.empty()) return *source;
  Recorder = std::make_unique<TRecordingControls>(*source, level.Mission, RandSeed, Options.Step);
  return *Recorder;
}

void TMissionFlow::SaveRecording() {
  if (!Recorder || !CurrentMission) return;
  try {
    Recorder->Save(Options.RecordPath, WorldHash(*CurrentMission));
  } catch (const TFileError& e) {
    ShowMessage(std::string("The recording could not be saved.\n") + e.what());
  }
  Recorder.reset();
}

// A replay stops where its recording stops, and says whether it came out as recorded.
void TMissionFlow::EndReplay() {
  CompareReplay();
  Report();
  CloseGameWindow();
}

void TMissionFlow::CompareReplay() const {
  if (!ReplayInput || !CurrentMission) return;
  const bool same = WorldHash(*CurrentMission) == Options.Replay->EndHash && ReplayInput->FirstMismatch() < 0;
  std::fprintf(stderr, "quintara: the replay %s the recording\n", same ? "matches" : "differs from");
}

void TMissionFlow::Frame() {
  try {
    if (CurrentMission) {
      if (CurrentMission->Paused()) {
        CurrentMission->PauseFrame();
        AnswerByPad();
      } else {
        CurrentMission->MissionFrame();
        TakeScreenshot();
        ReportLoadTime();
      }
      if (CurrentMission->Outcome != TOutcome::Running) {
        EndMission();
      } else if (ReplayInput && ReplayInput->Finished()) {
        EndReplay();
      }
      return;
    }
    if (!MenuScreen) return;
    MenuScreen->Frame();
    if (MenuScreen->StartRequested) {
      StartMission();
      return;
    }
    PaceMenuFrame();
  } catch (const TFileError& e) {
    // A menu whose pictures or music cannot be loaded: nothing left to show.
    ShowMessage(std::string("The game's data is incomplete.\n") + e.what());
    CloseGameWindow();
  }
}

// Once, after the mission's first frame: the time from Start until that frame was drawn (the
// driver is made to finish it, so a software renderer's queued work is counted).
void TMissionFlow::ReportLoadTime() {
  if (!Options.LoadTime || LoadStarted < 0) return;
  GL.Finish();
  TClockSource& clock = SystemClock();
  int64_t frequency = 0;
  if (clock.QueryFrequency(frequency) && frequency > 0) {
    const double ms = static_cast<double>(clock.QueryCounter() - LoadStarted) * 1000.0 / static_cast<double>(frequency);
    std::printf("load mission=%d ms=%.1f\n", CurrentMission->Mission, ms);
    std::fflush(stdout);
  }
  LoadStarted = -1;
}

// The frame just drawn, before the window swaps it: the file is what the player saw. The notice
// goes up afterwards, so it is not in the picture.
void TMissionFlow::TakeScreenshot() {
  const bool held = Keyboard.Held(TAction::Screenshot);
  const bool pressed = held && !ShotHeld;
  ShotHeld = held;
  if (!pressed || !SaveShot || !CurrentMission) return;
  const std::string path = NextScreenshotPath();
  if (!SaveShot(path)) return;
  ShotPath = path;
  if (CurrentMission->Hud) {
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    CurrentMission->Hud->ShowNotice("Screenshot saved: " + name, ScreenshotNoticeMs);
  }
}

// The pause question by pad: left and right choose, A answers, B is No (back to the mission).
void TMissionFlow::AnswerByPad() {
  TLevelHud* hud = CurrentMission->Hud.get();
  if (!hud) return;
  TGLSprite* const buttons[] = {hud->QuitNoButton, hud->QuitYesButton};
  const TPadCommand command = QuestionFocus.Update(ReadGamepads(), buttons);
  if (command == TPadCommand::None) return;
  TGLSprite* chosen = QuestionFocus.Selected();
  QuestionFocus.Reset();
  if (command == TPadCommand::Confirm && chosen == hud->QuitYesButton)
    CurrentMission->QuitYes();
  else
    CurrentMission->QuitNo();
}

void TMissionFlow::FocusLost() {
  if (CurrentMission) CurrentMission->RequestPause();
}

void TMissionFlow::EndMission() {
  SaveRecording();
  CompareReplay();
  LastResult = TakeResult(*CurrentMission);
  const TOutcome outcome = CurrentMission->Outcome;
  MissionSuccess = CurrentMission->MissionSuccess;
  ShotAccuracy = CurrentMission->ShotAccuracy;
  // 6 after the last mission: the results screen's OK then opens the ending.
  if (outcome == TOutcome::Success) CurrentLevel = CurrentMission->Mission + 1;
  CurrentMission.reset();
  FreeOverlay();
  ShowCursor(true);
  NewMenu();
  if (outcome == TOutcome::Quit)
    MenuScreen->ShowMissionScreen();
  else
    MenuScreen->ShowResult();
  if (!Options.ExitAfterMission) return;
  Report();
  CloseGameWindow();
}

// Frames are due on a fixed schedule, so that the time a sleep overshoots is taken off the
// next one; a frame later than a whole period starts the schedule afresh instead of hurrying.
// When the frame itself (drawing and the buffer swap, which waits for the display's refresh
// with vsync on) already takes most of a period, nothing is added: sleeping then could only
// miss a refresh.
void TMissionFlow::PaceMenuFrame() {
  if (!Options.PaceMenus) return;
  TClockSource& clock = SystemClock();
  int64_t frequency = 0;
  if (!clock.QueryFrequency(frequency) || frequency <= 0) return;
  const double ticksPerMs = static_cast<double>(frequency) / 1000.0;
  const int64_t period = static_cast<int64_t>(MenuFrameMs * ticksPerMs);
  const int64_t now = clock.QueryCounter();
  const bool heldBack = LastPacedEnd >= 0 && now - LastPacedEnd > period * 8 / 10;
  if (heldBack || NextMenuFrame < 0 || now - NextMenuFrame > period) NextMenuFrame = now;
  NextMenuFrame += period;
  const double wait = static_cast<double>(NextMenuFrame - now) / ticksPerMs;
  if (!heldBack && wait >= 1.0) SleepMs(static_cast<int32_t>(wait));
  LastPacedEnd = clock.QueryCounter();
}
