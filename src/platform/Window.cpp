// Window.cpp — the SDL window, its OpenGL context and the display modes.
#include "platform/Window.h"

#include "platform/Gamepad.h"
#include "platform/Input.h"

#include <SDL.h>

#include <cstdio>

namespace {

SDL_Window* AsWindow(void* handle) { return static_cast<SDL_Window*>(handle); }

// Windows reports 32 bits for the common 8-8-8 modes with a padding byte; SDL calls them 24.
int ModeBits(Uint32 format) {
  int bytes = SDL_BYTESPERPIXEL(format);
  int bits = static_cast<int>(SDL_BITSPERPIXEL(format));
  return bytes * 8 > bits ? bytes * 8 : bits;
}

void SetContextAttributes() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
}

}  // namespace

bool StartVideo(std::string& error) {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
  error = SDL_GetError();
  return false;
}

void StopVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::vector<TDisplayMode> EnumerateDisplayModes() {
  std::vector<TDisplayMode> modes;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return modes;
  int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(0, i, &mode) != 0) break;
    modes.push_back({ModeBits(mode.format), mode.w, mode.h, mode.refresh_rate, i});
  }
  return modes;
}

bool DesktopSize(int& width, int& height) {
  SDL_DisplayMode mode;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
  width = mode.w;
  height = mode.h;
  return true;
}

TWindow::~TWindow() { Destroy(); }

bool TWindow::Create(const std::string& caption, int width, int height, std::string& error) {
  Destroy();
  SetContextAttributes();
  Handle = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                            width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!Handle) {
    error = SDL_GetError();
    return false;
  }
  Context = SDL_GL_CreateContext(AsWindow(Handle));
  if (!Context) {
    error = SDL_GetError();
    Destroy();
    return false;
  }
  SDL_GL_MakeCurrent(AsWindow(Handle), Context);
  return true;
}

void TWindow::Destroy() {
  if (Context) {
    SDL_GL_MakeCurrent(AsWindow(Handle), nullptr);
    SDL_GL_DeleteContext(Context);
    Context = nullptr;
  }
  if (Handle) {
    // Leaving full screen first gives the desktop its own mode back at once.
    SDL_SetWindowFullscreen(AsWindow(Handle), 0);
    SDL_DestroyWindow(AsWindow(Handle));
    Handle = nullptr;
  }
}

void TWindow::Show() {
  SDL_ShowWindow(AsWindow(Handle));
  SDL_RaiseWindow(AsWindow(Handle));
}

void TWindow::Hide() { SDL_HideWindow(AsWindow(Handle)); }

bool TWindow::EnterFullScreen(const TDisplayMode* mode, std::string& error) {
  SDL_Window* window = AsWindow(Handle);
  if (!mode) {
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) return true;
    error = SDL_GetError();
    return false;
  }
  SDL_DisplayMode wanted;
  if (SDL_GetDisplayMode(0, mode->Index, &wanted) != 0 ||
      SDL_SetWindowDisplayMode(window, &wanted) != 0 ||
      SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) {
    error = SDL_GetError();
    return false;
  }
  return true;
}

bool TWindow::LeaveFullScreen() { return SDL_SetWindowFullscreen(AsWindow(Handle), 0) == 0; }

bool TWindow::IsFullScreen() const {
  return Handle && (SDL_GetWindowFlags(AsWindow(Handle)) & SDL_WINDOW_FULLSCREEN) != 0;
}

bool IsFullScreenToggle(int sdlKey, int sdlModifiers, bool repeat) {
  if (repeat || (sdlKey != SDLK_RETURN && sdlKey != SDLK_KP_ENTER)) return false;
  const int others = KMOD_CTRL | KMOD_SHIFT | KMOD_GUI;
  return (sdlModifiers & KMOD_ALT) != 0 && (sdlModifiers & others) == 0;
}

bool TWindow::SetWindowedSize(int width, int height) {
  SDL_Window* window = AsWindow(Handle);
  SDL_SetWindowSize(window, width, height);
  SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  return true;
}

void TWindow::Size(int& width, int& height) const {
  SDL_GL_GetDrawableSize(AsWindow(Handle), &width, &height);
}

void TWindow::SetVsync(bool on) {
  // Adaptive sync first: it tears rather than halving the rate when a frame is late.
  if (on && SDL_GL_SetSwapInterval(-1) == 0) return;
  SDL_GL_SetSwapInterval(on ? 1 : 0);
}

void TWindow::SwapBuffers() { SDL_GL_SwapWindow(AsWindow(Handle)); }

void TWindow::PumpEvents(const TWindowEvents& events) {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_QUIT:
        if (events.CloseRequested) events.CloseRequested();
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE && events.CloseRequested)
          events.CloseRequested();
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && events.Resized) {
          int w = 0, h = 0;
          Size(w, h);
          events.Resized(w, h);
        }
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST && events.FocusLost) events.FocusLost();
        break;
      case SDL_KEYDOWN:
        if (events.ToggleFullScreen &&
            IsFullScreenToggle(event.key.keysym.sym, event.key.keysym.mod, event.key.repeat != 0))
          events.ToggleFullScreen();
        break;
      case SDL_MOUSEMOTION:
        if (SDL_GetRelativeMouseMode())
          MoveCursorBy(event.motion.xrel, event.motion.yrel);
        else
          MoveCursorTo(event.motion.x, event.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        int button = event.button.button == SDL_BUTTON_LEFT    ? MouseButtonLeft
                     : event.button.button == SDL_BUTTON_RIGHT ? MouseButtonRight
                                                               : -1;
        if (button < 0) break;
        // In relative mode SDL reports no position; clicks land where the virtual cursor is.
        int x = event.button.x, y = event.button.y;
        if (SDL_GetRelativeMouseMode()) GetCursorPos(x, y);
        const auto& handler = event.type == SDL_MOUSEBUTTONDOWN ? events.MouseDown : events.MouseUp;
        if (handler) handler(button, x, y);
        break;
      }
      default:
        // Pads and sticks come and go here, so one plugged in mid-mission works at once.
        HandleGamepadEvent(&event);
        break;
    }
  }
}

void* TWindow::GetProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

void ShowSystemMessage(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), nullptr);
}
