// MainUnit.h — the game window: its creation, activation (full screen or a window, random
// seed, first screen) and destruction.
#pragma once

#include "app/GLForm.h"
#include "app/OverlayTestScreen.h"
#include "app/ViewerScreen.h"
#include "core/DisplaySettings.h"
#include "menu/MissionFlow.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct TGameWindowOptions {
  bool Headless = false;
  int WindowWidth = 0;  // > 0: windowed instead of full screen
  int WindowHeight = 0;
  // Full screen, or a window of the player's size (display.cfg), when no size is given above.
  TDisplaySettings Display;
  bool Vsync = true;
  bool OverlayTest = false;  // start on the overlay and audio test screen
  int Viewer = 0;            // 1..5: start on that mission's world viewer
  TViewerOptions ViewerSetup;
  TMissionFlowOptions FlowSetup;
  int DirectMission = 0;  // 1..5: start this mission at once instead of the intro
  std::optional<uint32_t> Seed;
};

class TMainForm : public TGLForm {
public:
  ~TMainForm();

  // Makes the hidden window and its context (or the null table when headless), so that the
  // settings can read the driver's extensions, and starts audio. False when there is no
  // context (the launcher and settings still work; the game cannot start) or, after its
  // message, when audio cannot start at all.
  bool FormCreate(const TGameWindowOptions& options);
  bool AudioFailed() const { return !SoundAvailable && !Options.Headless; }
  // Shows the window full screen in the configured mode (or windowed), seeds the random
  // generator, builds the font, selects the texts' language and starts the first screen.
  // False after showing the failure's message.
  bool FormActivate();
  void FormDestroy();

  bool HasContext() const { return ContextReady; }
  // The menu or the running mission; none on the debug screens.
  TMissionFlow* MissionFlow() const { return Flow.get(); }
  const std::string& ContextError() const { return Error; }
  // The window lost the keyboard: a running mission asks its pause question.
  void FocusLost() override;

private:
  bool ShowWindow();
  bool StartAudio();  // false when audio failed or there is no context
  bool StartViewer();
  bool StartFlow();

  TGameWindowOptions Options;
  TWindow GameWindow;
  std::unique_ptr<TMissionFlow> Flow;
  std::unique_ptr<TOverlayTestScreen> OverlayScreen;
  std::unique_ptr<TViewerScreen> Viewer;
  bool ContextReady = false;
  bool SoundAvailable = false;
  std::string Error;
};

// The seed of the random generator: the chosen one, else the clock.
uint32_t ChooseSeed(const std::optional<uint32_t>& seed);
