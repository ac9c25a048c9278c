// MissionsTest.cpp — Missions 2 to 5 headless on the null table: each opening hands over on its
// own, the target groups are taken in order (a group destroyed early neither skips a phase nor
// holds a later one), the marker moves as it should, the endings, and lives running out;
// every objective's members stand where the player can reach them.
#include "levels/Level4Unit.h"
#include "levels/MissionFactory.h"

#include "actors/AirCraftUnit.h"
#include "actors/BaloonUnit.h"
#include "actors/CameraUnit.h"
#include "actors/ZeppelinUnit.h"
#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/MotionUnit.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "levels/MissionSettings.h"
#include "platform/Clock.h"
#include "platform/GLTable.h"
#include "render/GLVisualObjectUnit.h"
#include "render/Surface.h"
#include "sound/SoundUnit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

class Missions : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    SetAppDir(QUINTARA_GAME_DIR);
    if (!std::filesystem::exists(DataDir + "lev5.srf")) GTEST_SKIP() << "no data forged";
    SavedConfig = Config;
    Config = DefaultConfig();
    Config.Shadows = 0;
    SetActiveClock(&Clock);
    Loaded = true;
  }
  void TearDown() override {
    Level.reset();
    if (!Loaded) return;
    FreeOverlay();
    FreeAllAudio();
    ClearTextureCache();
    ClearMotionCache();
    Config = SavedConfig;
    SetActiveClock(nullptr);
    RestartCounter();
  }

  TLevel& Load(int32_t mission) {
    Level.reset();
    SetRandomSeed(1);
    Level = CreateMission(mission);
    Level->LoadLevel();
    return *Level;
  }
  void Frames(int32_t n) {
    for (int32_t i = 0; i < n; ++i) Level->MissionFrame();
  }
  template <typename F>
  bool Until(F done, int32_t limit) {
    for (int32_t i = 0; i < limit; ++i) {
      Level->MissionFrame();
      if (done()) return true;
    }
    return false;
  }
  TActor& Actor(int32_t i) { return *Level->Actors.at(static_cast<size_t>(i)); }
  TAirCraft& Fighter(int32_t i) { return dynamic_cast<TAirCraft&>(Actor(i)); }
  TCamera& Player() { return *Level->Player(); }

  // What the death sequence leaves: every member gone and off its group's counter.
  void Destroy(TActor& actor) {
    if (actor.State == StateGone) return;
    actor.State = StateGone;
    actor.Life = 0;
    --Level->TypeCounters[static_cast<size_t>(actor.TypeIndex)];
  }
  void ClearGroup(int32_t group) {
    for (const auto& actor : Level->Actors)
      if (actor->TypeIndex == group) Destroy(*actor);
  }
  // Past the opening without waiting for it, then the frame that puts the player in control.
  void SkipOpening() {
    Level->Fade = 0;
    if (Level->Mission == 3) Player().Eye = Player().Position;
    if (Level->Mission == 4) Actor(1).State = StateGone;
    Frames(1);
    ASSERT_EQ(Level->Phase, 1);
    Frames(1);
    ASSERT_EQ(Player().State, StateAlive);
  }
  bool Ended() const { return Level->Outcome != TOutcome::Running; }

  TFixedStepClock Clock{16};
  TConfig SavedConfig{};
  bool Loaded = false;
  std::unique_ptr<TLevel> Level;
};

// --- The target groups, in order ------------------------------------------------------------

struct TStep {
  int32_t Group;
  int32_t PhaseAfter;
  TVector MarkerAfter;
};
struct TCampaign {
  int32_t Mission;
  std::vector<TStep> Steps;
  TVector ShotPosition, ShotEye;  // the success cinematic's aircraft and eye
};
const TVector Unchanged{-1, -1, -1};

const TCampaign Campaigns[] = {
    {2,
     {{1, 2, {3648, 3072, 300}}, {2, 3, {3136, 4064, 300}}, {3, 4, {1824, 2496, 300}}, {4, PhaseSuccess, Unchanged}},
     {1760, 2496, 300},
     {1600, 2784, 300}},
    {3,
     {{2, 2, {3136, 960, 300}}, {3, 3, {2912, 2720, 300}}, {5, PhaseSuccess, Unchanged}},
     {2912, 2656, 500},
     {3040, 2656, 500}},
    {5,
     {{1, 2, {608, 1792, 300}},
      {2, 3, Unchanged},
      {3, 4, {2464, 896, 300}},
      {4, 5, Unchanged},
      {5, 6, {2272, 2432, 300}},
      {6, PhaseSuccess, Unchanged}},
     {2272, 2432, 300},
     {2272, 2425, 300}},
};

TEST_F(Missions, EachGroupDestroyedInTurnAdvancesOnePhaseAndMovesTheMarker) {
  for (const TCampaign& c : Campaigns) {
    SCOPED_TRACE(c.Mission);
    Load(c.Mission);
    SkipOpening();
    for (const TStep& step : c.Steps) {
      const int32_t before = Level->Phase;
      Frames(3);
      EXPECT_EQ(Level->Phase, before) << "group " << step.Group << " still stands";
      ClearGroup(step.Group);
      Frames(1);
      EXPECT_EQ(Level->Phase, step.PhaseAfter) << "group " << step.Group;
      if (step.MarkerAfter != Unchanged) {
        EXPECT_EQ(Level->ObjectivePoint, step.MarkerAfter) << "group " << step.Group;
      }
    }
    EXPECT_EQ(Level->Letterbox, 1);
    EXPECT_EQ(Level->Fade, 0.0f);
    // The shot is set after the frame's flight: it holds until the next one.
    EXPECT_EQ(Player().Position, c.ShotPosition);
    EXPECT_EQ(Player().Eye, c.ShotEye);
    EXPECT_EQ(Player().CameraMode, CameraModeChase);
    // Five seconds of fading, then success.
    EXPECT_FALSE(Until([&] { return Ended(); }, 4900 / 16));
    EXPECT_TRUE(Until([&] { return Ended(); }, 40));
    EXPECT_EQ(Level->Outcome, TOutcome::Success);
    EXPECT_EQ(Level->MissionSuccess, 1);
  }
}

TEST_F(Missions, ALaterGroupDestroyedFirstSkipsNothingAndLetsItsPhasePassAtOnce) {
  for (int32_t mission : {2, 5}) {
    SCOPED_TRACE(mission);
    Load(mission);
    SkipOpening();
    ClearGroup(2);
    Frames(5);
    EXPECT_EQ(Level->Phase, 1);
    ClearGroup(1);
    Frames(1);
    EXPECT_EQ(Level->Phase, 2);
    Frames(1);
    EXPECT_EQ(Level->Phase, 3);
    Frames(3);
    EXPECT_EQ(Level->Phase, 3);  // group 3 still stands
  }
}

TEST_F(Missions, TheFirstBalloonFieldOfMissionThreeMayBeLeftStanding) {
  Load(3);
  SkipOpening();
  const int32_t barrier = Level->TypeCounters[1];
  EXPECT_EQ(barrier, 12);  // six balloons, body and gun each
  for (int32_t group : {2, 3, 5}) {
    ClearGroup(group);
    Frames(1);
  }
  EXPECT_EQ(Level->Phase, PhaseSuccess);
  EXPECT_EQ(Level->TypeCounters[1], barrier);
}

TEST_F(Missions, MissionTwosOutpostGuardsStopForTheFlyby) {
  Load(2);
  SkipOpening();
  for (int32_t group : {1, 2, 3, 4}) {
    ClearGroup(group);
    Frames(1);
  }
  ASSERT_EQ(Level->Phase, PhaseSuccess);
  for (int32_t i = 57; i <= 59; ++i) EXPECT_EQ(Actor(i).Behaviour, nullptr) << i;
}

// --- Mission 5's convoy marker ---------------------------------------------------------------

TEST_F(Missions, MissionFiveMarksTheLeadVehicleAtMarkerHeightAndStaysOnItsWreck) {
  Load(5);
  SkipOpening();
  TActor& lead = Actor(2);
  lead.Behaviour = nullptr;  // holds still where the test puts it
  lead.Position = {1000, 3000, 123};
  Frames(1);
  const TVector mark{1000, 3000, 300};
  EXPECT_EQ(Level->ObjectivePoint, mark);
  for (int32_t i : {16, 17, 47, 48}) EXPECT_EQ(Fighter(i).GuardPoint, mark) << i;
  // Destroyed, it leaves its wreck where it was: the marker stays there.
  Destroy(lead);
  Frames(3);
  EXPECT_EQ(Level->ObjectivePoint, mark);
  // The convoy's end sends the allies on; the convoy's own escorts are left.
  ClearGroup(1);
  Frames(1);
  const TVector depot{608, 1792, 300};
  EXPECT_EQ(Level->Phase, 2);
  for (int32_t i : {47, 48}) EXPECT_EQ(Fighter(i).GuardPoint, depot) << i;
  // The second convoy's lead and escorts.
  ClearGroup(2);
  Frames(2);
  EXPECT_EQ(Level->Phase, 3);
  const TVector second{Actor(10).Position.x, Actor(10).Position.y, 300};
  EXPECT_EQ(Level->ObjectivePoint, second);
  for (int32_t i : {14, 15, 47, 48}) EXPECT_EQ(Fighter(i).GuardPoint, second) << i;
}

// --- Mission 4 ------------------------------------------------------------------------------

class MissionFour : public Missions {
protected:
  TZeppelin& Ship(int32_t i) { return dynamic_cast<TZeppelin&>(Actor(i)); }
  void HoldStill(TZeppelin& ship, const TVector& at) {
    ship.Behaviour = &TActor::Live;
    ship.Speed = ship.CruiseSpeed = 0;
    ship.Position = ship.PrevPosition = at;
  }
};

TEST_F(MissionFour, TheOpeningEndsWhenTheFirstAirshipIsDownAndTheSecondTakesItsRoute) {
  Load(4);
  Frames(5);
  EXPECT_EQ(Level->Phase, 0);
  EXPECT_EQ(Level->Letterbox, 1);
  EXPECT_EQ(Level->ObjectivePoint, (TVector{3104, 1088, 300}));
  const int32_t pathTime = Ship(2).PathMotion.Time;
  Actor(1).State = StateGone;
  Frames(1);
  EXPECT_EQ(Level->Phase, 1);
  EXPECT_EQ(Level->Letterbox, 0);
  const TVector routeStart{3584, 3968, 360};
  EXPECT_EQ(Ship(2).PathMotion.Offset, routeStart);
  EXPECT_GE(Ship(2).PathMotion.Time, pathTime);  // the path's clock runs on
  EXPECT_EQ(Fighter(66).Position, (TVector{3290, 3480, 390}));
  for (int32_t i : {66, 67}) {
    EXPECT_EQ(Actor(i).Behaviour, &TActor::Behaviour11) << i;
    EXPECT_EQ(Fighter(i).TargetIndex, 2) << i;
  }
  TQuaternion start;
  QuatFromEuler(-1.5708f, 0, 0, start);
  EXPECT_EQ(Player().StartOrientation, start);
  Frames(1);  // the respawn near the airfield
  EXPECT_EQ(Player().State, StateAlive);
  EXPECT_EQ(Level->Lives, 3);
  EXPECT_NEAR(Player().Position.x, 3500, 21);
  EXPECT_NEAR(Player().Position.y, 3008, 21);
  EXPECT_EQ(Level->ObjectivePoint, Ship(2).Position);
}

TEST_F(MissionFour, TheSecondAirshipWithin200OfTheHavenInThreeDimensionsWins) {
  Load(4);
  SkipOpening();
  const TVector haven{896, 832, 360};
  HoldStill(Ship(2), haven + TVector{150, 0, 150});  // 212 away: not yet
  Frames(3);
  EXPECT_EQ(Level->Phase, 1);
  EXPECT_EQ(Level->ObjectivePoint, Ship(2).Position);
  HoldStill(Ship(2), haven + TVector{100, 0, 100});  // 141
  Frames(1);
  EXPECT_EQ(Level->Phase, PhaseSuccess);
  EXPECT_EQ(Level->Letterbox, 1);
  EXPECT_EQ(Player().Speed, 0.0f);
  EXPECT_EQ(Player().CameraMode, 8);
  EXPECT_TRUE(Until([&] { return Ended(); }, 5200 / 16));
  EXPECT_EQ(Level->Outcome, TOutcome::Success);
}

TEST_F(MissionFour, TheSecondAirshipFallingFailsWithTheCameraOnIt) {
  Load(4);
  SkipOpening();
  // Near the player, so that it runs and notices its death.
  HoldStill(Ship(2), Player().Position + TVector{300, 0, 100});
  Ship(2).Life = 0;
  ASSERT_TRUE(Until([&] { return Ship(2).State != StateAlive; }, 5));
  Frames(1);
  EXPECT_EQ(Level->Phase, PhaseFailure);
  EXPECT_EQ(Level->Letterbox, 1);
  EXPECT_EQ(Player().CameraMode, 9);
  EXPECT_EQ(Player().Speed, 0.0f);
  EXPECT_TRUE(Until([&] { return Ended(); }, 5200 / 16));
  EXPECT_EQ(Level->Outcome, TOutcome::Failure);
  EXPECT_EQ(Level->MissionSuccess, 0);
}

// --- Openings and lives ---------------------------------------------------------------------

// Nothing pressed: each opening ends by itself within a reasonable time (Mission 4's when the
// first airship falls to the defenders of its first leg).
TEST_F(Missions, EveryOpeningHandsOverByItself) {
  struct Case {
    int32_t Mission;
    int32_t FrameLimit;
  } cases[] = {{2, 7000 / 16 + 10}, {3, 12000 / 16}, {4, 120000 / 16}, {5, 5000 / 16 + 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Mission);
    Load(c.Mission);
    EXPECT_EQ(Level->Letterbox, 1);
    EXPECT_EQ(Level->Lives, 4);
    EXPECT_EQ(Level->MissileCount, Level->Settings.MissileCount);
    EXPECT_TRUE(Until([&] { return Level->Phase == 1; }, c.FrameLimit));
    Frames(1);
    EXPECT_EQ(Level->Letterbox, 0);
    EXPECT_EQ(Player().State, StateAlive);
    EXPECT_EQ(Player().CameraMode, CameraModeChase);
    EXPECT_EQ(Level->Lives, 3);
  }
}

TEST_F(Missions, LosingEveryLifeFadesToFailure) {
  for (int32_t mission : {2, 3, 4, 5}) {
    SCOPED_TRACE(mission);
    Load(mission);
    SkipOpening();
    while (Level->Lives > 1) {
      Player().State = StateGone;
      Frames(1);
      ASSERT_EQ(Player().State, StateAlive);
    }
    Player().State = StateGone;
    EXPECT_FALSE(Until([&] { return Ended(); }, 950 / 16));
    EXPECT_TRUE(Until([&] { return Ended(); }, 10));
    EXPECT_EQ(Level->Outcome, TOutcome::Failure);
    EXPECT_EQ(Level->Lives, 0);
  }
}

// --- Every objective can be reached ----------------------------------------------------------

// Ground units stand on the ground, flyers between the ground and the ceiling, all on the map;
// every member is on its group's counter, so the group falls to 0 only with its last member.
TEST_F(Missions, EveryObjectiveMemberStandsWhereThePlayerCanReachIt) {
  constexpr float MapSide = 4400;
  constexpr float CeilingAboveSky = 570;
  for (int32_t mission : {2, 3, 4, 5}) {
    SCOPED_TRACE(mission);
    Load(mission);
    std::vector<int32_t> members(TypeCount, 0);
    for (const auto& actor : Level->Actors) {
      if (actor->TypeIndex == 0) continue;
      ++members[static_cast<size_t>(actor->TypeIndex)];
      const TVector& p = actor->Position;
      EXPECT_TRUE(p.x >= 0 && p.x <= MapSide && p.y >= 0 && p.y <= MapSide) << actor->MeshName;
      const float ground = Level->Surface->GroundPoint(p.x, p.y).z;
      // Balloons and airships fly; aircraft fly unless parked; the rest stand on the ground.
      const auto* aircraft = dynamic_cast<const TAirCraft*>(actor.get());
      const bool flying = dynamic_cast<const TBaloon*>(actor.get()) || dynamic_cast<const TZeppelin*>(actor.get()) ||
                          (aircraft && actor->Speed > 0);
      if (flying) {
        EXPECT_GT(p.z, ground + 20) << actor->MeshName << " at " << p.x << ", " << p.y;
        EXPECT_LT(p.z, Level->SkyHeight + CeilingAboveSky) << actor->MeshName;
      } else {
        EXPECT_NEAR(p.z, ground, 30) << actor->MeshName << " at " << p.x << ", " << p.y;
      }
    }
    for (size_t g = 1; g < TypeCount; ++g) EXPECT_EQ(Level->TypeCounters[g], members[g]) << g;
  }
}

// The real death sequences, every actor in range: each objective member's fall takes it off its
// group's counter once, and every group reaches 0.
TEST_F(Missions, EveryObjectiveMemberKilledTakesItsGroupToZero) {
  for (int32_t mission : {2, 3, 4, 5}) {
    SCOPED_TRACE(mission);
    Load(mission);
    SkipOpening();
    Level->ViewRange = 100000;
    for (const auto& actor : Level->Actors)
      if (actor->TypeIndex > 0) actor->Life = 0;
    const auto allCleared = [&] {
      for (int32_t g = 1; g < TypeCount; ++g)
        if (Level->TypeCounters[static_cast<size_t>(g)] != 0) return false;
      return true;
    };
    EXPECT_TRUE(Until(allCleared, 1000));
    // Troopers lie where they fell, dying for good; everything else is gone.
    for (const auto& actor : Level->Actors) {
      if (actor->TypeIndex == 0) continue;
      EXPECT_NE(actor->State, StateAlive) << actor->MeshName;
    }
  }
}

TEST(MissionFactory, EachNumberMakesItsMission) {
  for (int32_t mission = 1; mission <= 5; ++mission) EXPECT_EQ(CreateMission(mission)->Mission, mission);
  EXPECT_NE(dynamic_cast<TLevel4*>(CreateMission(4).get()), nullptr);
}

}  // namespace
