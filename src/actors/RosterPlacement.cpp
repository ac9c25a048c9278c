// RosterPlacement.cpp — the ground rules of the actor classes applied to a roster entry.
#include "actors/RosterPlacement.h"

#include "render/Surface.h"

#include <filesystem>

namespace {

// Buildings, lamps and turrets stand on the ground point itself; vehicles and troopers ride
// above it; everything that flies keeps its height (an aircraft only leaves the ground).
TVector GroundRule(const TRosterEntry& entry, const TSurf& surface) {
  const TVector p = entry.Position;
  const float ground = surface.GroundHeight(p.x, p.y);
  switch (entry.Class) {
    case TActorClass::Building:
    case TActorClass::Lamp:
    case TActorClass::Turret: return {p.x, p.y, ground};
    case TActorClass::Vehicle: return {p.x, p.y, ground + VehicleClearance};
    case TActorClass::Trooper: return {p.x, p.y, ground + TrooperClearance};
    case TActorClass::Camera:
    case TActorClass::AirCraft: return p.z < ground ? TVector{p.x, p.y, ground + AircraftClearance} : p;
    case TActorClass::Zeppelin:
    case TActorClass::Baloon: return p;
  }
  return p;
}

}  // namespace

TQuaternion StartOrientation(const TVector& angles) {
  TQuaternion q;
  QuatFromEuler(angles.x, angles.y, angles.z, q);
  return q;
}

std::optional<TMotionSample> PathStart(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return std::nullopt;
  return ReadCapFile(path)[1];
}

TPlacement PlaceOnGround(const TRosterEntry& entry, const TSurf& surface) {
  return {GroundRule(entry, surface), StartOrientation(entry.Angles)};
}

TPlacement PlaceOnPath(const TRosterEntry& entry, const TMotionSample& start) {
  TPlacement placement{start.Position + entry.PathOffset, {}};
  QuatConjugate(start.Rotation, placement.Orientation);
  return placement;
}
