// MissionRoster.h — every mission's actors as data: who stands where, on which side, doing what.
//
// The missions create their actors from these tables in index order and refer to them by index;
// the content forge levels the ground under the ground units and the viewer shows them. World
// units, z up. Angles are in radians, about X, then Y, then Z, in the order Load takes them:
// models are built with +Y up and their nose (or barrel) toward -Z, vehicles and troopers face
// +Z, so a first angle of -1.5708 stands a model up and the second turns its heading.
#pragma once

#include "actors/RosterEntry.h"

#include <cstdint>
#include <span>

// Mission 1..5. Throws std::out_of_range for any other number.
std::span<const TRosterEntry> MissionRoster(int32_t mission);

// Ground units stand on the terrain wherever they are placed; the forge levels the ground
// under these.
bool StandsOnGround(const TRosterEntry& entry);
// How much level ground a ground unit needs around its position (its footprint's radius).
float FootprintRadius(const TRosterEntry& entry);
