// GLForm.h — the game window's OpenGL side: initial state, viewport and projection, mouse
// buttons, and the frame loop that calls the current screen's frame function.
#pragma once

#include "levels/FrameRateReadout.h"
#include "platform/Window.h"

#include <cstdint>
#include <string>

class TGLForm {
public:
  TGLForm();
  virtual ~TGLForm() = default;

  // Sets the viewport and the perspective projection from the window's size.
  void ResizeViewport();
  // The state every screen starts from: projection, depth test, culling, texturing.
  void InitialGLState();

  void MouseDown(int button, int x, int y);
  void MouseUp(int button, int x, int y);

  // Alt+Enter: full screen at the desktop's size, or back to a window of WindowedWidth x
  // WindowedHeight; the viewport and projection follow.
  void ToggleFullScreen();
  bool IsFullScreen() const { return FullScreen; }
  // The window lost the keyboard (the player switched away): the game pauses.
  virtual void FocusLost() {}

  // Runs frames until the window is asked to close, or `maxFrames` (> 0) have run. Before the
  // last frame's buffers are swapped it is saved to `screenshot` when one is named.
  void RunFrameLoop(int64_t maxFrames, const std::string& screenshot);

  // Reads the back buffer into a PNG file; false (with a message) when it cannot.
  bool SaveScreenshot(const std::string& path);

  int64_t FramesRun() const { return Frames; }

  // The frame-rate readout in the top-right corner (--fps; F11 switches it at any time).
  bool ShowFrameRate = false;
  // The frames counted so far: their number, the average rate and the slowest whole second.
  void ReportFrameRate() const;
  TFrameRateReadout FrameRate;

protected:
  TWindow* Window = nullptr;  // none when headless
  bool FullScreen = false;
  int HeadlessWidth = 0;
  int HeadlessHeight = 0;
  int WindowedWidth = 1280;  // the window's size when Alt+Enter leaves full screen
  int WindowedHeight = 720;

private:
  void PumpEvents();
  void CountFrame();
  TWindowEvents Events;
  int64_t Frames = 0;
  bool F11Held = false;
  int64_t LastFrameCount = -1;  // the system counter at the last frame
};
