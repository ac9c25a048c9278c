// MissionScreen.h — a mission played in the game window: the level chosen by CurrentLevel,
// loaded with its loading bar, run frame by frame with the keyboard and mouse (or paused on its
// question), and its outcome taken when it ends: the player's progress recorded as the results
// screen records it, and, for scripted runs, one "result ..." line.
#pragma once

#include "levels/KeyboardControls.h"
#include "levels/LevelUnit.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The mission object for mission 1..5.
std::unique_ptr<TLevel> CreateMission(int32_t mission);

struct TMissionScreenOptions {
  bool Report = false;  // print the result line when the screen ends
  bool ExitWhenDone = true;  // close the game window once the mission has ended
};

class TMissionScreen {
public:
  using TSwap = std::function<void()>;

  // swap shows the back buffer (the loading bar is drawn outside the frame loop).
  TMissionScreen(int32_t mission, const TMissionScreenOptions& options, TSwap swap);
  // Prints the result line (once) when asked to and frees the level.
  ~TMissionScreen();

  // Loads the mission and installs the frame function. Throws TFileError naming what stopped
  // the loading; the level is then freed.
  void Start();
  void Frame();

  // "result mission=N outcome=... phase=P lives=L accuracy=A frames=F".
  std::string ResultLine() const;

  std::unique_ptr<TLevel> Level;

private:
  void Finish();
  void RecordProgress() const;

  int32_t Mission;
  TMissionScreenOptions Options;
  TSwap Swap;
  TKeyboardControls Keyboard;
  bool Reported = false;
  bool Finished = false;
};
