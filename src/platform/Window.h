// Window.h — the game's one SDL window with its OpenGL compatibility context.
#pragma once

#include <functional>
#include <string>
#include <vector>

// A display mode as the system lists it; Index is its place in the system's enumeration.
struct TDisplayMode {
  int BitsPerPixel = 0;
  int Width = 0;
  int Height = 0;
  int Frequency = 0;
  int Index = -1;
};

// Starts SDL's video subsystem once; false (with the reason) when no display can be opened.
bool StartVideo(std::string& error);
void StopVideo();

// Every mode of the primary display, in the system's order; empty without video.
std::vector<TDisplayMode> EnumerateDisplayModes();
bool DesktopSize(int& width, int& height);

struct TWindowEvents {
  std::function<void(int button, int x, int y)> MouseDown;  // button: 0 left, 1 right
  std::function<void(int button, int x, int y)> MouseUp;
  std::function<void(int width, int height)> Resized;
  std::function<void()> CloseRequested;
  std::function<void()> FocusLost;         // the window stopped receiving the keyboard
  std::function<void()> ToggleFullScreen;  // Alt+Enter
};

// Whether a key press is the full-screen toggle: Enter (main or keypad) with Alt and no other
// modifier, and not the keyboard's auto-repeat of a held press.
bool IsFullScreenToggle(int sdlKey, int sdlModifiers, bool repeat);

constexpr int MouseButtonLeft = 0;
constexpr int MouseButtonRight = 1;

class TWindow {
public:
  TWindow() = default;
  ~TWindow();
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  // A hidden window of the given size with a current context: double buffer, RGBA 8888,
  // 24-bit depth, 8-bit stencil. False (and `error`) when no such context can be made.
  bool Create(const std::string& caption, int width, int height, std::string& error);
  void Destroy();
  bool Exists() const { return Handle != nullptr; }

  void Show();
  void Hide();
  // Full screen in the given mode; without one, full screen at the desktop size.
  bool EnterFullScreen(const TDisplayMode* mode, std::string& error);
  bool LeaveFullScreen();
  bool IsFullScreen() const;
  bool SetWindowedSize(int width, int height);
  void Size(int& width, int& height) const;  // drawable size in pixels

  void SetVsync(bool on);
  void SwapBuffers();
  // Handles every pending event: keyboard state, cursor motion, buttons, resize, close, focus
  // loss and Alt+Enter.
  void PumpEvents(const TWindowEvents& events);

  static void* GetProcAddress(const char* name);

private:
  void* Handle = nullptr;   // SDL_Window*
  void* Context = nullptr;  // SDL_GLContext
};

// Shows a blocking error box over the given window (or none); printed when no display exists.
void ShowSystemMessage(const std::string& title, const std::string& text);
