// CombatTest.cpp — the classes together on forged terrain: a turret emplacement brings down a
// low, slow aircraft that passes within its reach with its missiles, and leaves one that passes
// beyond its reach alone.
#include "ActorTestWorld.h"

#include "actors/ActorFactory.h"
#include "actors/AirCraftUnit.h"
#include "levels/MissionRoster.h"

#include <numbers>

namespace {

constexpr float HalfPi = std::numbers::pi_v<float> / 2;

class Combat : public ActorTest {
protected:
  // Mission 1's first emplacement (its base and gun), alone: base 0, gun 1.
  void PlaceTurret(TTestWorld& w) {
    TRosterEntry base = MissionRoster(1)[14];
    TRosterEntry gun = MissionRoster(1)[15];
    base.Partner = 1;
    gun.Partner = 0;
    w.Actors.push_back(CreateActor(w, base, "test"));
    w.Actors.push_back(CreateActor(w, gun, "test"));
    Site = w.Actors[1]->Position;
  }
  // An allied aircraft flying east at a third of cruising speed, `offset` north of the gun and
  // 60 above its ground, starting 300 west of it.
  TAirCraft& PassBy(TTestWorld& w, float offset) {
    TAirCraft& a = w.Add(std::make_unique<TAirCraft>(w));
    a.LoadTyped(DataDir + "ally1", {Site.x - 300, Site.y + offset, Site.z + 60}, -HalfPi, HalfPi, 0, 0);
    a.Side = 1;
    a.Speed = 0.02f;
    a.CollideTerrain = 0;
    a.Behaviour = &TActor::Live;
    return a;
  }

  TVector Site{};
};

TEST_F(Combat, ATurretBringsDownALowSlowAircraftPassingWithinItsReach) {
  TTestWorld& w = MakeWorld();
  PlaceTurret(w);
  TAirCraft& a = PassBy(w, 60);
  const int32_t frames = w.StepUntil([&] { return a.State != StateAlive; }, 60000 / 16);
  EXPECT_NE(a.State, StateAlive) << "still flying after " << frames << " frames";
  EXPECT_GT(w.MissilesMade, 0);
}

TEST_F(Combat, ATurretLeavesAnAircraftPassingBeyondItsReachAlone) {
  TTestWorld& w = MakeWorld();
  PlaceTurret(w);
  TAirCraft& a = PassBy(w, 400);
  w.StepUntil([] { return false; }, 30000 / 16);
  EXPECT_EQ(a.State, StateAlive);
  EXPECT_EQ(a.Life, a.MaxLife);
  EXPECT_EQ(w.MissilesMade, 0);
}

}  // namespace
