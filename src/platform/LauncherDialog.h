// LauncherDialog.h — the launcher's window: the player's name and four buttons (FLTK).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

class Fl_Box;
class Fl_Button;
class Fl_Double_Window;

class TLauncherDialog {
public:
  TLauncherDialog();
  ~TLauncherDialog();

  std::function<void()> OnStart;
  std::function<void()> OnPlayer;
  std::function<void()> OnSettings;
  std::function<void()> OnExit;

  void SetPlayerCaption(const std::string& utf8);
  void SetStartEnabled(bool enabled);
  void Show();
  void Hide();

  // The file dialog of the player button. It accepts a name that does not exist yet, so a new
  // player can be typed in. Returns the chosen path in UTF-8, or nothing when cancelled.
  std::optional<std::string> ChooseProfile(const std::string& initialDir);

  // The widgets, public so that a test can drive the dialog as a user would.
  Fl_Double_Window* Window = nullptr;
  Fl_Box* Bevel1 = nullptr;
  Fl_Box* PlayerLabel = nullptr;
  Fl_Button* StartButton = nullptr;
  Fl_Button* PlayerButton = nullptr;
  Fl_Button* SetButton = nullptr;
  Fl_Button* EndButton = nullptr;

  static constexpr const char* ChooserTitle = "Create Player / Load Player";

private:
  std::string Caption;  // FLTK keeps a pointer to the label text
};

// Runs the toolkit until no dialog window is shown.
void RunDialogs();
// Shows an alert over the dialogs.
void DialogAlert(const std::string& text);
// Tests drive FLTK's own file chooser; the GTK one ignores FLTK's timers.
void UseBuiltInFileChooser();
