// RespawnTest.cpp — where a fallen player comes back: under the aircraft's ceiling however high
// the ground and whatever hangs over it, above the ground, and clear of the actors there.
#include "actors/CameraUnit.h"
#include "core/SrfFile.h"
#include "levels/MissionRun.h"
#include "render/Surface.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int32_t Step = 16;
constexpr float CeilingAboveSky = 570.0f;
constexpr int64_t HandedOver = 10000 / Step;  // the opening is over by then

// The highest ground of the map, away from its edge: where the old rule put the player above
// its own ceiling.
TVector HighestGround(const TSurf& s) {
  const float ex = static_cast<float>(s.Width - 2 * TerrainBorder) * s.CellSizeX;
  const float ey = static_cast<float>(s.Height - 2 * TerrainBorder) * s.CellSizeY;
  TVector best{0, 0, -1e9f};
  for (float x = 200; x < ex - 200; x += 25)
    for (float y = 200; y < ey - 200; y += 25)
      if (const float z = s.GroundHeight(x, y); z > best.z) best = {x, y, z};
  return best;
}

class Respawn : public ::testing::Test {
protected:
  void SetUp() override {
    if (!MissionDataForged()) GTEST_SKIP() << "no data forged";
    // Mission 2 has the lowest ceiling over the highest ground.
    Run = std::make_unique<TMissionRun>(2, 1, Clock, &Nobody);
    Run->Run(HandedOver);
    ASSERT_EQ(Run->Level->Letterbox, 0);
  }
  // Drops the player at p and lets the level bring it back.
  TCamera& FallAt(const TVector& p) {
    TCamera& player = *Run->Level->Player();
    player.Position = player.PrevPosition = p;
    player.State = StateGone;
    Run->Run(1);
    return player;
  }

  TFixedStepClock Clock{Step};
  TIdleControls Nobody;
  std::unique_ptr<TMissionRun> Run;
};

TEST_F(Respawn, OverTheHighestGroundTheAircraftComesBackUnderItsCeiling) {
  TLevel& level = *Run->Level;
  const TVector top = HighestGround(*level.Surface);
  const TCamera& player = FallAt(top);
  ASSERT_EQ(player.State, StateAlive);
  const float ground = level.Surface->GroundHeight(player.Position.x, player.Position.y);
  EXPECT_LT(player.Position.z, level.SkyHeight + CeilingAboveSky - 50);
  EXPECT_GT(player.Position.z, ground + 25);
}

// Something hanging right where the capped height would put the aircraft: it comes back under
// it rather than inside it.
TEST_F(Respawn, UnderTheCeilingItStillStepsClearOfAnActorThere) {
  TLevel& level = *Run->Level;
  const TVector top = HighestGround(*level.Surface);
  TActor* other = level.Actors.back().get();
  other->Position = {top.x, top.y, level.SkyHeight + CeilingAboveSky - 60};
  const TCamera& player = FallAt(top);
  const float ground = level.Surface->GroundHeight(player.Position.x, player.Position.y);
  const float floor = ground + 30;
  if (other->Position.z - (2 * player.Radius + other->Radius) > floor)
    EXPECT_GE(VectorLength(other->Position - player.Position), player.Radius + other->Radius);
  EXPECT_LT(player.Position.z, level.SkyHeight + CeilingAboveSky - 50);
  EXPECT_GE(player.Position.z, floor - 0.01f);
}

// Over low ground nothing changes: a hundred above it and the lift over the player's own sphere.
TEST_F(Respawn, OverLowGroundTheUsualHeightHolds) {
  TLevel& level = *Run->Level;
  const TCamera& start = *level.Player();
  const float radius = start.Radius;
  const TVector low{1216, 640, 300};
  const TCamera& player = FallAt(low);
  const float ground = level.Surface->GroundHeight(player.Position.x, player.Position.y);
  ASSERT_LT(ground + 100 + 3 * radius, level.SkyHeight + CeilingAboveSky - 60) << "the start is not low ground";
  EXPECT_NEAR(player.Position.z, ground + 100 + 3 * radius, 0.01f);
}

}  // namespace
