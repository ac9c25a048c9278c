// SetUnit.cpp — settings: loading at start-up, showing and saving.
#include "app/SetUnit.h"

#include "core/Error.h"
#include "core/UserFiles.h"
#include "core/Globals.h"
#include "platform/Message.h"

namespace {

constexpr int MusicOffset = 700;  // the track bar's 0 is 7 dB below full volume
constexpr int SoundOffset = 500;
constexpr int ShadowSizes[4] = {0, 64, 128, 256};

int ShadowsLine(const TConfig& config, int previous) {
  if (config.Shadows == 0) return 0;
  for (int line = 1; line < 4; ++line)
    if (config.ShadowMapSize == ShadowSizes[line]) return line;
  return previous;
}

}  // namespace

TSettingsControls ControlsFromConfig(const TConfig& config, const std::vector<std::string>& modeLines,
                                     bool bumpSupported, const TSettingsControls& previous) {
  TSettingsControls c;
  c.ModeLines = modeLines;
  c.ModeIndex = config.DisplayMode < modeLines.size() ? config.DisplayMode : -1;
  c.BumpEnabled = bumpSupported;
  c.BumpChecked = bumpSupported && config.BumpMapping != 0;
  c.ShadowsIndex = ShadowsLine(config, previous.ShadowsIndex);
  c.FilterIndex = config.Trilinear == 1 ? 1 : 0;
  c.LanguageSlovak = config.Language == 1;
  c.MusicPosition = config.MusicVolume + MusicOffset;
  c.SoundPosition = config.SoundVolume + SoundOffset;
  c.MouseSensitivity = config.MouseSensitivity;
  c.InvertY = config.InvertY != 0;
  return c;
}

TConfig ConfigFromControls(const TSettingsControls& c, const TConfig& config) {
  TConfig out = config;
  out.DisplayMode = static_cast<uint8_t>(c.ModeIndex >= 0 && c.ModeIndex <= 255 ? c.ModeIndex : 0);
  out.BumpMapping = c.BumpChecked ? 1 : 0;
  if (c.ShadowsIndex >= 0 && c.ShadowsIndex < 4) {
    out.Shadows = c.ShadowsIndex == 0 ? 0 : 1;
    out.ShadowMapSize = ShadowSizes[c.ShadowsIndex];
  }
  out.Trilinear = c.FilterIndex == 1 ? 1 : 0;
  out.Language = c.LanguageSlovak ? 1 : 0;
  out.MusicVolume = c.MusicPosition - MusicOffset;
  out.SoundVolume = c.SoundPosition - SoundOffset;
  out.MouseSensitivity = c.MouseSensitivity;
  out.InvertY = c.InvertY ? 1 : 0;
  return out;
}

void TSetForm::FormCreate(const std::vector<TDisplayMode>& systemModes, const char* extensions,
                          TProcLookup lookup) {
  DisplayModes = FilterDisplayModes(systemModes);
  ModeLines.clear();
  for (const TDisplayMode& mode : DisplayModes) ModeLines.push_back(DisplayModeLine(mode));
  DetectCapabilities(extensions, lookup);
  try {
    LoadConfig(ConfigPath(TFileUse::Read), Config);
  } catch (const TFileError& e) {
    Config = DefaultConfig();
    ShowMessage(std::string(e.what()) + "\nThe default settings are used.");
  }
  ClampDisplayMode(Config, DisplayModes.size());
  Show();
}

void TSetForm::Show() {
  Shown = ControlsFromConfig(Config, ModeLines, BumpSupported, Shown);
  if (Dialog) Dialog->SetControls(Shown);
}

void TSetForm::Save() {
  Config = ConfigFromControls(Dialog->Controls(), Config);
  try {
    SaveConfig(ConfigPath(TFileUse::Write), Config);
  } catch (const TFileError& e) {
    ShowMessage(std::string("The settings could not be saved.\n") + e.what());
  }
  Show();
}

void TSetForm::ShowModal() {
  if (!Dialog) Dialog = std::make_unique<TSettingsDialog>();
  Dialog->SetControls(Shown);
  if (Dialog->RunModal())
    Save();
  else
    Show();
}
