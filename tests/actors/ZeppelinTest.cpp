// ZeppelinTest.cpp — the airship: path flight and hovering, death in place, terrain and actor contacts.
#include "actors/ZeppelinUnit.h"

#include "ActorTestWorld.h"

#include <cmath>

namespace {

constexpr float Upright = -1.5708f;  // a +Y-up model standing in the z-up world
constexpr int32_t AirshipType = 3;
constexpr int32_t PathStep = 33;

class ZeppelinTest : public ActorTest {
protected:
  TZeppelin& AddZeppelin(TTestWorld& w, const TVector& p, float ax = 0) {
    TZeppelin& z = w.Add(std::make_unique<TZeppelin>(w));
    z.LoadTyped(DataDir + "ally2", p, ax, 0, 0, AirshipType);
    z.Side = 1;
    z.Behaviour = &TActor::Live;
    return z;
  }
  // As the first mission sets its airships off.
  void FollowPath(TZeppelin& z, const std::string& file, const TVector& offset) {
    z.PathMotion.Load(file);
    z.PathMotion.Start(PathStep, offset);
    z.Motion = &z.PathMotion;
    z.CollideTerrain = 0;
    z.Behaviour = &TActor::Behaviour7;
  }
  static void Hover(TZeppelin& z) {
    z.Speed = 0;
    z.CruiseSpeed = 0;
    z.Behaviour = &TActor::Live;
  }
  // A zeppelin standing still high above the mountains, alone with nothing to meet.
  TZeppelin& HoveringHigh(TTestWorld& w) {
    TZeppelin& z = AddZeppelin(w, {2000, 2000, 1500});
    Hover(z);
    return z;
  }
  static float AngleStep(float before, float after) { return std::fmod(after - before + 360.0f, 360.0f); }
};

// --- Path flight --------------------------------------------------------------------------

TEST_F(ZeppelinTest, FollowsThePathExactlyAndSpinsAtTheCruiseRate) {
  TTestWorld& w = MakeWorld();
  const TVector offset{3263, 1357, 360};
  TZeppelin& z = AddZeppelin(w, offset);
  ASSERT_FLOAT_EQ(z.Speed, 0.02f);
  FollowPath(z, "l1m1.cap", offset);
  TMotion reference;
  reference.Load("l1m1.cap");
  reference.Start(PathStep, offset);
  for (int frame = 0; frame < 200; ++frame) {
    const float angle = z.PropellerAngle;
    w.Step();
    const bool running = reference.Update();
    ASSERT_EQ(z.Position, reference.Position) << "frame " << frame;
    ASSERT_EQ(z.MotionDone, running ? 0 : 1);
    // 0.5 degrees per ms at a cruise speed of 0.02.
    ASSERT_NEAR(AngleStep(angle, z.PropellerAngle), 0.5f * 16, 1e-3f);
    ASSERT_FLOAT_EQ(z.Speed, 0.02f);
  }
  // The attitude is the conjugate of the recorded view.
  EXPECT_FLOAT_EQ(z.Orientation.w, reference.Rotation.w);
  EXPECT_FLOAT_EQ(z.Orientation.x, -reference.Rotation.x);
}

TEST_F(ZeppelinTest, HoveringStopsItAndThePropellerAndResumingContinuesThePath) {
  TTestWorld& w = MakeWorld();
  const TVector offset{3584, 3968, 360};
  TZeppelin& z = AddZeppelin(w, offset);
  FollowPath(z, "l4m1.cap", offset);
  TMotion reference;
  reference.Load("l4m1.cap");
  reference.Start(PathStep, offset);
  for (int frame = 0; frame < 30; ++frame) {
    w.Step();
    reference.Update();
  }
  Hover(z);
  const TVector held = z.Position;
  const float angle = z.PropellerAngle;
  const int32_t time = z.PathMotion.Time;
  for (int frame = 0; frame < 50; ++frame) w.Step();
  EXPECT_EQ(z.Position, held);
  EXPECT_EQ(z.PropellerAngle, angle);
  EXPECT_EQ(z.PathMotion.Time, time);

  z.Speed = 0.02f;
  z.Behaviour = &TActor::Behaviour7;
  for (int frame = 0; frame < 10; ++frame) {
    w.Step();
    reference.Update();
    ASSERT_EQ(z.Position, reference.Position);
  }
}

TEST_F(ZeppelinTest, AnEndedPathHoldsItsLastPose) {
  TTestWorld& w = MakeWorld();
  const TVector offset{3263, 1357, 360};
  TZeppelin& z = AddZeppelin(w, offset);
  FollowPath(z, "l1m1.cap", offset);
  const TMotionBuffer& buffer = *MotionBuffers[static_cast<size_t>(z.PathMotion.BufferIndex)];
  z.PathMotion.Time = PathStep * (buffer.Count - 1) - 10;  // the last frame before the end
  w.Step();
  EXPECT_EQ(z.MotionDone, 0);
  const TVector last = buffer.Samples.back().Position + offset;
  for (int frame = 0; frame < 20; ++frame) {
    w.Step();
    ASSERT_EQ(z.MotionDone, 1);
    ASSERT_EQ(z.Position, last);
    ASSERT_EQ(z.State, StateAlive);
  }
}

TEST_F(ZeppelinTest, CruisingOnLiveFliesLevelAtItsSpeedAndTurnsThePropeller) {
  TTestWorld& w = MakeWorld();
  TZeppelin& z = AddZeppelin(w, {2000, 2000, 1500}, Upright);
  z.CollideTerrain = 0;
  for (int frame = 0; frame < 10; ++frame) {
    const TVector before = z.Position;
    const float angle = z.PropellerAngle;
    w.Step();
    const TVector moved = z.Position - before;
    ASSERT_NEAR(VectorLength(moved), 0.02f * 16, 1e-4f);
    ASSERT_NEAR(moved.z, 0.0f, 1e-4f);
    ASSERT_NEAR(AngleStep(angle, z.PropellerAngle), 8.0f, 1e-3f);
  }
}

// --- Destruction ----------------------------------------------------------------------------

TEST_F(ZeppelinTest, DestroyedOnThePathItFinishesTheFrameThenExplodesInPlace) {
  TTestWorld& w = MakeWorld();
  const TVector offset{3263, 1357, 360};
  TZeppelin& z = AddZeppelin(w, offset);
  FollowPath(z, "l1m1.cap", offset);
  TMotion reference;
  reference.Load("l1m1.cap");
  reference.Start(PathStep, offset);
  for (int frame = 0; frame < 5; ++frame) {
    w.Step();
    reference.Update();
  }
  z.Life = 0;
  w.Step();
  reference.Update();
  EXPECT_EQ(z.State, StateDying);
  EXPECT_EQ(z.Position, reference.Position);  // the path still moved it this frame
  const TVector wreck = z.Position;
  const int32_t time = z.PathMotion.Time;
  const uint8_t done = z.MotionDone;
  EXPECT_EQ(w.TypeCounters[AirshipType], 1);

  // The explosion stays where the airship was: no fall and no more path.
  const int32_t frames = w.StepUntil([&] { return z.State == StateGone; }, 400);
  EXPECT_EQ(z.State, StateGone);
  EXPECT_GE(frames * 16, 1000);
  EXPECT_EQ(z.Position, wreck);
  EXPECT_EQ(z.PathMotion.Time, time);
  EXPECT_EQ(z.MotionDone, done);
  EXPECT_EQ(z.EnginePlaying, 0);
  EXPECT_EQ(w.TypeCounters[AirshipType], 0);
}

TEST_F(ZeppelinTest, ItsExplosionShakesTheEyeOnlyWithinThreeRadii) {
  struct TCase {
    float EyeDistance;
    bool Shakes;
  };
  for (const TCase& c : {TCase{3 * 110.0f - 1, true}, TCase{3 * 110.0f + 1, false}}) {
    TTestWorld& w = MakeWorld();
    TZeppelin& z = HoveringHigh(w);
    w.TestEye.Point = z.Position + TVector{c.EyeDistance, 0, 0};
    z.Life = 0;
    w.Step();  // the frame it is destroyed
    w.Step();  // the first explosion frame
    EXPECT_EQ(w.TestEye.Shakes > 0, c.Shakes) << "eye at " << c.EyeDistance;
  }
}

TEST_F(ZeppelinTest, CrashExplodesInsteadOfFalling) {
  TTestWorld& w = MakeWorld();
  TZeppelin& z = HoveringHigh(w);
  z.Behaviour = &TActor::Crash;
  w.Step();
  EXPECT_NE(z.State, StateAlive);
  const TVector at = z.Position;
  w.StepUntil([&] { return z.State == StateGone; }, 400);
  EXPECT_EQ(z.State, StateGone);
  EXPECT_EQ(z.Position, at);
}

// --- Terrain --------------------------------------------------------------------------------

TEST_F(ZeppelinTest, TerrainHurtsAndLiftsItOnlyWhenItCollidesWithTerrain) {
  for (const uint8_t collide : {uint8_t{0}, uint8_t{1}}) {
    TTestWorld& w = MakeWorld();
    const float ground = w.Surface->GroundHeight(2000, 2000);
    TZeppelin& z = AddZeppelin(w, {2000, 2000, ground});
    Hover(z);
    z.CollideTerrain = collide;
    const int32_t particles = w.Particles->ActiveCount();
    w.Step();
    if (collide) {
      EXPECT_FLOAT_EQ(z.Life, 150 - 10 * 0.5f);
      EXPECT_FLOAT_EQ(z.Position.z, ground + 5);
      EXPECT_FLOAT_EQ(z.Kick.y, -0.05f);
      EXPECT_EQ(w.Particles->ActiveCount(), particles + 1);  // a puff of smoke
    } else {
      EXPECT_FLOAT_EQ(z.Life, 150);
      EXPECT_FLOAT_EQ(z.Position.z, ground);
    }
  }
}

TEST_F(ZeppelinTest, ATerrainStrikeThatDestroysItDoesNotLiftIt) {
  TTestWorld& w = MakeWorld();
  const float ground = w.Surface->GroundHeight(2000, 2000);
  TZeppelin& z = AddZeppelin(w, {2000, 2000, ground});
  Hover(z);
  z.Life = 5;
  w.Step();
  EXPECT_LE(z.Life, 0);
  EXPECT_FLOAT_EQ(z.Position.z, ground);
  w.Step();
  EXPECT_EQ(z.State, StateDying);
  EXPECT_EQ(z.Behaviour, &TActor::Die);
}

// --- Actor collisions -----------------------------------------------------------------------

class ZeppelinCollisionTest : public ZeppelinTest {
protected:
  // A hovering airship and, after it in the actor array, a meshless actor whose last movement
  // ended on the airship's hull: only a test of that movement against the airship's mesh can
  // hit (the meshless actor has no triangles to be hit).
  struct TScene {
    TZeppelin* Airship;
    TActor* Other;
  };
  TScene Make(float otherCollisionRadius) {
    TTestWorld& w = MakeWorld();
    TZeppelin& z = HoveringHigh(w);
    TActor& other = w.Add(std::make_unique<TActor>(w, ShadowClass::Building));
    other.Radius = 20;
    other.CollisionRadius = otherCollisionRadius;
    other.Life = 100;
    other.HitDamage = 2;
    other.Size = 7;
    // Where a line from beside the airship towards its centre meets the hull (a little off
    // the axis, which runs along a seam between faces).
    const TVector from{300, 10, 0};
    float t = 1;
    EXPECT_TRUE(z.Mesh.SegmentHit(from, {0, 0, 0}, t));
    other.PrevPosition = z.Position + from;
    other.Position = z.Position + from * (1 - t);
    return {&z, &other};
  }
};

TEST_F(ZeppelinCollisionTest, TheSmallerCollisionRadiusIsTheMover) {
  struct TCase {
    float OtherRadius;
    bool Hit;  // only when the other actor's movement is the one tested
  };
  for (const TCase& c : {TCase{10, true}, TCase{60, false}, TCase{100, false}}) {
    const TScene s = Make(c.OtherRadius);
    World->Step();
    if (c.Hit) {
      EXPECT_FLOAT_EQ(s.Airship->Life, 150 - 0.5f * 7);
      EXPECT_FLOAT_EQ(s.Other->Life, 100 - 2 * 40.0f);
      EXPECT_EQ(s.Airship->Collidable, 0);
      EXPECT_EQ(s.Other->Collidable, 0);
      EXPECT_FLOAT_EQ(s.Airship->Kick.y, -0.1f);
      EXPECT_FLOAT_EQ(s.Other->Kick.y, -0.1f);
    } else {
      EXPECT_FLOAT_EQ(s.Airship->Life, 150) << "other radius " << c.OtherRadius;
      EXPECT_FLOAT_EQ(s.Other->Life, 100);
      EXPECT_EQ(s.Airship->Collidable, 1);
    }
  }
}

TEST_F(ZeppelinCollisionTest, OnlyCollidableLiveActorsAndOnlyWhenItCollides) {
  struct TCase {
    const char* Name;
    void (*Prepare)(TZeppelin&, TActor&);
  };
  const TCase cases[] = {
      {"airship ignores actors", [](TZeppelin& z, TActor&) { z.CollideActors = 0; }},
      {"other ignores actors", [](TZeppelin&, TActor& o) { o.CollideActors = 0; }},
      {"other already hit", [](TZeppelin&, TActor& o) { o.Collidable = 0; }},
      {"other exploding", [](TZeppelin&, TActor& o) { o.State = StateDying; }},
      {"other gone", [](TZeppelin&, TActor& o) { o.State = StateGone; }},
  };
  for (const TCase& c : cases) {
    const TScene s = Make(10);
    c.Prepare(*s.Airship, *s.Other);
    World->Step();
    EXPECT_FLOAT_EQ(s.Airship->Life, 150) << c.Name;
    EXPECT_FLOAT_EQ(s.Other->Life, 100) << c.Name;
  }
}

TEST_F(ZeppelinCollisionTest, ARamThatDestroysGivesNoKick) {
  const TScene s = Make(10);
  s.Other->Life = 1;
  World->Step();
  EXPECT_LE(s.Other->Life, 0);
  EXPECT_FLOAT_EQ(s.Other->Kick.y, 0);
  EXPECT_FLOAT_EQ(s.Airship->Kick.y, -0.1f);
}

// --- Loading --------------------------------------------------------------------------------

TEST_F(ZeppelinTest, AMissingParameterFileLeavesTheCountersAlone) {
  TTestWorld& w = MakeWorld();
  TZeppelin& z = w.Add(std::make_unique<TZeppelin>(w));
  EXPECT_ANY_THROW(z.LoadTyped(DataDir + "bad4", {0, 0, 0}, 0, 0, 0, AirshipType));  // bad4 has no .int
  EXPECT_EQ(w.TypeCounters[AirshipType], 0);
}

}  // namespace
