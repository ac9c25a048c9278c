// StartUnit.h — the launcher: the current player, creating or loading a profile, the settings
// and Start.
#pragma once

#include "platform/LauncherDialog.h"

#include <memory>
#include <string>

class TSetForm;

class TStartForm {
public:
  explicit TStartForm(TSetForm& settings);

  // Restores the last player from player.cfg (Start stays disabled without one).
  void FormCreate();
  // Shows the launcher and runs it; true when the player pressed Start with a loaded profile.
  bool Run();

  void StartButtonClick();
  void PlayerButtonClick();
  void SetButtonClick();
  void EndButtonClick();

  // The profile chosen in the file dialog (UTF-8 path): creates it in Player/ when new and
  // makes it the current player. False, after a message, when the name cannot be used.
  bool ChoosePlayer(const std::string& chosenPath);

  bool StartEnabled() const { return HasPlayer; }
  const std::string& LastPlayer() const { return Name; }  // cp1250

  TLauncherDialog Dialog;

private:
  void SetPlayer(const std::string& name);
  void ClearPlayer();

  TSetForm& Settings;
  std::string Name;
  bool HasPlayer = false;
  bool Started = false;
};
