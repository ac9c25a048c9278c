// LauncherDialog.cpp — the launcher's FLTK window.
#include "platform/LauncherDialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/fl_ask.H>

namespace {

void Invoke(const std::function<void()>& handler) {
  if (handler) handler();
}

Fl_Button* MakeButton(int x, int y, int w, int h, const char* caption,
                      std::function<void()>& handler) {
  auto* button = new Fl_Button(x, y, w, h, caption);
  button->callback([](Fl_Widget*, void* data) { Invoke(*static_cast<std::function<void()>*>(data)); },
                   &handler);
  return button;
}

}  // namespace

TLauncherDialog::TLauncherDialog() {
  Fl::scheme("gtk+");
  Window = new Fl_Double_Window(265, 300, "Quintara");
  Bevel1 = new Fl_Box(FL_DOWN_FRAME, 7, 7, 254, 46, nullptr);
  PlayerLabel = new Fl_Box(20, 20, 110, 22);
  PlayerLabel->labelfont(FL_HELVETICA_BOLD);
  PlayerLabel->labelsize(19);
  PlayerLabel->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  StartButton = MakeButton(7, 59, 254, 59, "Start", OnStart);
  StartButton->labelfont(FL_HELVETICA_BOLD);
  PlayerButton = MakeButton(7, 117, 254, 59, "Create Player / Load Player", OnPlayer);
  SetButton = MakeButton(7, 176, 254, 59, "Settings", OnSettings);
  EndButton = MakeButton(7, 235, 254, 58, "Exit", OnExit);
  Window->end();
  // The window's close box is the Exit button.
  Window->callback([](Fl_Widget*, void* data) { Invoke(*static_cast<std::function<void()>*>(data)); },
                   &OnExit);
}

TLauncherDialog::~TLauncherDialog() { delete Window; }

void TLauncherDialog::SetPlayerCaption(const std::string& utf8) {
  Caption = utf8;
  PlayerLabel->label(Caption.c_str());
  Window->redraw();
}

void TLauncherDialog::SetStartEnabled(bool enabled) {
  if (enabled)
    StartButton->activate();
  else
    StartButton->deactivate();
}

void TLauncherDialog::Show() {
  // Centred on the desktop; asking for the desktop's size opens the display, so only here.
  Window->position((Fl::w() - Window->w()) / 2, (Fl::h() - Window->h()) / 2);
  Window->show();
}

void TLauncherDialog::Hide() { Window->hide(); }

std::optional<std::string> TLauncherDialog::ChooseProfile(const std::string& initialDir) {
  Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_SAVE_FILE);
  chooser.title(ChooserTitle);
  chooser.directory(initialDir.c_str());
  if (chooser.show() != 0) return std::nullopt;
  const char* chosen = chooser.filename();
  if (!chosen || !*chosen) return std::nullopt;
  return std::string(chosen);
}

void RunDialogs() { Fl::run(); }

void DialogAlert(const std::string& text) { fl_alert("%s", text.c_str()); }

void UseBuiltInFileChooser() { Fl::option(Fl::OPTION_FNFC_USES_GTK, false); }
