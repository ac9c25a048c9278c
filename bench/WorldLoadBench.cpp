// WorldLoadBench.cpp — loading each mission's world as the viewer and the missions load it:
// the atmosphere's scattering table, the terrain from its .srf file, and the mesh of every actor
// of the roster. Runs on the null GL table over the forged data tree beside the build (or the
// game directory named by QUINTARA_DATA). Every iteration starts cold: no cached texture or mesh.
#include "core/Globals.h"
#include "core/Texture.h"
#include "levels/MissionRoster.h"
#include "levels/MissionSettings.h"
#include "platform/GLTable.h"
#include "render/Atmosphere.h"
#include "render/MeshUnit.h"
#include "render/SceneGlobals.h"
#include "render/Surface.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int Repetitions = 5;  // the median of these is the figure to read

std::string GameDir() {
  const char* dir = std::getenv("QUINTARA_DATA");
  return dir && *dir ? dir : QUINTARA_GAME_DIR;
}

// False (with the benchmark skipped) when the data tree has not been forged.
bool UseGameData(benchmark::State& state) {
  LoadNullGLTable();
  SetAppDir(GameDir());
  if (std::filesystem::exists(DataDir + MissionSettings(1).Terrain)) return true;
  state.SkipWithError(("no forged data in " + GameDir() + " (set QUINTARA_DATA)").c_str());
  return false;
}

void Cold() {
  ClearMeshCache();
  ClearTextureCache();
}

void SetMissionLight(int32_t mission) { VectorNormalize(MissionSettings(mission).LightDirection, LightDirection); }

void BM_LoadAtmosphere(benchmark::State& state) {
  const int32_t mission = static_cast<int32_t>(state.range(0));
  const TMissionSettings& settings = MissionSettings(mission);
  SetMissionLight(mission);
  for (auto _ : state) {
    TAtmosphere atmosphere;
    TAtmosphere::ScaleCoefficients(settings.RayleighScale, settings.MieScale);
    atmosphere.Compute();
    benchmark::DoNotOptimize(atmosphere.Table.data());
  }
}

void BM_LoadTerrain(benchmark::State& state) {
  if (!UseGameData(state)) return;
  const int32_t mission = static_cast<int32_t>(state.range(0));
  const TMissionSettings& settings = MissionSettings(mission);
  SetMissionLight(mission);
  TSurfSettings surface;
  surface.TextureScale = settings.TextureScale;
  surface.TerrainFlag = settings.TerrainFlag;
  surface.LightDirection = LightDirection;
  for (auto _ : state) {
    state.PauseTiming();
    Cold();
    state.ResumeTiming();
    TSurf terrain(DataDir + settings.Terrain, surface);
    benchmark::DoNotOptimize(terrain.Vertices.data());
  }
  Cold();
}

// One copy per actor through the mesh cache, as the missions and the viewer make them.
void BM_LoadRosterMeshes(benchmark::State& state) {
  if (!UseGameData(state)) return;
  const int32_t mission = static_cast<int32_t>(state.range(0));
  const std::span<const TRosterEntry> roster = MissionRoster(mission);
  std::vector<TMesh> meshes(roster.size());
  for (auto _ : state) {
    state.PauseTiming();
    Cold();
    state.ResumeTiming();
    for (size_t i = 0; i < roster.size(); ++i)
      meshes[i].LoadFromFile(DataDir + roster[i].Mesh + ".msh", LightSpaceMatrix);
    benchmark::DoNotOptimize(meshes.data());
  }
  state.counters["actors"] = static_cast<double>(roster.size());
  Cold();
}

void PerMission(benchmark::internal::Benchmark* b) {
  b->ArgName("mission")->DenseRange(1, MissionCount)->Unit(benchmark::kMillisecond);
  b->Repetitions(Repetitions)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_LoadAtmosphere)->Apply(PerMission);
BENCHMARK(BM_LoadTerrain)->Apply(PerMission);
BENCHMARK(BM_LoadRosterMeshes)->Apply(PerMission);

}  // namespace
