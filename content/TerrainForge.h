// TerrainForge.h — the five missions' terrain grids (.srf) and radar maps, grown from seeded
// noise around each mission's valleys and levelled under its bases.
//
// World units, z up: grid point (row r, column c) of a file sits at (c * CellSize, r * CellSize),
// so a map of Cells cells a side covers 0..Cells * CellSize on both axes.
#pragma once

#include "content/ArtGround.h"
#include "core/SrfFile.h"

#include <string>
#include <vector>

// A flat place for a base: every grid point within Radius (plus a cell's margin, so the ground
// query of any point inside sees only level triangles) shares one height step.
struct TTerrainPad {
  const char* Name;
  float X, Y;
  float Radius;
  // A spot under a lone ground unit keeps its natural height; a base is cut into the hillside.
  bool Spot = false;
};

constexpr float BasePadRadius = 250.0f;
// Gun sites stand alone and need only a small level spot.
constexpr float TurretPadRadius = 100.0f;

// Mission 1: the enemy base of buildings 9..13 and the four gun sites of its roster.
constexpr TTerrainPad Mission1EnemyBase{"enemy base", 720, 4096, BasePadRadius};
constexpr TTerrainPad Mission1Turrets[] = {{"turret 14", 2464, 2848, TurretPadRadius},
                                           {"turret 16", 2144, 2304, TurretPadRadius},
                                           {"turret 18", 1824, 2816, TurretPadRadius},
                                           {"turret 20", 2080, 3296, TurretPadRadius}};
// Mission 2: the airfield groups 1 to 4 (buildings with their parked fighters).
constexpr TTerrainPad Mission2Airfield1{"airfield 1", 3025, 1280, 420};
constexpr TTerrainPad Mission2Airfield2{"airfield 2", 3505, 3075, 300};
constexpr TTerrainPad Mission2Depot3{"depot 3", 3072, 4110, BasePadRadius};
constexpr TTerrainPad Mission2Outpost4{"outpost 4", 1850, 2500, BasePadRadius};
// Mission 3: the camps of groups 2, 3 and 5.
constexpr TTerrainPad Mission3Camp2{"camp 2", 1320, 1600, BasePadRadius};
constexpr TTerrainPad Mission3Camp3{"camp 3", 2900, 1000, BasePadRadius};
constexpr TTerrainPad Mission3Camp5{"camp 5", 2960, 2688, BasePadRadius};
// Mission 4: the airfield of the parked fighters, the enemy site on the route and the haven the
// surviving airship must reach.
constexpr TTerrainPad Mission4Airfield{"airfield", 2970, 2540, BasePadRadius};
constexpr TTerrainPad Mission4Outpost{"outpost", 1900, 1800, BasePadRadius};
constexpr TTerrainPad Mission4Haven{"haven", 896, 832, BasePadRadius};
// Mission 5: the depot (group 2), the post (group 4), the target site (group 6) by the convoys'
// meeting point, and the three convoys' starting places.
constexpr TTerrainPad Mission5Depot{"depot", 672, 1792, BasePadRadius};
constexpr TTerrainPad Mission5Post{"post", 2465, 848, BasePadRadius};
constexpr TTerrainPad Mission5Target{"target", 2200, 2560, BasePadRadius};
constexpr TTerrainPad Mission5Convoy1{"convoy 1", 1023, 3261, 150};
constexpr TTerrainPad Mission5Convoy2{"convoy 2", 1357, 1336, 150};
constexpr TTerrainPad Mission5Convoy3{"convoy 3", 3408, 3072, 150};

enum class TTerrainStyle { Green, Desert, Highland, Valleys, Mixed };

// Everything that makes one mission's ground.
struct TTerrainPlan {
  TTerrainStyle Style = TTerrainStyle::Green;
  uint32_t Seed = 1;
  int Cells = 138;            // per side, at most SrfMaxSide
  float CellSize = 32;        // world units
  float HeightScale = 1.6f;   // world units per height step
  float Floor = 30;           // valley floor height
  float Peak = 400;           // highest mountains
  float ValleyHalfWidth = 260, ValleyShoulder = 420;
  float FloorHills = 0;       // height of the low rolling hills on the valley floors
  int TextureBlock = 1;       // cells per side that share a texture (2 matches texture scale 2)
  std::vector<std::vector<TVec2>> Valleys;  // polylines the mountains give way to
  std::vector<TTerrainPad> Pads;
};

const TTerrainPlan& TerrainPlan(int mission);  // 1..5

struct TTerrainResult {
  TSrf Srf;
  std::vector<TGround> Grounds;  // parallel to Srf.TextureNames
};
TTerrainResult MakeTerrain(const TTerrainPlan& plan);
// The radar picture: top-down shaded relief of the mapped area, x to the right and y up, so a
// texture coordinate of (x, y) / map extent finds the point.
TRgbaImage MakeRadarMap(const TTerrainResult& terrain, int size);
constexpr int RadarMapSize = 512;

// Forge generators, choosing the mission by the digit in "lev3.srf" / "radsurf3.jpg".
void ForgeTerrain(const std::string& outPath, const std::string& relative);
void ForgeRadarMap(const std::string& outPath, const std::string& relative);
