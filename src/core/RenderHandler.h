// RenderHandler.h — the current screen's frame function, a bound method like a Delphi event.
//
// A screen takes over the frame loop by storing its own frame function in OnRender and clears
// it before it frees itself. The loop copies the handler before calling it, so a frame
// function may replace OnRender or free its own object while it runs.
#pragma once

class TRenderHandler {
public:
  TRenderHandler() = default;

  template <auto Method, typename T>
  static TRenderHandler Bind(T* object) {
    TRenderHandler handler;
    handler.Object = object;
    handler.Thunk = [](void* o) { (static_cast<T*>(o)->*Method)(); };
    return handler;
  }

  explicit operator bool() const { return Thunk != nullptr; }
  void operator()() const { Thunk(Object); }
  bool IsBoundTo(const void* object) const { return Object == object; }

private:
  void* Object = nullptr;
  void (*Thunk)(void*) = nullptr;
};

extern TRenderHandler OnRender;

// Asks the game window to close after the current frame (the menu's Exit, a failure).
void CloseGameWindow();
bool GameWindowClosing();
void ResetGameWindowClosing();
