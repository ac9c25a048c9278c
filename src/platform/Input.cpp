// Input.cpp — keyboard state over SDL's scancodes, and the virtual cursor.
#include "platform/Input.h"

#include "platform/KeyMap.h"

#include <SDL.h>

namespace {

class TKeyboardInput final : public TInputSource {
public:
  bool IsKeyDown(int vk) override {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    for (int scancode : ScancodesForKey(vk))
      if (scancode > 0 && scancode < count && state[scancode]) return true;
    return false;
  }
};

TInputSource* Active = nullptr;
int CursorX = 0;
int CursorY = 0;
bool CursorVisible = true;

// SDL keeps the relative mode and applies it to whichever window has the mouse focus, also to
// a window that only gets the focus later.
void ApplyCursorMode() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  SDL_SetRelativeMouseMode(CursorVisible ? SDL_FALSE : SDL_TRUE);
  SDL_ShowCursor(CursorVisible ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace

TInputSource& KeyboardInput() {
  static TKeyboardInput keyboard;
  return keyboard;
}

void SetInputSource(TInputSource* source) { Active = source; }

TInputSource& ActiveInput() { return Active ? *Active : KeyboardInput(); }

int16_t GetKeyState(int vk) {
  return ActiveInput().IsKeyDown(vk) ? static_cast<int16_t>(0xFF80) : 0;
}

void GetCursorPos(int& x, int& y) {
  x = CursorX;
  y = CursorY;
}

void SetCursorPos(int x, int y) {
  CursorX = x;
  CursorY = y;
  // A shown cursor is the real one; move it too. A hidden one is only ever read relatively.
  if (CursorVisible && SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    if (SDL_Window* window = SDL_GetMouseFocus()) SDL_WarpMouseInWindow(window, x, y);
  }
}

void ShowCursor(bool show) {
  CursorVisible = show;
  ApplyCursorMode();
}

bool CursorShown() { return CursorVisible; }

void MoveCursorTo(int x, int y) {
  if (!CursorVisible) return;
  CursorX = x;
  CursorY = y;
}

void MoveCursorBy(int dx, int dy) {
  if (CursorVisible) return;
  CursorX += dx;
  CursorY += dy;
}
