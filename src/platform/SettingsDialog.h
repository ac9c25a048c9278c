// SettingsDialog.h — the settings window (FLTK): video, audio, controls and language.
#pragma once

#include <memory>
#include <string>
#include <vector>

class Fl_Check_Button;
class Fl_Choice;
class Fl_Double_Window;
class Fl_Hold_Browser;
class Fl_Round_Button;
class Fl_Slider;
class Fl_Button;
class TBindingsModel;
class TBindingsPanel;

// What the controls show, in the controls' own terms; the mapping to the settings record is
// the caller's.
struct TSettingsControls {
  std::vector<std::string> ModeLines;
  int ModeIndex = -1;      // selected line, -1 = none
  bool BumpEnabled = false;
  bool BumpChecked = false;
  int FilterIndex = 1;     // 0 "Bilinear", 1 "Trilinear"
  int ShadowsIndex = 3;    // 0 "off" .. 3 "high"; -1 = none selected
  bool LanguageSlovak = true;
  int MusicPosition = 0;   // -4000..0
  int SoundPosition = 0;   // -4000..0
  int MouseSensitivity = 0;  // -20..20
  bool InvertY = false;
  bool Windowed = false;                   // false: full screen in the mode above
  std::vector<std::string> WindowSizeLines;  // "1280x720" …
  int WindowSizeIndex = -1;
};

class TSettingsDialog {
public:
  TSettingsDialog();
  ~TSettingsDialog();

  void SetControls(const TSettingsControls& controls);
  TSettingsControls Controls() const;

  // Shows the dialog modally; true when it was closed with OK.
  bool RunModal();
  // What the Controls page edits (none: its button does nothing). Must outlive the dialog.
  void SetBindingsModel(TBindingsModel* model) { BindingsModel = model; }
  // Opens the Controls page modally over the dialog.
  void ShowBindings();

  // The widgets, public so that a test can drive the dialog as a user would.
  Fl_Double_Window* Window = nullptr;
  Fl_Hold_Browser* ListBox1 = nullptr;
  Fl_Check_Button* BumpCheckBox = nullptr;
  Fl_Choice* FilterComboBox = nullptr;
  Fl_Choice* ShadowsComboBox = nullptr;
  Fl_Slider* musVolTB = nullptr;
  Fl_Slider* soundVolTB = nullptr;
  Fl_Check_Button* yInvertCheckBox = nullptr;
  Fl_Slider* mouseSensitTB = nullptr;
  Fl_Round_Button* langEnRB = nullptr;
  Fl_Round_Button* langSkRB = nullptr;
  Fl_Round_Button* FullScreenRB = nullptr;
  Fl_Round_Button* WindowRB = nullptr;
  Fl_Choice* WindowSizeComboBox = nullptr;
  Fl_Button* BindingsButton = nullptr;
  std::unique_ptr<TBindingsPanel> Bindings;  // made when first opened
  Fl_Button* BitBtn1 = nullptr;  // OK
  Fl_Button* BitBtn2 = nullptr;  // Cancel

private:
  bool Accepted = false;
  TBindingsModel* BindingsModel = nullptr;
};
