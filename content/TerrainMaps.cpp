// TerrainMaps.cpp — the five missions' terrain settings: style, seeds, valleys along their
// routes and the level pads under their bases.
#include "content/TerrainForge.h"

#include "content/PathForge.h"
#include "core/Error.h"
#include "levels/MissionRoster.h"

#include <array>
#include <cmath>

namespace {

// True when a footprint at (x, y) lies wholly on the pad's level ground.
bool OnPad(const TTerrainPlan& plan, const TTerrainPad& pad, float x, float y, float footprint) {
  return std::hypot(x - pad.X, y - pad.Y) + footprint <= pad.Radius + 1.5f * plan.CellSize;
}

// Every ground unit of the roster that no base pad carries gets a level spot of its own;
// neighbours share one spot, grown to hold them both, so no two levels overlap.
void AddRosterSpots(TTerrainPlan& plan, int mission) {
  const size_t basePads = plan.Pads.size();
  for (const TRosterEntry& e : MissionRoster(mission)) {
    if (!StandsOnGround(e)) continue;
    const float x = e.Position.x, y = e.Position.y, footprint = FootprintRadius(e);
    bool carried = false;
    for (size_t i = 0; i < basePads && !carried; ++i) carried = OnPad(plan, plan.Pads[i], x, y, footprint);
    for (size_t i = basePads; i < plan.Pads.size() && !carried; ++i) {
      TTerrainPad& spot = plan.Pads[i];
      const float d = std::hypot(x - spot.X, y - spot.Y);
      if (d > spot.Radius + footprint + 150) continue;
      spot.Radius = std::max(spot.Radius, d + footprint);
      carried = true;
    }
    if (!carried) plan.Pads.push_back({"ground unit", x, y, footprint, true});
  }
}

// The recorded flights' routes become valleys, so the paths and the fighting heights around
// them stay clear of the mountains.
void AddPathValleys(TTerrainPlan& plan, int mission) {
  for (const std::vector<TVector>& corridor : PathCorridors(mission)) {
    std::vector<TVec2> line;
    for (const TVector& p : corridor) line.push_back({p.x, p.y});
    plan.Valleys.push_back(line);
  }
}

TTerrainPlan Finished(TTerrainPlan plan, int mission) {
  AddPathValleys(plan, mission);
  AddRosterSpots(plan, mission);
  return plan;
}

TTerrainPlan Mission1() {
  // Green mountains; the convoy's valley runs from the allied start past the three triggers to
  // the enemy base in the far corner.
  TTerrainPlan p;
  p.Style = TTerrainStyle::Green;
  p.Seed = 0x51a1;
  p.FloorHills = 90;
  p.Floor = 30;
  p.Peak = 400;
  p.ValleyHalfWidth = 200;
  p.ValleyShoulder = 350;
  p.Valleys = {{{3450, 800}, {3300, 1250}, {2592, 2336}, {1920, 3072}, {896, 3296}, {720, 4096}},
               {{2144, 2304}, {1824, 2816}, {2080, 3296}},
               {{2464, 2848}, {2592, 2336}}};
  p.Pads = {Mission1EnemyBase};
  for (const TTerrainPad& t : Mission1Turrets) p.Pads.push_back(t);
  return p;
}

TTerrainPlan Mission2() {
  // Dusty desert: low dunes and flat-topped mesas between the airfields.
  TTerrainPlan p;
  p.Style = TTerrainStyle::Desert;
  p.Seed = 0x52b2;
  p.Floor = 20;
  p.Peak = 280;
  p.TextureBlock = 2;
  p.ValleyHalfWidth = 320;
  p.Valleys = {{{1216, 640}, {3025, 1280}, {3505, 3075}, {3072, 4110}, {1850, 2500}, {1216, 640}}};
  p.Pads = {Mission2Airfield1, Mission2Airfield2, Mission2Depot3, Mission2Outpost4};
  return p;
}

TTerrainPlan Mission3() {
  // Grey highlands: a high rolling plateau with rocky crowns and snow on the highest.
  TTerrainPlan p;
  p.Style = TTerrainStyle::Highland;
  p.Seed = 0x53c3;
  p.FloorHills = 60;
  p.Floor = 60;
  p.Peak = 390;
  p.TextureBlock = 2;
  p.ValleyHalfWidth = 200;
  p.ValleyShoulder = 350;
  p.Valleys = {{{1888, 3968}, {1400, 2900}, {1320, 1600}, {2900, 1000}, {2960, 2688}, {1888, 3968}}};
  p.Pads = {Mission3Camp2, Mission3Camp3, Mission3Camp5};
  return p;
}

TTerrainPlan Mission4() {
  // Green-grey valleys: steep ridges along the airship's long way from the north-east corner to
  // the haven in the south-west.
  TTerrainPlan p;
  p.Style = TTerrainStyle::Valleys;
  p.Seed = 0x54d4;
  p.FloorHills = 90;
  p.Floor = 25;
  p.Peak = 400;
  p.TextureBlock = 2;
  p.ValleyHalfWidth = 240;
  p.Valleys = {{{3680, 3968}, {3424, 3450}, {2970, 2540}, {1900, 1800}, {896, 832}},
               {{3500, 3008}, {2970, 2540}}};
  p.Pads = {Mission4Airfield, Mission4Outpost, Mission4Haven};
  return p;
}

TTerrainPlan Mission5() {
  // Mixed country: grass, dry patches and sand on the valley floors where the convoys drive
  // towards their meeting point.
  TTerrainPlan p;
  p.Style = TTerrainStyle::Mixed;
  p.Seed = 0x55e5;
  p.FloorHills = 60;
  p.Floor = 30;
  p.Peak = 380;
  p.TextureBlock = 2;
  p.ValleyHalfWidth = 200;
  p.ValleyShoulder = 350;
  p.Valleys = {{{1625, 4395}, {1023, 3261}, {2016, 2624}},
               {{672, 1792}, {1357, 1336}, {2016, 2624}},
               {{3408, 3072}, {2016, 2624}},
               {{2465, 848}, {1357, 1336}}};
  p.Pads = {Mission5Depot, Mission5Post, Mission5Target, Mission5Convoy1, Mission5Convoy2, Mission5Convoy3};
  return p;
}

}  // namespace

const TTerrainPlan& TerrainPlan(int mission) {
  static const std::array<TTerrainPlan, 5> plans = {Finished(Mission1(), 1), Finished(Mission2(), 2),
                                                    Finished(Mission3(), 3), Finished(Mission4(), 4),
                                                    Finished(Mission5(), 5)};
  if (mission < 1 || mission > 5) throw TFileError("terrain", "no mission " + std::to_string(mission));
  return plans[static_cast<size_t>(mission - 1)];
}
