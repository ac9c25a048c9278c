// MissionScreen.cpp — starting, running and ending a mission in the game window.
#include "app/MissionScreen.h"

#include "core/Error.h"
#include "core/Globals.h"
#include "core/PlayerProfile.h"
#include "core/RenderHandler.h"
#include "levels/Level1Unit.h"
#include "levels/LevelHud.h"
#include "menu/TextConstants.h"
#include "platform/Input.h"
#include "platform/Message.h"
#include "render/GLSpriteUnit.h"
#include "render/GLVisualObjectUnit.h"

#include <algorithm>
#include <cstdio>

std::unique_ptr<TLevel> CreateMission(int32_t mission) {
  if (mission == 1) return std::make_unique<TLevel1>();
  // The other missions' phases are still to come: their worlds play without an ending.
  return std::make_unique<TLevel>(std::clamp(mission, FirstMission, LastMission));
}

TMissionScreen::TMissionScreen(int32_t mission, const TMissionScreenOptions& options, TSwap swap)
    : Mission(mission), Options(options), Swap(std::move(swap)) {}

TMissionScreen::~TMissionScreen() {
  if (OnRender.IsBoundTo(this)) OnRender = {};
  if (Options.Report && !Reported && Level) {
    std::printf("%s\n", ResultLine().c_str());
    std::fflush(stdout);
  }
  Level.reset();
  FreeOverlay();
  ShowCursor(true);
}

void TMissionScreen::Start() {
  Level = CreateMission(Mission);
  Level->Input = &Keyboard;
  Level->QuestionTexts = {TextTable[TextYes], TextTable[TextNo], TextTable[TextPauseQuestion]};
  ShowCursor(false);
  Level->Progress = [this](float fraction) {
    if (!Level->Hud) return;
    Level->Hud->DrawLoadingBar(fraction);
    if (Swap) Swap();
  };
  try {
    Level->LoadLevel();
  } catch (const TFileError&) {
    Level.reset();
    FreeOverlay();
    ShowCursor(true);
    throw;
  }
  Level->Progress = {};
  TLevel* level = Level.get();
  Level->Hud->QuitYesButton->OnMouseDown = [level](TGLSprite&, int) { level->QuitYes(); };
  Level->Hud->QuitNoButton->OnMouseDown = [level](TGLSprite&, int) { level->QuitNo(); };
  OnRender = TRenderHandler::Bind<&TMissionScreen::Frame>(this);
}

void TMissionScreen::Frame() {
  if (Finished) return;
  if (Level->Paused())
    Level->PauseFrame();
  else
    Level->MissionFrame();
  if (Level->Outcome != TOutcome::Running) Finish();
}

void TMissionScreen::Finish() {
  Finished = true;
  // A click that ended the mission must not reach anything else.
  OverlayValid = false;
  if (Level->Outcome == TOutcome::Success) RecordProgress();
  if (Options.Report) {
    std::printf("%s\n", ResultLine().c_str());
    std::fflush(stdout);
    Reported = true;
  }
  if (Options.ExitWhenDone) CloseGameWindow();
}

// As the results screen does: the next mission unlocked and kept in the profile, never past the
// last one and never lowered. A failed write is reported and the progress kept for this run.
void TMissionScreen::RecordProgress() const {
  const int32_t next = std::min(Mission + 1, LastMission);
  CurrentLevel = next;
  if (PlayerRecord.Progress >= next) return;
  PlayerRecord.Progress = static_cast<uint8_t>(next);
  const std::string name = GetShortString(PlayerRecord.Name, sizeof PlayerRecord.Name);
  if (name.empty()) return;
  try {
    WriteProfile(PlayerDir + name, PlayerRecord);
  } catch (const TFileError& e) {
    ShowMessage(std::string("Your progress could not be saved.\n") + e.what());
  }
}

std::string TMissionScreen::ResultLine() const {
  const char* outcome = "unfinished";
  if (Level && Level->Outcome == TOutcome::Success) outcome = "success";
  if (Level && Level->Outcome == TOutcome::Failure) outcome = "failure";
  char line[200];
  std::snprintf(line, sizeof line, "result mission=%d outcome=%s phase=%d lives=%d accuracy=%d frames=%lld", Mission,
                outcome, Level ? Level->Phase : 0, Level ? Level->Lives : 0,
                Level ? (Level->Outcome == TOutcome::Running ? Level->Accuracy() : Level->ShotAccuracy) : 0,
                static_cast<long long>(Level ? Level->Frames : 0));
  return line;
}
