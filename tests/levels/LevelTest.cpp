// LevelTest.cpp — whole worlds on the null table: every mission's roster comes alive through
// the factory and runs in the level's frame order without fault and repeatably; a damaged or
// impossible roster stops the loading with the file named and leaves nothing behind; shadows
// are made and rendered as the classes say.
#include "levels/LevelUnit.h"

#include "actors/ActorUnit.h"
#include "actors/AirCraftUnit.h"
#include "common/TempDir.h"
#include "core/ConfigUnit.h"
#include "core/Error.h"
#include "core/Globals.h"
#include "core/MotionUnit.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "levels/MissionRoster.h"
#include "levels/MissionSettings.h"
#include "platform/GLTable.h"
#include "render/ShadowUnit.h"
#include "render/Surface.h"
#include "sound/SoundUnit.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

// An eye high over the middle of the map that sees every actor and lets every actor run.
class TOverview final : public TEye {
public:
  TVector EyePoint() const override { return {2200, 2200, 3000}; }
  const TMatrix& CameraMatrix() const override { return Identity; }
  const TMatrix& ViewMatrix() const override { return Identity; }
  void SetShake(const TVector&) override {}
  TMatrix Identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

class Level : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    SetAppDir(QUINTARA_GAME_DIR);
    if (!fs::exists(DataDir + "lev1.srf")) GTEST_SKIP() << "no data forged";
    SavedConfig = Config;
    Config = DefaultConfig();
    Config.Shadows = 0;
  }
  void TearDown() override {
    FreeAllAudio();
    ClearTextureCache();
    ClearMotionCache();
    SetAppDir(QUINTARA_GAME_DIR);
    Config = SavedConfig;
  }

  // Mission's roster, all awake, run for frames of 16 ms from seed.
  std::unique_ptr<TLevel> Run(int32_t mission, int32_t frames, uint32_t seed) {
    SetRandomSeed(seed);
    auto level = std::make_unique<TLevel>(mission, TLevelOptions{true, TDormancy::WakeAll});
    level->Eye = &Eye;
    level->LoadWorld();
    level->ViewRange = 100000;
    level->Actors.front()->State = StateGone;  // no pilot for the player here
    for (int32_t frame = 0; frame < frames; ++frame) {
      Counter.Elapsed = 16;
      level->Frame();
    }
    return level;
  }

  TConfig SavedConfig{};
  TOverview Eye;
};

bool Finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The bits of every actor's position, orientation, life and state.
std::vector<uint32_t> Snapshot(const TLevel& level) {
  std::vector<uint32_t> bits;
  for (const auto& actor : level.Actors) {
    for (float f : {actor->Position.x, actor->Position.y, actor->Position.z, actor->Orientation.w, actor->Orientation.x,
                    actor->Orientation.y, actor->Orientation.z, actor->Life})
      bits.push_back(std::bit_cast<uint32_t>(f));
    bits.push_back(actor->State);
  }
  return bits;
}

TEST_F(Level, EveryMissionComesAliveFightsAndStaysFinite) {
  for (int32_t mission = 1; mission <= MissionCount; ++mission) {
    const std::unique_ptr<TLevel> level = Run(mission, 1500, 7);
    EXPECT_EQ(level->ActorCount(), static_cast<int32_t>(MissionRoster(mission).size()));
    // The escorts fight from the first minute; elsewhere only the player's side would.
    if (mission == 1 || mission == 4) EXPECT_GT(level->ShotsMade, 0) << "mission " << mission;
    for (const auto& actor : level->Actors) {
      EXPECT_TRUE(Finite(actor->Position)) << "mission " << mission;
      if (actor->State != StateAlive || actor->GroundUnit) continue;
      // What flies stays over the map and does not sink into the ground.
      EXPECT_GT(actor->Position.z, level->Surface->GroundHeight(actor->Position.x, actor->Position.y) - 1)
          << "mission " << mission << " " << actor->MeshName;
    }
    for (int32_t t = 0; t < TypeCount; ++t) EXPECT_GE(level->TypeCounters[static_cast<size_t>(t)], 0);
  }
}

// Every actor takes its sound slots while it loads; missiles in flight need two each from what
// is left of the 200.
// Each redraw of the loading bar costs a whole frame; the terrain alone reports hundreds of rows.
TEST_F(Level, TheLoadingBarMovesInAFewVisibleStepsToFull) {
  for (int32_t mission = 1; mission <= 5; ++mission) {
    TLevel level(mission, TLevelOptions{true, TDormancy::WakeAll});
    std::vector<float> drawn;
    level.Progress = [&drawn](float fraction) { drawn.push_back(fraction); };
    level.LoadWorld();
    ASSERT_FALSE(drawn.empty()) << mission;
    EXPECT_LE(drawn.size(), 60u) << mission;
    EXPECT_GE(drawn.size(), 8u) << mission;
    EXPECT_EQ(drawn.back(), 1.0f) << mission;
    for (size_t i = 1; i < drawn.size(); ++i) {
      EXPECT_GT(drawn[i], drawn[i - 1]) << mission;
    }
    level.Progress = {};
  }
}

TEST_F(Level, EveryMissionLeavesSoundSlotsForTheMissilesInFlight) {
  for (int32_t mission = 1; mission <= MissionCount; ++mission) {
    const std::unique_ptr<TLevel> level = Run(mission, 0, 1);
    int32_t used = 0;
    for (const std::string& name : SoundNames()) used += name != EmptySlotName ? 1 : 0;
    EXPECT_LE(used, MaxSounds - 40) << "mission " << mission;
  }
}

TEST_F(Level, TheSameSeedLivesTheSameMissionToTheBit) {
  const std::vector<uint32_t> first = Snapshot(*Run(4, 3000, 11));
  const std::vector<uint32_t> second = Snapshot(*Run(4, 3000, 11));
  EXPECT_EQ(first, second);
  EXPECT_NE(first, Snapshot(*Run(4, 3000, 12)));
}

TEST_F(Level, DormantActorsWaitUntilWokenAndCountAsGone) {
  auto level = std::make_unique<TLevel>(1);
  level->Eye = &Eye;
  level->LoadWorld();
  int32_t dormant = 0;
  for (const TRosterEntry& entry : MissionRoster(1)) dormant += entry.State == StateGone ? 1 : 0;
  EXPECT_EQ(level->Census().Gone, dormant);
}

// A game tree whose Data/ holds links to the forged files, so one of them can be damaged.
class TDamagedTree {
public:
  TDamagedTree() {
    const fs::path game = QUINTARA_GAME_DIR;
    for (const auto& entry : fs::directory_iterator(game))
      if (entry.is_directory() && entry.path().filename() != "Data")
        fs::create_directory_symlink(entry.path(), Dir.Path / entry.path().filename());
    fs::create_directory(Dir.Path / "Data");
    for (const auto& entry : fs::directory_iterator(game / "Data"))
      fs::create_symlink(entry.path(), Dir.Path / "Data" / entry.path().filename());
  }
  void Replace(const std::string& name, const std::string& content) {
    fs::remove(Dir.Path / "Data" / name);
    std::ofstream(Dir.Path / "Data" / name) << content;
  }
  void Remove(const std::string& name) { fs::remove(Dir.Path / "Data" / name); }

  TTempDir Dir;
};

// Loading stops with the file named, and freeing what was built leaves no GL name behind.
void ExpectRefused(int32_t mission, const std::string& file, const std::string& detail = {}) {
  const TNullGLCounts before = NullGLCounts();
  {
    TLevel level(mission);
    try {
      level.LoadWorld();
      ADD_FAILURE() << "loaded despite " << file;
    } catch (const TFileError& e) {
      EXPECT_NE(e.File.find(file), std::string::npos) << e.what();
      if (!detail.empty()) EXPECT_NE(std::string(e.what()).find(detail), std::string::npos) << e.what();
    }
  }
  const TNullGLCounts after = NullGLCounts();
  EXPECT_EQ(after.LiveLists, before.LiveLists);
  // The texture cache keeps entry 0 across levels.
  EXPECT_LE(after.LiveTextures, before.LiveTextures + 1);
}

TEST_F(Level, ADamagedOrMissingFileStopsTheLoadingNamingIt) {
  TDamagedTree tree;
  SetAppDir(tree.Dir.Str());
  tree.Replace("bad1.int", "0.06\n4 3\nlots\n");
  ExpectRefused(1, "bad1.int", "line 3");
  tree.Remove("bad1.int");
  ExpectRefused(1, "bad1.int");
  ClearMeshCache();
  tree.Replace("ally2.msh", "not a mesh");
  ExpectRefused(1, "ally2.msh");
}

// A roster of one actor: the given row after the player's.
class TOneActorLevel final : public TLevel {
public:
  TOneActorLevel(const TRosterEntry& row) : TLevel(2), Row(row) {}
  void PlaceActors() override {
    Actors.push_back(CreateActor(*this, MissionRoster(2)[0], "test"));
    Actors.push_back(CreateActor(*this, Row, "test roster"));
  }
  TRosterEntry Row;
};

TRosterEntry Fighter() {
  TRosterEntry row = MissionRoster(2)[0];
  row.Class = TActorClass::AirCraft;
  row.Mesh = "bad1";
  row.Behaviour = Behave::Hunt;
  row.Group = 3;
  return row;
}

TEST_F(Level, ARosterRowOutsideItsClassIsRefused) {
  TRosterEntry group = Fighter();
  group.Group = 101;
  TOneActorLevel big(group);
  EXPECT_THROW(big.LoadWorld(), TFileError);

  TRosterEntry building = Fighter();
  building.Class = TActorClass::Building;
  building.Mesh = "gen";
  building.Behaviour = Behave::Hunt;  // buildings do not hunt
  TOneActorLevel hunter(building);
  try {
    hunter.LoadWorld();
    ADD_FAILURE() << "a hunting building was built";
  } catch (const TFileError& e) {
    EXPECT_NE(std::string(e.what()).find("behaviour 10"), std::string::npos) << e.what();
  }
}

TEST_F(Level, ParkedFightersShareAStaticShadowAndFlyingOnesRenderTheirOwnNearTheEye) {
  Config.Shadows = 1;
  TRosterEntry parked = Fighter();
  parked.EngineOn = false;
  parked.Speed = 0;
  parked.Position = {2880, 1050, -100};
  TOneActorLevel level(parked);
  level.Eye = &Eye;
  level.LoadWorld();
  TRosterEntry flying = Fighter();
  flying.Position = {2900, 1100, 200};
  level.Actors.push_back(CreateActor(level, parked, "test"));
  level.Actors.push_back(CreateActor(level, flying, "test"));
  const auto& a = level.Actors;
  EXPECT_EQ(a[1]->Shadow.ShadowMode, ShadowStatic);
  EXPECT_EQ(a[1]->Shadow.ShadowTexture, a[2]->Shadow.ShadowTexture);
  EXPECT_EQ(a[3]->Shadow.ShadowMode, ShadowDynamic);
  EXPECT_NE(a[3]->Shadow.ShadowTexture, a[1]->Shadow.ShadowTexture);
  for (TPlane& plane : level.Frustum.planes) plane = {0, 0, 0, 1};
  level.EyePoint = {2900, 1000, 300};
  level.Actors[0]->State = StateGone;
  level.RenderShadows();
  EXPECT_EQ(level.ShadowsRendered, 1);
  level.EyePoint = {2900, 1000 - DynamicShadowRange, 200};
  level.RenderShadows();
  EXPECT_EQ(level.ShadowsRendered, 0);
}

TEST_F(Level, ActorsBeyondTheViewRangeNeitherMoveNorDraw) {
  const std::unique_ptr<TLevel> level = Run(3, 0, 1);
  const std::vector<uint32_t> before = Snapshot(*level);
  level->ViewRange = 1;  // the eye is far above everything
  for (int32_t frame = 0; frame < 100; ++frame) {
    Counter.Elapsed = 16;
    level->Frame();
  }
  EXPECT_EQ(Snapshot(*level), before);
  EXPECT_EQ(level->ShotsMade, 0);
}

TEST_F(Level, AStoppedClockDrawsTheWorldWithoutMovingIt) {
  SetRandomSeed(3);
  TLevel level(1, TLevelOptions{true, TDormancy::WakeAll});
  level.Eye = &Eye;
  level.LoadWorld();
  level.ViewRange = 100000;
  level.TimeStopped = true;
  const std::vector<uint32_t> before = Snapshot(level);
  for (int32_t frame = 0; frame < 200; ++frame) {
    Counter.Elapsed = 16;
    level.Frame();
  }
  EXPECT_EQ(Snapshot(level), before);
  EXPECT_EQ(level.ShotsMade, 0);
  EXPECT_EQ(Counter.Elapsed, 16);
}

// Flushes counted over a frame, and how many had been made when the actors ran.
int Flushes = 0;
int FlushesBeforeActors = -1;

class TFlushProbe final : public TActor {
public:
  explicit TFlushProbe(TWorld& level) : TActor(level, ShadowClass::AirCraft) {}
  void Live() override { FlushesBeforeActors = Flushes; }
};

TEST_F(Level, TheGroundGoesToTheDriverBeforeTheActorsRun) {
  const std::unique_ptr<TLevel> level = Run(3, 1, 1);
  TActor& probe = *level->Actors.emplace_back(std::make_unique<TFlushProbe>(*level));
  probe.Behaviour = &TActor::Live;
  Flushes = 0;
  FlushesBeforeActors = -1;
  GL.Flush = [] { ++Flushes; };
  Counter.Elapsed = 16;
  level->Frame();
  LoadNullGLTable();
  // One hand-over a frame, before the actors: after them it would leave the rasteriser idle
  // while they run, and more than one only cuts its work into smaller batches.
  EXPECT_EQ(FlushesBeforeActors, 1);
  EXPECT_EQ(Flushes, 1);
}

}  // namespace
