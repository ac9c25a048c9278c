// WorldLiveBench.cpp — a mission's loading, and one frame of a living mission: every actor of the
// roster awake and within view, run through the level's frame order on the null GL table
// (pairing, behaviours, shots, missiles, lights, particles). The frame time is fixed at 16 ms;
// each frame benchmark first lets the world live for a few seconds so that fights are under way.
#include "actors/ActorUnit.h"
#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/MotionUnit.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "levels/LevelUnit.h"
#include "levels/MissionFactory.h"
#include "levels/MissionSettings.h"
#include "platform/GLTable.h"
#include "sound/SoundUnit.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

constexpr int32_t FrameMs = 16;
constexpr int32_t WarmUpFrames = 300;

class TOverview final : public TEye {
public:
  TVector EyePoint() const override { return {2200, 2200, 3000}; }
  const TMatrix& CameraMatrix() const override { return Identity; }
  const TMatrix& ViewMatrix() const override { return Identity; }
  void SetShake(const TVector&) override {}
  TMatrix Identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

std::string GameDir() {
  const char* dir = std::getenv("QUINTARA_DATA");
  return dir && *dir ? dir : QUINTARA_GAME_DIR;
}

void BM_LiveFrame(benchmark::State& state) {
  LoadNullGLTable();
  SetAppDir(GameDir());
  if (!std::filesystem::exists(DataDir + MissionSettings(1).Terrain)) {
    state.SkipWithError("no forged data (set QUINTARA_DATA)");
    return;
  }
  const int32_t mission = static_cast<int32_t>(state.range(0));
  Config = DefaultConfig();
  SetRandomSeed(1);
  TOverview eye;
  auto level = std::make_unique<TLevel>(mission, TLevelOptions{true, TDormancy::WakeAll});
  level->Eye = &eye;
  level->LoadWorld();
  level->ViewRange = 100000;
  level->Actors.front()->State = StateGone;
  for (int32_t frame = 0; frame < WarmUpFrames; ++frame) {
    Counter.Elapsed = FrameMs;
    level->Frame();
  }
  for (auto _ : state) {
    Counter.Elapsed = FrameMs;
    level->Frame();
  }
  const TLevel::TCensus census = level->Census();
  state.counters["alive"] = census.Alive;
  level.reset();
  FreeAllAudio();
  ClearTextureCache();
  ClearMotionCache();
}

// A mission from its LoadLevel to the moment its first frame can run: the world, the HUD, the
// roster, the music, every cache cold (the texture, mesh and path caches are emptied each time).
void BM_LoadMission(benchmark::State& state) {
  LoadNullGLTable();
  SetAppDir(GameDir());
  if (!std::filesystem::exists(DataDir + MissionSettings(1).Terrain)) {
    state.SkipWithError("no forged data (set QUINTARA_DATA)");
    return;
  }
  const int32_t mission = static_cast<int32_t>(state.range(0));
  Config = DefaultConfig();
  for (auto _ : state) {
    std::unique_ptr<TLevel> level = CreateMission(mission);
    level->LoadLevel();
    state.PauseTiming();
    level.reset();
    FreeAllAudio();
    ClearTextureCache();
    ClearMotionCache();
    state.ResumeTiming();
  }
}

BENCHMARK(BM_LoadMission)->DenseRange(1, 5)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LiveFrame)->DenseRange(1, 5)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
