// VehicleUnit.h — TVehicle: a wheeled vehicle that roams its home area or drives to a point and
// stops there; plus the steering and ground-following that troopers share with it.
#pragma once

#include "actors/ActorUnit.h"

#include <cstdint>
#include <string>

// One frame of a ground unit roaming its home area: turns it about the world's up axis by
// ms x rate. Outside the home radius it circles in its own fixed direction (turnDirection) until
// it is back in; a neighbour within the neighbour's own radius and behind it sends it toward the
// home side. An actor the pairing left alone (NearestIndex -1) or paired with a gone actor just
// roams. Reads the actor's axes from its Matrix.
void Roam(TActor& self, const TVector& homePoint, float homeRadius, int32_t turnDirection, float rate, float ms);
// Whether position lies within radius of home along the ground: ground units ride above the
// terrain, and a home point's height is not theirs to reach.
bool InsideHome(const TVector& position, const TVector& home, float radius);
// Moves the actor ms x Speed along its +Z axis, then puts it clearance above the ground point
// under it. A step or ground point that is not finite is not taken, so a bad Speed never makes
// a position NaN.
void DriveOnGround(TActor& self, const TSurf* surface, float ms, float clearance);

// The numbers a vehicle or a trooper loads with.
struct TGroundBody {
  float Radius, CollisionRadius, Life, HitDamage, Size, Speed, Clearance;
};
// After the base load: the body's numbers, a ground unit standing on the ground at its home,
// turning its own way (+1 or -1 with equal chance) when it strays.
void StartOnGround(TActor& self, const TGroundBody& body, TVector& homePoint, int32_t& turnDirection);

class TVehicle : public TActor {
public:
  static constexpr float RoamRate = 0.0005f;   // radians per ms
  static constexpr float WheelTurn = 25.0f;    // degrees of wheel per unit driven
  // The four wheel hubs in the model's own space.
  static constexpr TVector WheelOffsets[4] = {
      {-7.7f, -3.5f, -9.9f}, {7.7f, -3.5f, -9.9f}, {7.7f, -3.5f, 9.9f}, {-7.7f, -3.5f, 9.9f}};

  // Loads the wheel mesh (DataDir + "bad5a.msh"); throws TFileError naming it when it is bad.
  explicit TVehicle(TWorld& level);

  // The base load, the vehicle's fixed parameters and a random turning direction; it starts on
  // the ground and at home where it stands. Throws TFileError naming a missing or damaged mesh.
  void LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                 int32_t typeIndex) override;

  void Live() override;
  // Roam the home area.
  void Behaviour8() override;
  // Drive on until within HomeRadius of HomePoint, and stop there for good.
  void Behaviour9() override;
  void Die() override;

  int32_t TurnDirection = 1;  // +1 or -1: the way it circles back toward home
  float WheelAngle = 0.0f;    // degrees, kept in 0..360
  TMesh WheelMesh;
  TVector AxisX{}, AxisY{}, AxisZ{};
  TVector HomePoint{};
  float HomeRadius = 0.0f;

private:
  void TakeAxes();
  void Draw();
};
