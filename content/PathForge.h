// PathForge.h — the missions' recorded flights: the airship routes of missions 1 and 4 and the
// opening camera sweep of mission 1, written as .cap paths relative to where they are played.
#pragma once

#include "content/FlightRoute.h"

#include <string>
#include <vector>

constexpr float AirshipSpeed = 0.02f;  // units per ms, the airships' cruising speed

// The waypoints of a path in world units as flown from its first offset, the offsets it is
// played from, and how the samples are made.
struct TPathPlan {
  std::string File;
  std::vector<TVector> Waypoints;
  std::vector<TVector> Offsets;  // the first is the one the waypoints are given for
};

// "l1m1.cap", "l1m3.cap" or "l4m1.cap"; TFileError for any other name.
TPathPlan PathPlan(const std::string& file);
std::vector<TMotionSample> MakePath(const std::string& file);
// The recorded flights a mission plays.
std::vector<std::string> MissionPaths(int mission);
// Every path flown over a mission's map, as world polylines for each offset, so the terrain
// can open valleys beneath them.
std::vector<std::vector<TVector>> PathCorridors(int mission);

// Forge generator, named by the file.
void ForgePath(const std::string& outPath, const std::string& relative);
