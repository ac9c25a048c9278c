// BindingsPanel.cpp — the Controls page's widgets, capture and list handling.
#include "platform/BindingsPanel.h"

#include "platform/Input.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Return_Button.H>

namespace {

constexpr int TextSize = 11;
constexpr double PadPollSeconds = 0.05;  // pads are polled while a capture waits

// The page's window: while a capture waits, every key and click goes to it and nothing else.
class TCaptureWindow : public Fl_Double_Window {
public:
  TCaptureWindow(int w, int h, const char* title) : Fl_Double_Window(w, h, title) {}
  TBindingsPanel* Panel = nullptr;
  int handle(int event) override {
    if (Panel && Panel->Capturing()) {
      if (event == FL_KEYDOWN || event == FL_SHORTCUT) {
        Panel->CaptureKey(Fl::event_key());
        return 1;
      }
      if (event == FL_PUSH) {
        Panel->CaptureMouse(Fl::event_button());
        return 1;
      }
      if (event == FL_KEYUP || event == FL_RELEASE) return 1;
    }
    return Fl_Double_Window::handle(event);
  }
};

Fl_Button* MakeButton(int x, int y, int w, const char* caption, Fl_Callback* callback, void* data) {
  auto* button = new Fl_Button(x, y, w, 24, caption);
  button->labelsize(TextSize);
  button->callback(callback, data);
  return button;
}

TBindingsPanel* PanelOf(void* data) { return static_cast<TBindingsPanel*>(data); }

void PollPads(void* data) {
  TBindingsPanel* panel = PanelOf(data);
  if (!panel->Capturing()) return;
  if (!panel->CapturePad(ReadGamepads())) Fl::repeat_timeout(PadPollSeconds, PollPads, data);
}

}  // namespace

int VirtualKeyOfFltk(int key) {
  if (key >= 'a' && key <= 'z') return key - 'a' + 'A';
  if (key >= '0' && key <= '9') return key;
  if (key > FL_F && key <= FL_F + 12) return VK::F1 + (key - FL_F - 1);
  if (key >= FL_KP + '0' && key <= FL_KP + '9') return VK::Numpad5 - 5 + (key - FL_KP - '0');
  switch (key) {
    case ' ': return VK::Space;
    case FL_Enter: case FL_KP_Enter: return VK::Return;
    case FL_Escape: return VK::Escape;
    case FL_Left: return VK::Left;
    case FL_Right: return VK::Right;
    case FL_Up: return VK::Up;
    case FL_Down: return VK::Down;
    case FL_Shift_L: case FL_Shift_R: return VK::Shift;
    case FL_Control_L: case FL_Control_R: return VK::Control;
    case FL_Alt_L: case FL_Alt_R: return VK::Menu;
    case FL_Page_Up: return VK::Prior;
    case FL_Page_Down: return VK::Next;
    case FL_Insert: return VK::Insert;
    default: return 0;
  }
}

TBindingsPanel::TBindingsPanel(TBindingsModel& model) : Model(model) {
  auto* window = new TCaptureWindow(520, 420, "Controls");
  window->Panel = this;
  Window = window;
  Window->set_modal();

  ActionList = new Fl_Hold_Browser(10, 10, 500, 200);
  ActionList->textsize(TextSize);
  static const int columns[] = {110, 0};
  ActionList->column_widths(columns);
  ActionList->callback([](Fl_Widget*, void* data) { PanelOf(data)->Refresh(); }, this);
  ConflictBox = new Fl_Box(10, 214, 500, 20);
  ConflictBox->labelsize(TextSize);
  ConflictBox->labelcolor(FL_RED);
  ConflictBox->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);

  InputList = new Fl_Hold_Browser(10, 238, 200, 130);
  InputList->textsize(TextSize);
  CaptureButton = MakeButton(220, 238, 140, "Capture input…",
                             [](Fl_Widget*, void* data) { PanelOf(data)->StartCapture(); }, this);
  CaptureBox = new Fl_Box(365, 238, 145, 24);
  CaptureBox->labelsize(TextSize);
  CaptureBox->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
  InputChoice = new Fl_Choice(220, 270, 140, 24);
  InputChoice->textsize(TextSize);
  AddButton = MakeButton(365, 270, 80, "Add", [](Fl_Widget*, void* data) {
    TBindingsPanel* panel = PanelOf(data);
    const int choice = panel->InputChoice->value();
    if (choice < 0 || choice >= static_cast<int>(panel->Choices.size())) return;
    panel->CaptureOn = true;  // picked from the list: bound as a captured input would be
    panel->EndCapture(panel->Choices[choice]);
  }, this);
  RemoveButton = MakeButton(220, 302, 140, "Remove input", [](Fl_Widget*, void* data) {
    TBindingsPanel* panel = PanelOf(data);
    const int action = panel->SelectedAction();
    if (action < 0 || panel->InputList->value() <= 0) return;
    // Browser lines count from 1.
    panel->Model.Unbind(action, panel->InputList->value() - 1);
    panel->Refresh();
  }, this);
  ClearButton = MakeButton(220, 334, 140, "Clear action", [](Fl_Widget*, void* data) {
    TBindingsPanel* panel = PanelOf(data);
    if (panel->SelectedAction() < 0) return;
    panel->Model.Clear(panel->SelectedAction());
    panel->Refresh();
  }, this);
  ResetButton = MakeButton(10, 384, 140, "Reset to defaults", [](Fl_Widget*, void* data) {
    PanelOf(data)->Model.ResetDefaults();
    PanelOf(data)->Refresh();
  }, this);
  CloseButton = new Fl_Return_Button(430, 384, 80, 28, "Close");
  CloseButton->labelsize(TextSize);
  auto close = [](Fl_Widget*, void* data) {
    PanelOf(data)->EndCapture("");
    PanelOf(data)->Window->hide();
  };
  CloseButton->callback(close, this);
  Window->callback(close, this);
  Window->end();

  Choices = Model.InputChoices();
  for (const std::string& choice : Choices) InputChoice->add(choice.c_str(), 0, nullptr, nullptr, FL_MENU_VALUE);
  // Menu items treat '/' and '&' specially; every input name is plain ASCII without them.
  if (!Choices.empty()) InputChoice->value(0);
  SelectAction(0);
}

TBindingsPanel::~TBindingsPanel() {
  Fl::remove_timeout(PollPads, this);
  delete Window;
}

void TBindingsPanel::RunModal() {
  Refresh();
  Window->position((Fl::w() - Window->w()) / 2, (Fl::h() - Window->h()) / 2);
  Window->show();
  while (Window->shown()) Fl::wait();
}

int TBindingsPanel::SelectedAction() const { return ActionList->value() - 1; }

void TBindingsPanel::SelectAction(int action) {
  if (ActionList->size() != Model.ActionCount()) Refresh();
  ActionList->value(action >= 0 && action < ActionList->size() ? action + 1 : 0);
  Refresh();
}

void TBindingsPanel::Refresh() {
  const int selected = ActionList->value();
  ActionList->clear();
  for (int a = 0; a < Model.ActionCount(); ++a) {
    std::string line = Model.ActionTitle(a) + "\t";
    const std::vector<std::string> inputs = Model.InputsOf(a);
    for (size_t i = 0; i < inputs.size(); ++i) line += (i ? ", " : "") + inputs[i];
    if (inputs.empty()) line += "(none)";
    // Conflicting actions stand out in red with the clash spelled out below when selected.
    if (!Model.ConflictNote(a).empty()) line = "@C1" + line;
    ActionList->add(line.c_str());
  }
  ActionList->value(selected > 0 && selected <= ActionList->size() ? selected : 0);
  InputList->clear();
  const int action = SelectedAction();
  ConflictText.clear();
  if (action >= 0) {
    for (const std::string& input : Model.InputsOf(action)) InputList->add(input.c_str());
    ConflictText = Model.ConflictNote(action);
  }
  ConflictBox->label(ConflictText.c_str());
  Window->redraw();
}

void TBindingsPanel::StartCapture() {
  if (SelectedAction() < 0) return;
  CaptureOn = true;
  CaptureBox->label("Press a key, a mouse button or a pad button, or push a stick");
  Fl::add_timeout(PadPollSeconds, PollPads, this);
}

void TBindingsPanel::EndCapture(const std::string& input) {
  if (!CaptureOn) return;
  CaptureOn = false;
  Fl::remove_timeout(PollPads, this);
  CaptureBox->label("");
  if (!input.empty() && SelectedAction() >= 0) Model.Bind(SelectedAction(), input);
  Refresh();
}

bool TBindingsPanel::CaptureKey(int fltkKey) {
  if (!CaptureOn) return false;
  const std::string input = Model.KeyInput(VirtualKeyOfFltk(fltkKey));
  if (input.empty()) return false;  // a key the game cannot read: keep waiting
  EndCapture(input);
  return true;
}

bool TBindingsPanel::CaptureMouse(int fltkButton) {
  if (!CaptureOn) return false;
  if (fltkButton != FL_LEFT_MOUSE && fltkButton != FL_RIGHT_MOUSE) return false;
  EndCapture(fltkButton == FL_LEFT_MOUSE ? "mouse:left" : "mouse:right");
  return true;
}

bool TBindingsPanel::CapturePad(const TGamepadState& pads) {
  if (!CaptureOn) return false;
  const std::string input = Model.PadInput(pads);
  if (input.empty()) return false;
  EndCapture(input);
  return true;
}
