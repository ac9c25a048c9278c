// BindingsEditor.cpp — editing the bindings for the Controls page.
#include "app/BindingsEditor.h"

#include "platform/Input.h"

#include <algorithm>

namespace {

constexpr const char* Titles[ActionCount] = {
    "Turn left", "Turn right", "Nose up",  "Nose down", "Fast",  "Slow",
    "Fire",      "Switch weapon", "Camera 1", "Camera 2", "Pause", "Screenshot",
};
// A stick counts as captured once pushed past this share of its travel, so resting drift on a
// worn stick is not taken for a choice.
constexpr float CapturePush = 0.6f;

bool ValidAction(int action) { return action >= 0 && action < ActionCount; }

}  // namespace

const char* ActionTitle(TAction action) {
  const int i = static_cast<int>(action);
  return ValidAction(i) ? Titles[i] : "";
}

int TBindingsEditor::ActionCount() const { return ::ActionCount; }

std::string TBindingsEditor::ActionTitle(int action) const {
  return ValidAction(action) ? Titles[action] : "";
}

std::vector<std::string> TBindingsEditor::InputsOf(int action) const {
  std::vector<std::string> names;
  if (!ValidAction(action)) return names;
  for (const TInput& input : Bindings.Inputs[action]) names.push_back(InputName(input));
  return names;
}

std::string TBindingsEditor::ConflictNote(int action) const {
  std::string note;
  for (const TBindingConflict& c : FindConflicts(Bindings)) {
    const int first = static_cast<int>(c.First), second = static_cast<int>(c.Second);
    if (first != action && second != action) continue;
    const int other = first == action ? second : first;
    note += (note.empty() ? "Also drives " : "; ") + std::string(Titles[other]) + ": " + InputName(c.Input);
  }
  return note;
}

std::vector<std::string> TBindingsEditor::InputChoices() const {
  std::vector<std::string> choices;
  auto add = [&](const std::string& text) {
    TInput input;
    if (ParseInput(text, input) && std::find(choices.begin(), choices.end(), InputName(input)) == choices.end())
      choices.push_back(InputName(input));
  };
  for (int vk = 0; vk < VK::Count; ++vk)
    if (const char* name = KeyName(vk)) add(std::string("key:") + name);
  for (const char* m : {"left", "right", "cursor-left", "cursor-right", "cursor-up", "cursor-down"})
    add(std::string("mouse:") + m);
  for (const char* b : {"a", "b", "x", "y", "back", "start", "ls", "rs", "lb", "rb", "dpad-up", "dpad-down",
                        "dpad-left", "dpad-right"})
    add(std::string("pad:") + b);
  for (const char* a : {"leftx-", "leftx+", "lefty-", "lefty+", "rightx-", "rightx+", "righty-", "righty+",
                        "lt+", "rt+"})
    add(std::string("pad:") + a);
  for (int i = 1; i <= JoyButtonCount; ++i) add("joy:button" + std::to_string(i));
  for (int i = 1; i <= JoyAxisCount; ++i) {
    add("joy:axis" + std::to_string(i) + "-");
    add("joy:axis" + std::to_string(i) + "+");
  }
  for (const char* h : {"hat-up", "hat-down", "hat-left", "hat-right"}) add(std::string("joy:") + h);
  return choices;
}

bool TBindingsEditor::Bind(int action, const std::string& text) {
  TInput input;
  if (!ValidAction(action) || !ParseInput(text, input)) return false;
  std::vector<TInput>& inputs = Bindings.Inputs[action];
  if (std::find(inputs.begin(), inputs.end(), input) != inputs.end()) return false;
  // The file holds only so many per action: the oldest gives way.
  if (inputs.size() >= MaxInputsPerAction) inputs.erase(inputs.begin());
  inputs.push_back(input);
  return true;
}

void TBindingsEditor::Unbind(int action, int index) {
  if (!ValidAction(action)) return;
  std::vector<TInput>& inputs = Bindings.Inputs[action];
  if (index >= 0 && index < static_cast<int>(inputs.size())) inputs.erase(inputs.begin() + index);
}

void TBindingsEditor::Clear(int action) {
  if (ValidAction(action)) Bindings.Inputs[action].clear();
}

void TBindingsEditor::ResetDefaults() {
  const float deadZone = Bindings.DeadZone;
  Bindings = DefaultBindings();
  Bindings.DeadZone = deadZone;  // not shown on the page, so not the page's to reset
}

std::string TBindingsEditor::KeyInput(int vk) const {
  if (vk <= 0 || vk >= VK::Count) return {};
  const char* name = KeyName(vk);
  if (name) return std::string("key:") + name;
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string("key:") + static_cast<char>(vk);
  return {};
}

std::string TBindingsEditor::PadInput(const TGamepadState& pads) const {
  for (int b = 0; b < PadButtonCount; ++b)
    if (pads.PadButtons[b]) return InputName({TInputKind::PadButton, static_cast<int16_t>(b), 0});
  for (int a = 0; a < PadAxisCount; ++a)
    if (pads.PadAxes[a] > CapturePush || pads.PadAxes[a] < -CapturePush)
      return InputName({TInputKind::PadAxis, static_cast<int16_t>(a), static_cast<int8_t>(pads.PadAxes[a] < 0 ? -1 : 1)});
  for (int b = 0; b < JoyButtonCount; ++b)
    if (pads.JoyButtons[b]) return InputName({TInputKind::JoyButton, static_cast<int16_t>(b), 0});
  for (int a = 0; a < JoyAxisCount; ++a)
    if (pads.JoyAxes[a] > CapturePush || pads.JoyAxes[a] < -CapturePush)
      return InputName({TInputKind::JoyAxis, static_cast<int16_t>(a), static_cast<int8_t>(pads.JoyAxes[a] < 0 ? -1 : 1)});
  for (uint8_t bit : {JoyHatUp, JoyHatDown, JoyHatLeft, JoyHatRight})
    if (pads.JoyHat & bit) return InputName({TInputKind::JoyHat, bit, 0});
  return {};
}
