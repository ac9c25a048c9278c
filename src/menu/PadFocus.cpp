// PadFocus.cpp — moving a highlight between buttons by pad, and pressing them.
#include "menu/PadFocus.h"

#include "render/GLSpriteUnit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A stick counts as pushed past half its travel, as the bindings read sticks for on/off actions.
constexpr float StickPush = 0.5f;
// The highlighted button's tint: warm and bright, against the menus' white frames.
constexpr float HighlightColor[4] = {1.0f, 0.8f, 0.3f, 1.0f};
// Buttons off the pressed direction's line count this much more per unit of sideways distance,
// so "right" picks the button beside rather than one further along and a row down.
constexpr float SidewaysWeight = 3.0f;

bool Usable(const TGLSprite* s) { return s && s->Visible && s->Enabled; }

}  // namespace

bool PadSkipHeld(const TGamepadState& pads) {
  return pads.Button(TPadButton::A) || pads.Button(TPadButton::B) || pads.Button(TPadButton::Start);
}

void TPadFocus::ReadInputs(const TGamepadState& pads, bool (&now)[InputCount]) {
  const float x = pads.Axis(TPadAxis::LeftX), y = pads.Axis(TPadAxis::LeftY);
  // Stick y grows towards the player: pushing it forward (up) reads negative.
  now[MoveUp] = pads.Button(TPadButton::DPadUp) || y < -StickPush || (pads.JoyHat & JoyHatUp);
  now[MoveDown] = pads.Button(TPadButton::DPadDown) || y > StickPush || (pads.JoyHat & JoyHatDown);
  now[MoveLeft] = pads.Button(TPadButton::DPadLeft) || x < -StickPush || (pads.JoyHat & JoyHatLeft);
  now[MoveRight] = pads.Button(TPadButton::DPadRight) || x > StickPush || (pads.JoyHat & JoyHatRight);
  now[PressA] = pads.Button(TPadButton::A) || pads.JoyButtons[0];
  now[PressB] = pads.Button(TPadButton::B) || pads.JoyButtons[1];
}

TPadCommand TPadFocus::Update(const TGamepadState& pads, std::span<TGLSprite* const> buttons) {
  bool now[InputCount];
  ReadInputs(pads, now);
  bool pressed[InputCount];
  for (int i = 0; i < InputCount; ++i) {
    pressed[i] = now[i] && !Held[i];
    Held[i] = now[i];
  }
  // A screen change may have hidden the highlighted button, or taken it away.
  if (Current && std::find(buttons.begin(), buttons.end(), Current) == buttons.end()) Forget();
  if (Current && !Usable(Current)) Unhighlight();
  for (int move = MoveUp; move <= MoveRight; ++move) {
    if (!pressed[move]) continue;
    TGLSprite* next = Current ? Nearest(move, buttons) : nullptr;
    if (!Current) {
      // The first touch only shows where the highlight is: the screen's first button.
      for (TGLSprite* b : buttons)
        if (Usable(b)) {
          next = b;
          break;
        }
    }
    if (next) Select(next);
  }
  if (pressed[PressB]) return TPadCommand::Back;
  if (pressed[PressA]) {
    if (!Current)
      for (TGLSprite* b : buttons)
        if (Usable(b)) {
          Select(b);
          break;
        }
    return Current ? TPadCommand::Confirm : TPadCommand::None;
  }
  return TPadCommand::None;
}

TGLSprite* TPadFocus::Nearest(int move, std::span<TGLSprite* const> buttons) const {
  const float dx = move == MoveLeft ? -1.0f : move == MoveRight ? 1.0f : 0.0f;
  const float dy = move == MoveUp ? 1.0f : move == MoveDown ? -1.0f : 0.0f;
  TGLSprite* best = nullptr;
  float bestScore = std::numeric_limits<float>::max();
  for (TGLSprite* b : buttons) {
    if (!Usable(b) || b == Current) continue;
    const float ox = b->X - Current->X, oy = b->Y - Current->Y;
    const float along = ox * dx + oy * dy;
    if (along <= 0.0f) continue;
    const float sideways = std::fabs(ox * dy - oy * dx);
    const float score = along + SidewaysWeight * sideways;
    if (score < bestScore) {
      bestScore = score;
      best = b;
    }
  }
  return best;
}

void TPadFocus::Select(TGLSprite* sprite) {
  if (sprite == Current) return;
  Unhighlight();
  if (!sprite) return;
  Current = sprite;
  std::copy(std::begin(sprite->Color), std::end(sprite->Color), SavedColor);
  std::copy(std::begin(HighlightColor), std::end(HighlightColor), sprite->Color);
  // The sprite's own alpha (a fading picture) is kept.
  sprite->Color[3] = SavedColor[3];
}

void TPadFocus::Unhighlight() {
  if (Current) std::copy(std::begin(SavedColor), std::end(SavedColor), Current->Color);
  Current = nullptr;
}

void TPadFocus::Reset() {
  Unhighlight();
  for (bool& h : Held) h = true;
}

void TPadFocus::Forget() {
  Current = nullptr;
  for (bool& h : Held) h = true;
}
