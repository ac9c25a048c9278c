// Bindings.cpp — the default bindings, the names of actions and inputs, the controls file's
// reader and writer, and the search for inputs bound twice.
#include "core/Bindings.h"

#include "core/Error.h"
#include "core/FileIO.h"
#include "platform/Gamepad.h"
#include "platform/Input.h"
#include "platform/KeyMap.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

// A controls file is a few hundred bytes; anything near this is not one.
constexpr size_t MaxBindingsFileSize = 64 * 1024;
constexpr size_t MaxQuotedLength = 40;  // of a bad token repeated in a report
constexpr const char* DeadZoneName = "dead-zone";

constexpr const char* ActionNames[ActionCount] = {
    "turn-left", "turn-right", "nose-up", "nose-down", "fast", "slow",
    "fire", "switch-weapon", "camera-1", "camera-2", "pause", "screenshot",
};

struct TKeyName {
  int Code;
  const char* Name;
};
// The written name first; the later rows for the same code are spellings the reader accepts.
constexpr TKeyName KeyNames[] = {
    {VK::Left, "Left"},       {VK::Right, "Right"},     {VK::Up, "Up"},         {VK::Down, "Down"},
    {VK::Space, "Space"},     {VK::Control, "Control"}, {VK::Shift, "Shift"},   {VK::Menu, "Alt"},
    {VK::Return, "Return"},   {VK::Escape, "Escape"},   {VK::Insert, "Insert"}, {VK::Prior, "PageUp"},
    {VK::Next, "PageDown"},   {VK::Clear, "Clear"},     {VK::Numpad5, "Numpad5"}, {VK::F1, "F1"},
    {VK::F2, "F2"},           {VK::F12, "F12"},
    {VK::Control, "Ctrl"},    {VK::Menu, "Menu"},       {VK::Return, "Enter"},  {VK::Escape, "Esc"},
};

constexpr const char* MouseNames[static_cast<int>(TMouseInput::Count)] = {
    "left", "right", "cursor-left", "cursor-right", "cursor-up", "cursor-down",
};
constexpr const char* PadButtonNames[PadButtonCount] = {
    "a", "b", "x", "y", "back", "guide", "start", "ls", "rs", "lb", "rb",
    "dpad-up", "dpad-down", "dpad-left", "dpad-right",
};
constexpr const char* PadAxisNames[PadAxisCount] = {"leftx", "lefty", "rightx", "righty", "lt", "rt"};

struct THatName {
  uint8_t Bit;
  const char* Name;
};
constexpr THatName HatNames[] = {
    {JoyHatUp, "hat-up"}, {JoyHatDown, "hat-down"}, {JoyHatLeft, "hat-left"}, {JoyHatRight, "hat-right"}};

bool IsTrigger(int axis) {
  return axis == static_cast<int>(TPadAxis::LeftTrigger) || axis == static_cast<int>(TPadAxis::RightTrigger);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// A damaged file may hold anything; a report repeats it short and printable.
std::string Quoted(const std::string& s) {
  std::string q;
  for (char c : s.substr(0, MaxQuotedLength)) q += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
  if (s.size() > MaxQuotedLength) q += "...";
  return "'" + q + "'";
}

// A whole decimal number in [1, max]; anything else (signs, blanks, overflow) is refused.
bool ParseIndex(const std::string& s, int max, int& value) {
  if (s.empty() || s.size() > 3) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  value = std::atoi(s.c_str());
  return value >= 1 && value <= max;
}

// "axis3-" and friends: splits the trailing direction off.
bool SplitDirection(const std::string& s, std::string& stem, int8_t& direction) {
  if (s.size() < 2) return false;
  const char last = s.back();
  if (last != '+' && last != '-') return false;
  direction = last == '+' ? 1 : -1;
  stem = s.substr(0, s.size() - 1);
  return true;
}

bool ParseKey(const std::string& name, TInput& in) {
  const std::string wanted = Lower(name);
  for (const TKeyName& k : KeyNames)
    if (Lower(k.Name) == wanted) {
      in = {TInputKind::Key, static_cast<int16_t>(k.Code), 0};
      return true;
    }
  // Letters and digits are their own names.
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
    in = {TInputKind::Key, static_cast<int16_t>(std::toupper(static_cast<unsigned char>(name[0]))), 0};
    return true;
  }
  return false;
}

bool ParseMouse(const std::string& name, TInput& in) {
  for (int i = 0; i < static_cast<int>(TMouseInput::Count); ++i)
    if (name == MouseNames[i]) {
      in = {TInputKind::Mouse, static_cast<int16_t>(i), 0};
      return true;
    }
  return false;
}

bool ParsePad(const std::string& name, TInput& in) {
  for (int i = 0; i < PadButtonCount; ++i)
    if (name == PadButtonNames[i]) {
      in = {TInputKind::PadButton, static_cast<int16_t>(i), 0};
      return true;
    }
  // Triggers only pull one way; "lt" and "lt+" both name the pull.
  std::string stem = name;
  int8_t direction = 1;
  const bool directed = SplitDirection(name, stem, direction);
  for (int i = 0; i < PadAxisCount; ++i) {
    if (stem != PadAxisNames[i]) continue;
    if (IsTrigger(i) ? direction < 0 : !directed) return false;
    in = {TInputKind::PadAxis, static_cast<int16_t>(i), direction};
    return true;
  }
  return false;
}

bool ParseJoystick(const std::string& name, TInput& in) {
  for (const THatName& h : HatNames)
    if (name == h.Name) {
      in = {TInputKind::JoyHat, h.Bit, 0};
      return true;
    }
  int index = 0;
  if (name.rfind("button", 0) == 0 && ParseIndex(name.substr(6), JoyButtonCount, index)) {
    in = {TInputKind::JoyButton, static_cast<int16_t>(index - 1), 0};
    return true;
  }
  std::string stem;
  int8_t direction = 0;
  if (name.rfind("axis", 0) == 0 && SplitDirection(name, stem, direction) &&
      ParseIndex(stem.substr(4), JoyAxisCount, index)) {
    in = {TInputKind::JoyAxis, static_cast<int16_t>(index - 1), direction};
    return true;
  }
  return false;
}

bool ParseDeadZone(const std::string& text, float& value) {
  float v = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || ptr != end || !std::isfinite(v) || v < 0 || v > MaxDeadZone) return false;
  value = v;
  return true;
}

std::vector<std::string> SplitList(const std::string& s) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= s.size()) {
    size_t comma = s.find(',', start);
    if (comma == std::string::npos) comma = s.size();
    const std::string part = Trim(s.substr(start, comma - start));
    if (!part.empty()) parts.push_back(part);
    start = comma + 1;
  }
  return parts;
}

int FindAction(const std::string& name) {
  for (int i = 0; i < ActionCount; ++i)
    if (name == ActionNames[i]) return i;
  return -1;
}

// Reads one "action = inputs" line into `bindings`; problems name the line.
class TLineReader {
public:
  TLineReader(const std::string& file, std::vector<TBindingProblem>& problems) : File(file), Problems(problems) {}

  void Read(const std::string& raw, int line, TBindings& b) {
    Line = line;
    const std::string text = Trim(raw.substr(0, raw.find('#')));
    if (text.empty()) return;
    const size_t eq = text.find('=');
    if (eq == std::string::npos) return Report("no '=' in " + Quoted(text));
    const std::string name = Lower(Trim(text.substr(0, eq)));
    const std::string value = Trim(text.substr(eq + 1));
    if (name == DeadZoneName) return ReadDeadZone(value, b);
    const int action = FindAction(name);
    if (action < 0) return Report("unknown action " + Quoted(name));
    if (Seen[action]) Report("'" + name + "' is bound twice; the later line counts");
    Seen[action] = true;
    ReadInputs(value, b.Inputs[action], name);
  }

private:
  void Report(const std::string& reason) { Problems.push_back({File, Line, reason}); }

  void ReadDeadZone(const std::string& value, TBindings& b) {
    if (!ParseDeadZone(value, b.DeadZone)) Report("dead zone " + Quoted(value) + " is not a number from 0 to 0.9");
  }

  void ReadInputs(const std::string& value, std::vector<TInput>& inputs, const std::string& name) {
    const std::vector<std::string> parts = SplitList(value);
    std::vector<TInput> read;
    for (const std::string& part : parts) {
      TInput in;
      if (!ParseInput(part, in)) {
        Report("unknown input " + Quoted(part));
        continue;
      }
      bool repeated = false;
      for (const TInput& r : read) repeated = repeated || r == in;
      if (repeated) continue;
      if (read.size() == MaxInputsPerAction) {
        Report("'" + name + "' has more than " + std::to_string(MaxInputsPerAction) + " inputs; the rest are left out");
        break;
      }
      read.push_back(in);
    }
    // Nothing at all after '=' unbinds on purpose; a line of nothing but damage does not.
    if (read.empty() && !parts.empty()) {
      Report("nothing readable for '" + name + "'; it keeps its default inputs");
      return;
    }
    inputs = std::move(read);
  }

  const std::string& File;
  std::vector<TBindingProblem>& Problems;
  int Line = 0;
  bool Seen[ActionCount] = {};
};

bool SamePhysicalInput(const TInput& a, const TInput& b) {
  if (a == b) return true;
  if (a.Kind != TInputKind::Key || b.Kind != TInputKind::Key) return false;
  for (int sa : ScancodesForKey(a.Code))
    for (int sb : ScancodesForKey(b.Code))
      if (sa != 0 && sa == sb) return true;
  return false;
}

}  // namespace

TBindings DefaultBindings() {
  using K = TInputKind;
  auto key = [](int vk) { return TInput{K::Key, static_cast<int16_t>(vk), 0}; };
  auto mouse = [](TMouseInput m) { return TInput{K::Mouse, static_cast<int16_t>(m), 0}; };
  auto pad = [](TPadButton b) { return TInput{K::PadButton, static_cast<int16_t>(b), 0}; };
  auto axis = [](TPadAxis a, int8_t d) { return TInput{K::PadAxis, static_cast<int16_t>(a), d}; };
  auto joy = [](int button) { return TInput{K::JoyButton, static_cast<int16_t>(button), 0}; };
  auto joyAxis = [](int a, int8_t d) { return TInput{K::JoyAxis, static_cast<int16_t>(a), d}; };
  auto hat = [](uint8_t bit) { return TInput{K::JoyHat, bit, 0}; };
  // Joystick axes from 0: x, y, then (on the common flight sticks) twist and the throttle,
  // whose forward end reads negative.
  constexpr int StickX = 0, StickY = 1, Throttle = 3;

  TBindings b;
  b.Of(TAction::TurnLeft) = {key(VK::Left), mouse(TMouseInput::CursorLeft), axis(TPadAxis::LeftX, -1),
                             pad(TPadButton::DPadLeft), joyAxis(StickX, -1), hat(JoyHatLeft)};
  b.Of(TAction::TurnRight) = {key(VK::Right), mouse(TMouseInput::CursorRight), axis(TPadAxis::LeftX, 1),
                              pad(TPadButton::DPadRight), joyAxis(StickX, 1), hat(JoyHatRight)};
  b.Of(TAction::NoseUp) = {key(VK::Up), mouse(TMouseInput::CursorUp), axis(TPadAxis::LeftY, -1),
                           pad(TPadButton::DPadUp), joyAxis(StickY, -1), hat(JoyHatUp)};
  b.Of(TAction::NoseDown) = {key(VK::Down), mouse(TMouseInput::CursorDown), axis(TPadAxis::LeftY, 1),
                             pad(TPadButton::DPadDown), joyAxis(StickY, 1), hat(JoyHatDown)};
  b.Of(TAction::Fast) = {key(VK::W), key(VK::Prior), axis(TPadAxis::RightTrigger, 1), joyAxis(Throttle, -1)};
  b.Of(TAction::Slow) = {key(VK::S), key(VK::Next), axis(TPadAxis::LeftTrigger, 1), joyAxis(Throttle, 1)};
  // Numeric-pad 5 arrives as Clear with Num Lock off and as Numpad5 with it on.
  b.Of(TAction::Fire) = {key(VK::Space), key(VK::Control), key(VK::Clear), key(VK::Numpad5),
                         mouse(TMouseInput::Left), pad(TPadButton::A), joy(0)};
  b.Of(TAction::SwitchWeapon) = {key(VK::Return), key(VK::Menu), key(VK::Insert), mouse(TMouseInput::Right),
                                 pad(TPadButton::B), pad(TPadButton::X), joy(1)};
  b.Of(TAction::Camera1) = {key(VK::F1), pad(TPadButton::LeftShoulder), joy(2)};
  b.Of(TAction::Camera2) = {key(VK::F2), pad(TPadButton::RightShoulder), joy(3)};
  b.Of(TAction::Pause) = {key(VK::Escape), pad(TPadButton::Start)};
  b.Of(TAction::Screenshot) = {key(VK::F12)};
  return b;
}

const char* ActionName(TAction action) {
  const int i = static_cast<int>(action);
  return i >= 0 && i < ActionCount ? ActionNames[i] : "?";
}

const char* KeyName(int vk) {
  for (const TKeyName& k : KeyNames)
    if (k.Code == vk) return k.Name;
  return nullptr;
}

std::string InputName(const TInput& in) {
  const int c = in.Code;
  const char* sign = in.Direction < 0 ? "-" : "+";
  switch (in.Kind) {
    case TInputKind::Key: {
      if (const char* name = KeyName(c)) return std::string("key:") + name;
      if (c > 0 && c < 128 && std::isalnum(c)) return std::string("key:") + static_cast<char>(c);
      return "key:?";
    }
    case TInputKind::Mouse:
      return c >= 0 && c < static_cast<int>(TMouseInput::Count) ? std::string("mouse:") + MouseNames[c] : "mouse:?";
    case TInputKind::PadButton:
      return c >= 0 && c < PadButtonCount ? std::string("pad:") + PadButtonNames[c] : "pad:?";
    case TInputKind::PadAxis:
      if (c < 0 || c >= PadAxisCount) return "pad:?";
      return std::string("pad:") + PadAxisNames[c] + (IsTrigger(c) ? "" : sign);
    case TInputKind::JoyButton: return "joy:button" + std::to_string(c + 1);
    case TInputKind::JoyAxis: return "joy:axis" + std::to_string(c + 1) + sign;
    case TInputKind::JoyHat:
      for (const THatName& h : HatNames)
        if (h.Bit == c) return std::string("joy:") + h.Name;
      return "joy:?";
  }
  return "?";
}

bool ParseInput(const std::string& text, TInput& input) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  const std::string device = Lower(Trim(text.substr(0, colon)));
  const std::string name = Trim(text.substr(colon + 1));
  if (device == "key") return ParseKey(name, input);
  if (device == "mouse") return ParseMouse(Lower(name), input);
  if (device == "pad") return ParsePad(Lower(name), input);
  if (device == "joy") return ParseJoystick(Lower(name), input);
  return false;
}

std::string TBindingProblem::Text() const {
  return Line > 0 ? File + ":" + std::to_string(Line) + ": " + Reason : File + ": " + Reason;
}

TBindings ParseBindings(const std::string& text, const std::string& file, std::vector<TBindingProblem>& problems) {
  TBindings b = DefaultBindings();
  TLineReader reader(file, problems);
  int line = 0;
  // Editors on other systems may open the file with a UTF-8 byte-order mark.
  const std::string bom = "\xef\xbb\xbf";
  size_t start = text.rfind(bom, 0) == 0 ? bom.size() : 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    reader.Read(text.substr(start, end - start), ++line, b);
    start = end + 1;
  }
  return b;
}

TBindings LoadBindings(const std::string& path, std::vector<TBindingProblem>& problems) {
  if (!FileExists(path)) return DefaultBindings();
  try {
    const std::vector<uint8_t> bytes = ReadFileBytes(path, MaxBindingsFileSize);
    return ParseBindings(std::string(bytes.begin(), bytes.end()), path, problems);
  } catch (const TFileError& e) {
    problems.push_back({path, 0, e.Reason + "; the default controls are used"});
    return DefaultBindings();
  }
}

std::string FormatBindings(const TBindings& b) {
  std::string text =
      "# Quintara controls: one line per action, its inputs separated by commas.\n"
      "# key:<name>  mouse:left|right|cursor-left|cursor-right|cursor-up|cursor-down\n"
      "# pad:a|b|x|y|back|guide|start|ls|rs|lb|rb|dpad-up|dpad-down|dpad-left|dpad-right\n"
      "# pad:leftx-|leftx+|lefty-|lefty+|rightx-|rightx+|righty-|righty+|lt|rt\n"
      "# joy:button1..32  joy:axis1-..axis8+  joy:hat-up|hat-down|hat-left|hat-right\n"
      "# A stick's 'up' is its y axis minus. Nothing after '=' leaves an action unbound.\n";
  char number[32];
  const auto [end, ec] = std::to_chars(number, number + sizeof number, b.DeadZone);
  text += std::string(DeadZoneName) + " = " + (ec == std::errc() ? std::string(number, end) : "0.2") + "\n";
  for (int a = 0; a < ActionCount; ++a) {
    text += ActionNames[a];
    text += " =";
    for (size_t i = 0; i < b.Inputs[a].size(); ++i) text += (i == 0 ? " " : ", ") + InputName(b.Inputs[a][i]);
    text += "\n";
  }
  return text;
}

void SaveBindings(const std::string& path, const TBindings& bindings) {
  const std::string text = FormatBindings(bindings);
  WriteFileAtomic(path, text.data(), text.size());
}

std::vector<TBindingConflict> FindConflicts(const TBindings& b) {
  std::vector<TBindingConflict> conflicts;
  for (int first = 0; first < ActionCount; ++first)
    for (int second = first + 1; second < ActionCount; ++second)
      for (size_t i = 0; i < b.Inputs[first].size(); ++i) {
        const TInput& in = b.Inputs[first][i];
        // Two names of one physical key on the same action are one clash, not two.
        bool earlier = false;
        for (size_t j = 0; j < i; ++j) earlier = earlier || SamePhysicalInput(b.Inputs[first][j], in);
        if (earlier) continue;
        bool clash = false;
        for (const TInput& other : b.Inputs[second]) clash = clash || SamePhysicalInput(in, other);
        if (clash) conflicts.push_back({in, static_cast<TAction>(first), static_cast<TAction>(second)});
      }
  return conflicts;
}
