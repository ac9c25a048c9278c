// RosterPlacementTest.cpp — where the viewer (and the missions) stand each roster actor: the
// ground rules of the classes walked over every mission's forged terrain, the start attitude,
// and the first pose of a recorded path. No display: the terrain loads on the null table.
#include "actors/RosterPlacement.h"

#include "common/TempDir.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "levels/MissionRoster.h"
#include "levels/MissionSettings.h"
#include "platform/GLTable.h"
#include "render/Surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

constexpr float Tolerance = 1e-3f;

class RosterPlacement : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    SetAppDir(QUINTARA_GAME_DIR);
  }
  void TearDown() override { ClearTextureCache(); }

  static bool Forged(int32_t mission) {
    return std::filesystem::exists(DataDir + MissionSettings(mission).Terrain);
  }
  static TSurf Terrain(int32_t mission) { return TSurf(DataDir + MissionSettings(mission).Terrain, TSurfSettings{}); }
};

// How high above the ground point under it each class stands; fliers keep their own height.
struct TGroundRule {
  TActorClass Class;
  float Clearance;
};
constexpr TGroundRule GroundRules[] = {
    {TActorClass::Building, 0}, {TActorClass::Lamp, 0},  {TActorClass::Turret, 0},
    {TActorClass::Vehicle, 7},  {TActorClass::Trooper, 5},
};

const TGroundRule* RuleOf(TActorClass cls) {
  for (const TGroundRule& rule : GroundRules)
    if (rule.Class == cls) return &rule;
  return nullptr;
}

TEST_F(RosterPlacement, GroundUnitsStandOnTheTerrainAndFliersKeepTheirHeight) {
  for (int32_t mission = 1; mission <= MissionCount; ++mission) {
    if (!Forged(mission)) GTEST_SKIP() << "no terrain forged";
    const TSurf surface = Terrain(mission);
    for (const TRosterEntry& e : MissionRoster(mission)) {
      SCOPED_TRACE("mission " + std::to_string(mission) + " actor " + std::to_string(e.Index) + " " + e.Mesh);
      const TVector p = PlaceOnGround(e, surface).Position;
      const float ground = surface.GroundHeight(e.Position.x, e.Position.y);
      EXPECT_EQ(p.x, e.Position.x);
      EXPECT_EQ(p.y, e.Position.y);
      if (const TGroundRule* rule = RuleOf(e.Class)) {
        EXPECT_NEAR(p.z - ground, rule->Clearance, Tolerance);
      } else if (e.Class == TActorClass::AirCraft || e.Class == TActorClass::Camera) {
        // Lifted out of the ground when loaded below it, left alone otherwise.
        EXPECT_NEAR(p.z, e.Position.z < ground ? ground + 3 : e.Position.z, Tolerance);
      } else {
        EXPECT_EQ(p.z, e.Position.z);
      }
    }
  }
}

TEST_F(RosterPlacement, AnAircraftParkedBelowTheGroundStandsThreeUnitsAboveIt) {
  if (!Forged(2)) GTEST_SKIP() << "no terrain forged";
  const TSurf surface = Terrain(2);
  TRosterEntry parked;
  parked.Class = TActorClass::AirCraft;
  parked.Position = {2880, 1050, -1000};
  const TVector p = PlaceOnGround(parked, surface).Position;
  EXPECT_NEAR(p.z, surface.GroundHeight(2880, 1050) + 3, Tolerance);
}

TEST_F(RosterPlacement, StandingModelsTurnTheirUpAxisToTheSky) {
  // A first angle of -pi/2 stands a +Y-up model in the z-up world; the second turns its heading
  // about the world's up axis, leaving it standing.
  for (float heading : {0.0f, 0.785398f, 1.5708f, -2.5f}) {
    TMatrix m;
    QuatToMatrix(StartOrientation({-1.5708f, heading, 0}), m);
    TVector up, nose;
    MatrixRotateVector({0, 1, 0}, m, up);
    MatrixRotateVector({0, 0, -1}, m, nose);
    EXPECT_NEAR(up.z, 1, 1e-4f) << heading;
    EXPECT_NEAR(nose.z, 0, 1e-4f) << heading;
  }
}

TEST_F(RosterPlacement, APathActorTakesTheFirstPlayedSampleMovedByItsOffset) {
  TTempDir dir;
  TQuaternion turned;
  QuatFromAxisAngle(0, 0, 1, 0.5f, turned);
  const std::vector<TMotionSample> samples = {
      {{1, 2, 3}, {1, 0, 0, 0}, 0, {}}, {{10, 20, 30}, turned, 0, {}}, {{40, 50, 60}, {1, 0, 0, 0}, 0, {}}};
  WriteCapFile(dir / "p.cap", samples);

  const std::optional<TMotionSample> start = PathStart(dir / "p.cap");
  ASSERT_TRUE(start);
  TRosterEntry zeppelin;
  zeppelin.Class = TActorClass::Zeppelin;
  zeppelin.Position = {999, 999, 999};
  zeppelin.PathOffset = {100, 200, 300};
  const TPlacement place = PlaceOnPath(zeppelin, *start);
  EXPECT_EQ(place.Position, (TVector{110, 220, 330}));
  // Path following flies the conjugate of the recorded (view) rotation.
  EXPECT_NEAR(place.Orientation.w, turned.w, 1e-6f);
  EXPECT_NEAR(place.Orientation.z, -turned.z, 1e-6f);
}

TEST_F(RosterPlacement, AMissingPathLeavesTheRosterPlacement) {
  TTempDir dir;
  EXPECT_FALSE(PathStart(dir / "absent.cap"));
}

}  // namespace
