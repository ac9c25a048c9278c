// StartUnit.cpp — the launcher's handlers and the profile files they touch.
#include "app/StartUnit.h"

#include "app/SetUnit.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/PlayerProfile.h"
#include "core/UserFiles.h"
#include "core/TextCodec.h"
#include "platform/Message.h"

#include <algorithm>

TStartForm::TStartForm(TSetForm& settings) : Settings(settings) {
  Dialog.OnStart = [this] { StartButtonClick(); };
  Dialog.OnPlayer = [this] { PlayerButtonClick(); };
  Dialog.OnSettings = [this] { SetButtonClick(); };
  Dialog.OnExit = [this] { EndButtonClick(); };
}

void TStartForm::FormCreate() {
  std::string last;
  try {
    last = ReadLastPlayer(LastPlayerPath(TFileUse::Read));
  } catch (const TFileError&) {
    // An unreadable player.cfg is the same as none: choose a player again.
  }
  if (last.empty() || !PlayerNameProblem(last).empty() || !FileExists(ProfilePath(last, TFileUse::Read))) {
    ClearPlayer();
    return;
  }
  SetPlayer(last);
}

bool TStartForm::Run() {
  Started = false;
  SetMessageSink([](const std::string& text) { DialogAlert(text); });
  Dialog.Show();
  RunDialogs();
  SetMessageSink({});
  return Started;
}

void TStartForm::StartButtonClick() {
  if (!HasPlayer) return;
  try {
    PlayerRecord = ReadProfile(ProfilePath(Name, TFileUse::Read));
  } catch (const TFileError& e) {
    ShowMessage(std::string("The player's profile cannot be read.\n") + e.what());
    return;
  }
  // A damaged progress byte would point the menu past the last mission.
  CurrentLevel = std::clamp<int>(PlayerRecord.Progress, FirstMission, LastMission);
  Started = true;
  Dialog.Hide();
}

void TStartForm::PlayerButtonClick() {
  std::optional<std::string> chosen = Dialog.ChooseProfile(PlayerDirPath(TFileUse::Write));
  if (chosen) ChoosePlayer(*chosen);
}

void TStartForm::SetButtonClick() { Settings.ShowModal(); }

void TStartForm::EndButtonClick() {
  Started = false;
  Dialog.Hide();
}

bool TStartForm::ChoosePlayer(const std::string& chosenPath) {
  std::optional<std::string> name = Utf8ToCp1250(BarePlayerName(chosenPath));
  if (!name) {
    ShowMessage("The player's name can only use letters of the Central European alphabet.");
    return false;
  }
  if (std::string problem = PlayerNameProblem(*name); !problem.empty()) {
    ShowMessage(problem);
    return false;
  }
  // Profiles always live in Player/, whatever directory the dialog was in: Start looks there.
  try {
    if (!FileExists(ProfilePath(*name, TFileUse::Read))) {
      TPlayerRecord record{};
      SetShortString(record.Name, *name);
      record.Progress = FirstMission;
      WriteProfile(ProfilePath(*name, TFileUse::Write), record);
    }
    WriteLastPlayer(LastPlayerPath(TFileUse::Write), *name);
  } catch (const TFileError& e) {
    ShowMessage(std::string("The player could not be saved.\n") + e.what());
    return false;
  }
  SetPlayer(*name);
  return true;
}

void TStartForm::SetPlayer(const std::string& name) {
  Name = name;
  HasPlayer = true;
  Dialog.SetPlayerCaption(Cp1250ToUtf8(name));
  Dialog.SetStartEnabled(true);
}

void TStartForm::ClearPlayer() {
  Name.clear();
  HasPlayer = false;
  Dialog.SetPlayerCaption("");
  Dialog.SetStartEnabled(false);
}
