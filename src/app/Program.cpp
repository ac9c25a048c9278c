// Program.cpp — program start, in order: options and directories; the game window's hidden
// context; the settings (display modes, capabilities, config.cfg); the launcher unless the
// options start the game directly; the game window until it closes.
#include "app/Program.h"

#include "app/MainUnit.h"
#include "app/Options.h"
#include "app/SetUnit.h"
#include "app/StartUnit.h"
#include "core/ConfigUnit.h"
#include "core/DisplaySettings.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/PlayerProfile.h"
#include "core/ReplayFile.h"
#include "core/TextCodec.h"
#include "core/UserFiles.h"
#include "platform/Clock.h"
#include "platform/GamePaths.h"
#include "platform/GLTable.h"
#include "platform/Message.h"
#include "platform/Window.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

// The game's tree beside the executable (or the install's), wherever the game is started from;
// what a player writes goes to the tree when it can be written, else to the user's own folder.
void SetDirectories(const TOptions& options) {
  std::error_code ec;
  SetAppDir(options.Dir.empty() ? FindGameDir() : std::filesystem::absolute(options.Dir, ec).string());
  ChooseUserDir(AppDir);
}

// The recording --replay names, checked against the run's other options. False after a
// message when it cannot be played.
bool LoadReplay(const TOptions& options, TReplay& replay) {
  try {
    replay = ReadReplay(options.Replay, options.Mission);
  } catch (const TFileError& e) {
    std::fprintf(stderr, "quintara: the recording cannot be played: %s\n", e.what());
    return false;
  }
  if (options.FixedStep > 0 && replay.Step != options.FixedStep) {
    std::fprintf(stderr, "quintara: %s was recorded at %s; a replay runs at the recorded frame times\n",
                 options.Replay.c_str(),
                 replay.Step > 0 ? ("--fixed-step " + std::to_string(replay.Step)).c_str() : "the real clock");
    return false;
  }
  return true;
}

const char* ExtensionString(const TMainForm& form) {
  if (!form.HasContext()) return nullptr;
  return reinterpret_cast<const char*>(GL.GetString(GL_EXTENSIONS));
}

void PrintInfo(const TMainForm& form) {
  auto text = [](GLenum name) {
    const GLubyte* s = GL.GetString(name);
    return s ? reinterpret_cast<const char*>(s) : "";
  };
  if (!form.HasContext()) {
    std::printf("No OpenGL context: %s\n", form.ContextError().c_str());
  } else {
    std::printf("Renderer: %s\nVendor: %s\nVersion: %s\n", text(GL_RENDERER), text(GL_VENDOR),
                text(GL_VERSION));
  }
  std::printf("Vertex programs: %s (kind %d)\nBump mapping: %s\nEdge clamp: %s\nBorder clamp: %s\n",
              VertexProgramSupported ? "yes" : "no", VertexProgramKind,
              BumpSupported ? "yes" : "no", EdgeClampSupported ? "yes" : "no",
              BorderClampSupported ? "yes" : "no");
  std::printf("Render to texture: %s\n", GL.BindFramebuffer ? "yes" : "no");
  std::printf("Display modes: %zu\n", DisplayModes.size());
  for (const TDisplayMode& mode : DisplayModes) std::printf("  %s\n", DisplayModeLine(mode).c_str());
}

bool HasDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

// Undoes the process-wide choices a run made, so that a run inside a test leaves none behind.
struct TRunScope {
  TMessageSink PreviousSink = MessageSink();
  ~TRunScope() {
    SetActiveClock(nullptr);
    SetMessageSink(PreviousSink);
  }
};

// Without the launcher: the profile named by --player (made as the launcher makes a new one
// when there is none yet), else the last player's, else none at all, whose progress lasts for
// this run only. False after a message when the named profile cannot be used.
bool LoadDirectProfile(const TOptions& options) {
  PlayerRecord = {};
  PlayerRecord.Progress = FirstMission;
  CurrentLevel = FirstMission;
  std::string name = options.Player;
  if (name.empty()) {
    try {
      name = ReadLastPlayer(LastPlayerPath(TFileUse::Read));
    } catch (const TFileError&) {
      // An unreadable player.cfg is the same as none.
    }
    if (!PlayerNameProblem(name).empty() || !FileExists(ProfilePath(name, TFileUse::Read))) return true;
  } else {
    std::optional<std::string> cp1250 = Utf8ToCp1250(name);
    if (!cp1250) {
      ShowMessage("The player's name can only use letters of the Central European alphabet.");
      return false;
    }
    name = *cp1250;
    if (std::string problem = PlayerNameProblem(name); !problem.empty()) {
      ShowMessage(problem);
      return false;
    }
  }
  try {
    if (!FileExists(ProfilePath(name, TFileUse::Read))) {
      SetShortString(PlayerRecord.Name, name);
      WriteProfile(ProfilePath(name, TFileUse::Write), PlayerRecord);
    }
    PlayerRecord = ReadProfile(ProfilePath(name, TFileUse::Read));
  } catch (const TFileError& e) {
    ShowMessage(std::string("The player's profile cannot be used.\n") + e.what());
    return false;
  }
  // The profile keeps the name it was made with; progress is written back under this one.
  SetShortString(PlayerRecord.Name, name);
  CurrentLevel = PlayerRecord.Progress;
  return true;
}

int RunGame(TMainForm& form, const TOptions& options) {
  if (!form.FormActivate()) return 1;
  form.ShowFrameRate = options.ShowFrameRate;
  form.RunFrameLoop(options.Frames, options.Screenshot);
  if (options.ShowFrameRate) form.ReportFrameRate();
  form.FormDestroy();
  return 0;
}

}  // namespace

int RunProgram(int argc, const char* const* argv) {
  std::string error;
  std::optional<TOptions> parsed = ParseOptions(argc, argv, error);
  if (!parsed) {
    std::fprintf(stderr, "quintara: %s\n%s", error.c_str(), UsageText());
    return 2;
  }
  const TOptions& options = *parsed;
  if (options.Help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  SetDirectories(options);

  std::unique_ptr<TFixedStepClock> fixedClock;
  TRunScope scope;
  if (options.FixedStep > 0) {
    fixedClock = std::make_unique<TFixedStepClock>(options.FixedStep);
    SetActiveClock(fixedClock.get());
  }
  // Messages go to standard error unless a real display can show them.
  if ((options.Headless || options.Offscreen) && !MessageSink())
    SetMessageSink([](const std::string& text) { std::fprintf(stderr, "quintara: %s\n", text.c_str()); });
  if (options.Offscreen) setenv("SDL_VIDEODRIVER", "offscreen", 1);
  const bool launcher = !SkipsLauncher(options) && !options.Info;
  if (launcher && !HasDisplay()) {
    std::fprintf(stderr, "quintara: no display to open the launcher on (try --headless)\n");
    return 1;
  }

  TMainForm form;
  TGameWindowOptions windowOptions;
  windowOptions.Headless = options.Headless;
  windowOptions.WindowWidth = options.WindowWidth;
  windowOptions.WindowHeight = options.WindowHeight;
  windowOptions.Display = LoadDisplaySettings(DisplayPath(TFileUse::Read));
  windowOptions.Vsync = options.Vsync;
  windowOptions.OverlayTest = options.OverlayTest;
  windowOptions.Viewer = options.Viewer;
  if (options.CameraGiven)
    windowOptions.ViewerSetup.Camera = TViewerCamera{{options.Camera[0], options.Camera[1], options.Camera[2]},
                                                     options.Camera[3], options.Camera[4]};
  windowOptions.ViewerSetup.FlightMs = options.Flight;
  windowOptions.ViewerSetup.Actors = options.ViewerActors;
  windowOptions.ViewerSetup.Cinematic = options.Cinematic;
  windowOptions.ViewerSetup.Live = options.Live || options.Cinematic;
  windowOptions.ViewerSetup.WakeAll = options.WakeAll;
  windowOptions.ViewerSetup.Report = options.Headless;
  TReplay replay;
  if (!options.Replay.empty() && !LoadReplay(options, replay)) return 2;
  const int32_t mission = options.Replay.empty() ? options.Mission : replay.Mission;
  windowOptions.DirectMission = mission;
  windowOptions.FlowSetup.Bot = options.Bot;
  windowOptions.FlowSetup.LoadTime = options.LoadTime;
  windowOptions.FlowSetup.PassTimes = options.PassTimes;
  windowOptions.ViewerSetup.PassTimes = options.PassTimes;
  windowOptions.FlowSetup.RecordPath = options.Record;
  windowOptions.FlowSetup.Replay = options.Replay.empty() ? nullptr : &replay;
  windowOptions.FlowSetup.Step = options.FixedStep;
  windowOptions.FlowSetup.Report = options.Headless || options.Frames > 0;
  windowOptions.FlowSetup.ExitAfterMission = (options.Headless && mission > 0) || !options.Replay.empty();
  // Runs on a fixed step are repeatable and as fast as they can be: they never sleep.
  windowOptions.FlowSetup.PaceMenus = !options.Headless && options.FixedStep == 0;
  windowOptions.Seed = options.Seed;
  if (!form.FormCreate(windowOptions) && form.AudioFailed()) return 1;

  TSetForm settings;
  int desktopWidth = 0, desktopHeight = 0;
  if (!options.Headless) DesktopSize(desktopWidth, desktopHeight);
  settings.FormCreate(options.Headless ? std::vector<TDisplayMode>{} : EnumerateDisplayModes(),
                      ExtensionString(form), &GetGLProcAddress, desktopWidth, desktopHeight);
  // As on a card without them: bump colours and fog are computed by the processor instead.
  if (!options.VertexPrograms) VertexProgramSupported = false;
  // As if the settings had them off, for this run.
  if (!options.Shadows) Config.Shadows = 0;
  if (options.Info) {
    PrintInfo(form);
    return form.HasContext() ? 0 : 1;
  }

  if (launcher) {
    TStartForm start(settings);
    start.FormCreate();
    if (!start.Run()) return 0;
  } else if (!LoadDirectProfile(options)) {
    return 1;
  }
  return RunGame(form, options);
}
