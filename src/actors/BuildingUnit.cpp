// BuildingUnit.cpp — loading, drawing and destroying a building.
#include "actors/BuildingUnit.h"

#include "core/IntFile.h"

TBuilding::TBuilding(TWorld& level) : TBuilding(level, ShadowClass::Building) {}

TBuilding::TBuilding(TWorld& level, const TShadowClass& shadow) : TActor(level, shadow) { LoadBlast(); }

void TBuilding::LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                          int32_t typeIndex) {
  TActor::LoadTyped(name, position, ax, ay, az, typeIndex);
  StandOnGround();
  const TBuildingParams params = ReadBuildingIntFile(name + ".int");
  Radius = params.Radius;
  CollisionRadius = params.CollisionRadius;
  Size = params.Size;
  Life = MaxLife = params.Life;
  HitDamage = params.HitDamage;
  Side = params.Side;
  GroundUnit = 1;
}

void TBuilding::StandOnGround() {
  Position = GroundPointUnder(Position);
  PrevPosition = Position;
}

void TBuilding::CheckDestroyed() {
  if (Life > 0) return;
  Behaviour = &TActor::Die;
  State = StateDying;
}

void TBuilding::DrawStanding() {
  UpdateMatrix();
  if (Visible(Position + TVector{0, 0, Radius / 2}, Radius)) DrawMesh(true);
}

void TBuilding::Live() {
  LiveBase();
  CheckDestroyed();
  DrawStanding();
}

void TBuilding::Die() { DeathSequence({.CountDown = Counted}); }
