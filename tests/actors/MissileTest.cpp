// MissileTest.cpp — missiles on forged terrain: straight flight to the range, steering toward
// targets (and not turning at one dead ahead), strikes on several actors and on the ground,
// the explosion's length and light, and the sound slots and animations a long fight recycles.
#include "ActorTestWorld.h"

#include <cmath>
#include <limits>

namespace {

// Flies straight on at a fixed velocity: a target that never dodges.
class TDrone final : public TActor {
public:
  TDrone(TWorld& level, const TVector& velocity) : TActor(level, ShadowClass::AirCraft), Velocity(velocity) {}
  void Live() override {
    LiveBase();
    Position += Velocity * static_cast<float>(Counter.Elapsed);
  }
  TVector Velocity;
};

TActor& AddTarget(TTestWorld& w, const TVector& position, const TVector& velocity = {0, 0, 0}) {
  TActor& actor = w.Add(std::make_unique<TDrone>(w, velocity));
  actor.Load(DataDir + "bad1", position, 0, 0, 0);
  actor.Radius = actor.Mesh.BoundingRadius;
  actor.Life = actor.MaxLife = 100;
  actor.HitDamage = 1;
  actor.Behaviour = &TActor::Live;
  return actor;
}

// The direction the missile's nose points in the world: its -Z axis as drawn.
TVector Nose(const TQuaternion& q) {
  TMatrix m;
  QuatToMatrix(q, m);
  TVector z;
  MatrixRotateVector({0, 0, 1}, m, z);
  return -z;
}

// A level orientation whose nose points along the unit vector d: the missile's Y axis up as
// far as d allows, as a launcher in level flight holds it.
TQuaternion Pointing(const TVector& d) {
  TVector z = -d, x, y;
  VectorCross({0, 0, 1}, z, x);
  VectorNormalize(x, x);
  VectorCross(z, x, y);
  // The stored matrix has the world axes X, Y, Z as columns, so the quaternion's own
  // (textbook) matrix has them as rows.
  const float r[3][3] = {{x.x, x.y, x.z}, {y.x, y.y, y.z}, {z.x, z.y, z.z}};
  const float trace = r[0][0] + r[1][1] + r[2][2];
  TQuaternion q{};
  if (trace > 0) {
    const float s = 2 * std::sqrt(1 + trace);
    q = {s / 4, (r[2][1] - r[1][2]) / s, (r[0][2] - r[2][0]) / s, (r[1][0] - r[0][1]) / s};
  } else if (r[0][0] > r[1][1] && r[0][0] > r[2][2]) {
    const float s = 2 * std::sqrt(1 + r[0][0] - r[1][1] - r[2][2]);
    q = {(r[2][1] - r[1][2]) / s, s / 4, (r[0][1] + r[1][0]) / s, (r[0][2] + r[2][0]) / s};
  } else if (r[1][1] > r[2][2]) {
    const float s = 2 * std::sqrt(1 + r[1][1] - r[0][0] - r[2][2]);
    q = {(r[0][2] - r[2][0]) / s, (r[0][1] + r[1][0]) / s, s / 4, (r[1][2] + r[2][1]) / s};
  } else {
    const float s = 2 * std::sqrt(1 + r[2][2] - r[0][0] - r[1][1]);
    q = {(r[1][0] - r[0][1]) / s, (r[0][2] + r[2][0]) / s, (r[1][2] + r[2][1]) / s, s / 4};
  }
  return q;
}

float AngleBetween(const TVector& a, const TVector& b) {
  TVector na, nb;
  VectorNormalize(a, na);
  VectorNormalize(b, nb);
  return std::acos(std::clamp(VectorDot(na, nb), -1.0f, 1.0f));
}

TMissile& Newest(TTestWorld& w) { return *w.Missiles->First; }

class MissileTest : public ActorTest {};

TEST_F(MissileTest, PointingHelperAgreesWithTheDrawnNoseAndKeepsLevel) {
  for (const TVector& d : {TVector{1, 0, 0}, TVector{0, -1, 0}, TVector{-0.6f, 0.8f, 0}, TVector{0.48f, 0.6f, -0.64f}}) {
    const TQuaternion q = Pointing(d);
    EXPECT_NEAR(VectorLength(Nose(q) - d), 0, 1e-5f) << d.x << "," << d.y << "," << d.z;
    TMatrix m;
    QuatToMatrix(q, m);
    TVector x, y;
    MatrixRotateVector({1, 0, 0}, m, x);
    MatrixRotateVector({0, 1, 0}, m, y);
    EXPECT_NEAR(x.z, 0, 1e-5f);
    EXPECT_GT(y.z, 0.7f);
  }
}

// ---------------------------------------------------------------------------------------------
// Flight and guidance

TEST_F(MissileTest, AnUnguidedMissileFliesStraightAndExplodesAfterItsRange) {
  for (const int32_t target : {-1, 999}) {  // no target, and an index past the actors
    TTestWorld& w = MakeWorld();
    const TVector start{500, 2000, 1500};
    ASSERT_TRUE(w.Missiles->Launch(start, Pointing({1, 0, 0}), MissileSpeed, MissileRange, target));
    const TMissile& m = Newest(w);
    // 1000 units at 0.25 a ms: 250 frames of 16 ms.
    const int frames = w.StepUntil([&] { return m.State != MissileFlying; }, 400);
    EXPECT_NEAR(frames, 250, 1);
    EXPECT_NEAR(m.Position.x - start.x, 1000, 0.5f);
    EXPECT_NEAR(m.Position.y, start.y, 1e-3f);
    EXPECT_NEAR(m.Position.z, start.z, 1e-3f);
    EXPECT_EQ(w.MissilesMade, 1);
  }
}

TEST_F(MissileTest, AMissileWithItsTargetDeadAheadDoesNotTurn) {
  TTestWorld& w = MakeWorld();
  // The identity's nose points straight down, so the target below lies on both axis planes.
  TActor& target = AddTarget(w, {2000, 2000, 1000});
  ASSERT_TRUE(w.Missiles->Launch({2000, 2000, 1400}, {1, 0, 0, 0}, MissileSpeed, MissileRange, 0));
  const TMissile& m = Newest(w);
  for (int frame = 0; frame < 50; ++frame) {
    w.Step();
    ASSERT_EQ(m.Orientation, (TQuaternion{1, 0, 0, 0})) << "frame " << frame;
  }
  w.StepUntil([&] { return m.State != MissileFlying; }, 200);
  EXPECT_EQ(target.Life, 100 - MissileDamageFactor);
}

TEST_F(MissileTest, AGuidedMissileTurnsTowardATargetOnAnySide) {
  const TVector start{2000, 2000, 1500};
  // Ahead is +x; the targets lie off to the left, right, above and below.
  const TVector offsets[] = {{300, 200, 0}, {300, -200, 0}, {300, 0, 200}, {300, 0, -200}, {-100, 300, 50}};
  for (const TVector& offset : offsets) {
    TTestWorld& w = MakeWorld();
    AddTarget(w, start + offset);
    ASSERT_TRUE(w.Missiles->Launch(start, Pointing({1, 0, 0}), MissileSpeed, MissileRange, 0));
    const TMissile& m = Newest(w);
    const float before = AngleBetween(Nose(m.Orientation), offset);
    // Ten frames turn the nose by 0.32 radians about each axis it needs.
    for (int frame = 0; frame < 10; ++frame) w.Step();
    const float after = AngleBetween(Nose(m.Orientation), w.Actors[0]->Position - m.Position);
    EXPECT_LT(after, before - 0.2f) << offset.x << "," << offset.y << "," << offset.z;
  }
}

TEST_F(MissileTest, ALockedMissileStrikesAStraightFlyingTarget) {
  TTestWorld& w = MakeWorld();
  TActor& target = AddTarget(w, {1800, 2300, 1500}, {0.1f, 0.02f, 0});
  ASSERT_TRUE(w.Missiles->Launch({1500, 2000, 1450}, Pointing({1, 0, 0}), MissileSpeed, MissileRange, 0));
  const TMissile& m = Newest(w);
  w.StepUntil([&] { return m.State != MissileFlying; }, 300);
  EXPECT_EQ(target.Life, 100 - MissileDamageFactor);
  EXPECT_GT(m.Range, 0);  // it struck, it did not run out
}

TEST_F(MissileTest, AMissileWhoseTargetIsGoneFliesOnTowardWhereItWasLastSeen) {
  TTestWorld& w = MakeWorld();
  const TVector start{2000, 2000, 1500}, seen{2300, 2200, 1500};
  TActor& target = AddTarget(w, seen);
  ASSERT_TRUE(w.Missiles->Launch(start, Pointing({1, 0, 0}), MissileSpeed, MissileRange, 0));
  const TMissile& m = Newest(w);
  w.Step();
  // Gone, and its slot's position changed afterwards: the missile keeps to the last sighting.
  target.State = StateGone;
  target.Position = {0, 0, 0};
  const float before = AngleBetween(Nose(m.Orientation), seen - m.Position);
  for (int frame = 0; frame < 10; ++frame) w.Step();
  EXPECT_LT(AngleBetween(Nose(m.Orientation), seen - m.Position), before - 0.2f);
  EXPECT_EQ(m.TargetPoint, seen);
}

// ---------------------------------------------------------------------------------------------
// Strikes

TEST_F(MissileTest, OneMissileDamagesTwoOverlappingActorsOnceEach) {
  TTestWorld& w = MakeWorld();
  TActor& a = AddTarget(w, {2100, 2000, 1500});
  TActor& b = AddTarget(w, {2100, 2000, 1500});  // one inside the other
  a.HitDamage = 2;
  b.HitDamage = 3;
  ASSERT_TRUE(w.Missiles->Launch({2000, 2000, 1500}, Pointing({1, 0, 0}), MissileSpeed, MissileRange, -1));
  const TMissile& m = Newest(w);
  w.StepUntil([&] { return m.State != MissileFlying; }, 100);
  EXPECT_EQ(m.State, MissileExploding);
  w.StepUntil([&] { return w.Missiles->Count() == 0; }, 200);
  EXPECT_EQ(a.Life, 100 - 2 * MissileDamageFactor);
  EXPECT_EQ(b.Life, 100 - 3 * MissileDamageFactor);
}

TEST_F(MissileTest, AMissileDivingIntoTheGroundExplodesAtIt) {
  TTestWorld& w = MakeWorld("lev4.srf");
  const float x = 1800, y = 2100;
  const float ground = w.Surface->GroundHeight(x, y);
  ASSERT_TRUE(w.Missiles->Launch({x, y, ground + 200}, {1, 0, 0, 0}, MissileSpeed, MissileRange, -1));
  const TMissile& m = Newest(w);
  w.StepUntil([&] { return m.State != MissileFlying; }, 300);
  EXPECT_EQ(m.State, MissileExploding);
  EXPECT_NEAR(m.Position.z, ground, m.Radius + 4);
  EXPECT_GT(m.Range, MissileRange - 210);
}

// ---------------------------------------------------------------------------------------------
// The explosion

TEST_F(MissileTest, TheExplosionLightFadesOverASecondAndTheAnimationIsWaitedFor) {
  for (const int32_t frameTime : {20, 100}) {  // shorter than the light, and longer
    TTestWorld& w = MakeWorld();
    ASSERT_TRUE(w.Missiles->Launch({2000, 2000, 1500}, Pointing({1, 0, 0}), MissileSpeed, 4, -1));
    TMissile& m = Newest(w);
    m.ExplosionAnim->FrameTime = frameTime;
    w.StepUntil([&] { return m.State == MissileExploding; }, 10);
    int exploding = 0;
    float lastRed = 2;
    bool first = true;
    while (w.Missiles->Count() > 0 && exploding < 1000) {
      w.Step();
      ++exploding;
      // The blast's light is the only one once the missile has stopped flying.
      if (w.Lights->Count > 0) {
        const TLight& light = w.Lights->WriteBuffer[0];
        if (first) EXPECT_EQ(light.Color, (TVector{1, 1, 0.9f}));
        first = false;
        EXPECT_LT(light.Color.x, lastRed);
        EXPECT_GE(light.Color.z, 0);
        lastRed = light.Color.x;
      }
      if (m.State == MissileFinished && w.Missiles->Count() > 0) {
        EXPECT_GT(m.ExplosionAnim->CurrentFrame, m.ExplosionAnim->FrameCount - 1);
        EXPECT_LT(m.Blast, 0);
      }
    }
    EXPECT_EQ(w.Missiles->Count(), 0);
    // Freed the frame after it finished; at 16 ms a frame a second is 63 frames.
    EXPECT_GE((exploding - 1) * w.FrameMs, 1000);
    const int animationFrames = 20 * ((frameTime + 15) / 16);
    EXPECT_GE(exploding, animationFrames);
    EXPECT_LE(exploding, std::max(64, animationFrames + 4)) << frameTime;
  }
}

// ---------------------------------------------------------------------------------------------
// Resources over a long fight

TEST_F(MissileTest, ThreeHundredLaunchesLeaveTheSoundTableAndTexturesAsTheyWere) {
  TTestWorld& w = MakeWorld();
  const auto names = SoundNames();
  const size_t textures = Textures.size();
  // One at a time: the preloaded animations cover them all.
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(w.Missiles->Launch({2000, 2000, 1500}, Pointing({1, 0, 0}), MissileSpeed, 8, -1));
    w.StepUntil([&] { return w.Missiles->Count() == 0; }, 200);
  }
  EXPECT_EQ(Textures.size(), textures);
  // Then in volleys of 40, more than the sound table could ever hold if slots were kept.
  for (int volley = 0; volley < 7; ++volley) {
    for (int i = 0; i < 40; ++i)
      ASSERT_TRUE(w.Missiles->Launch({2000, 1000 + 30.0f * i, 1500}, Pointing({1, 0, 0}), MissileSpeed, 8, -1))
          << "volley " << volley << " missile " << i;
    w.StepUntil([&] { return w.Missiles->Count() == 0; }, 200);
  }
  EXPECT_EQ(w.MissilesMade, 300);
  EXPECT_EQ(SoundNames(), names);
  // The animations a volley needed are kept for the next volleys, not made again.
  EXPECT_LE(Textures.size(), textures + 40);
}

TEST_F(MissileTest, ALaunchWithoutFreeSoundSlotsIsDroppedAndLaterOnesWork) {
  TTestWorld& w = MakeWorld();
  std::vector<int32_t> taken;
  for (int32_t h = LoadSound("missile.wav", false); h >= 0; h = LoadSound("missile.wav", false)) taken.push_back(h);
  EXPECT_FALSE(w.Missiles->Launch({2000, 2000, 1500}, Pointing({1, 0, 0}), MissileSpeed, MissileRange, -1));
  // One slot is not enough either, and the one it took is given back.
  const int32_t freed = taken.back();
  FreeSound(freed);
  taken.pop_back();
  EXPECT_FALSE(w.Missiles->Launch({2000, 2000, 1500}, Pointing({1, 0, 0}), MissileSpeed, MissileRange, -1));
  EXPECT_EQ(SoundNames()[static_cast<size_t>(freed)], EmptySlotName);
  EXPECT_EQ(w.Missiles->Count(), 0);
  EXPECT_EQ(w.MissilesMade, 0);
  FreeSound(taken.back());
  taken.pop_back();
  EXPECT_TRUE(w.Missiles->Launch({2000, 2000, 1500}, Pointing({1, 0, 0}), MissileSpeed, MissileRange, -1));
  EXPECT_EQ(w.MissilesMade, 1);
}

TEST_F(MissileTest, LaunchesThatAreNotANumberAreRefusedAndAbsurdOnesEnd) {
  TTestWorld& w = MakeWorld();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(w.Missiles->Launch({nan, 0, 0}, {1, 0, 0, 0}, MissileSpeed, MissileRange, -1));
  EXPECT_FALSE(w.Missiles->Launch({0, 0, 1000}, {nan, 0, 0, 0}, MissileSpeed, MissileRange, -1));
  EXPECT_FALSE(w.Missiles->Launch({0, 0, 1000}, {1, 0, 0, 0}, nan, MissileRange, -1));
  EXPECT_FALSE(w.Missiles->Launch({0, 0, 1000}, {1, 0, 0, 0}, 0, MissileRange, -1));
  EXPECT_EQ(w.Missiles->Count(), 0);
  // Absurd but numbers: it flies, stays finite and is over in bounded time.
  const float inf = std::numeric_limits<float>::infinity();
  ASSERT_TRUE(w.Missiles->Launch({2000, 2000, 1500}, Pointing({1, 0, 0}), 1e30f, inf, -1));
  const TMissile& m = Newest(w);
  w.StepUntil([&] { return m.State != MissileFlying; }, 20);
  EXPECT_TRUE(std::isfinite(m.Position.x));
  EXPECT_LT(w.StepUntil([&] { return w.Missiles->Count() == 0; }, 200), 200);
}

}  // namespace
