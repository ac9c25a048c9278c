// TurretTest.cpp — turrets: aiming without a blind spot behind, the reload time, whom the hunt
// picks, assigned targets, and an emplacement's two halves falling together.
#include "actors/TurretUnit.h"
#include "actors/VehicleUnit.h"

#include "ActorTestWorld.h"

#include <cmath>
#include <memory>

namespace {

constexpr float Upright = -1.5708f;  // stands a +Y-up model in the z-up world
constexpr float GunX = 2000, GunY = 2000;
constexpr uint8_t Allied = 1, Enemy = 2;

class Turret : public ActorTest {
protected:
  TTurret& AddTurret(TTestWorld& w, const char* mesh, float heading = 0, int32_t type = 0) {
    TTurret& t = w.Add(std::make_unique<TTurret>(w));
    t.LoadTyped(DataDir + mesh, {GunX, GunY, 0}, Upright, heading, 0, type);
    t.Side = Enemy;
    return t;
  }
  // A target standing still (no behaviour) dx, dy from the gun; its own hits cost it nothing,
  // so the missiles never end the test early.
  TVehicle& AddTarget(TTestWorld& w, float dx, float dy, uint8_t side = Allied) {
    TVehicle& v = w.Add(std::make_unique<TVehicle>(w));
    v.LoadTyped(DataDir + "bad5", {GunX + dx, GunY + dy, 0}, Upright, 0, 0, 1);
    v.Side = side;
    v.HitDamage = 0;
    return v;
  }
  static TVector GunDirection(const TTurret& t) {
    TVector d;
    MatrixRotateVector({0, 0, -1}, t.Matrix, d);
    return d;
  }
  // Signed distance of p ahead of the gun (positive in front), along its -Z axis.
  static float Ahead(const TTurret& t, const TVector& p) { return VectorDot(p - t.Position, GunDirection(t)); }
};

TEST_F(Turret, LoadsOnTheGroundWithItsParameters) {
  TTestWorld& w = MakeWorld();
  TTurret& t = AddTurret(w, "turreta", 0, 6);
  EXPECT_FLOAT_EQ(t.Position.z, w.Surface->GroundHeight(GunX, GunY));
  EXPECT_EQ(w.TypeCounters[6], 1);
  EXPECT_EQ(t.TargetIndex, -1);
  EXPECT_EQ(t.PartnerIndex, -1);
  EXPECT_FLOAT_EQ(t.FireRange, 250.0f);
  EXPECT_FALSE(t.Targetable);
  EXPECT_TRUE(t.GroundUnit);
}

// Standing upright with heading 0 the gun points along +Y; a target straight behind it lies
// exactly on its side plane, where a window-based turn would never start.
TEST_F(Turret, TargetStraightBehindTurnsTheGunAndIsNeverFiredAt) {
  TTestWorld& w = MakeWorld();
  TTurret& gun = AddTurret(w, "turreta");
  gun.Behaviour = &TActor::Behaviour10;
  gun.ReloadTimer = 1e6f;  // loaded: only the aim holds its fire
  TVehicle& target = AddTarget(w, 0, -150);
  ASSERT_LT(Ahead(gun, target.Position), 0);
  const TVector startDirection = GunDirection(gun);
  int32_t framesBehind = 0;
  while (Ahead(gun, target.Position) < 0 && framesBehind < 1000) {
    w.Step();
    ++framesBehind;
    EXPECT_EQ(w.MissilesMade, 0) << "fired at a target behind it, frame " << framesBehind;
  }
  EXPECT_LT(framesBehind, 1000) << "the gun never came round";
  EXPECT_GT(VectorLength(GunDirection(gun) - startDirection), 1.0f);
  // Round to face it, it fires.
  w.StepUntil([&] { return w.MissilesMade > 0; }, 300);
  EXPECT_EQ(w.MissilesMade, 1);
}

TEST_F(Turret, TargetOffToEitherSideTurnsTheGunTowardIt) {
  for (const float side : {-1.0f, 1.0f}) {
    TTestWorld& w = MakeWorld();
    TTurret& gun = AddTurret(w, "turreta");
    gun.Behaviour = &TActor::Behaviour10;
    TVehicle& target = AddTarget(w, side * 150, 100);
    const auto across = [&] {
      TVector right;
      MatrixRotateVector({1, 0, 0}, gun.Matrix, right);
      return VectorDot(target.Position - gun.Position, right);
    };
    const float before = std::fabs(across());
    for (int32_t i = 0; i < 20; ++i) w.Step();
    EXPECT_LT(std::fabs(across()), before) << "side " << side;
  }
}

TEST_F(Turret, FiresAtMostOnceEveryTwoSeconds) {
  TTestWorld& w = MakeWorld();
  TTurret& gun = AddTurret(w, "turreta");
  gun.Behaviour = &TActor::Behaviour10;
  gun.HitDamage = 0;
  AddTarget(w, 0, 150);  // straight ahead
  int64_t launched = 0;
  int32_t lastLaunchMs = -1000000;
  constexpr int32_t RunMs = 10000;
  for (int32_t ms = 0; ms < RunMs; ms += w.FrameMs) {
    w.Step();
    if (w.MissilesMade == launched) continue;
    EXPECT_EQ(w.MissilesMade, launched + 1) << "two launches in one frame";
    EXPECT_GE(ms - lastLaunchMs, 2000) << "launch at " << ms << " ms";
    launched = w.MissilesMade;
    lastLaunchMs = ms;
  }
  // It starts unloaded, so four full reloads fit into ten seconds.
  EXPECT_EQ(launched, 4);
}

struct TCandidate {
  const char* What;
  float Distance;
  uint8_t Side;
  bool Targetable;
  uint8_t State;
  bool Picked;
};

TEST_F(Turret, HuntPicksOnlyTargetableEnemiesWithinRange) {
  const TCandidate cases[] = {
      {"an enemy in range", 200, Allied, true, StateAlive, true},
      {"at the very edge of range", 250, Allied, true, StateAlive, true},
      {"just out of range", 251, Allied, true, StateAlive, false},
      {"its own side", 100, Enemy, true, StateAlive, false},
      {"a neutral", 100, 0, true, StateAlive, false},
      {"not targetable", 100, Allied, false, StateAlive, false},
      {"dying", 100, Allied, true, StateDying, false},
      {"gone", 100, Allied, true, StateGone, false},
  };
  for (const TCandidate& c : cases) {
    TTestWorld& w = MakeWorld();
    TTurret& gun = AddTurret(w, "turreta");
    TVehicle& v = AddTarget(w, 0, 0, c.Side);
    // Exactly c.Distance away in 3D, whatever the ground does: straight above the gun.
    v.Position = gun.Position + TVector{0, 0, c.Distance};
    v.Targetable = c.Targetable ? 1 : 0;
    v.State = c.State;
    EXPECT_EQ(gun.NearestEnemy(), c.Picked ? 1 : -1) << c.What;
  }
}

TEST_F(Turret, HuntPicksTheNearestEnemy) {
  TTestWorld& w = MakeWorld();
  TTurret& gun = AddTurret(w, "turreta");
  AddTarget(w, 0, 0).Position = gun.Position + TVector{0, 0, 200};
  AddTarget(w, 0, 0).Position = gun.Position + TVector{0, 0, 120};
  AddTarget(w, 0, 0).Position = gun.Position + TVector{0, 0, 180};
  EXPECT_EQ(gun.NearestEnemy(), 2);
}

TEST_F(Turret, AssignedTargetThatIsNoneOrMissingIsNeverFollowed) {
  // -1 none, 1 the gone vehicle, then indexes past either end of the array.
  for (const int32_t index : {-1, 1, 57, -8}) {
    TTestWorld& w = MakeWorld();
    TTurret& gun = AddTurret(w, "turreta");
    gun.Behaviour = &TActor::Behaviour11;
    gun.ReloadTimer = 1e6f;
    TVehicle& gone = AddTarget(w, 0, 100);
    gone.State = StateGone;
    gun.TargetIndex = index;
    const TQuaternion start = gun.Orientation;
    for (int32_t i = 0; i < 50; ++i) w.Step();
    EXPECT_EQ(w.MissilesMade, 0) << index;
    EXPECT_EQ(gun.Orientation, start) << index;
  }
}

TEST_F(Turret, AssignedTargetInRangeIsFiredAtAndOutOfRangeIsNot) {
  for (const float distance : {150.0f, 400.0f}) {
    TTestWorld& w = MakeWorld();
    TTurret& gun = AddTurret(w, "turreta");
    gun.Behaviour = &TActor::Behaviour11;
    gun.ReloadTimer = 1e6f;
    AddTarget(w, 0, distance);
    gun.TargetIndex = 1;
    w.Step();
    EXPECT_EQ(w.MissilesMade, distance < gun.FireRange ? 1 : 0) << distance;
  }
}

// The emplacement as the missions build it: the base then the gun, each the other's partner.
TEST_F(Turret, DestroyingEitherHalfDestroysTheOther) {
  for (const int32_t shot : {0, 1}) {
    TTestWorld& w = MakeWorld();
    TTurret& base = AddTurret(w, "turret", 0, 4);
    TTurret& gun = AddTurret(w, "turreta", 0, 4);
    base.PartnerIndex = 1;
    gun.PartnerIndex = 0;
    base.Behaviour = &TActor::Live;
    gun.Behaviour = &TActor::Behaviour10;
    (shot == 0 ? base : gun).Life = 0;
    w.Step();
    w.Step();
    EXPECT_EQ(base.State, StateDying) << shot;
    EXPECT_EQ(gun.State, StateDying) << shot;
    EXPECT_EQ(w.TypeCounters[4], 2) << "counted off before the explosion ended";
    w.StepUntil([&] { return base.State == StateGone && gun.State == StateGone; }, 1000);
    EXPECT_EQ(w.TypeCounters[4], 0) << shot;
  }
}

TEST_F(Turret, PartnerThatIsNoneMissingOrGoneIsLeftAlone) {
  for (const int32_t partner : {-1, 99, 1, 0}) {
    TTestWorld& w = MakeWorld();
    TTurret& t = AddTurret(w, "turret");
    TTurret& other = AddTurret(w, "turreta");
    other.State = StateGone;
    other.Life = 5;
    t.PartnerIndex = partner;
    t.Behaviour = &TActor::Live;
    t.Life = 0;
    w.StepUntil([&] { return t.State == StateGone; }, 1000);
    EXPECT_EQ(t.State, StateGone) << partner;
    EXPECT_FLOAT_EQ(other.Life, 5) << partner;
  }
}

TEST_F(Turret, CrashVanishesAtOnceAndTakesThePartnerDown) {
  TTestWorld& w = MakeWorld();
  TTurret& base = AddTurret(w, "turret", 0, 3);
  TTurret& gun = AddTurret(w, "turreta", 0, 3);
  base.PartnerIndex = 1;
  gun.PartnerIndex = 0;
  base.Behaviour = &TActor::Live;
  gun.Behaviour = &TActor::Behaviour10;
  gun.Crash();
  EXPECT_EQ(gun.State, StateGone);
  EXPECT_TRUE(gun.Behaviour == nullptr);
  EXPECT_EQ(w.TypeCounters[3], 1);
  gun.Crash();  // a second call changes nothing
  EXPECT_EQ(w.TypeCounters[3], 1);
  w.StepUntil([&] { return base.State == StateGone; }, 1000);
  EXPECT_EQ(w.TypeCounters[3], 0);
}

}  // namespace
