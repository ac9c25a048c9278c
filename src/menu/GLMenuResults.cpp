// GLMenuResults.cpp — the results screen after a mission: the next mission unlocked in the
// profile, the outcome and the shot accuracy, with OK (on to the briefing or the ending) and
// Again (the mission just played).
#include "menu/GLMenuUnit.h"

#include "core/Error.h"
#include "core/Globals.h"
#include "core/PlayerProfile.h"
#include "core/TextCodec.h"
#include "menu/TextConstants.h"
#include "platform/GLTable.h"
#include "render/GLTextUnit.h"

#include <algorithm>

namespace {

constexpr int32_t EndingAfter = LastMission + 1;  // CurrentLevel after the last mission is won

// Shown when the profile cannot be written; the texts of the tables have no such line.
std::string SaveFailedText() {
  const char* utf8 = TextLanguage == 0 ? "Your progress could not be saved." : "Postup sa nepodarilo uložiť.";
  return Utf8ToCp1250(utf8).value_or("");
}

}  // namespace

void TGLMenu::ShowResult() {
  // A won mission has already moved CurrentLevel on, so the next one is unlocked exactly once,
  // and nothing past the last mission ever is.
  if (PlayerRecord.Progress < CurrentLevel && CurrentLevel <= LastMission) {
    PlayerRecord.Progress = static_cast<uint8_t>(std::min<int>(PlayerRecord.Progress + 1, LastMission));
    SaveProgress();
  }
  GL.ClearColor(0, 0, 0, 0);
  HideAll();
  ShowButton(BtnContinue, true);
  ShowButton(BtnAgain, true);
  OutcomeLabel->Caption = TextTable[MissionSuccess ? TextSuccess : TextFailure];
  OutcomeLabel->Visible = true;
  AccuracyLabel->Caption = TextTable[TextAccuracy] + std::to_string(ShotAccuracy) + "%";
  AccuracyLabel->Visible = true;
  SaveErrorLabel->Caption = SaveError.empty() ? "" : SaveFailedText();
  SaveErrorLabel->Visible = !SaveError.empty();
  Install(TScreen::Result, TRenderHandler::Bind<&TGLMenu::PlainFrame>(this));
}

void TGLMenu::SaveProgress() {
  SaveError.clear();
  const std::string name = GetShortString(PlayerRecord.Name, sizeof PlayerRecord.Name);
  // A run without a profile (no player chosen yet) keeps its progress for this run only.
  if (name.empty()) return;
  try {
    WriteProfile(PlayerDir + name, PlayerRecord);
  } catch (const TFileError& e) {
    SaveError = e.what();
  }
}

void TGLMenu::OnContinue() {
  StartIntroMusic();
  if (CurrentLevel < EndingAfter) {
    ShowMissionScreen();
    return;
  }
  CurrentLevel = LastMission;
  // The click on OK must not skip the story it opens.
  MouseButtons &= static_cast<uint8_t>(~(MouseLeftBit | MouseRightBit));
  ShowEnding();
}

void TGLMenu::OnAgain() {
  // A success has moved on to the next mission: go back to the one just won.
  if (MissionSuccess && CurrentLevel > 1) --CurrentLevel;
  StartMission();
}
