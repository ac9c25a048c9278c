// SettingsDialog.cpp — the settings window's FLTK widgets.
#include "platform/SettingsDialog.h"

#include "platform/BindingsPanel.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Slider.H>

namespace {

constexpr int LabelHeight = 14;
constexpr int LabelWidth = 100;
constexpr int TextSize = 11;
// The display row (full screen or a window, and its size) sits under the video group and
// pushes everything below it down.
constexpr int DisplayRowHeight = 52;

// A framed group whose children are placed relative to its top-left corner.
Fl_Group* MakeGroup(int x, int y, int w, int h, const char* caption) {
  auto* group = new Fl_Group(x, y, w, h, caption);
  group->box(FL_ENGRAVED_BOX);
  group->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
  group->labelsize(TextSize);
  group->labelfont(FL_HELVETICA_BOLD);
  return group;
}

void MakeLabel(Fl_Group* group, int x, int y, const char* caption) {
  auto* label = new Fl_Box(group->x() + x, group->y() + y, LabelWidth, LabelHeight, caption);
  label->labelsize(TextSize);
  label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
}

// Track bars end where the dialog's design puts them but start a little further right than it
// does, so that the longest label ("Mouse Sensitivity:") fits in the fonts Linux has.
constexpr int TrackBarLeft = 112;
constexpr int TrackBarRight = 332;

Fl_Slider* MakeTrackBar(Fl_Group* group, int y, int minimum, int maximum) {
  auto* slider = new Fl_Slider(group->x() + TrackBarLeft, group->y() + y,
                               TrackBarRight - TrackBarLeft, 20);
  slider->type(FL_HOR_NICE_SLIDER);
  slider->bounds(minimum, maximum);
  slider->step(1);
  return slider;
}

Fl_Choice* MakeChoice(Fl_Group* group, int x, int y, int w, const char* items) {
  auto* choice = new Fl_Choice(group->x() + x, group->y() + y, w, 22);
  choice->textsize(TextSize);
  choice->add(items);
  return choice;
}

Fl_Check_Button* MakeCheckBox(Fl_Group* group, int x, int y, int w, int h, const char* caption) {
  auto* box = new Fl_Check_Button(group->x() + x, group->y() + y, w, h + 4, caption);
  box->labelsize(TextSize);
  return box;
}

}  // namespace

TSettingsDialog::TSettingsDialog() {
  Window = new Fl_Double_Window(367, 511 + DisplayRowHeight, "Settings");
  Window->set_modal();

  Fl_Group* video = MakeGroup(13, 7, 339, 215, "Video");
  ListBox1 = new Fl_Hold_Browser(video->x() + 7, video->y() + 20, 169, 182);
  ListBox1->textsize(TextSize);
  BumpCheckBox = MakeCheckBox(video, 195, 39, 118, 14, "Bump Mapping");
  MakeLabel(video, 195, 78, "Texture Filtering:");
  FilterComboBox = MakeChoice(video, 195, 98, 118, "Bilinear|Trilinear");
  MakeLabel(video, 195, 150, "Shadows Quality:");
  ShadowsComboBox = MakeChoice(video, 195, 169, 118, "off|low|medium|high");
  video->end();

  constexpr int Shift = DisplayRowHeight;
  Fl_Group* display = MakeGroup(13, 228, 339, 46, "Display");
  FullScreenRB = new Fl_Round_Button(display->x() + 10, display->y() + 20, 90, 17, "Full screen");
  FullScreenRB->type(FL_RADIO_BUTTON);
  FullScreenRB->labelsize(TextSize);
  WindowRB = new Fl_Round_Button(display->x() + 110, display->y() + 20, 80, 17, "Window");
  WindowRB->type(FL_RADIO_BUTTON);
  WindowRB->labelsize(TextSize);
  WindowSizeComboBox = MakeChoice(display, 195, 17, 118, "");
  display->end();

  Fl_Group* audio = MakeGroup(13, 228 + Shift, 339, 91, "Audio");
  MakeLabel(audio, 13, 26, "Music Volume:");
  musVolTB = MakeTrackBar(audio, 26, -4000, 0);
  MakeLabel(audio, 13, 59, "Sound Volume:");
  soundVolTB = MakeTrackBar(audio, 59, -4000, 0);
  audio->end();

  Fl_Group* controls = MakeGroup(13, 325 + Shift, 339, 72, "Controls");
  yInvertCheckBox = MakeCheckBox(controls, 7, 20, 110, 13, "Invert Y axis");
  BindingsButton = new Fl_Button(controls->x() + 195, controls->y() + 16, 118, 22, "Key bindings…");
  BindingsButton->labelsize(TextSize);
  BindingsButton->callback([](Fl_Widget*, void* data) { static_cast<TSettingsDialog*>(data)->ShowBindings(); },
                           this);
  MakeLabel(controls, 7, 46, "Mouse Sensitivity:");
  mouseSensitTB = MakeTrackBar(controls, 46, -20, 20);
  controls->end();

  Fl_Group* language = MakeGroup(13, 403 + Shift, 339, 46, "Language");
  langEnRB = new Fl_Round_Button(91, 423 + Shift, 92, 17, "English");
  langEnRB->type(FL_RADIO_BUTTON);
  langEnRB->labelsize(TextSize);
  langSkRB = new Fl_Round_Button(215, 423 + Shift, 91, 17, "Slovensky");
  langSkRB->type(FL_RADIO_BUTTON);
  langSkRB->labelsize(TextSize);
  language->end();

  BitBtn1 = new Fl_Return_Button(78, 462 + Shift, 79, 39, "OK");
  BitBtn1->callback(
      [](Fl_Widget*, void* data) {
        auto* dialog = static_cast<TSettingsDialog*>(data);
        dialog->Accepted = true;
        dialog->Window->hide();
      },
      this);
  BitBtn2 = new Fl_Button(208, 462 + Shift, 79, 39, "Cancel");
  auto cancel = [](Fl_Widget*, void* data) {
    auto* dialog = static_cast<TSettingsDialog*>(data);
    dialog->Accepted = false;
    dialog->Window->hide();
  };
  BitBtn2->callback(cancel, this);
  Window->callback(cancel, this);  // the close box cancels
  Window->end();
}

TSettingsDialog::~TSettingsDialog() {
  Bindings.reset();
  delete Window;
}

void TSettingsDialog::ShowBindings() {
  if (!BindingsModel) return;
  if (!Bindings) Bindings = std::make_unique<TBindingsPanel>(*BindingsModel);
  Bindings->RunModal();
}

void TSettingsDialog::SetControls(const TSettingsControls& c) {
  ListBox1->clear();
  for (const std::string& line : c.ModeLines) ListBox1->add(line.c_str());
  // Browser lines count from 1.
  ListBox1->value(c.ModeIndex >= 0 && c.ModeIndex < ListBox1->size() ? c.ModeIndex + 1 : 0);
  if (c.BumpEnabled)
    BumpCheckBox->activate();
  else
    BumpCheckBox->deactivate();
  BumpCheckBox->value(c.BumpChecked ? 1 : 0);
  FilterComboBox->value(c.FilterIndex);
  if (c.ShadowsIndex >= 0) ShadowsComboBox->value(c.ShadowsIndex);
  langSkRB->value(c.LanguageSlovak ? 1 : 0);
  langEnRB->value(c.LanguageSlovak ? 0 : 1);
  musVolTB->value(c.MusicPosition);
  soundVolTB->value(c.SoundPosition);
  mouseSensitTB->value(c.MouseSensitivity);
  yInvertCheckBox->value(c.InvertY ? 1 : 0);
  FullScreenRB->value(c.Windowed ? 0 : 1);
  WindowRB->value(c.Windowed ? 1 : 0);
  WindowSizeComboBox->clear();
  // Menu items read '/' as a submenu; sizes are plain "WxH".
  for (const std::string& line : c.WindowSizeLines) WindowSizeComboBox->add(line.c_str());
  if (c.WindowSizeIndex >= 0 && c.WindowSizeIndex < WindowSizeComboBox->size())
    WindowSizeComboBox->value(c.WindowSizeIndex);
}

TSettingsControls TSettingsDialog::Controls() const {
  TSettingsControls c;
  for (int i = 1; i <= ListBox1->size(); ++i) c.ModeLines.emplace_back(ListBox1->text(i));
  c.ModeIndex = ListBox1->value() - 1;
  c.BumpEnabled = BumpCheckBox->active() != 0;
  c.BumpChecked = BumpCheckBox->value() != 0;
  c.FilterIndex = FilterComboBox->value();
  c.ShadowsIndex = ShadowsComboBox->value();
  c.LanguageSlovak = langSkRB->value() != 0;
  c.MusicPosition = static_cast<int>(musVolTB->value());
  c.SoundPosition = static_cast<int>(soundVolTB->value());
  c.MouseSensitivity = static_cast<int>(mouseSensitTB->value());
  c.InvertY = yInvertCheckBox->value() != 0;
  c.Windowed = WindowRB->value() != 0;
  for (int i = 0; i < WindowSizeComboBox->size(); ++i)
    if (const char* text = WindowSizeComboBox->text(i)) c.WindowSizeLines.emplace_back(text);
  c.WindowSizeIndex = WindowSizeComboBox->value();
  return c;
}

bool TSettingsDialog::RunModal() {
  Accepted = false;
  Window->position((Fl::w() - Window->w()) / 2, (Fl::h() - Window->h()) / 2);
  Window->show();
  while (Window->shown()) Fl::wait();
  return Accepted;
}
