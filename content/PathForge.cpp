// PathForge.cpp — the three recorded flights, laid along the missions' valleys.
#include "content/PathForge.h"

#include "core/Error.h"
#include "levels/MissionRoster.h"

#include <algorithm>
#include <cmath>

namespace {

TVector Offset(int mission, int index) { return MissionRoster(mission)[static_cast<size_t>(index)].PathOffset; }

// Mission 1's convoy: from the allied field north-west through the three trigger points, then
// up the valley past the enemy base for the closing shot.
TPathPlan ConvoyRoute() {
  TPathPlan p;
  p.File = "l1m1.cap";
  p.Offsets = {Offset(1, 1), Offset(1, 2)};
  p.Waypoints = {{3263, 1357, 360}, {3110, 1580, 362}, {2592, 2336, 360}, {2260, 2730, 365},
                 {1920, 3072, 360}, {1400, 3250, 362}, {896, 3296, 360},  {780, 3640, 360},
                 {700, 4060, 365},  {640, 4330, 370}};
  return p;
}

// Mission 4's escort: from the north-east corner past the first guns, over the airfield and
// the outpost, to the haven in the south-west and a little beyond.
TPathPlan EscortRoute() {
  TPathPlan p;
  p.File = "l4m1.cap";
  p.Offsets = {Offset(4, 1), Offset(4, 2)};
  p.Waypoints = {{3584, 3968, 360}, {3560, 3560, 360}, {3330, 3060, 365}, {2970, 2540, 370},
                 {2480, 2150, 360}, {1900, 1800, 365}, {1420, 1330, 360}, {896, 832, 360},
                 {790, 730, 360}};
  return p;
}

// The player's aircraft at the start of mission 1 and the point the chase camera settles at,
// 10 up and 45 behind in the aircraft's own axes.
struct TChaseStart {
  TVector Aircraft, Eye;
  TQuaternion View;  // looks along the nose: the conjugate of the aircraft's orientation
};

TChaseStart MissionOneChase() {
  const TRosterEntry& player = MissionRoster(1)[0];
  TQuaternion orientation;
  QuatFromEuler(player.Angles.x, player.Angles.y, player.Angles.z, orientation);
  TChaseStart c;
  c.Aircraft = player.Position;
  QuatConjugate(orientation, c.View);
  TMatrix m;
  QuatToMatrix(orientation, m);
  TVector axisY, axisZ;
  MatrixRotateVector({0, 1, 0}, m, axisY);
  MatrixRotateVector({0, 0, 1}, m, axisZ);
  c.Eye = c.Aircraft + axisY * 10 + axisZ * 45;
  return c;
}

// Mission 1's opening: in front of the airships as they set out, round their flank, then down
// behind the player's aircraft to hand over to the chase camera.
TPathPlan OpeningSweep() {
  const TChaseStart chase = MissionOneChase();
  TVector tail;
  VectorNormalize(chase.Eye - chase.Aircraft, tail);
  TPathPlan p;
  p.File = "l1m3.cap";
  p.Offsets = {MissionRoster(1)[0].PathOffset};
  p.Waypoints = {{3120, 1600, 330}, {2980, 1380, 390}, {3180, 1080, 430},
                 chase.Aircraft + TVector{tail.x, tail.y, 0} * 150 + TVector{0, 0, 40}, chase.Eye};
  return p;
}

constexpr int32_t OpeningDuration = 22011;  // ms, a whole number of samples

float Smooth(float a, float b, float x) {
  const float t = std::clamp((x - a) / (b - a), 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

std::vector<TMotionSample> MakeOpeningSweep() {
  const TPathPlan plan = OpeningSweep();
  const TPathPlan convoy = ConvoyRoute();
  const TFlightCurve convoyCurve(convoy.Waypoints);
  const TVector secondShip = convoy.Offsets[1] - convoy.Offsets[0];
  const TChaseStart chase = MissionOneChase();
  auto look = [&](int32_t time, const TVector& eye) {
    const TVector ship = convoyCurve.At(AirshipSpeed * static_cast<float>(time));
    const TVector convoyMiddle = ship + secondShip * 0.5f;
    const float u = static_cast<float>(time) / OpeningDuration;
    TQuaternion view, settled;
    // Watch the airships, turn to the waiting aircraft, and end looking along its nose.
    QuatSlerp(LookRotation(convoyMiddle - eye), LookRotation(chase.Aircraft - eye), Smooth(0.5f, 0.8f, u), view);
    QuatSlerp(view, chase.View, Smooth(0.8f, 1.0f, u), settled);
    return settled;
  };
  return SampleCameraFlight(TFlightCurve(plan.Waypoints), OpeningDuration, plan.Offsets[0], look);
}

}  // namespace

TPathPlan PathPlan(const std::string& file) {
  if (file == "l1m1.cap") return ConvoyRoute();
  if (file == "l4m1.cap") return EscortRoute();
  if (file == "l1m3.cap") return OpeningSweep();
  throw TFileError(file, "no recorded path of this name");
}

std::vector<TMotionSample> MakePath(const std::string& file) {
  if (file == "l1m3.cap") return MakeOpeningSweep();
  const TPathPlan plan = PathPlan(file);
  return SampleSteadyFlight(TFlightCurve(plan.Waypoints), AirshipSpeed, plan.Offsets[0]);
}

std::vector<std::string> MissionPaths(int mission) {
  if (mission == 1) return {"l1m1.cap", "l1m3.cap"};
  if (mission == 4) return {"l4m1.cap"};
  return {};
}

std::vector<std::vector<TVector>> PathCorridors(int mission) {
  std::vector<std::vector<TVector>> corridors;
  for (const std::string& file : MissionPaths(mission)) {
    const TPathPlan plan = PathPlan(file);
    for (const TVector& offset : plan.Offsets) {
      std::vector<TVector> line;
      for (const TVector& w : plan.Waypoints) line.push_back(w + (offset - plan.Offsets[0]));
      corridors.push_back(line);
    }
  }
  return corridors;
}

void ForgePath(const std::string& outPath, const std::string& relative) {
  WriteCapFile(outPath, MakePath(relative.substr(relative.find_last_of('/') + 1)));
}
