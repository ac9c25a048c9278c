// GLForm.h — the game window's OpenGL side: initial state, viewport and projection, mouse
// buttons, and the frame loop that calls the current screen's frame function.
#pragma once

#include "platform/Window.h"

#include <cstdint>
#include <string>

class TGLForm {
public:
  TGLForm();

  // Sets the viewport and the perspective projection from the window's size.
  void ResizeViewport();
  // The state every screen starts from: projection, depth test, culling, texturing.
  void InitialGLState();

  void MouseDown(int button, int x, int y);
  void MouseUp(int button, int x, int y);

  // Runs frames until the window is asked to close, or `maxFrames` (> 0) have run. Before the
  // last frame's buffers are swapped it is saved to `screenshot` when one is named.
  void RunFrameLoop(int64_t maxFrames, const std::string& screenshot);

  // Reads the back buffer into a PNG file; false (with a message) when it cannot.
  bool SaveScreenshot(const std::string& path);

  int64_t FramesRun() const { return Frames; }

protected:
  TWindow* Window = nullptr;  // none when headless
  bool FullScreen = false;
  int HeadlessWidth = 0;
  int HeadlessHeight = 0;

private:
  void PumpEvents();
  TWindowEvents Events;
  int64_t Frames = 0;
};
