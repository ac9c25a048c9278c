// SetUnit.h — the settings dialog's logic: start-up loading of the settings, display modes and
// capabilities, and the mapping between the record and the dialog's controls.
#pragma once

#include "core/ConfigUnit.h"
#include "platform/SettingsDialog.h"

#include <memory>
#include <string>
#include <vector>

// The controls as they show `config`; `previous` keeps a shadows selection that no line fits.
TSettingsControls ControlsFromConfig(const TConfig& config, const std::vector<std::string>& modeLines,
                                     bool bumpSupported, const TSettingsControls& previous);
// The record after OK; fields without a control (UseMouse, padding) keep their values.
TConfig ConfigFromControls(const TSettingsControls& controls, const TConfig& config);

class TSetForm {
public:
  // Start-up: display modes, extensions from the current context (none when `extensions` is
  // null), then config.cfg. Shows a message and keeps the defaults when the file is unreadable.
  void FormCreate(const std::vector<TDisplayMode>& systemModes, const char* extensions,
                  TProcLookup lookup);

  // Shows the dialog modally; OK saves the record to config.cfg. Needs a display.
  void ShowModal();

  std::vector<std::string> ModeLines;
  std::unique_ptr<TSettingsDialog> Dialog;  // made on first use

private:
  void Show();
  void Save();
  TSettingsControls Shown;
};
