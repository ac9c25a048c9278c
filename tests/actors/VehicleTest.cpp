// VehicleTest.cpp — vehicles: circling back home in their own direction, convoys stopping at
// their destination for good, riding the ground, wheels, and bad input that must not spread.
#include "actors/VehicleUnit.h"

#include "ActorTestWorld.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr float Upright = -1.5708f;
constexpr float VehicleClearance = 7.0f;

class Vehicle : public ActorTest {
protected:
  // heading: the second angle, as the rosters give it (0 drives toward -Y).
  TVehicle& AddVehicle(TTestWorld& w, float x, float y, float heading = 0, int32_t type = 0) {
    TVehicle& v = w.Add(std::make_unique<TVehicle>(w));
    v.LoadTyped(DataDir + "bad5", {x, y, 0}, Upright, heading, 0, type);
    v.Side = 2;
    return v;
  }
  static TVector Forward(const TActor& a) {
    TVector f;
    MatrixRotateVector({0, 0, 1}, a.Matrix, f);
    return f;
  }
  // The heading that drives a vehicle from (x, y) toward (tx, ty).
  static float Toward(float x, float y, float tx, float ty) { return std::atan2(x - tx, y - ty); }
  static float Across(const TVector& a, const TVector& b) {
    const float dx = a.x - b.x, dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
  }
  static bool Finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
};

TEST_F(Vehicle, DrivesAlongItsNoseAndRidesTheGround) {
  TTestWorld& w = MakeWorld();
  TVehicle& v = AddVehicle(w, 2000, 2000, Toward(2000, 2000, 2300, 2100));
  v.Behaviour = &TActor::Live;
  const TVector start = v.Position;
  for (int32_t frame = 0; frame < 200; ++frame) {
    w.Step();
    EXPECT_NEAR(v.Position.z, w.Surface->GroundHeight(v.Position.x, v.Position.y) + VehicleClearance, 1e-3f);
  }
  const TVector moved = v.Position - start;
  EXPECT_NEAR(std::atan2(moved.y, moved.x), std::atan2(100.0f, 300.0f), 0.01f);
  EXPECT_NEAR(Across(v.Position, start), 200 * 16 * v.Speed, 1.0f);
}

// With the rosters' numbers a vehicle circles on a ring of radius Speed / RoamRate = 8, so once
// out of its home area it must come back in within two of those of the edge.
TEST_F(Vehicle, OutsideHomeKeepsTurningItsOwnWayUntilBackIn) {
  int32_t signOf[2] = {0, 0};
  for (const int32_t direction : {-1, 1}) {
    TTestWorld& w = MakeWorld();
    TVehicle& v = AddVehicle(w, 2000, 2000);
    v.TurnDirection = direction;
    v.HomeRadius = 30;
    v.Behaviour = &TActor::Behaviour8;
    int32_t outsideFrames = 0, sign = 0;
    float farthest = 0;
    for (int32_t frame = 0; frame < 3000; ++frame) {
      const bool outside = Across(v.Position, v.HomePoint) > v.HomeRadius;
      const TVector before = Forward(v);
      w.Step();
      const TVector after = Forward(v);
      const float turn = before.x * after.y - before.y * after.x;
      farthest = std::max(farthest, Across(v.Position, v.HomePoint));
      if (!outside) {
        EXPECT_EQ(turn, 0) << "turned at home, frame " << frame;
        continue;
      }
      ++outsideFrames;
      ASSERT_NE(turn, 0) << "drove straight outside home, frame " << frame;
      const int32_t s = turn > 0 ? 1 : -1;
      if (sign == 0) sign = s;
      EXPECT_EQ(s, sign) << "changed its turning direction, frame " << frame;
    }
    EXPECT_GT(outsideFrames, 0);
    EXPECT_LT(farthest, v.HomeRadius + 2 * v.Speed / TVehicle::RoamRate + 1);
    signOf[direction > 0] = sign;
  }
  EXPECT_EQ(signOf[0], -signOf[1]);
}

// The destination lies high above the ground, as the rosters give it: only the distance along
// the ground can ever come within the stopping radius.
TEST_F(Vehicle, ConvoyStopsWithinItsRadiusOfTheDestinationAndStaysStopped) {
  TTestWorld& w = MakeWorld();
  const TVector destination{2300, 2300, w.Surface->GroundHeight(2300, 2300) + 300};
  std::vector<TVehicle*> convoy;
  for (const auto& [x, y] : {std::pair{2000.0f, 2060.0f}, {2040.0f, 2020.0f}, {1960.0f, 2100.0f}}) {
    TVehicle& v = AddVehicle(w, x, y, Toward(x, y, destination.x, destination.y), 1);
    v.HomePoint = destination;
    v.HomeRadius = 200;
    v.Behaviour = &TActor::Behaviour9;
    convoy.push_back(&v);
  }
  const auto allStopped = [&] {
    for (const TVehicle* v : convoy)
      if (v->Speed != 0) return false;
    return true;
  };
  w.StepUntil(allStopped, 10000);
  ASSERT_TRUE(allStopped());
  std::vector<TVector> stoppedAt;
  for (const TVehicle* v : convoy) {
    EXPECT_LE(Across(v->Position, destination), 200.0f);
    EXPECT_GT(Across(v->Position, destination), 190.0f) << "it drove on after arriving";
    stoppedAt.push_back(v->Position);
  }
  for (int32_t frame = 0; frame < 500; ++frame) w.Step();
  for (size_t i = 0; i < convoy.size(); ++i) {
    EXPECT_EQ(convoy[i]->Speed, 0);
    EXPECT_EQ(convoy[i]->Position, stoppedAt[i]);
  }
}

TEST_F(Vehicle, RoamsOnWhenThePairingFoundNoNeighbour) {
  TTestWorld& w = MakeWorld();
  TVehicle& v = AddVehicle(w, 2000, 2000);
  v.HomeRadius = 30;
  v.Behaviour = &TActor::Behaviour8;
  w.Step();
  EXPECT_EQ(v.NearestIndex, -1);
  // Indexes a careless caller might leave behind, including ones no pairing would give.
  for (const int32_t index : {-1, -7, 1, 500}) {
    v.NearestIndex = index;
    v.NearestDistance = 0;
    v.Behaviour8();
    EXPECT_TRUE(Finite(v.Position)) << index;
  }
}

TEST_F(Vehicle, BadSpeedNeverMakesThePositionNaN) {
  for (const float speed : {std::nanf(""), INFINITY, -INFINITY}) {
    TTestWorld& w = MakeWorld();
    TVehicle& v = AddVehicle(w, 2000, 2000);
    v.Behaviour = &TActor::Behaviour8;
    v.HomeRadius = 5;
    v.Speed = speed;
    for (int32_t frame = 0; frame < 20; ++frame) w.Step();
    EXPECT_TRUE(Finite(v.Position)) << speed;
    EXPECT_TRUE(std::isfinite(v.WheelAngle)) << speed;
    for (const float m : v.Matrix) EXPECT_TRUE(std::isfinite(m)) << speed;
  }
}

TEST_F(Vehicle, WheelsTurnOnlyWhileItDrives) {
  TTestWorld& w = MakeWorld();
  TVehicle& v = AddVehicle(w, 2000, 2000);
  v.Behaviour = &TActor::Live;
  float previous = v.WheelAngle;
  float turned = 0;
  for (int32_t frame = 0; frame < 2000; ++frame) {
    w.Step();
    EXPECT_GE(v.WheelAngle, 0);
    EXPECT_LT(v.WheelAngle, 360);
    turned += std::fmod(v.WheelAngle - previous + 360, 360);
    previous = v.WheelAngle;
  }
  EXPECT_NEAR(turned, 2000 * 16 * v.Speed * TVehicle::WheelTurn, 1.0f);
  v.Speed = 0;
  w.Step();
  const float parked = v.WheelAngle;
  for (int32_t frame = 0; frame < 10; ++frame) w.Step();
  EXPECT_EQ(v.WheelAngle, parked);
}

TEST_F(Vehicle, DestroyedStopsWhereItIsAndIsCountedOffAtTheEnd) {
  TTestWorld& w = MakeWorld();
  TVehicle& v = AddVehicle(w, 2000, 2000, 0, 5);
  v.Behaviour = &TActor::Live;
  w.Step();
  v.Life = 0;
  w.Step();
  EXPECT_EQ(v.State, StateDying);
  const TVector wreck = v.Position;
  w.StepUntil([&] { return v.State == StateGone; }, 2000);
  EXPECT_EQ(v.State, StateGone);
  EXPECT_EQ(v.Position, wreck);
  EXPECT_EQ(w.TypeCounters[5], 0);
}

}  // namespace
