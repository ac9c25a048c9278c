// PadFocus.h — TPadFocus: a pad's way through a screen's buttons. The d-pad or the left stick
// moves a highlight to the nearest button in that direction, A presses the highlighted button
// and B goes back; the overlay's own click dispatch is by mouse position and knows nothing of
// this.
#pragma once

#include "platform/Gamepad.h"

#include <cstdint>
#include <span>

class TGLSprite;

enum class TPadCommand : uint8_t { None, Confirm, Back };

class TPadFocus {
public:
  // Reads one frame of the pads over the buttons a screen offers now (hidden and disabled ones
  // are passed over) and moves the highlight. Returns Confirm or Back on the frame A or B goes
  // down. Every input counts on its press only, and only once it has been let go since the
  // last Reset, so a button still held from the screen before does nothing here.
  TPadCommand Update(const TGamepadState& pads, std::span<TGLSprite* const> buttons);
  // A new screen: nothing highlighted until the pad is used; inputs held now must be let go.
  void Reset();
  // The same when the highlighted button is gone with its screen: it is not touched.
  void Forget();

  // The highlighted button, or null.
  TGLSprite* Selected() const { return Current; }
  // Highlights a button (the screen's default for the pad's first move).
  void Select(TGLSprite* sprite);

private:
  enum TMove : uint8_t { MoveUp, MoveDown, MoveLeft, MoveRight, PressA, PressB, InputCount };
  static void ReadInputs(const TGamepadState& pads, bool (&now)[InputCount]);
  TGLSprite* Nearest(int move, std::span<TGLSprite* const> buttons) const;
  void Unhighlight();

  TGLSprite* Current = nullptr;
  float SavedColor[4] = {1, 1, 1, 1};  // the highlighted button's own colour
  bool Held[InputCount] = {true, true, true, true, true, true};
};

// Whether a pad holds A, B or Start now: the stories skip on them as on a key.
bool PadSkipHeld(const TGamepadState& pads);
