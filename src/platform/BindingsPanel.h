// BindingsPanel.h — the settings' Controls page (FLTK): every action with its inputs, conflicts
// beside the actions they touch, and binding by capture (press a key, a mouse button or a pad
// button, or push a stick) or by picking an input from the list; clear and reset to defaults.
#pragma once

#include "platform/Gamepad.h"

#include <string>
#include <vector>

class Fl_Box;
class Fl_Button;
class Fl_Choice;
class Fl_Double_Window;
class Fl_Hold_Browser;

// What the page edits; the app's side knows the bindings and their file.
class TBindingsModel {
public:
  virtual ~TBindingsModel() = default;
  virtual int ActionCount() const = 0;
  virtual std::string ActionTitle(int action) const = 0;
  virtual std::vector<std::string> InputsOf(int action) const = 0;  // as written: "key:Space"
  // The other actions this action's inputs also drive; empty without conflicts.
  virtual std::string ConflictNote(int action) const = 0;
  virtual std::vector<std::string> InputChoices() const = 0;  // every input one can pick
  // False when the input is unknown or already bound to this action.
  virtual bool Bind(int action, const std::string& input) = 0;
  virtual void Unbind(int action, int index) = 0;
  virtual void Clear(int action) = 0;
  virtual void ResetDefaults() = 0;
  // A captured key (virtual-key code) or pad state as an input; empty when it names none.
  virtual std::string KeyInput(int vk) const = 0;
  virtual std::string PadInput(const TGamepadState& pads) const = 0;
};

// Virtual-key code of an FLTK key, 0 for keys the game has no code for.
int VirtualKeyOfFltk(int fltkKey);

class TBindingsPanel {
public:
  explicit TBindingsPanel(TBindingsModel& model);
  ~TBindingsPanel();
  TBindingsPanel(const TBindingsPanel&) = delete;
  TBindingsPanel& operator=(const TBindingsPanel&) = delete;

  // Shows the page modally until Close; edits go to the model as they are made.
  void RunModal();
  // Fills the lists from the model, keeping the selected action.
  void Refresh();
  int SelectedAction() const;  // -1 for none
  void SelectAction(int action);

  // Waits for the next key, mouse button or pad input and binds it to the selected action.
  void StartCapture();
  bool Capturing() const { return CaptureOn; }
  // One captured FLTK key or mouse button (FLTK's numbering: 1 left, 3 right); true when taken.
  bool CaptureKey(int fltkKey);
  bool CaptureMouse(int fltkButton);
  bool CapturePad(const TGamepadState& pads);

  Fl_Double_Window* Window = nullptr;
  Fl_Hold_Browser* ActionList = nullptr;  // "title<TAB>inputs" per action, conflicts marked
  Fl_Hold_Browser* InputList = nullptr;   // the selected action's inputs
  Fl_Box* ConflictBox = nullptr;
  Fl_Box* CaptureBox = nullptr;
  Fl_Choice* InputChoice = nullptr;
  Fl_Button* CaptureButton = nullptr;
  Fl_Button* AddButton = nullptr;
  Fl_Button* RemoveButton = nullptr;
  Fl_Button* ClearButton = nullptr;
  Fl_Button* ResetButton = nullptr;
  Fl_Button* CloseButton = nullptr;

private:
  void EndCapture(const std::string& input);
  TBindingsModel& Model;
  std::vector<std::string> Choices;
  std::string ConflictText;  // the box's label lives here
  bool CaptureOn = false;
};
