// TestScreen.h — the screen the game window shows until the menu takes over: a moving test
// pattern that proves the context, the projection and the frame timer; Escape closes it.
#pragma once

class TTestScreen {
public:
  void Start();  // installs the frame function
  void Frame();

private:
  float Angle = 0.0f;  // degrees
};
