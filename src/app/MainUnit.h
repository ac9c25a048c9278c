// MainUnit.h — the game window: its creation, activation (full screen, random seed, first
// screen) and destruction.
#pragma once

#include "app/GLForm.h"
#include "app/TestScreen.h"

#include <cstdint>
#include <optional>
#include <string>

struct TGameWindowOptions {
  bool Headless = false;
  int WindowWidth = 0;  // > 0: windowed instead of full screen
  int WindowHeight = 0;
  bool Vsync = true;
  std::optional<uint32_t> Seed;
};

class TMainForm : public TGLForm {
public:
  ~TMainForm();

  // Makes the hidden window and its context (or the null table when headless), so that the
  // settings can read the driver's extensions. False when there is no context; the game
  // cannot start then, but the launcher and settings still can.
  bool FormCreate(const TGameWindowOptions& options);
  // Shows the window full screen in the configured mode (or windowed), seeds the random
  // generator and starts the first screen. False after showing the failure's message.
  bool FormActivate();
  void FormDestroy();

  bool HasContext() const { return ContextReady; }
  const std::string& ContextError() const { return Error; }

private:
  bool ShowWindow();

  TGameWindowOptions Options;
  TWindow GameWindow;
  TTestScreen TestScreen;
  bool ContextReady = false;
  std::string Error;
};

// The seed of the random generator: the chosen one, else the clock.
uint32_t ChooseSeed(const std::optional<uint32_t>& seed);
