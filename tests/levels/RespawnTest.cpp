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
constexpr float BalloonRadius = 170.0f;
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

// A balloon-sized actor hanging where the aircraft would reappear over high ground: the lift
// clear of it would carry the aircraft over its ceiling, where the controls are taken away. It
// comes back under the ceiling instead, and never lower than just above the ground.
TEST_F(Respawn, LiftedOverTheCeilingTheAircraftComesBackUnderIt) {
  TLevel& level = *Run->Level;
  const TVector top = HighestGround(*level.Surface);
  const float radius = level.Player()->Radius;
  TActor& big = *level.Actors.back();
  big.Radius = BalloonRadius;
  big.Position = big.PrevPosition = top + TVector{0, 0, 100 + 3 * radius};
  ASSERT_GT(big.Position.z + 2 * radius + big.Radius, level.SkyHeight + CeilingAboveSky) << "no lift over the ceiling";
  const TCamera& player = FallAt(top);
  ASSERT_EQ(player.State, StateAlive);
  const float ground = level.Surface->GroundHeight(player.Position.x, player.Position.y);
  EXPECT_LT(player.Position.z, level.SkyHeight + CeilingAboveSky - 50);
  EXPECT_GT(player.Position.z, ground + 25);
}

// With room under the ceiling, the aircraft steps down clear of what hangs there.
TEST_F(Respawn, UnderTheCeilingItStepsDownClearOfWhatHangsThere) {
  TLevel& level = *Run->Level;
  const TVector top = HighestGround(*level.Surface);
  const float radius = level.Player()->Radius;
  const float ceiling = level.SkyHeight + CeilingAboveSky;
  // Two: one lifts it over the ceiling, the other hangs just under the ceiling's margin.
  TActor& low = *level.Actors[level.Actors.size() - 2];
  low.Position = low.PrevPosition = top + TVector{0, 0, 100 + 3 * radius};
  low.Radius = ceiling - low.Position.z;
  TActor& high = *level.Actors.back();
  high.Radius = 2 * radius;
  high.Position = high.PrevPosition = {top.x, top.y, ceiling - 60};
  const TCamera& player = FallAt(top);
  ASSERT_EQ(player.State, StateAlive);
  EXPECT_GE(VectorLength(high.Position - player.Position), player.Radius + high.Radius);
  EXPECT_LT(player.Position.z, ceiling - 50);
  EXPECT_GT(player.Position.z, level.Surface->GroundHeight(player.Position.x, player.Position.y) + 25);
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
