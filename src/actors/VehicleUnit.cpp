// VehicleUnit.cpp — a vehicle's driving, steering, wheels and destruction.
#include "actors/VehicleUnit.h"

#include "actors/RosterPlacement.h"
#include "core/Globals.h"
#include "core/Random.h"
#include "platform/GLTable.h"
#include "render/SceneGlobals.h"
#include "render/Surface.h"

#include <cmath>

namespace {

constexpr float VehicleRadius = 30.0f;
constexpr float VehicleCollisionRadius = 20.0f;
constexpr float VehicleLife = 30.0f;
constexpr float VehicleHitDamage = 1.0f;
constexpr float VehicleSize = 25.0f;
constexpr float VehicleSpeed = 0.004f;  // units per ms

bool Finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

void Roam(TActor& self, const TVector& homePoint, float homeRadius, int32_t turnDirection, float rate, float ms) {
  TVector axisX, axisZ;
  MatrixRotateVector({1, 0, 0}, self.Matrix, axisX);
  MatrixRotateVector({0, 0, 1}, self.Matrix, axisZ);
  const float homeSide = VectorDot(homePoint - self.Position, axisX);
  float turn = InsideHome(self.Position, homePoint, homeRadius) ? 0.0f : static_cast<float>(turnDirection) * rate;
  const TActor* neighbour = self.Level.LiveActor(self.NearestIndex);
  if (neighbour && neighbour != &self && neighbour->Radius > self.NearestDistance &&
      VectorDot(neighbour->Position - self.Position, axisZ) < 0) {
    if (homeSide > neighbour->Radius) turn = -rate;
    if (homeSide < -neighbour->Radius) turn = rate;
  }
  if (turn == 0) return;
  TQuaternion turned;
  QuatMultiply(self.Orientation, AxisRotation(0, 0, 1, ms * turn), turned);
  QuatNormalize(turned, self.Orientation);
}

bool InsideHome(const TVector& position, const TVector& home, float radius) {
  const float dx = position.x - home.x, dy = position.y - home.y;
  return std::sqrt(dx * dx + dy * dy) <= radius;
}

void DriveOnGround(TActor& self, const TSurf* surface, float ms, float clearance) {
  TVector forward;
  MatrixRotateVector({0, 0, 1}, self.Matrix, forward);
  VectorNormalize(forward, forward);
  const TVector moved = self.Position + forward * (ms * self.Speed);
  if (Finite(moved)) self.Position = moved;
  if (!surface) return;
  TVector ground = surface->GroundPoint(self.Position.x, self.Position.y);
  ground.z += clearance;
  if (Finite(ground)) self.Position = ground;
}

TVehicle::TVehicle(TWorld& level) : TActor(level, ShadowClass::Vehicle) {
  Targetable = 1;
  WheelMesh.LoadFromFile(DataDir + "bad5a.msh", LightSpaceMatrix);
  LoadBlast();
}

void TVehicle::LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                         int32_t typeIndex) {
  TActor::LoadTyped(name, position, ax, ay, az, typeIndex);
  StartOnGround(*this,
                {VehicleRadius, VehicleCollisionRadius, VehicleLife, VehicleHitDamage, VehicleSize, VehicleSpeed,
                 VehicleClearance},
                HomePoint, TurnDirection);
}

void StartOnGround(TActor& self, const TGroundBody& body, TVector& homePoint, int32_t& turnDirection) {
  self.Radius = body.Radius;
  self.CollisionRadius = body.CollisionRadius;
  self.Life = self.MaxLife = body.Life;
  self.HitDamage = body.HitDamage;
  self.Size = body.Size;
  self.Speed = body.Speed;
  self.GroundUnit = 1;
  turnDirection = Random(2) == 0 ? -1 : 1;
  homePoint = self.Position;
  DriveOnGround(self, self.Level.Surface.get(), 0, body.Clearance);
  self.PrevPosition = self.Position;
}

void TVehicle::TakeAxes() {
  MatrixRotateVector({1, 0, 0}, Matrix, AxisX);
  MatrixRotateVector({0, 1, 0}, Matrix, AxisY);
  MatrixRotateVector({0, 0, 1}, Matrix, AxisZ);
}

void TVehicle::Live() {
  LiveBase();
  if (Life <= 0) {
    State = StateDying;
    Behaviour = &TActor::Die;
    return;
  }
  const float ms = static_cast<float>(Counter.Elapsed);
  TakeAxes();
  UpdateMatrix();
  DriveOnGround(*this, Level.Surface.get(), ms, VehicleClearance);
  const float wheel = std::fmod(WheelAngle + WheelTurn * ms * Speed, 360.0f);
  if (std::isfinite(wheel)) WheelAngle = wheel;
  if (Visible(Position, Radius)) Draw();
  DrawShadow();
}

void TVehicle::Draw() {
  GL.PushMatrix();
  GL.Translatef(Position.x, Position.y, Position.z);
  GL.MultMatrixf(Matrix.data());
  if (Level.BumpMapping)
    Mesh.DrawBump(Position, Orientation, Level.Scene);
  else
    Mesh.Draw(Position, Level.Scene);
  for (const TVector& hub : WheelOffsets) {
    GL.PushMatrix();
    GL.Translatef(hub.x, hub.y, hub.z);
    GL.Rotatef(WheelAngle, 1, 0, 0);
    WheelMesh.Draw(Position, Level.Scene);
    GL.PopMatrix();
  }
  GL.PopMatrix();
}

void TVehicle::Behaviour8() {
  UpdateMatrix();
  Roam(*this, HomePoint, HomeRadius, TurnDirection, RoamRate, static_cast<float>(Counter.Elapsed));
  Live();
}

void TVehicle::Behaviour9() {
  if (InsideHome(Position, HomePoint, HomeRadius)) Speed = 0;
  Live();
}

void TVehicle::Die() { DeathSequence({}); }
