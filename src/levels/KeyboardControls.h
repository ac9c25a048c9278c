// KeyboardControls.h — TKeyboardControls: the player's controls as the game ships them, the
// keys of its table and (with UseMouse) the mouse, plus any pad, through the default bindings.
#pragma once

#include "levels/BoundControls.h"

// One source reads every input; the keyboard's is the default-bound one.
using TKeyboardControls = TBoundControls;
