// ShootTest.cpp — gun shots on forged terrain: the terrain cast against a fine march along the
// ray, flight to the range or the ground, the ground mark, hits by mesh not by sphere, the
// nearer of two victims, the player's hit count, and shots that must not be made.
#include "ActorTestWorld.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {

// A still actor with a real mesh; its sphere is the mesh's own bound.
TActor& AddTarget(TTestWorld& w, const std::string& mesh, const TVector& position, const TQuaternion& orientation = {1, 0, 0, 0}) {
  TActor& actor = w.Add(std::make_unique<TActor>(w, ShadowClass::Building));
  actor.Load(DataDir + mesh, position, 0, 0, 0);
  actor.Orientation = orientation;
  QuatToMatrix(orientation, actor.Matrix);
  actor.Radius = actor.Mesh.BoundingRadius;
  actor.Life = actor.MaxLife = 100;
  actor.HitDamage = 1;
  return actor;
}

TShot& Newest(TTestWorld& w) { return *w.Shots->First; }

float Ground(const TTestWorld& w, float x, float y) { return w.Surface->GroundHeight(x, y); }

// The world square the file's cells cover (the border lies outside it).
float ExtentX(const TTestWorld& w) { return (w.Surface->Width - 2 * TerrainBorder - 1) * w.Surface->CellSizeX; }
float ExtentY(const TTestWorld& w) { return (w.Surface->Height - 2 * TerrainBorder - 1) * w.Surface->CellSizeY; }

class ShotTest : public ActorTest {};

// ---------------------------------------------------------------------------------------------
// The terrain cast

TEST_F(ShotTest, StraightDownEndsOnTheGroundPlaneUnderTheMuzzle) {
  TTestWorld& w = MakeWorld("lev1.srf");
  const float cx = w.Surface->CellSizeX, cy = w.Surface->CellSizeY;
  // Inside cells, on a corner, on a border and on the diagonal between the two triangles.
  const TVector points[] = {{1000.3f, 2000.7f, 0}, {10 * cx, 20 * cy, 0}, {30 * cx + 0.25f * cx, 7 * cy, 0},
                            {12 * cx + 0.4f * cx, 15 * cy + 0.4f * cy, 0}, {3 * cx + 0.9f * cx, 40 * cy + 0.1f * cy, 0}};
  for (const TVector& p : points) {
    const TVector start{p.x, p.y, Ground(w, p.x, p.y) + 300};
    w.Shots->Fire(start, {0, 0, -1});
    const TShot& shot = Newest(w);
    EXPECT_TRUE(shot.HitsTerrain) << p.x << "," << p.y;
    EXPECT_EQ(shot.End.x, start.x);
    EXPECT_EQ(shot.End.y, start.y);
    EXPECT_NEAR(shot.End.z, Ground(w, p.x, p.y), 1e-3f) << p.x << "," << p.y;
    EXPECT_NEAR(shot.Remaining, 300, 1e-3f);
  }
}

TEST_F(ShotTest, CastMeetsTheFirstGroundAMarchAlongTheRayMeets) {
  TTestWorld& w = MakeWorld("lev3.srf");
  const float ex = ExtentX(w), ey = ExtentY(w);
  SetRandomSeed(7);
  int hits = 0, misses = 0;
  for (int i = 0; i < 300; ++i) {
    const float x = 200 + RandomFloat() * (ex - 400), y = 200 + RandomFloat() * (ey - 400);
    const float height = RandomFloat() * 120 + 1;
    const float dx = RandomSpread(), dy = RandomSpread(), dz = -RandomFloat() * 0.4f + 0.05f;
    const TVector start{x, y, Ground(w, x, y) + height};
    TVector d;
    VectorNormalize({dx, dy, dz}, d);
    w.Shots->Fire(start, d);
    const TShot& shot = Newest(w);

    // March in quarter units while the ray stays over the file's cells.
    float crossing = -1, lastAbove = 0;
    bool leftMap = false;
    for (float s = 0; s <= ShotRange; s += 0.25f) {
      const TVector p = start + d * s;
      if (p.x < 0 || p.y < 0 || p.x >= ex || p.y >= ey) {
        leftMap = true;
        break;
      }
      if (p.z < Ground(w, p.x, p.y)) {
        crossing = s;
        break;
      }
      lastAbove = s;
    }
    const float cast = VectorLength(shot.End - start);
    SCOPED_TRACE(testing::Message() << "shot " << i << " from " << x << "," << y << " cast " << cast
                                    << " march " << crossing);
    if (crossing >= 0) {
      ++hits;
      ASSERT_TRUE(shot.HitsTerrain);
      EXPECT_LE(cast, crossing + 0.01f);
    } else if (!leftMap) {
      ++misses;
      EXPECT_FALSE(shot.HitsTerrain);
      EXPECT_NEAR(cast, ShotRange, 1e-2f);
    }
    if (shot.HitsTerrain) {
      EXPECT_NEAR(shot.End.z, Ground(w, shot.End.x, shot.End.y), 0.02f);
      // No ground the march saw was skipped (a graze between samples may come earlier).
      if (crossing >= 0) EXPECT_GE(cast, std::min(lastAbove, crossing) - 0.3f);
    }
  }
  EXPECT_GT(hits, 50);
  EXPECT_GT(misses, 5);
}

TEST_F(ShotTest, RaysOffTheGridOrUpwardsMeetNothingAndEndAtTheirRange) {
  TTestWorld& w = MakeWorld("lev2.srf");
  struct TCase {
    TVector Start, Direction;
    float Range;
  };
  const float far = 1e6f;
  const TCase cases[] = {
      {{-far, -far, 500}, {0, 0, -1}, 700},         // straight down beside the grid
      {{far, 100, 500}, {1, 0, -0.1f}, 700},        // heading away from it
      {{2000, 2000, 900}, {0, 0, 1}, 700},          // straight up
      {{2000, 2000, 900}, {0.3f, -0.2f, 0.5f}, 700},  // climbing
      {{-200, -200, 2000}, {-1, -1, -0.01f}, 1e9f},   // out of the map with a huge range
  };
  for (const TCase& c : cases) {
    w.Shots->Fire(c.Start, c.Direction, c.Range);
    const TShot& shot = Newest(w);
    EXPECT_FALSE(shot.HitsTerrain) << c.Start.x << "," << c.Start.z;
    EXPECT_TRUE(std::isfinite(shot.Remaining));
  }
  // A shot entering the grid from far outside finds the ground once it is over it.
  TVector hit;
  TVector d;
  VectorNormalize({1, 1, -0.3f}, d);
  EXPECT_TRUE(CastShotToTerrain(*w.Surface, {-3000, -3000, 1000}, d, 1e5f, hit));
  EXPECT_NEAR(hit.z, Ground(w, hit.x, hit.y), 0.02f);
}

// ---------------------------------------------------------------------------------------------
// Flight and the ground

TEST_F(ShotTest, AShotInTheOpenFliesItsRangeAndIsFreed) {
  TTestWorld& w = MakeWorld();
  w.Shots->Fire({500, 500, 2000}, {1, 0, 0});
  const TShot& shot = Newest(w);
  // 700 units at 1 unit per ms: 44 frames of 16 ms, the last one stopping at the end.
  for (int frame = 1; frame <= 43; ++frame) w.Step();
  EXPECT_EQ(shot.State, ShotFlying);
  EXPECT_GT(shot.Remaining, 0);
  w.Step();
  EXPECT_EQ(shot.Head, shot.End);
  w.Step();
  EXPECT_EQ(shot.State, ShotFinished);
  w.Step();
  EXPECT_EQ(w.Shots->Count(), 0);
  EXPECT_EQ(w.ShotsMade, 1);
}

TEST_F(ShotTest, AShotThatMeetsAHillStopsThereLeavesItsMarkAndFades) {
  TTestWorld& w = MakeWorld("lev1.srf");
  TVector d;
  VectorNormalize({1, 0.3f, -0.25f}, d);
  const TVector start{1500, 1500, Ground(w, 1500, 1500) + 40};
  w.Shots->Fire(start, d);
  const TShot& shot = Newest(w);
  ASSERT_TRUE(shot.HitsTerrain);
  const int frames = w.StepUntil([&] { return shot.State != ShotFlying; }, 100);
  EXPECT_LE(frames, static_cast<int>(std::ceil(VectorLength(shot.End - start) / 16)) + 1);
  EXPECT_EQ(shot.State, ShotGroundImpact);
  EXPECT_NEAR(VectorLength(shot.Head - shot.End), 0, 1e-3f);
  // The mark was laid on the cells around the impact.
  EXPECT_GT(w.Surface->DecalCount, 0);
  // The puffs outlast the mark: 0.6 at 0.0009 a ms is about 42 frames.
  const int fading = w.StepUntil([&] { return w.Shots->Count() == 0; }, 100);
  EXPECT_GE(fading, 40);
  EXPECT_LE(fading, 45);
}

// ---------------------------------------------------------------------------------------------
// Hits

TEST_F(ShotTest, HitsFollowTheMeshAsItIsDrawnNotTheSphere) {
  TTestWorld& w = MakeWorld();
  w.FrameMs = 1000;  // one frame sweeps the whole range: the segment is the shot's path
  const TVector centre{2000, 2000, 1500};
  TQuaternion turned;
  QuatFromEuler(0.3f, 1.1f, 2.0f, turned);
  TActor& target = AddTarget(w, "ally2", centre, turned);
  const float radius = target.Radius;
  SetRandomSeed(3);
  int hits = 0, misses = 0;
  for (int i = 0; i < 60; ++i) {
    TVector d, aim;
    VectorNormalize({RandomSpread(), RandomSpread(), RandomSpread()}, d);
    VectorNormalize({RandomSpread(), RandomSpread(), RandomSpread()}, aim);
    // Aimed past the centre, inside the sphere.
    const TVector through = centre + aim * (radius * RandomFloat());
    const TVector start = through - d * 300;
    // Where the path meets the mesh placed as it is drawn: world = Matrix * model + Position.
    const TMatrix& m = target.Matrix;
    const auto toModel = [&](const TVector& p) {
      const TVector r = p - centre;
      return TVector{m[0] * r.x + m[1] * r.y + m[2] * r.z, m[4] * r.x + m[5] * r.y + m[6] * r.z,
                     m[8] * r.x + m[9] * r.y + m[10] * r.z};
    };
    float expected = 1;
    const bool meets = target.Mesh.SegmentHit(toModel(start), toModel(start + d * ShotRange), expected);

    const float life = target.Life;
    w.Shots->Fire(start, d);
    const TShot& shot = Newest(w);
    w.Step();
    SCOPED_TRACE(i);
    if (meets) {
      ++hits;
      EXPECT_EQ(target.Life, life - 1);
      EXPECT_EQ(shot.State, ShotFinished);
      EXPECT_NEAR(VectorLength(shot.Head - (start + d * (ShotRange * expected))), 0, 0.05f);
    } else {
      ++misses;
      EXPECT_EQ(target.Life, life);
      EXPECT_NE(shot.State, ShotFinished);
    }
  }
  EXPECT_GT(hits, 10);
  EXPECT_GT(misses, 10);  // many of these crossed the sphere and flew on
}

TEST_F(ShotTest, OfTwoActorsOnThePathTheNearerMeshHitTakesTheDamage) {
  for (const bool nearFirstInArray : {false, true}) {
    TTestWorld& w = MakeWorld();
    w.FrameMs = 1000;
    const TVector start{1000, 1000, 1500};
    const TVector nearPos{1000 + 40, 1000, 1500}, farPos{1000 + 48, 1000, 1500};
    TActor* nearActor;
    TActor* farActor;
    if (nearFirstInArray) {
      nearActor = &AddTarget(w, "bad1", nearPos);
      farActor = &AddTarget(w, "bad1", farPos);
    } else {
      farActor = &AddTarget(w, "bad1", farPos);
      nearActor = &AddTarget(w, "bad1", nearPos);
    }
    w.Shots->Fire(start, {1, 0, 0});
    w.Step();
    EXPECT_EQ(nearActor->Life, 99) << nearFirstInArray;
    EXPECT_EQ(farActor->Life, 100) << nearFirstInArray;
  }
}

TEST_F(ShotTest, OnlyThePlayersShotsCountAsHitsButAnyShotHurtsAnySide) {
  TTestWorld& w = MakeWorld();
  TActor& friendly = AddTarget(w, "bad1", {1000, 1000, 1500});
  friendly.Side = 1;
  friendly.HitDamage = 7;
  w.Shots->Fire({900, 1000, 1500}, {1, 0, 0});
  w.Shots->AddShot({900, 1000, 1500}, {1, 0, 0}, true, ShotSpeed, ShotRange);
  w.Shots->Fire({1000, 900, 1500}, {0, 1, 0});
  w.StepUntil([&] { return w.Shots->Count() == 0; }, 100);
  EXPECT_EQ(friendly.Life, 100 - 3 * 7);
  EXPECT_EQ(w.ShotsHit, 1);
  EXPECT_EQ(w.ShotsMade, 3);
}

TEST_F(ShotTest, GoneActorsAndActorsBeyondTheGroundAreNotHit) {
  TTestWorld& w = MakeWorld();
  TActor& gone = AddTarget(w, "bad1", {1000, 1000, 1500});
  gone.State = StateGone;
  w.Shots->Fire({900, 1000, 1500}, {1, 0, 0});
  // Straight down onto the ground over an actor buried just under it: the last frame's step
  // would carry the shot 14 units past the ground if it were not stopped there.
  const float x = 2000, y = 2000, ground = Ground(w, x, y);
  TActor& buried = AddTarget(w, "bad1", {x, y, 0});
  float top = 0;
  for (const TVector& v : buried.Mesh.Anims.front().Frames.front()) top = std::max(top, v.z);
  buried.Position.z = ground - 1 - top;
  w.Shots->Fire({x, y, ground + 290}, {0, 0, -1});
  w.StepUntil([&] { return w.Shots->Count() == 0; }, 200);
  EXPECT_EQ(gone.Life, 100);
  EXPECT_EQ(buried.Life, 100);
}

TEST_F(ShotTest, ShotsThatCouldNeverArriveAreNotMade) {
  TTestWorld& w = MakeWorld();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  w.Shots->Fire({nan, 0, 1000}, {1, 0, 0});
  w.Shots->Fire({0, 0, 1000}, {1, nan, 0});
  w.Shots->Fire({0, 0, 1000}, {1, 0, 0}, nan);
  w.Shots->Fire({0, 0, 1000}, {1, 0, 0}, ShotRange, 0);
  w.Shots->Fire({0, 0, 1000}, {1, 0, 0}, ShotRange, -1);
  EXPECT_EQ(w.Shots->Count(), 0);
  EXPECT_EQ(w.ShotsMade, 0);
  // Absurdly fast: still ends where its range does.
  w.Shots->Fire({500, 500, 2000}, {1, 0, 0}, ShotRange, 1e30f);
  w.StepUntil([&] { return w.Shots->Count() == 0; }, 3);
  EXPECT_EQ(w.Shots->Count(), 0);
  // No direction at all: made, and over at once.
  w.Shots->Fire({500, 500, 1000}, {0, 0, 0});
  w.StepUntil([&] { return w.Shots->Count() == 0; }, 3);
  EXPECT_EQ(w.Shots->Count(), 0);
}

}  // namespace
