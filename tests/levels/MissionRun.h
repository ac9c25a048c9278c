// MissionRun.h — a whole mission run headless for the pilot and replay tests: null GL table,
// forged data, default settings without shadows, a fixed seed and a clock of the test's choice;
// everything the run loaded is freed at the end.
#pragma once

#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/MotionUnit.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "levels/LevelUnit.h"
#include "levels/MissionFactory.h"
#include "platform/Clock.h"
#include "platform/GLTable.h"
#include "render/GLVisualObjectUnit.h"
#include "sound/SoundUnit.h"

#include <filesystem>
#include <memory>

inline bool MissionDataForged() {
  SetAppDir(QUINTARA_GAME_DIR);
  return std::filesystem::exists(DataDir + "lev1.srf");
}

class TMissionRun {
public:
  // The clock must outlive the run; it becomes the active clock before the level loads, so
  // the level's counter starts on it.
  TMissionRun(int32_t mission, uint32_t seed, TClockSource& clock, TControlSource* input) : Saved(Config) {
    LoadNullGLTable();
    SetAppDir(QUINTARA_GAME_DIR);
    Config = DefaultConfig();
    Config.Shadows = 0;
    SetRandomSeed(seed);
    SetActiveClock(&clock);
    Level = CreateMission(mission);
    Level->Input = input;
    Level->LoadLevel();
  }
  ~TMissionRun() {
    Level.reset();
    FreeOverlay();
    FreeAllAudio();
    ClearTextureCache();
    ClearMotionCache();
    Config = Saved;
    SetActiveClock(nullptr);
    RestartCounter();
  }
  TMissionRun(const TMissionRun&) = delete;
  TMissionRun& operator=(const TMissionRun&) = delete;

  // Frames until the mission ends or `limit` frames have run; true when it ended.
  bool Run(int64_t limit) {
    for (int64_t i = 0; i < limit; ++i) {
      Level->MissionFrame();
      ++FramesRun;
      if (Level->Outcome != TOutcome::Running) return true;
    }
    return false;
  }

  std::unique_ptr<TLevel> Level;
  int64_t FramesRun = 0;

private:
  TConfig Saved;
};

// A pair of hands that never touches anything.
class TIdleControls final : public TControlSource {
public:
  TControlState Poll(int32_t) override { return {}; }
};
