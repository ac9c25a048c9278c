// RosterPlacement.h — where an actor of a mission's roster stands when its mission creates it:
// the ground rules of the actor classes, the first pose of a recorded path, the start attitude.
#pragma once

#include "core/CapFile.h"
#include "core/Quaternion.h"
#include "core/VectMath.h"
#include "actors/RosterEntry.h"

#include <optional>
#include <string>

class TSurf;

struct TPlacement {
  TVector Position{};
  TQuaternion Orientation{1, 0, 0, 0};
};

// Heights above the ground point under them at which the classes put themselves: vehicles and
// troopers every frame, an aircraft only when it was loaded below the ground.
constexpr float VehicleClearance = 7.0f;
constexpr float TrooperClearance = 5.0f;
constexpr float AircraftClearance = 3.0f;

// qZ * (qY * qX) from the angles about X, Y and Z, as every actor loads its attitude.
TQuaternion StartOrientation(const TVector& angles);

// The first sample a mission plays of the recorded path file at path (sample 1: the recorder's
// sample 0 is never played); nothing when the file does not exist. Throws TFileError when it
// exists but is damaged.
std::optional<TMotionSample> PathStart(const std::string& path);

// Where the entry stands by its roster position and angles under its class's ground rule.
TPlacement PlaceOnGround(const TRosterEntry& entry, const TSurf& surface);
// Where an entry with a recorded path stands: the path's first played sample moved by
// PathOffset, turned by the conjugate of the recorded rotation, as path following flies it.
TPlacement PlaceOnPath(const TRosterEntry& entry, const TMotionSample& start);
