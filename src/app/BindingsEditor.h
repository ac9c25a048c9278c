// BindingsEditor.h — TBindingsEditor: the settings' Controls page's working copy of the
// bindings. Edits stay here until the settings dialog's OK writes them to controls.cfg.
#pragma once

#include "core/Bindings.h"
#include "platform/BindingsPanel.h"

class TBindingsEditor final : public TBindingsModel {
public:
  TBindings Bindings = DefaultBindings();

  int ActionCount() const override;
  std::string ActionTitle(int action) const override;
  std::vector<std::string> InputsOf(int action) const override;
  std::string ConflictNote(int action) const override;
  std::vector<std::string> InputChoices() const override;
  bool Bind(int action, const std::string& input) override;
  void Unbind(int action, int index) override;
  void Clear(int action) override;
  void ResetDefaults() override;
  std::string KeyInput(int vk) const override;
  std::string PadInput(const TGamepadState& pads) const override;
};

// "Turn left", "Switch weapon" …: an action as the page names it.
const char* ActionTitle(TAction action);
