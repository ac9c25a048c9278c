// ActorFactory.cpp — one switch over the actor classes: the roster's table of who is what.
#include "actors/ActorFactory.h"

#include "actors/AirCraftUnit.h"
#include "actors/BaloonUnit.h"
#include "actors/BuildingUnit.h"
#include "actors/CameraUnit.h"
#include "actors/LampUnit.h"
#include "actors/RosterPlacement.h"
#include "actors/TrooperUnit.h"
#include "actors/TurretUnit.h"
#include "actors/VehicleUnit.h"
#include "actors/ZeppelinUnit.h"
#include "core/Error.h"
#include "core/Globals.h"

#include <initializer_list>

namespace {

constexpr int32_t PathSampleStep = 33;  // ms a recorded sample lasts, as every mission plays them

std::unique_ptr<TActor> NewActor(TWorld& level, TActorClass cls) {
  switch (cls) {
    case TActorClass::Camera: return std::make_unique<TCamera>(level);
    case TActorClass::AirCraft: return std::make_unique<TAirCraft>(level);
    case TActorClass::Zeppelin: return std::make_unique<TZeppelin>(level);
    case TActorClass::Baloon: return std::make_unique<TBaloon>(level);
    case TActorClass::Turret: return std::make_unique<TTurret>(level);
    case TActorClass::Building: return std::make_unique<TBuilding>(level);
    case TActorClass::Lamp: return std::make_unique<TLamp>(level);
    case TActorClass::Vehicle: return std::make_unique<TVehicle>(level);
    case TActorClass::Trooper: return std::make_unique<TTrooper>(level);
  }
  return nullptr;
}

bool In(int32_t slot, std::initializer_list<int32_t> slots) {
  for (int32_t s : slots)
    if (s == slot) return true;
  return false;
}

// The row's links and areas, in the fields of each class.
void ApplyClassFields(TActor& actor, const TRosterEntry& entry) {
  switch (entry.Class) {
    case TActorClass::Camera:
    case TActorClass::AirCraft: {
      auto& aircraft = static_cast<TAirCraft&>(actor);
      aircraft.GuardPoint = entry.GuardPoint;
      aircraft.GuardRadius = entry.GuardRadius;
      aircraft.TargetIndex = entry.Target;
      aircraft.SetEngine(entry.EngineOn);
      return;
    }
    case TActorClass::Turret: {
      auto& turret = static_cast<TTurret&>(actor);
      turret.PartnerIndex = entry.Partner;
      turret.TargetIndex = entry.Target;
      return;
    }
    case TActorClass::Baloon: {
      auto& baloon = static_cast<TBaloon&>(actor);
      baloon.Partner = entry.Partner;
      baloon.AssignedTarget = entry.Target;
      return;
    }
    case TActorClass::Vehicle: {
      auto& vehicle = static_cast<TVehicle&>(actor);
      vehicle.HomePoint = entry.GuardPoint;
      vehicle.HomeRadius = entry.GuardRadius;
      return;
    }
    case TActorClass::Trooper: {
      auto& trooper = static_cast<TTrooper&>(actor);
      trooper.HomePoint = entry.GuardPoint;
      trooper.HomeRadius = entry.GuardRadius;
      return;
    }
    case TActorClass::Lamp: static_cast<TLamp&>(actor).LampColor = entry.LampColor; return;
    case TActorClass::Zeppelin:
    case TActorClass::Building: return;
  }
}

void ApplyNumbers(TActor& actor, const TRosterEntry& entry) {
  // A building's side is its parameter file's.
  if (entry.Class != TActorClass::Building) actor.Side = entry.Side;
  if (entry.Speed != ClassDefault) actor.Speed = entry.Speed;
  if (entry.Life != ClassDefault) actor.Life = actor.MaxLife = entry.Life;
  if (entry.HitDamage != ClassDefault) actor.HitDamage = entry.HitDamage;
  actor.CollideTerrain = entry.CollideTerrain ? 1 : 0;
}

// An actor with a recorded path stands on its first played pose from the start, so the first
// frame's pairing and culling see it where it flies. The player's path moves only the camera:
// the aircraft waits where it was placed.
void StartPath(TActor& actor, const TRosterEntry& entry) {
  if (!entry.Path) return;
  actor.PathMotion.Load(entry.Path);
  actor.PathMotion.Start(PathSampleStep, entry.PathOffset);
  actor.Motion = &actor.PathMotion;
  if (entry.Class == TActorClass::Camera) return;
  if (const auto start = PathStart(DataDir + entry.Path)) {
    const TPlacement place = PlaceOnPath(entry, *start);
    actor.Position = actor.PrevPosition = place.Position;
    actor.Orientation = place.Orientation;
  }
}

// Turrets, lamps and balloons make their shadows while they load.
bool ShadowMadeByLoad(TActorClass cls) {
  return cls == TActorClass::Turret || cls == TActorClass::Lamp || cls == TActorClass::Baloon;
}

std::string Describe(const TRosterEntry& entry) { return "actor " + std::to_string(entry.Index) + " (" + entry.Mesh + ")"; }

}  // namespace

bool ClassHasBehaviour(TActorClass cls, int32_t slot) {
  switch (cls) {
    case TActorClass::Camera:
    case TActorClass::AirCraft: return In(slot, {6, 7, 8, 10, 11, 12, 13, 14, 15});
    case TActorClass::Zeppelin: return In(slot, {6, 7, 14, 15});
    case TActorClass::Baloon:
    case TActorClass::Turret: return In(slot, {6, 10, 11, 14, 15});
    case TActorClass::Building:
    case TActorClass::Lamp: return In(slot, {6, 14});
    case TActorClass::Vehicle:
    case TActorClass::Trooper: return In(slot, {6, 8, 9, 14});
  }
  return false;
}

std::unique_ptr<TActor> CreateActor(TWorld& level, const TRosterEntry& entry, const std::string& rosterName,
                                    TDormancy dormancy) {
  if (entry.Behaviour != Behave::None && !ClassHasBehaviour(entry.Class, entry.Behaviour))
    throw TFileError(rosterName, Describe(entry) + ": its class has no behaviour " + std::to_string(entry.Behaviour));
  std::unique_ptr<TActor> actor = NewActor(level, entry.Class);
  actor->LoadTyped(DataDir + entry.Mesh, entry.Position, entry.Angles.x, entry.Angles.y, entry.Angles.z, entry.Group);
  ApplyNumbers(*actor, entry);
  ApplyClassFields(*actor, entry);
  StartPath(*actor, entry);
  if (!ShadowMadeByLoad(entry.Class)) actor->CreateShadow();
  actor->Behaviour = BehaviourSlot(entry.Behaviour);
  if (entry.State == StateGone && dormancy == TDormancy::AsRostered) actor->State = StateGone;
  return actor;
}
