// OverlayTestScreen.h — a screen for checking the overlay, the font and audio by eye and ear:
// the opening story in both languages, clickable sprites that play positioned effects, and
// looping music. Started with --overlay-test.
#pragma once

#include <cstdint>
#include <string>

class TGLLabel;
class TGLSprite;

class TOverlayTestScreen {
public:
  ~TOverlayTestScreen();
  void Start();
  void Frame();

private:
  TGLSprite* MakeButton(float x, float y, const char* caption);
  void PlayEffect(float side);
  void ShowStatus(const std::string& text);

  TGLLabel* Status = nullptr;
  int32_t Effect = -1;
  int32_t Music = -1;
  int32_t Clicks = 0;
};
