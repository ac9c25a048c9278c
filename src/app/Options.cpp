// Options.cpp — command-line parsing.
#include "app/Options.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <string>
#include <cstring>
#include <limits>

namespace {

template <typename T>
bool ParseNumber(const char* text, T minimum, T maximum, T& out) {
  const char* end = text + std::strlen(text);
  T value{};
  auto [ptr, ec] = std::from_chars(text, end, value);
  if (ec != std::errc() || ptr != end || value < minimum || value > maximum) return false;
  out = value;
  return true;
}

// "X,Y,Z,YAW,PITCH": five finite numbers.
bool ParseCamera(const char* text, float (&out)[5]) {
  std::string rest = text;
  for (int i = 0; i < 5; ++i) {
    const size_t comma = rest.find(',');
    if ((comma == std::string::npos) != (i == 4)) return false;
    const std::string field = rest.substr(0, comma);
    size_t used = 0;
    try {
      out[i] = std::stof(field, &used);
    } catch (const std::exception&) {
      return false;
    }
    if (used != field.size() || !std::isfinite(out[i])) return false;
    rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
  }
  return true;
}

bool ParseSize(const char* text, int& width, int& height) {
  const char* x = std::strchr(text, 'x');
  if (!x) return false;
  std::string w(text, x);
  return ParseNumber(w.c_str(), 64, 16384, width) && ParseNumber(x + 1, 64, 16384, height);
}

}  // namespace

std::optional<TOptions> ParseOptions(int argc, const char* const* argv, std::string& error) {
  TOptions o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return nullptr;
      }
      return argv[++i];
    };
    auto bad = [&](const char* v) {
      error = "bad value for " + arg + ": " + v;
      return std::nullopt;
    };
    if (arg == "--help" || arg == "-h") {
      o.Help = true;
    } else if (arg == "--info") {
      o.Info = true;
    } else if (arg == "--headless") {
      o.Headless = true;
    } else if (arg == "--offscreen") {
      o.Offscreen = true;
    } else if (arg == "--overlay-test") {
      o.OverlayTest = true;
    } else if (arg == "--no-vertex-programs") {
      o.VertexPrograms = false;
    } else if (arg == "--no-vsync") {
      o.Vsync = false;
    } else if (arg == "--windowed") {
      const char* v = value();
      if (!v) return std::nullopt;
      if (!ParseSize(v, o.WindowWidth, o.WindowHeight)) return bad(v);
    } else if (arg == "--mission") {
      const char* v = value();
      if (!v) return std::nullopt;
      if (!ParseNumber(v, 1, 5, o.Mission)) return bad(v);
    } else if (arg == "--player") {
      const char* v = value();
      if (!v) return std::nullopt;
      if (!*v) return bad(v);
      o.Player = v;
    } else if (arg == "--fps") {
      o.ShowFrameRate = true;
    } else if (arg == "--load-time") {
      o.LoadTime = true;
    } else if (arg == "--pass-times") {
      o.PassTimes = true;
    } else if (arg == "--bot") {
      o.Bot = true;
    } else if (arg == "--record") {
      const char* v = value();
      if (!v) return std::nullopt;
      if (!*v) return bad(v);
      o.Record = v;
    } else if (arg == "--replay") {
      const char* v = value();
      if (!v) return std::nullopt;
      if (!*v) return bad(v);
      o.Replay = v;
    } else if (arg == "--viewer") {
      const char* v = value();
      if (!v) return std::nullopt;
      if (!ParseNumber(v, 1, 5, o.Viewer)) return bad(v);
    } else if (arg == "--camera") {
      const char* v = value();
      if (!v) return std::nullopt;
      if (!ParseCamera(v, o.Camera)) return bad(v);
      o.CameraGiven = true;
    } else if (arg == "--no-actors") {
      o.ViewerActors = false;
    } else if (arg == "--cinematic") {
      o.Cinematic = true;
    } else if (arg == "--live") {
      o.Live = true;
    } else if (arg == "--wake-all") {
      o.WakeAll = true;
    } else if (arg == "--no-shadows") {
      o.Shadows = false;
    } else if (arg == "--flight") {
      const char* v = value();
      if (!v) return std::nullopt;
      if (!ParseNumber<int64_t>(v, 1, std::numeric_limits<int32_t>::max(), o.Flight)) return bad(v);
    } else if (arg == "--seed") {
      const char* v = value();
      if (!v) return std::nullopt;
      uint32_t seed = 0;
      if (!ParseNumber<uint32_t>(v, 0, std::numeric_limits<uint32_t>::max(), seed)) return bad(v);
      o.Seed = seed;
    } else if (arg == "--fixed-step") {
      const char* v = value();
      if (!v) return std::nullopt;
      if (!ParseNumber(v, 1, 1000, o.FixedStep)) return bad(v);
    } else if (arg == "--frames") {
      const char* v = value();
      if (!v) return std::nullopt;
      if (!ParseNumber<int64_t>(v, 1, std::numeric_limits<int64_t>::max(), o.Frames))
        return bad(v);
    } else if (arg == "--screenshot") {
      const char* v = value();
      if (!v) return std::nullopt;
      o.Screenshot = v;
    } else if (arg == "--dir") {
      const char* v = value();
      if (!v) return std::nullopt;
      o.Dir = v;
    } else {
      error = "unknown option " + arg;
      return std::nullopt;
    }
  }
  if (o.Headless && o.Offscreen) {
    error = "--headless and --offscreen exclude each other";
    return std::nullopt;
  }
  if ((o.Bot || !o.Record.empty()) && o.Mission == 0) {
    error = "--bot and --record need --mission";
    return std::nullopt;
  }
  if (!o.Replay.empty() && (o.Bot || !o.Record.empty() || o.Viewer != 0)) {
    error = "--replay plays a recording: not with --bot, --record or --viewer";
    return std::nullopt;
  }
  if (!o.Player.empty() && (o.Viewer != 0 || o.OverlayTest)) {
    error = "--player plays the missions: not with --viewer or --overlay-test";
    return std::nullopt;
  }
  if (o.Flight > 0 && o.Viewer == 0) {
    error = "--flight needs --viewer";
    return std::nullopt;
  }
  if (o.Cinematic && (o.Viewer == 0 || o.Flight > 0)) {
    error = "--cinematic needs --viewer and no --flight";
    return std::nullopt;
  }
  if ((o.Live || o.WakeAll) && o.Viewer == 0) {
    error = "--live and --wake-all need --viewer";
    return std::nullopt;
  }
  if (o.Headless && !o.Screenshot.empty()) {
    error = "--screenshot needs a real context (--offscreen or a window)";
    return std::nullopt;
  }
  // Without a display the window has no natural size; pick the classic one.
  if ((o.Headless || o.Offscreen) && o.WindowWidth == 0) {
    o.WindowWidth = 1024;
    o.WindowHeight = 768;
  }
  return o;
}

bool SkipsLauncher(const TOptions& o) {
  return o.Headless || o.Offscreen || o.Mission != 0 || !o.Replay.empty() || !o.Player.empty() || o.Viewer != 0 || o.Frames != 0 ||
         !o.Screenshot.empty();
}

const char* UsageText() {
  return "Usage: quintara [options]\n"
         "Without options the launcher opens: choose a player, the settings, and Start.\n"
         "\n"
         "  --windowed WxH      play in a window of this size instead of full screen\n"
         "  --no-vsync          do not wait for the display's refresh between frames\n"
         "  --overlay-test      open on a test screen of texts, buttons, music and effects\n"
         "  --no-vertex-programs  draw without the driver's vertex programs, as on old cards\n"
         "  --mission N         play mission N (1-5) at once, skipping the launcher and the\n"
         "                      intro; its result unlocks the next mission as usual and the\n"
         "                      results screen follows. With --headless or --frames a line\n"
         "                      'result mission=N outcome=success|failure|unfinished phase=P\n"
         "                      lives=L accuracy=A frames=F' is printed at the end; headless,\n"
         "                      the run ends with the mission\n"
         "  --fps               show the frame rate in the top-right corner (F11 switches it)\n"
         "                      and print the average and the slowest second at the end\n"
         "  --load-time         print 'load mission=N ms=T' once a mission's first frame is\n"
         "                      drawn: the time since its Start\n"
         "  --pass-times        time each pass of every world frame (shadows, clear, terrain,\n"
         "                      sky, actors, effects, flare, HUD), the driver finishing after\n"
         "                      each, and print milliseconds a frame per pass at the end,\n"
         "                      with the passes of the slowest frame after the first\n"
         "  --bot               with --mission: a computer pilot flies the player's aircraft\n"
         "  --record FILE       with --mission: write the mission's controls and frame times\n"
         "                      to FILE (by the player or the bot)\n"
         "  --replay FILE       play a recording back: the same mission, seed, frame times and\n"
         "                      controls, to the same result and hash; ends where it ends\n"
         "  --player NAME       without the launcher, play as this player (the profile in\n"
         "                      Player/ is made when new); default: the last player chosen\n"
         "  --viewer N          fly over mission N's world and its actors (arrows and mouse\n"
         "                      turn, W/S fly, X sets off a test explosion, F12 saves a\n"
         "                      screenshot), skipping the launcher\n"
         "  --camera X,Y,Z,YAW,PITCH  where the viewer's eye starts (degrees; yaw 0 looks\n"
         "                      along +y, negative pitch looks down)\n"
         "  --no-actors         with --viewer: the world without the mission's actors\n"
         "  --no-shadows        draw no shadows, whatever the settings say\n"
         "  --cinematic         with --viewer: the world lives (as --live) and, in mission 1,\n"
         "                      the camera flies the opening sweep\n"
         "  --live              with --viewer: the actors live their roster behaviours\n"
         "                      (fighters fly and fight, turrets fire, airships fly their\n"
         "                      paths); headless, a line 'world frame=F alive=A dying=D\n"
         "                      gone=G shots=S missiles=M' is printed at the end\n"
         "  --wake-all          with --viewer: also wake the actors a mission wakes later\n"
         "  --flight MS         with --viewer: fly a fixed lap over the map for MS ms of game\n"
         "                      time, then print the frames and the frame rate and stop\n"
         "  --headless          run without a window or a graphics driver\n"
         "  --offscreen         render with a real OpenGL context but no visible window\n"
         "  --frames N          stop after N frames\n"
         "  --fixed-step MS     every frame lasts exactly MS milliseconds\n"
         "  --seed S            seed the random generator with S (repeatable runs)\n"
         "  --screenshot FILE   write the last frame as a PNG image\n"
         "  --dir PATH          the game directory (default: the working directory)\n"
         "  --info              print the OpenGL renderer, capabilities and display modes\n"
         "  --help              show this text\n";
}
