// AirCraftTest.cpp — computer-flown aircraft: loading, the pilot's steering and gunnery, whom
// the hunts pick and what happens when nothing is left, frames of no time and bad numbers,
// parked aircraft, terrain and actor collisions, the crash dive and the death sequence.
#include "actors/AirCraftUnit.h"

#include "ActorTestWorld.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr float Upright = -1.5708f;  // stands a +Y-up model in the z-up world
constexpr float HalfPi = 1.5708f;
constexpr int32_t Allied = 1, Enemy = 2;
// High over lev1's middle: far above every hill there, so the pilots never climb away.
constexpr TVector Sky{2000, 2000, 700};

class AirCraft : public ActorTest {
protected:
  // The computer pilots keep under the player's ceiling (SkyHeight + 570); the worlds here lift
  // it well above Sky, so the tests that fly there are not pushed down.
  TTestWorld& MakeWorld(const std::string& terrain = "lev1.srf") {
    TTestWorld& w = ActorTest::MakeWorld(terrain);
    w.SkyHeight = HighSky;
    return w;
  }
  static constexpr float HighSky = 400;
  // Heading 0 points the nose along +Y, HalfPi along +X.
  static TAirCraft& AddFighter(TTestWorld& w, const char* mesh, const TVector& p, float heading, int32_t side,
                               int32_t type = 0) {
    TAirCraft& a = w.Add(std::make_unique<TAirCraft>(w));
    a.LoadTyped(DataDir + mesh, p, Upright, heading, 0, type);
    a.Side = side;
    a.GuardPoint = p;
    return a;
  }
  // A target that only stands there (no behaviour) and takes no harm from shots.
  static TAirCraft& AddDummy(TTestWorld& w, const TVector& p, int32_t side = Allied) {
    TAirCraft& t = AddFighter(w, "bad1", p, 0, side);
    t.HitDamage = 0;
    return t;
  }
  static TVector Nose(const TAirCraft& a) {
    TVector n;
    MatrixRotateVector({0, 0, -1}, a.Matrix, n);
    return n;
  }
  static bool Finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
  static bool Finite(const TQuaternion& q) {
    return std::isfinite(q.w) && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z);
  }
  static bool Is(const TActor& a, TActor::TBehaviour b) { return a.Behaviour == b; }
};

// --- Loading -------------------------------------------------------------------------------

TEST_F(AirCraft, LoadsBelowTheTerrainThreeUnitsAboveTheGround) {
  TTestWorld& w = MakeWorld();
  TAirCraft& a = AddFighter(w, "bad1", {1000, 1200, -500}, 0, Enemy, 7);
  const float ground = w.Surface->GroundHeight(1000, 1200);
  EXPECT_FLOAT_EQ(a.Position.z, ground + 3.0f);
  EXPECT_FLOAT_EQ(a.PrevPosition.z, a.Position.z);
  TAirCraft& high = AddFighter(w, "bad1", {1000, 1200, 600}, 0, Enemy);
  EXPECT_FLOAT_EQ(high.Position.z, 600);
  EXPECT_FLOAT_EQ(a.Speed, 0.058f);  // the .int beside the mesh
  EXPECT_EQ(w.TypeCounters[7], 1);
  EXPECT_EQ(a.Shadow.ShadowMode, ShadowDynamic);
}

// --- Steering and gunnery ------------------------------------------------------------------

// Behind, a target a hair to one side is turned toward at once; ahead, the same offset lies
// inside the aim window and the pilot holds his course.
TEST_F(AirCraft, TargetBehindTurnsTowardItsSideWithNoDeadZone) {
  struct TCase {
    float dx, dy;
    int expectedTurn;  // sign of the nose's sideways swing
  };
  const TCase cases[] = {{0.01f, -150, +1}, {-0.01f, -150, -1}, {2.0f, 150, 0}, {-2.0f, 150, 0}};
  for (const TCase& c : cases) {
    TTestWorld& w = MakeWorld();
    TAirCraft& a = AddFighter(w, "bad1", Sky, 0, Enemy);
    // Offsets are taken from the gun plane, so the target sits relative to muzzle 1.
    const TVector muzzle = a.Gun1World;
    AddDummy(w, {muzzle.x + c.dx, Sky.y + c.dy, muzzle.z});
    a.TargetIndex = 1;
    a.Behaviour = &TActor::Behaviour11;
    w.Step();
    const float swing = Nose(a).x;
    if (c.expectedTurn == 0) {
      EXPECT_NEAR(swing, 0, 1e-5f) << c.dx << "," << c.dy;
    } else {
      EXPECT_GT(swing * static_cast<float>(c.expectedTurn), 1e-4f) << c.dx << "," << c.dy;
    }
  }
}

// Frames of uneven length: a pair is fired only once more than 120 ms have gathered.
TEST_F(AirCraft, BurstsAreAtLeast121MsApartAndTheGunSoundHolds) {
  TTestWorld& w = MakeWorld();
  TAirCraft& a = AddFighter(w, "bad1", Sky, 0, Enemy);
  TAirCraft& t = AddFighter(w, "bad1", {Sky.x, Sky.y + 200, Sky.z}, 0, Allied);
  t.Behaviour = &TActor::Live;  // flies ahead at the same speed, straight in the aim window
  t.Life = t.MaxLife = 1e6f;
  a.TargetIndex = 1;
  a.Behaviour = &TActor::Behaviour11;
  const int32_t frames[] = {16, 7, 33, 1, 50, 12, 121, 3};
  std::vector<int64_t> fired;
  int64_t clock = 0, shots = w.ShotsMade;
  for (int32_t i = 0; i < 400; ++i) {
    w.FrameMs = frames[i % 8];
    w.Step();
    // A frame's burst is decided before the frame's time is counted.
    if (w.ShotsMade != shots) {
      EXPECT_EQ(w.ShotsMade - shots, 2);
      fired.push_back(clock);
      shots = w.ShotsMade;
    }
    clock += w.FrameMs;
    if (!fired.empty()) {
      EXPECT_TRUE(a.GunPlaying) << "frame " << i;
    }
  }
  ASSERT_GT(fired.size(), 20u);
  for (size_t i = 1; i < fired.size(); ++i) EXPECT_GE(fired[i] - fired[i - 1], 121);
}

TEST_F(AirCraft, GunSoundStopsOutsideTheWindowOnlyAfter200Ms) {
  TTestWorld& w = MakeWorld();
  TAirCraft& a = AddFighter(w, "bad1", Sky, 0, Enemy);
  TAirCraft& t = AddDummy(w, {Sky.x, Sky.y + 200, Sky.z});
  a.TargetIndex = 1;
  a.Behaviour = &TActor::Behaviour11;
  a.ShotTimer = 121;
  w.Step();
  ASSERT_TRUE(a.GunPlaying);
  // Out of the window, far ahead and to the side.
  t.Position = {Sky.x + 300, Sky.y + 300, Sky.z};
  int32_t played = 16;
  while (played <= 200) {
    EXPECT_TRUE(a.GunPlaying) << played;
    w.Step();
    played += 16;
  }
  w.Step();
  EXPECT_FALSE(a.GunPlaying);
  EXPECT_EQ(a.GunSoundTimer, 0);
}

// --- Whom the pilots pick ------------------------------------------------------------------

TEST_F(AirCraft, HuntWithNoEligibleEnemyStopsTheGunAndPatrolsThatFrame) {
  TTestWorld& w = MakeWorld();
  TAirCraft& a = AddFighter(w, "bad1", Sky, 0, Enemy);
  AddDummy(w, {Sky.x + 100, Sky.y, Sky.z}, 0);      // neutral
  AddDummy(w, {Sky.x - 100, Sky.y, Sky.z}, Enemy);  // own side
  AddDummy(w, {Sky.x, Sky.y + 100, Sky.z}, Allied).GroundUnit = 1;
  AddDummy(w, {Sky.x, Sky.y - 100, Sky.z}, Allied).State = StateGone;
  AddDummy(w, {Sky.x, Sky.y - 200, Sky.z}, Allied).State = StateDying;
  a.Behaviour = &TActor::Behaviour10;
  a.GunPlaying = 1;
  const TVector before = a.Position;
  w.Step();
  EXPECT_TRUE(Is(a, &TActor::Behaviour8));
  EXPECT_FALSE(a.GunPlaying);
  EXPECT_GT(VectorLength(a.Position - before), 0.5f);  // it flew this frame too
}

TEST_F(AirCraft, AttackWithoutALiveTargetFallsBackToPatrol) {
  const int32_t targets[] = {-1, 2, 3, 99, -7, 0};  // 2: gone; 3: falling; 0: itself
  for (int32_t target : targets) {
    TTestWorld& w = MakeWorld();
    TAirCraft& a = AddFighter(w, "bad1", Sky, 0, Enemy);
    AddDummy(w, {Sky.x, Sky.y + 200, Sky.z});
    AddDummy(w, {Sky.x, Sky.y + 300, Sky.z}).State = StateGone;
    AddDummy(w, {Sky.x, Sky.y + 400, Sky.z}).State = StateDying;
    a.TargetIndex = target;
    a.Behaviour = &TActor::Behaviour11;
    w.Step();
    EXPECT_TRUE(Is(a, &TActor::Behaviour8)) << target;
    EXPECT_TRUE(Finite(a.Position)) << target;
  }
}

// With pairing finding nobody (no one else is targetable) the pilot chases and shoots without
// a nearest actor to avoid.
TEST_F(AirCraft, PursuitWithoutAPairingPartnerFliesOn) {
  TTestWorld& w = MakeWorld();
  TAirCraft& a = AddFighter(w, "bad1", Sky, 0, Enemy);
  TAirCraft& t = AddDummy(w, {Sky.x, Sky.y + 150, Sky.z});
  a.Targetable = 0;
  t.Targetable = 0;
  a.TargetIndex = 1;
  a.Behaviour = &TActor::Behaviour11;
  a.ShotTimer = 121;
  w.Step();
  EXPECT_EQ(a.NearestIndex, -1);
  EXPECT_TRUE(Is(a, &TActor::Behaviour11));
  EXPECT_EQ(w.ShotsMade, 2);
  a.SteerTo(-1);  // and an index naming nobody only flies level
  EXPECT_TRUE(Finite(a.Position));
}

// A defender circles back however its area is placed: it leaves the area by no more than the
// width of a full turn at the patrol's rate.
TEST_F(AirCraft, DefenderStaysNearItsGuardArea) {
  TTestWorld& w = MakeWorld("lev2.srf");
  struct TRow {
    TVector p;
    float heading, radius;
  };
  const TRow rows[] = {{{2900, 1350, 350}, HalfPi, 380}, {{3400, 3000, 330}, 0, 320}, {{2300, 800, 380}, HalfPi, 280}};
  std::vector<TAirCraft*> defenders;
  for (const TRow& r : rows) {
    TAirCraft& a = AddFighter(w, "bad1", r.p, r.heading, Enemy);
    a.GuardRadius = r.radius;
    a.Behaviour = &TActor::Behaviour12;
    defenders.push_back(&a);
  }
  const float turnWidth = 2 * defenders[0]->Speed / 0.001f;
  for (int32_t frame = 0; frame < 6000; ++frame) {
    w.Step();
    for (const TAirCraft* a : defenders) {
      ASSERT_EQ(a->State, StateAlive);
      ASSERT_LE(VectorLength(a->Position - a->GuardPoint), a->GuardRadius + turnWidth + 10) << frame;
      ASSERT_TRUE(Is(*a, &TActor::Behaviour12));
    }
  }
}

// --- Time and numbers ----------------------------------------------------------------------

TEST_F(AirCraft, AFrameOfNoTimeChangesNothing) {
  TTestWorld& w = MakeWorld();
  TAirCraft& a = AddFighter(w, "bad1", Sky, 0, Enemy);
  AddDummy(w, {Sky.x + 200, Sky.y - 100, Sky.z + 50});  // wants a turn and a climb
  a.TargetIndex = 1;
  a.Behaviour = &TActor::Behaviour11;
  a.Kick = {0.01f, 0.02f, 0.03f};
  const TVector position = a.Position;
  const TQuaternion orientation = a.Orientation;
  w.FrameMs = 0;
  w.Step();
  EXPECT_EQ(a.Position, position);
  EXPECT_EQ(a.Orientation, orientation);
  EXPECT_EQ(a.Kick, (TVector{0.01f, 0.02f, 0.03f}));  // kept for a frame that has time
  w.FrameMs = 16;
  w.Step();
  EXPECT_NE(a.Orientation, orientation);
  EXPECT_EQ(a.Kick, (TVector{0, 0, 0}));
}

TEST_F(AirCraft, NumbersThatAreNotNumbersNeverReachTheOrientation) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  TTestWorld& w = MakeWorld();
  TAirCraft& a = AddFighter(w, "bad1", Sky, 0, Enemy);
  TAirCraft& t = AddDummy(w, {nan, Sky.y, Sky.z});
  a.TargetIndex = 1;
  a.Behaviour = &TActor::Behaviour11;
  a.Kick = {nan, inf, -inf};
  for (int32_t i = 0; i < 20; ++i) w.Step();
  EXPECT_TRUE(Finite(a.Orientation));
  EXPECT_TRUE(Finite(a.Position));
  for (float m : a.Matrix) EXPECT_TRUE(std::isfinite(m));
  t.Position = {inf, -inf, nan};
  a.Behaviour = &TActor::Behaviour10;
  for (int32_t i = 0; i < 20; ++i) w.Step();
  EXPECT_TRUE(Finite(a.Orientation));
  EXPECT_TRUE(Finite(a.Position));
}

// --- Engines, sounds and destruction -------------------------------------------------------

TEST_F(AirCraft, WithTheEngineOffThereIsNoFlameNoSoundNoGlowAndNoDive) {
  TTestWorld& w = MakeWorld();
  TAirCraft& a = AddFighter(w, "bad1", Sky, 0, Enemy);
  a.SetEngine(false);
  EXPECT_EQ(a.Shadow.ShadowMode, ShadowStatic);
  a.Behaviour = &TActor::Live;
  a.RunBehaviour();  // the flames live one frame: look before the particles move
  EXPECT_EQ(w.Particles->ActiveCount(), 0);
  EXPECT_EQ(w.Lights->Count, 0);
  EXPECT_FALSE(a.EnginePlaying);
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SetRandomSeed(seed);
    a.Life = 0;
    a.State = StateAlive;
    a.Behaviour = &TActor::Live;
    a.RunBehaviour();
    EXPECT_TRUE(Is(a, &TActor::Die)) << seed;
  }
  a.SetEngine(true);
  EXPECT_EQ(a.Shadow.ShadowMode, ShadowDynamic);
}

TEST_F(AirCraft, APoweredAircraftDiesOrDivesWithASpinFromTwentySteps) {
  TTestWorld& w = MakeWorld();
  TAirCraft& a = AddFighter(w, "bad1", Sky, 0, Enemy);
  a.Behaviour = &TActor::Live;
  a.RunBehaviour();
  EXPECT_TRUE(a.EnginePlaying);
  EXPECT_EQ(w.Particles->ActiveCount(), 2);  // the two flames of this frame
  EXPECT_EQ(w.Lights->Count, 1);             // and the engine glow
  int32_t dives = 0, deaths = 0;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SetRandomSeed(seed);
    a.Life = 0;
    a.State = StateAlive;
    a.Behaviour = &TActor::Live;
    a.RunBehaviour();
    EXPECT_EQ(a.State, StateDying);
    if (Is(a, &TActor::Crash)) ++dives;
    if (Is(a, &TActor::Die)) ++deaths;
    for (float s : {a.Spin.x, a.Spin.y, a.Spin.z}) {
      EXPECT_GE(s, -0.5f - 1e-6f);
      EXPECT_LE(s, 0.45f + 1e-6f);
      EXPECT_NEAR(s / 0.05f, std::round(s / 0.05f), 1e-4f);
    }
    EXPECT_NEAR(VectorLength(a.FallVelocity), 0.1f, 1e-5f);
  }
  EXPECT_EQ(dives + deaths, 40);
  EXPECT_GT(dives, 5);
  EXPECT_GT(deaths, 5);
}

TEST_F(AirCraft, DeathLastsASecondAndCountsTheTypeDownOnceAtItsEnd) {
  TTestWorld& w = MakeWorld();
  TAirCraft& a = AddFighter(w, "bad1", Sky, 0, Enemy, 4);
  a.SetEngine(false);
  a.Behaviour = &TActor::Live;
  a.GunPlaying = 1;
  a.Life = 0;
  w.Step();
  ASSERT_TRUE(Is(a, &TActor::Die));
  int32_t ms = 0;
  while (a.State != StateGone && ms < 10000) {
    EXPECT_EQ(w.TypeCounters[4], 1);
    w.Step();
    ms += w.FrameMs;
  }
  EXPECT_EQ(a.State, StateGone);
  EXPECT_GE(ms, 1000);
  EXPECT_FALSE(a.GunPlaying);
  EXPECT_FALSE(a.EnginePlaying);
  EXPECT_EQ(w.TypeCounters[4], 0);
  for (int32_t i = 0; i < 100; ++i) w.Step();
  EXPECT_EQ(w.TypeCounters[4], 0);
}

// The shot pool counts the shooter among the targets: shots must leave from ahead of the guns.
TEST_F(AirCraft, StrafingFiresAPairEveryBurstIntervalAndNeverHitsItself) {
  for (const char* mesh : {"bad1", "ally1"}) {
    TTestWorld& w = MakeWorld();
    TAirCraft& a = AddFighter(w, mesh, Sky, 0, Enemy);
    a.Behaviour = &TActor::Behaviour13;
    for (int32_t i = 0; i < 125; ++i) w.Step();  // 2000 ms
    EXPECT_TRUE(a.GunPlaying);
    // One pair each 128 ms (8 frames of 16): 15 full intervals, the first after 128 ms.
    EXPECT_EQ(w.ShotsMade, 2 * 15) << mesh;
    EXPECT_FLOAT_EQ(a.Life, a.MaxLife) << mesh;
  }
}

// --- Collisions ----------------------------------------------------------------------------

// The steepest and the flattest spot of a patch of lev1, to stand a level aircraft on.
struct TSlopes {
  TVector Steep, Flat;
};
TSlopes FindSlopes(const TSurf& s) {
  TSlopes r{};
  float steepest = -1, flattest = 1e9f;
  for (float x = 300; x < 4000; x += 37)
    for (float y = 300; y < 4000; y += 37) {
      const float sx = std::fabs(s.GroundHeight(x + 8, y) - s.GroundHeight(x - 8, y));
      const float sy = std::fabs(s.GroundHeight(x, y + 10) - s.GroundHeight(x, y - 10));
      const float slope = std::max(sx, sy);
      if (slope > steepest) steepest = slope, r.Steep = {x, y, s.GroundHeight(x, y)};
      if (slope < flattest) flattest = slope, r.Flat = {x, y, s.GroundHeight(x, y)};
    }
  return r;
}

TEST_F(AirCraft, TerrainHitFindsAWingInASlopeButNotOverFlatGround) {
  TTestWorld& w = MakeWorld();
  const TSlopes spots = FindSlopes(*w.Surface);
  TAirCraft& a = AddFighter(w, "bad1", {0, 0, 0}, 0, Enemy);
  a.Position = spots.Steep + TVector{0, 0, 5};
  EXPECT_TRUE(a.TerrainHit());
  EXPECT_NEAR(a.Altitude, 5, 1e-2f);
  a.Position = spots.Flat + TVector{0, 0, 5};
  EXPECT_FALSE(a.TerrainHit());
  a.Position = spots.Steep + TVector{0, 0, 10.5f};  // above Radius: not even looked at
  EXPECT_FALSE(a.TerrainHit());
  EXPECT_NEAR(a.GroundPoint.z, spots.Steep.z, 1e-2f);
}

TEST_F(AirCraft, ACrashingAircraftThatTouchesAnotherDamagesBothAndExplodes) {
  TTestWorld& w = MakeWorld();
  TAirCraft& a = AddFighter(w, "bad1", {Sky.x, Sky.y, Sky.z + 14}, 0, Enemy);
  TAirCraft& b = AddFighter(w, "ally1", Sky, 0, Allied);  // hangs there: no behaviour
  a.Life = -1;
  a.State = StateDying;
  a.FallVelocity = {0, 0, -0.1f};
  a.Spin = {0, 0, 0};
  a.Behaviour = &TActor::Crash;
  const int32_t frames = w.StepUntil([&] { return !Is(a, &TActor::Crash); }, 60);
  EXPECT_LT(frames, 60);
  EXPECT_TRUE(Is(a, &TActor::Die));
  EXPECT_FLOAT_EQ(a.Life, -1 - 15);
  EXPECT_FLOAT_EQ(b.Life, 40 - 15);
  EXPECT_FLOAT_EQ(b.Kick.y, -0.1f);
}

TEST_F(AirCraft, ACrashDiveEndsOnTheGroundWithASmokeTrail) {
  TTestWorld& w = MakeWorld();
  TAirCraft& a = AddFighter(w, "bad1", Sky, 0, Enemy);
  a.Behaviour = &TActor::Live;
  a.Life = 0;
  for (uint32_t seed = 1; !Is(a, &TActor::Crash); ++seed) {
    ASSERT_LT(seed, 50u);
    SetRandomSeed(seed);
    a.State = StateAlive;
    a.Behaviour = &TActor::Live;
    a.RunBehaviour();
  }
  const int32_t frames = w.StepUntil([&] { return !Is(a, &TActor::Crash); }, 5000);
  EXPECT_LT(frames, 5000);
  EXPECT_TRUE(Is(a, &TActor::Die));
  EXPECT_LT(a.Altitude, a.Radius);
  EXPECT_GT(w.Particles->ActiveCount(), 10);
}

// --- Whole fights --------------------------------------------------------------------------

TEST_F(AirCraft, TwoHuntingFightersMeetAndOneFallsWithinAMinute) {
  TTestWorld& w = MakeWorld();
  TAirCraft& ally = AddFighter(w, "ally1", {1500, 1500, 450}, 0, Allied);
  TAirCraft& enemy = AddFighter(w, "bad1", {1700, 2600, 450}, 3.14159f, Enemy);
  ally.Behaviour = &TActor::Behaviour10;
  enemy.Behaviour = &TActor::Behaviour10;
  const int32_t minute = 60000 / 16;
  const int32_t frames = w.StepUntil([&] { return ally.State != StateAlive || enemy.State != StateAlive; }, minute);
  EXPECT_LT(frames, minute);
  EXPECT_GT(w.ShotsMade, 0);
}

// A few thousand frames of mixed pilots: everyone stays over the map, above the ground while
// intact, with numbers that are numbers.
TEST_F(AirCraft, ALongMixedFightStaysOverTheMapAndAboveTheGround) {
  TTestWorld& w = MakeWorld("lev3.srf");
  std::vector<TAirCraft*> all;
  for (int32_t i = 0; i < 3; ++i) {
    TAirCraft& a = AddFighter(w, "ally1", {1200.0f + 150 * i, 1200, 480}, 0.5f, Allied);
    a.Behaviour = &TActor::Behaviour10;
    all.push_back(&a);
    TAirCraft& b = AddFighter(w, "bad1", {2600.0f + 150 * i, 2600, 480}, 3.6f, Enemy);
    b.GuardRadius = 400;
    b.Behaviour = i == 0 ? &TActor::Behaviour12 : &TActor::Behaviour10;
    all.push_back(&b);
  }
  for (int32_t frame = 0; frame < 4000; ++frame) {
    w.Step();
    for (const TAirCraft* a : all) {
      ASSERT_TRUE(Finite(a->Position)) << frame;
      ASSERT_TRUE(Finite(a->Orientation)) << frame;
      ASSERT_GT(a->Position.x, -500);
      ASSERT_LT(a->Position.x, 4900);
      ASSERT_GT(a->Position.y, -500);
      ASSERT_LT(a->Position.y, 4900);
      if (a->State == StateAlive) {
        ASSERT_GT(a->Position.z, w.Surface->GroundHeight(a->Position.x, a->Position.y) - 5);
      }
    }
  }
  // And it was a fight: someone fell.
  EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const TAirCraft* a) { return a->State != StateAlive; }));
}

// --- Heights -------------------------------------------------------------------------------

// A nose raised by less than the levelling's dead band used to climb on for as long as the
// patrol lasted; the patrol now holds its point's height, from above, below or a drifting nose.
TEST_F(AirCraft, APatrolHoldsItsGuardPointsHeight) {
  TTestWorld& w = MakeWorld();
  const float starts[] = {0, 150, -150};
  std::vector<TAirCraft*> patrols;
  for (size_t i = 0; i < std::size(starts); ++i) {
    const TVector guard{1200.0f + 800 * static_cast<float>(i), 2000, 620};
    TAirCraft& a = AddFighter(w, "bad1", guard + TVector{0, 0, starts[i]}, 0, Enemy);
    a.GuardPoint = guard;
    a.GuardRadius = 300;
    a.Behaviour = &TActor::Behaviour8;
    a.Kick.y = -0.0005f;  // the nose comes up a few thousandths of a radian, inside the dead band
    patrols.push_back(&a);
  }
  const int32_t twoMinutes = 2 * 60000 / 16, tenMinutes = 10 * 60000 / 16;
  for (int32_t frame = 0; frame < tenMinutes; ++frame) {
    w.Step();
    if (frame < twoMinutes) continue;
    for (const TAirCraft* a : patrols) ASSERT_LT(std::fabs(a->Position.z - a->GuardPoint.z), 60.0f) << frame;
  }
}

// Whatever a computer pilot follows, it stays clear of the player's ceiling, out of which the
// player's own aircraft is pushed back: a fighter up there could never be reached.
TEST_F(AirCraft, NoComputerPilotClimbsToThePlayersCeiling) {
  TTestWorld& w = ActorTest::MakeWorld();
  w.SkyHeight = 0;
  const float ceiling = w.SkyHeight + 570;
  TAirCraft& patrol = AddFighter(w, "bad1", {1500, 1500, 460}, 0, Enemy);
  patrol.GuardPoint = {1500, 1500, 800};  // a point above the ceiling
  patrol.GuardRadius = 300;
  patrol.Behaviour = &TActor::Behaviour8;
  TAirCraft& hunter = AddFighter(w, "bad1", {2500, 1500, 460}, 0, Enemy);
  hunter.Behaviour = &TActor::Behaviour10;
  TAirCraft& high = AddDummy(w, {2500, 1900, 750});  // an enemy of the hunter's, out of reach
  high.Behaviour = &TActor::Live;
  high.Speed = 0;
  // 60 under it, and a pull-out's overshoot of some twenty units more at the most.
  const float highest = ceiling - 60 + 25;
  for (int32_t frame = 0; frame < 3 * 60000 / 16; ++frame) {
    w.Step();
    ASSERT_LT(patrol.Position.z, highest) << frame;
    ASSERT_LT(hunter.Position.z, highest) << frame;
  }
  EXPECT_TRUE(Is(hunter, &TActor::Behaviour10));
}

}  // namespace
