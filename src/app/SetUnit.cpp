// SetUnit.cpp — settings: loading at start-up, showing and saving.
#include "app/SetUnit.h"

#include "core/Error.h"
#include "core/UserFiles.h"
#include "core/Globals.h"
#include "platform/Message.h"

#include <algorithm>

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

void ShowDisplay(const TDisplaySettings& display, std::vector<TWindowSize> sizes, TSettingsControls& c) {
  c.Windowed = !display.FullScreen;
  const TWindowSize own{display.WindowWidth, display.WindowHeight};
  if (own.Width > 0 && own.Height > 0 && std::find(sizes.begin(), sizes.end(), own) == sizes.end())
    sizes.push_back(own);
  c.WindowSizeLines.clear();
  c.WindowSizeIndex = -1;
  for (const TWindowSize& size : sizes) {
    if (size == own) c.WindowSizeIndex = static_cast<int>(c.WindowSizeLines.size());
    c.WindowSizeLines.push_back(WindowSizeText(size.Width, size.Height));
  }
  // No size chosen yet: the largest common one that is not the whole desktop.
  if (c.WindowSizeIndex < 0 && !c.WindowSizeLines.empty())
    c.WindowSizeIndex = static_cast<int>(c.WindowSizeLines.size()) > 1 ? static_cast<int>(c.WindowSizeLines.size()) - 2 : 0;
}

TDisplaySettings DisplayFromControls(const TSettingsControls& c, const TDisplaySettings& display) {
  TDisplaySettings out = display;
  out.FullScreen = !c.Windowed;
  if (c.WindowSizeIndex >= 0 && c.WindowSizeIndex < static_cast<int>(c.WindowSizeLines.size())) {
    const TDisplaySettings parsed = ParseDisplaySettings("window = " + c.WindowSizeLines[c.WindowSizeIndex]);
    if (!parsed.FullScreen) {
      out.WindowWidth = parsed.WindowWidth;
      out.WindowHeight = parsed.WindowHeight;
    }
  }
  // A window needs a size: without one the choice stays full screen.
  if (out.WindowWidth <= 0 || out.WindowHeight <= 0) out.FullScreen = true;
  return out;
}

void TSetForm::FormCreate(const std::vector<TDisplayMode>& systemModes, const char* extensions,
                          TProcLookup lookup, int desktopWidth, int desktopHeight) {
  WindowSizes = WindowSizeChoices(desktopWidth, desktopHeight);
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
  LoadPlayerFiles();
  Show();
}

// The bindings' problems are shown when the game reads them; here a damaged line just shows
// as its defaults, which OK then writes back whole.
void TSetForm::LoadPlayerFiles() {
  std::vector<TBindingProblem> problems;
  BindingsEdit.Bindings = LoadBindings(BindingsPath(TFileUse::Read), problems);
  Display = LoadDisplaySettings(DisplayPath(TFileUse::Read));
}

void TSetForm::Show() {
  Shown = ControlsFromConfig(Config, ModeLines, BumpSupported, Shown);
  ShowDisplay(Display, WindowSizes, Shown);
  if (Dialog) Dialog->SetControls(Shown);
}

void TSetForm::Save() {
  const TSettingsControls controls = Dialog->Controls();
  Config = ConfigFromControls(controls, Config);
  Display = DisplayFromControls(controls, Display);
  try {
    SaveConfig(ConfigPath(TFileUse::Write), Config);
    SaveBindings(BindingsPath(TFileUse::Write), BindingsEdit.Bindings);
    SaveDisplaySettings(DisplayPath(TFileUse::Write), Display);
  } catch (const TFileError& e) {
    ShowMessage(std::string("The settings could not be saved.\n") + e.what());
  }
  Show();
}

void TSetForm::ShowModal() {
  if (!Dialog) Dialog = std::make_unique<TSettingsDialog>();
  // The page edits a copy: Cancel leaves the bindings as they were.
  const TBindings before = BindingsEdit.Bindings;
  Dialog->SetBindingsModel(&BindingsEdit);
  Dialog->SetControls(Shown);
  if (Dialog->RunModal()) {
    Save();
    return;
  }
  BindingsEdit.Bindings = before;
  Show();
}
