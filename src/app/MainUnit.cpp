// MainUnit.cpp — the game window's life.
#include "app/MainUnit.h"

#include "core/ConfigUnit.h"
#include "core/Error.h"
#include "core/Globals.h"
#include "core/PlayerProfile.h"
#include "core/Random.h"
#include "core/RenderHandler.h"
#include "core/Texture.h"
#include "menu/TextConstants.h"
#include "platform/Clock.h"
#include "platform/GLTable.h"
#include "platform/Gamepad.h"
#include "platform/Message.h"
#include "render/GLTextUnit.h"
#include "render/SceneGlobals.h"
#include "render/VSUnit.h"
#include "render/GLVisualObjectUnit.h"
#include "sound/SoundUnit.h"

namespace {
constexpr int CreationWidth = 648;  // the window's size before it is shown
constexpr int CreationHeight = 514;
}  // namespace

TMainForm::~TMainForm() { FormDestroy(); }

bool TMainForm::FormCreate(const TGameWindowOptions& options) {
  Options = options;
  if (Options.Headless) {
    // No driver and no sound: the null table, and audio tables that stay silent.
    LoadNullGLTable();
    HeadlessWidth = Options.WindowWidth;
    HeadlessHeight = Options.WindowHeight;
    ContextReady = true;
    return true;
  }
  // The command line's size wins over the player's; either is the window's size from the start
  // (an offscreen surface cannot be resized later) and the one Alt+Enter comes back to.
  if (Options.WindowWidth <= 0 && !Options.Display.FullScreen && Options.Display.WindowWidth > 0) {
    Options.WindowWidth = Options.Display.WindowWidth;
    Options.WindowHeight = Options.Display.WindowHeight;
  }
  if (Options.WindowWidth > 0) {
    WindowedWidth = Options.WindowWidth;
    WindowedHeight = Options.WindowHeight;
  }
  const int width = Options.WindowWidth > 0 ? Options.WindowWidth : CreationWidth;
  const int height = Options.WindowHeight > 0 ? Options.WindowHeight : CreationHeight;
  if (!StartVideo(Error) || !GameWindow.Create("Quintara", width, height, Error))
    return StartAudio();
  std::string missing;
  if (!LoadGLTable(&TWindow::GetProcAddress, missing)) {
    Error = "the OpenGL driver has no " + missing;
    GameWindow.Destroy();
    return StartAudio();
  }
  Window = &GameWindow;
  ContextReady = true;
  // Pads and sticks plugged in now or later work at once; without them the keyboard does.
  StartGamepads();
  return StartAudio();
}

bool TMainForm::StartAudio() {
  SoundAvailable = InitAudio();
  if (!SoundAvailable) {
    ShowMessage("Audio could not be started (OpenAL and FluidSynth are required).");
    return false;
  }
  return ContextReady;
}

bool TMainForm::ShowWindow() {
  if (Options.WindowWidth > 0) {
    GameWindow.SetWindowedSize(Options.WindowWidth, Options.WindowHeight);
    GameWindow.Show();
    FullScreen = false;
    return true;
  }
  // A virtual display may list no usable mode: full screen at the desktop's size then.
  const TDisplayMode* mode = DisplayModes.empty() ? nullptr : &DisplayModes[Config.DisplayMode];
  std::string error;
  GameWindow.Show();
  if (!GameWindow.EnterFullScreen(mode, error)) {
    ShowMessage("Wrong Display Mode!");
    return false;
  }
  FullScreen = true;
  return true;
}

bool TMainForm::FormActivate() {
  if (!ContextReady) {
    ShowMessage("Error creating Render Context");
    return false;
  }
  if (Window) {
    if (!ShowWindow()) return false;
    GameWindow.SetVsync(Options.Vsync);
  }
  InitialGLState();
  OnRender = {};
  SetRandomSeed(ChooseSeed(Options.Seed));
  try {
    if (VertexProgramSupported) VertexPrograms = std::make_unique<TVertexShader>(VertexProgramKind);
    BuildFont();
  } catch (const TFileError& e) {
    ShowMessage(std::string("The game's data is incomplete.\n") + e.what());
    return false;
  }
  SelectLanguage(Config.Language);
  RestartCounter();
  if (Options.Viewer > 0) return StartViewer();
  if (Options.OverlayTest) {
    OverlayScreen = std::make_unique<TOverlayTestScreen>();
    OverlayScreen->Start();
    return true;
  }
  return StartFlow();
}

// The intro, or with a mission chosen on the command line that mission as if the mission
// screen had started it.
bool TMainForm::StartFlow() {
  TWindow* window = Window;
  Flow = std::make_unique<TMissionFlow>(Options.FlowSetup, [window] {
    if (window) window->SwapBuffers();
  });
  Flow->SetScreenshotSaver([this](const std::string& path) { return SaveScreenshot(path); });
  try {
    if (Options.DirectMission == 0) {
      Flow->ShowIntro();
      return true;
    }
    CurrentLevel = Options.DirectMission;
    if (Flow->StartMission()) return true;
  } catch (const TFileError& e) {
    ShowMessage(std::string("The game's data is incomplete.\n") + e.what());
  }
  Flow.reset();
  return false;
}

void TMainForm::FocusLost() {
  if (Flow) Flow->FocusLost();
}

bool TMainForm::StartViewer() {
  Viewer = std::make_unique<TViewerScreen>(Options.Viewer, Options.ViewerSetup,
                                           [this](const std::string& path) { SaveScreenshot(path); });
  try {
    Viewer->Start();
  } catch (const TFileError& e) {
    Viewer.reset();
    ShowMessage(std::string("The mission's world cannot be shown.\n") + e.what());
    return false;
  }
  return true;
}

void TMainForm::FormDestroy() {
  OnRender = {};
  Viewer.reset();
  Flow.reset();
  OverlayScreen.reset();
  FreeOverlay();
  // The programs belong to the context, so they go before it does.
  VertexPrograms.reset();
  DeleteFont();
  ClearTextureCache();
  if (SoundAvailable) DoneAudio();
  SoundAvailable = false;
  Window = nullptr;
  FullScreen = false;
  StopGamepads();
  GameWindow.Destroy();
  ContextReady = false;
}

uint32_t ChooseSeed(const std::optional<uint32_t>& seed) {
  if (seed) return *seed;
  int64_t frequency = 0;
  TClockSource& clock = ActiveClock();
  if (clock.QueryFrequency(frequency)) return static_cast<uint32_t>(clock.QueryCounter());
  return clock.TickCount();
}
