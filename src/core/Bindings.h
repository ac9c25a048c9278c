// Bindings.h — which keys, mouse buttons, pad buttons and stick directions stand for each of
// the player's actions, and the hand-editable controls file that keeps them (controls.cfg).
//
// The file is one line per action, inputs separated by commas; '#' starts a comment:
//   fire = key:Space, key:Control, mouse:left, pad:a, joy:button1
//   dead-zone = 0.25
// Inputs: key:<name> (KeyName lists them), mouse:left|right|cursor-left|cursor-right|
// cursor-up|cursor-down (honoured only with UseMouse), pad:<button> or pad:<axis><+|->
// (a controller, in SDL's normalised layout: a b x y back guide start ls rs lb rb dpad-up
// dpad-down dpad-left dpad-right; leftx lefty rightx righty, lt rt), joy:button<1..32>,
// joy:axis<1..8><+|->,
// joy:hat-up|hat-down|hat-left|hat-right (a plain joystick, numbered from 1 as the sticks
// print them). Stick y grows towards the player: "up" on a stick is lefty-.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class TAction : uint8_t {
  TurnLeft, TurnRight, NoseUp, NoseDown, Fast, Slow, Fire, SwitchWeapon, Camera1, Camera2, Pause,
  Screenshot, Count
};
constexpr int ActionCount = static_cast<int>(TAction::Count);

enum class TInputKind : uint8_t { Key, Mouse, PadButton, PadAxis, JoyButton, JoyAxis, JoyHat };

// Mouse inputs: the buttons and the cursor's side of the screen centre.
enum class TMouseInput : uint8_t { Left, Right, CursorLeft, CursorRight, CursorUp, CursorDown, Count };

struct TInput {
  TInputKind Kind = TInputKind::Key;
  int16_t Code = 0;       // virtual key, TMouseInput, TPadButton, TPadAxis, joystick index or hat bit
  int8_t Direction = 0;   // axes: -1 or +1; 0 for everything else

  bool IsAxis() const { return Kind == TInputKind::PadAxis || Kind == TInputKind::JoyAxis; }
  friend bool operator==(const TInput&, const TInput&) = default;
};

// An action holds at most this many inputs; more on one line is reported and cut.
constexpr size_t MaxInputsPerAction = 12;
constexpr float DefaultDeadZone = 0.2f;
constexpr float MaxDeadZone = 0.9f;  // beyond this a stick could never steer

struct TBindings {
  std::array<std::vector<TInput>, ActionCount> Inputs;
  float DeadZone = DefaultDeadZone;  // share of a stick's travel that does nothing

  const std::vector<TInput>& Of(TAction a) const { return Inputs[static_cast<int>(a)]; }
  std::vector<TInput>& Of(TAction a) { return Inputs[static_cast<int>(a)]; }
  friend bool operator==(const TBindings&, const TBindings&) = default;
};

// The keys and mouse buttons of the game's table, plus the pad and joystick layout: left stick
// (or a stick's own axes) steers, the triggers (or a throttle) choose fast and slow, A fires,
// B or X switches weapons, the shoulders choose the camera, Start pauses.
TBindings DefaultBindings();

const char* ActionName(TAction action);  // as written in the file: "turn-left", "fire" …
std::string InputName(const TInput& input);  // "key:Space", "pad:leftx-" …
// Parses one input as written in the file; false for anything it does not know.
bool ParseInput(const std::string& text, TInput& input);
// The key names ParseInput accepts, with their virtual-key codes (one name per code).
const char* KeyName(int vk);

struct TBindingProblem {
  std::string File;
  int Line = 0;  // 0: the file as a whole
  std::string Reason;
  std::string Text() const;  // "Data/controls.cfg:3: unknown input 'key:Foo'"
};

// Reads the bindings from text. What cannot be read is reported in `problems` and falls back
// to the default: an unreadable line leaves its action as it was, an action none of whose
// inputs can be read keeps its defaults. An action written with nothing after '=' is unbound
// on purpose. Never throws.
TBindings ParseBindings(const std::string& text, const std::string& file, std::vector<TBindingProblem>& problems);
// The same from a file: a missing file gives the defaults quietly (the first run has none).
TBindings LoadBindings(const std::string& path, std::vector<TBindingProblem>& problems);

std::string FormatBindings(const TBindings& bindings);  // what SaveBindings writes
// Atomic: a crash mid-write leaves the old file. Throws TFileError naming the file on failure.
void SaveBindings(const std::string& path, const TBindings& bindings);

struct TBindingConflict {
  TInput Input;   // as bound to First
  TAction First;
  TAction Second;
};
// Inputs that drive two actions, once per input and pair of actions; keys count by the
// physical key, so keypad 5's two names (Clear and Numpad5) clash with each other.
std::vector<TBindingConflict> FindConflicts(const TBindings& bindings);
