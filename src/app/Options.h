// Options.h — the command line: what to run and how (launcher, window, headless, tools).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct TOptions {
  bool Help = false;
  bool Info = false;
  bool Headless = false;   // no window, the null GL table
  bool Offscreen = false;  // a real context with no visible window (Mesa)
  int WindowWidth = 0;     // > 0: windowed at this size instead of full screen
  int WindowHeight = 0;
  bool Vsync = true;
  bool VertexPrograms = true;  // false: the processor computes what the programs would
  bool Shadows = true;     // false: no shadows, whatever the settings say
  bool OverlayTest = false;  // first screen: the overlay and audio test
  int Mission = 0;         // 1..5: start this mission, skipping the launcher
  std::string Player;      // without the launcher: play as this profile (UTF-8 name)
  bool Bot = false;        // the computer pilot flies the player's aircraft
  bool ShowFrameRate = false;  // the frame-rate readout from the start (F11 switches it)
  bool LoadTime = false;       // print how long every mission took from Start to its first frame
  bool PassTimes = false;      // time every pass of every frame and print the table at the end
  std::string Record;      // write the played mission's controls and frame times to this file
  std::string Replay;      // play this recording back
  int Viewer = 0;          // 1..5: fly over this mission's world
  bool CameraGiven = false;
  float Camera[5] = {};    // x, y, z, yaw, pitch (degrees) for the viewer
  int64_t Flight = 0;      // > 0: the viewer flies its measurement lap for this many ms
  bool ViewerActors = true;  // false: the viewer shows the world without the roster
  bool Cinematic = false;    // the viewer plays the mission's recorded flights
  bool Live = false;         // the viewer's actors live their roster behaviours
  bool WakeAll = false;      // the viewer also wakes the actors a mission wakes later
  std::optional<uint32_t> Seed;
  int FixedStep = 0;       // > 0: every frame lasts exactly this many milliseconds
  int64_t Frames = 0;      // > 0: stop after this many frames
  std::string Screenshot;  // PNG of the last frame
  std::string Dir;         // AppDir; empty = the working directory
};

// Parses argv; returns nothing and sets `error` for an unknown option or a bad value.
std::optional<TOptions> ParseOptions(int argc, const char* const* argv, std::string& error);

// Options that start the game directly instead of showing the launcher.
bool SkipsLauncher(const TOptions& options);

const char* UsageText();
