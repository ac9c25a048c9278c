// RosterEntry.h — one row of a mission's roster: which actor class stands where, on which side,
// doing what. The missions' tables (levels/MissionRoster) are made of these; ActorFactory turns a
// row into a live actor.
//
// World units, z up. Angles are in radians, about X, then Y, then Z, in the order Load takes them:
// models are built with +Y up and their nose (or barrel) toward -Z, vehicles and troopers face
// +Z, so a first angle of -1.5708 stands a model up and the second turns its heading.
#pragma once

#include "core/VectMath.h"

#include <cstdint>

enum class TActorClass : uint8_t {
  Camera,    // the player's aircraft (actor 0)
  AirCraft,  // fighters, allied and enemy
  Zeppelin,
  Baloon,    // two actors at one point: the body (behaviour 6) and the gun (10)
  Turret,    // two actors at one point: the base (6) and the gun (10)
  Building,
  Lamp,
  Vehicle,
  Trooper,
};

// Behaviour slots the rosters install (the actor's own class gives each its meaning).
namespace Behave {
constexpr int32_t None = -1;
constexpr int32_t Live = 6;
constexpr int32_t Path = 7;
constexpr int32_t Patrol = 8;  // fighters: circle the guard point; ground units: roam home
constexpr int32_t DriveTo = 9;
constexpr int32_t Hunt = 10;
constexpr int32_t Attack = 11;
constexpr int32_t Defend = 12;
constexpr int32_t Strafe = 13;
}  // namespace Behave

// A value of a class's own default is left as it is.
constexpr float ClassDefault = -1.0f;

struct TRosterEntry {
  int32_t Index = 0;
  TActorClass Class = TActorClass::AirCraft;
  const char* Mesh = "";      // base name in Data/, without ".msh"
  TVector Position{};
  TVector Angles{};           // about X, Y, Z
  uint8_t Side = 0;           // 0 neutral, 1 allied, 2 enemy
  uint8_t State = 0;          // 0 alive, 1 gone (dormant until the mission wakes it)
  int32_t Behaviour = Behave::Live;
  int32_t Group = 0;          // TypeIndex: the objective counter it belongs to (0 none)
  int32_t Target = -1;        // TargetIndex of fighters that attack an assigned actor
  int32_t Partner = -1;       // the other half of a turret or balloon
  // Fighters: the area patrolled or defended. Vehicles and troopers: HomePoint and HomeRadius.
  TVector GuardPoint{};
  float GuardRadius = 0;
  float Speed = ClassDefault;
  float Life = ClassDefault;
  float HitDamage = ClassDefault;
  bool CollideTerrain = true;
  bool EngineOn = true;       // false: a parked aircraft with a static shadow
  TVector LampColor{};
  const char* Path = nullptr;  // recorded path in Data/, played from PathOffset
  TVector PathOffset{};
};
