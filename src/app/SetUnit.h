// SetUnit.h — the settings dialog's logic: start-up loading of the settings, display modes and
// capabilities, and the mapping between the record and the dialog's controls.
#pragma once

#include "app/BindingsEditor.h"
#include "core/ConfigUnit.h"
#include "core/DisplaySettings.h"
#include "platform/SettingsDialog.h"

#include <memory>
#include <string>
#include <vector>

// The controls as they show `config`; `previous` keeps a shadows selection that no line fits.
TSettingsControls ControlsFromConfig(const TConfig& config, const std::vector<std::string>& modeLines,
                                     bool bumpSupported, const TSettingsControls& previous);
// The record after OK; fields without a control (UseMouse, padding) keep their values.
TConfig ConfigFromControls(const TSettingsControls& controls, const TConfig& config);
// The display row: full screen or a window, its size one of `sizes` (a size not among them is
// added, so the player's own stays selectable).
void ShowDisplay(const TDisplaySettings& display, std::vector<TWindowSize> sizes, TSettingsControls& controls);
TDisplaySettings DisplayFromControls(const TSettingsControls& controls, const TDisplaySettings& display);

class TSetForm {
public:
  // Start-up: display modes, extensions from the current context (none when `extensions` is
  // null), then config.cfg. Shows a message and keeps the defaults when the file is unreadable.
  // The desktop's size (0 when unknown) picks the window sizes offered.
  void FormCreate(const std::vector<TDisplayMode>& systemModes, const char* extensions,
                  TProcLookup lookup, int desktopWidth = 0, int desktopHeight = 0);

  // Shows the dialog modally; OK saves the record to config.cfg, the bindings to controls.cfg
  // and the display choice to display.cfg. Needs a display.
  void ShowModal();

  std::vector<std::string> ModeLines;
  std::vector<TWindowSize> WindowSizes;  // offered for a window: common sizes and the desktop's
  TDisplaySettings Display;               // as display.cfg has it
  TBindingsEditor BindingsEdit;           // the Controls page's working copy
  std::unique_ptr<TSettingsDialog> Dialog;  // made on first use

private:
  void Show();
  void Save();
  void LoadPlayerFiles();
  TSettingsControls Shown;
};
