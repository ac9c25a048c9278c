// MissionRoster.cpp — the five rosters. Mission 1 is the tabled escort; the others follow their
// make-up, groups, grid rules and named rows, laid out on their maps' valleys and level pads.
#include "levels/MissionRoster.h"

#include <array>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr float Upright = -1.5708f;     // stands a +Y-up model in the z-up world
constexpr float HalfPi = 1.5708f;
constexpr float QuarterPi = 0.785398f;
constexpr uint8_t Neutral = 0, Allied = 1, Enemy = 2;
constexpr uint8_t Alive = 0, Dormant = 1;
constexpr TVector WarmLamp{1.0f, 0.85f, 0.6f};
constexpr float TrooperHome = 60;       // troopers roam this far from where they stand
constexpr float ParkedHome = 40;
constexpr float ConvoyStop = 200;       // convoys stop this close to their destination

// The heading (second angle) that points a -Z-nosed model along (dx, dy); a +Z-facing model
// (vehicles, troopers) takes the opposite direction.
float HeadingToward(float dx, float dy) { return std::atan2(dx, dy); }
float FacingToward(float dx, float dy) { return std::atan2(-dx, -dy); }

TVector Standing(float heading) { return {Upright, heading, 0}; }

// Appends rows with consecutive indices, so a roster reads in the order the mission creates it.
class TRoster {
public:
  int32_t Next() const { return static_cast<int32_t>(Rows.size()); }

  TRosterEntry& Add(TActorClass cls, const char* mesh, TVector position, TVector angles, uint8_t side) {
    TRosterEntry e;
    e.Index = Next();
    e.Class = cls;
    e.Mesh = mesh;
    e.Position = position;
    e.Angles = angles;
    e.Side = side;
    e.GuardPoint = position;
    Rows.push_back(e);
    return Rows.back();
  }

  TRosterEntry& Player(TVector position, TVector angles) {
    return Add(TActorClass::Camera, "ally1", position, angles, Allied);
  }

  // A fighter defending the air around its own start.
  TRosterEntry& Defender(const char* mesh, TVector position, float heading, float radius, uint8_t side = Enemy,
                         int32_t group = 0) {
    TRosterEntry& e = Add(TActorClass::AirCraft, mesh, position, Standing(heading), side);
    e.Behaviour = Behave::Defend;
    e.GuardRadius = radius;
    e.Group = group;
    return e;
  }

  // A fighter standing on the ground with its engine off, counted in a target group.
  TRosterEntry& Parked(TVector position, float heading, int32_t group) {
    TRosterEntry& e = Add(TActorClass::AirCraft, "bad1", position, Standing(heading), Enemy);
    e.Behaviour = Behave::Live;
    e.Group = group;
    e.Speed = 0;
    e.CollideTerrain = false;
    e.EngineOn = false;
    return e;
  }

  TRosterEntry& Building(const char* mesh, float x, float y, float heading, int32_t group) {
    TRosterEntry& e = Add(TActorClass::Building, mesh, {x, y, 0}, Standing(heading), Neutral);
    e.Group = group;
    return e;
  }

  TRosterEntry& Lamp(float x, float y, float heading) {
    TRosterEntry& e = Add(TActorClass::Lamp, "lamp", {x, y, 0}, Standing(heading), Neutral);
    e.LampColor = WarmLamp;
    return e;
  }

  // Base then gun at one point, each the other's partner.
  void Turret(float x, float y, float heading, int32_t group, float gunHeading = 0) {
    TRosterEntry& base = Add(TActorClass::Turret, "turret", {x, y, 0}, Standing(heading), Enemy);
    base.Group = group;
    base.Partner = base.Index + 1;
    TRosterEntry& gun = Add(TActorClass::Turret, "turreta", {x, y, 0}, Standing(gunHeading), Enemy);
    gun.Group = group;
    gun.Behaviour = Behave::Hunt;
    gun.Partner = gun.Index - 1;
  }

  // Body then gun at one point in the air, each the other's partner.
  void Baloon(float x, float y, float z, int32_t group) {
    TRosterEntry& body = Add(TActorClass::Baloon, "bad4", {x, y, z}, Standing(0), Enemy);
    body.Group = group;
    body.Partner = body.Index + 1;
    TRosterEntry& gun = Add(TActorClass::Baloon, "bad4a", {x, y, z}, Standing(0), Enemy);
    gun.Group = group;
    gun.Behaviour = Behave::Hunt;
    gun.Partner = gun.Index - 1;
  }

  // A ground unit roaming around where it stands.
  TRosterEntry& Trooper(float x, float y, float heading, int32_t group) {
    TRosterEntry& e = Add(TActorClass::Trooper, "bad3", {x, y, 0}, Standing(heading), Enemy);
    e.Behaviour = Behave::Patrol;
    e.Group = group;
    e.GuardRadius = TrooperHome;
    return e;
  }

  TRosterEntry& Vehicle(float x, float y, float heading, int32_t group) {
    TRosterEntry& e = Add(TActorClass::Vehicle, "bad5", {x, y, 0}, Standing(heading), Enemy);
    e.Behaviour = Behave::Patrol;
    e.Group = group;
    e.GuardRadius = ParkedHome;
    return e;
  }

  // A convoy member driving (or marching) to its destination, where it stops.
  TRosterEntry& Convoy(TActorClass cls, float x, float y, TVector destination, int32_t group) {
    const float heading = FacingToward(destination.x - x, destination.y - y);
    TRosterEntry& e = cls == TActorClass::Vehicle ? Vehicle(x, y, heading, group) : Trooper(x, y, heading, group);
    e.Behaviour = Behave::DriveTo;
    e.GuardPoint = destination;
    e.GuardRadius = ConvoyStop;
    return e;
  }

  std::vector<TRosterEntry> Rows;
};

std::vector<TRosterEntry> Mission1() {
  TRoster r;
  const TVector fighterAngles{Upright, -0.698132f, 0};
  TRosterEntry& player = r.Player({3350, 1090, 300}, fighterAngles);
  player.Behaviour = Behave::Path;
  player.Path = "l1m3.cap";
  player.PathOffset = player.Position;
  const TVector airships[] = {{3263, 1357, 360}, {3463, 1227, 370}};
  for (const TVector& p : airships) {
    TRosterEntry& z = r.Add(TActorClass::Zeppelin, "ally2", p, {0, 0, 0}, Allied);
    z.Behaviour = Behave::Path;
    z.Path = "l1m1.cap";
    z.PathOffset = p;
    z.CollideTerrain = false;
  }
  for (const TVector& p : {TVector{3463, 1127, 410}, TVector{3463, 1027, 420}, TVector{3463, 927, 400}}) {
    TRosterEntry& e = r.Add(TActorClass::AirCraft, "ally1", p, fighterAngles, Allied);
    e.Behaviour = Behave::Live;
  }
  for (const TVector& p : {TVector{544, 4192, 400}, TVector{704, 4160, 400}, TVector{832, 4064, 400}}) {
    TRosterEntry& e = r.Add(TActorClass::AirCraft, "bad1", p, {Upright, -HalfPi, 0}, Enemy);
    e.State = Dormant;
    e.Behaviour = Behave::Hunt;
  }
  r.Building("build1l", 576, 4000, -QuarterPi, 0);
  r.Building("build1m", 672, 4128, -QuarterPi, 0);
  r.Building("build1l", 768, 4064, -QuarterPi, 0);
  r.Building("build1m", 864, 4192, QuarterPi, 0);
  r.Building("build1l", 736, 4192, -QuarterPi, 0);
  // The four gun sites: a base at -45 degrees and its gun at 0, each its partner's partner.
  for (const auto& [x, y] : {std::pair{2464.0f, 2848.0f}, {2144.0f, 2304.0f}, {1824.0f, 2816.0f}, {2080.0f, 3296.0f}})
    r.Turret(x, y, -QuarterPi, 0);
  // Waves 1 and 2 go for the airships; the last wave hunts whatever flies.
  const int32_t waveTargets[] = {1, 1, 2, 2};
  const std::pair<float, float> wave1[] = {{2752, 1440}, {3616, 2432}, {2848, 1088}, {2720, 1056}};
  const std::pair<float, float> wave2[] = {{2112, 2048}, {2240, 2048}, {2784, 2912}, {2752, 2784}};
  for (const auto* wave : {wave1, wave2})
    for (int i = 0; i < 4; ++i) {
      TRosterEntry& e = r.Add(TActorClass::AirCraft, "bad1", {wave[i].first, wave[i].second, 400}, Standing(0), Enemy);
      e.State = Dormant;
      e.Behaviour = Behave::Attack;
      e.Target = waveTargets[i];
    }
  for (float x : {384.0f, 480.0f, 576.0f}) {
    const float y = x == 480.0f ? 2432.0f : 2496.0f;
    TRosterEntry& e = r.Add(TActorClass::AirCraft, "bad1", {x, y, 400}, Standing(HalfPi), Enemy);
    e.State = Dormant;
    e.Behaviour = Behave::Hunt;
  }
  return r.Rows;
}

// The airfield raid: four bases of buildings and parked fighters, raided in order.
std::vector<TRosterEntry> Mission2() {
  TRoster r;
  TRosterEntry& player = r.Player({1216, 640, 300}, {Upright, QuarterPi, 0});
  player.Behaviour = Behave::Live;
  player.Speed = 0.06f;

  // Lamps light the two airfields' aprons and the depot's gate.
  const std::pair<float, float> lamps[] = {{2840, 1090}, {2970, 1090}, {2840, 910}, {2970, 910},
                                           {2960, 1300}, {3180, 1350}, {3420, 3140}, {3580, 3140},
                                           {3420, 3010}, {3580, 3010}, {3020, 4040}, {3124, 4040}};
  for (const auto& [x, y] : lamps) r.Lamp(x, y, x < 3000 ? 0 : HalfPi);
  // Hangars beside the parked rows (not targets).
  r.Building("build1m", 3010, 1000, -HalfPi, 0);
  r.Building("build1m", 3080, 1010, -HalfPi, 0);
  r.Building("build1m", 3610, 3190, 0, 0);

  // Group 1: airfield one.
  const std::pair<float, float> field1[] = {{2770, 1120}, {2800, 1310}, {2870, 1480}, {3010, 1560},
                                            {3160, 1520}, {3280, 1410}, {3260, 1200}, {3140, 1110}};
  for (const auto& [x, y] : field1) r.Building("gen", x, y, QuarterPi, 1);
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 3; ++b) r.Parked({2880.0f + 50 * a, 1050.0f - 50 * b, -100}, 0, 1);
  // Group 2: airfield two.
  const std::pair<float, float> field2[] = {{3320, 2960}, {3330, 3190}, {3690, 2960}, {3700, 3100}};
  for (const auto& [x, y] : field2) r.Building("gen", x, y, 0, 2);
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 2; ++b) r.Parked({3450.0f + 50 * a, 3100.0f - 50 * b, -100}, HalfPi, 2);
  // Group 3: the fuel depot.
  r.Building("gen", 2976, 4100, 0, 3);
  r.Building("gen", 3168, 4100, 0, 3);
  r.Building("gen", 3072, 4162, HalfPi, 3);
  // Group 4: the forward outpost.
  r.Building("gen", 1790, 2440, 0, 4);
  r.Building("gen", 1785, 2565, QuarterPi, 4);
  r.Building("gen", 1880, 2445, 0, 4);
  for (int a = 0; a < 3; ++a) r.Parked({1920, 2560.0f - 30 * a, -100}, -HalfPi, 4);

  // Defenders over each base and along the way between them.
  r.Defender("bad1", {2900, 1350, 350}, HalfPi, 380);
  r.Defender("bad1", {3150, 1200, 360}, -HalfPi, 380);
  r.Defender("bad1", {3400, 3000, 330}, 0, 320);
  r.Defender("bad1", {3600, 3150, 340}, 3.14159f, 320);
  r.Defender("bad1", {3000, 4000, 320}, HalfPi, 285);
  r.Defender("bad1", {3150, 4050, 330}, -HalfPi, 285);
  // The two along the way hunt the player down instead: an aircraft that only cruises about
  // would otherwise never meet a defender in its area and could sit out the mission unharmed.
  r.Defender("bad1", {2300, 800, 380}, HalfPi, 280).Behaviour = Behave::Hunt;
  r.Defender("bad1", {3650, 2200, 360}, 0, 280).Behaviour = Behave::Hunt;
  // Actors 57 to 59: three in a row over the outpost.
  for (int a = 0; a < 3; ++a) {
    TRosterEntry& e = r.Defender("bad1", {1792.0f + 50 * a, 2560, 200}, -HalfPi, 280);
    e.GuardPoint = {1792, 2560, 200};
  }
  return r.Rows;
}

// The balloon barrier: three camps behind fields of barrage balloons.
std::vector<TRosterEntry> Mission3() {
  TRoster r;
  r.Player({1888, 3968, 400}, {Upright, 3.66519f, 0}).Speed = 0;

  // Group 1: the barrier across the valley below the start; it may be left standing.
  const TVector field[] = {{1170, 2620, 300}, {1400, 2600, 330}, {1620, 2680, 310},
                           {1200, 3000, 320}, {1450, 3060, 300}, {1610, 3320, 340}};
  for (const TVector& p : field) r.Baloon(p.x, p.y, p.z, 1);

  // Group 2: the northern camp.
  for (const TVector& p : {TVector{1190, 1450, 300}, TVector{1460, 1450, 320}, TVector{1190, 1750, 310},
                           TVector{1470, 1750, 290}})
    r.Baloon(p.x, p.y, p.z, 2);
  for (const auto& [x, y] : {std::pair{1220.0f, 1540.0f}, {1420.0f, 1560.0f}, {1320.0f, 1720.0f}, {1420.0f, 1660.0f}})
    r.Trooper(x, y, HalfPi, 2);
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 3; ++b) r.Building("gen", 1280.0f + 80 * a, 1664.0f - 80 * b, 0, 2);

  // Group 3: the eastern camp, its troopers drilling on the level ground.
  for (const TVector& p : {TVector{2540, 950, 300}, TVector{2700, 1140, 320}, TVector{2960, 1150, 310},
                           TVector{3130, 920, 330}})
    r.Baloon(p.x, p.y, p.z, 3);
  for (int i = 0; i < 8; ++i) {
    const float x = 2810.0f + 60 * static_cast<float>(i % 4), y = i < 4 ? 960.0f : 1040.0f;
    r.Trooper(x, y, i < 4 ? 0 : 3.14159f, 3);
  }
  // The camps' fighters come out hunting, all but one over the store (and each counts in its
  // camp's group wherever it falls), so the barrier cannot simply be waited out.
  r.Defender("bad1", {2800, 1050, 380}, HalfPi, 280, Enemy, 3).Behaviour = Behave::Hunt;
  r.Defender("bad1", {3000, 950, 390}, -HalfPi, 280, Enemy, 3).Behaviour = Behave::Hunt;

  // Group 5: the southern store.
  r.Baloon(3000, 2480, 320, 5);
  for (const auto& [x, y] : {std::pair{2880.0f, 2592.0f}, {3040.0f, 2592.0f}, {2880.0f, 2784.0f}, {3040.0f, 2784.0f}})
    r.Building("gen", x, y, QuarterPi, 5);
  for (const auto& [x, y] : {std::pair{2960.0f, 2640.0f}, {2960.0f, 2740.0f}, {2900.0f, 2690.0f}})
    r.Trooper(x, y, 0, 5);
  r.Defender("bad1", {2860, 2700, 400}, 0, 280, Enemy, 5).Behaviour = Behave::Hunt;
  r.Defender("bad1", {3060, 2700, 410}, 3.14159f, 280, Enemy, 5);
  r.Defender("bad1", {2960, 2880, 390}, -HalfPi, 280, Enemy, 5).Behaviour = Behave::Hunt;
  // Sentries at the store's gate, outside the objective.
  for (const auto& [x, y] : {std::pair{3020.0f, 2690.0f}, {2820.0f, 2640.0f}, {2820.0f, 2740.0f}})
    r.Trooper(x, y, HalfPi, 0);
  return r.Rows;
}

// The second escort: one airship is lost in the opening; the other must reach the haven.
std::vector<TRosterEntry> Mission4() {
  TRoster r;
  r.Player({3424, 3450, 400}, {Upright, 0, 0.523599f}).Speed = 0;
  const TVector airships[] = {{3584, 3968, 360}, {3680, 3870, 400}};
  for (int i = 0; i < 2; ++i) {
    TRosterEntry& z = r.Add(TActorClass::Zeppelin, "ally2", airships[i], {0, 0, 0}, Allied);
    z.Behaviour = Behave::Path;
    z.Path = "l4m1.cap";
    z.PathOffset = airships[i];
    z.CollideTerrain = false;
    z.HitDamage = i == 0 ? 1.0f : 0.2f;
    if (i == 0) z.Life = 50;
  }

  // Balloons: two over the airships' first leg, three across the approach to the airfield, two
  // by the outpost, two before the haven.
  const TVector balloons[] = {{3470, 3780, 360}, {3700, 3640, 380}, {3120, 3020, 340},
                              {3300, 2900, 360}, {2880, 2800, 330}, {2050, 1700, 340},
                              {1760, 1950, 320}, {1450, 1420, 330}, {1250, 1200, 350}};
  for (const TVector& p : balloons) r.Baloon(p.x, p.y, p.z, 0);
  // Turrets: two where the airships set out, two on the airfield, two at the outpost, two on
  // the last leg.
  const std::pair<float, float> turrets[] = {{3520, 3620}, {3660, 3420}, {2890, 2460}, {3060, 2640},
                                             {1820, 1760}, {1980, 1860}, {1400, 1300}, {1180, 1060}};
  for (const auto& [x, y] : turrets) {
    const float heading = HeadingToward(3584 - x, 3968 - y);
    r.Turret(x, y, heading, 0, heading);
  }

  // Airfield: sheds and hangars; outpost: sheds and a hall; haven: two halls and a hangar.
  for (const auto& [x, y] : {std::pair{2870.0f, 2640.0f}, {2880.0f, 2390.0f}, {3070.0f, 2400.0f}, {3120.0f, 2520.0f}})
    r.Building("gen", x, y, QuarterPi, 0);
  r.Building("build1m", 3050, 2730, 0, 0);
  r.Building("build1m", 3130, 2700, 0, 0);
  for (const auto& [x, y] : {std::pair{1800.0f, 1700.0f}, {1840.0f, 1900.0f}, {2000.0f, 1760.0f}, {1960.0f, 1940.0f}})
    r.Building("gen", x, y, -QuarterPi, 0);
  r.Building("build1l", 1900, 1800, 0, 0);
  r.Building("build1m", 800, 780, HalfPi, 0);
  r.Building("build1m", 990, 760, HalfPi, 0);
  r.Building("build1l", 900, 960, 0, 0);

  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 3; ++b) {
      TRosterEntry& e = r.Parked({2945.0f + 50 * a, 2588.0f - 50 * b, 0}, HalfPi, 0);
      e.EngineOn = true;  // parked, but keeping the flying shadow
    }
  // Defenders: three over the airfield, three over the outpost, one before the haven, and two
  // on the first leg, where with the balloons they bring the first airship down (the turrets'
  // missiles cannot reach an airship that high).
  const TVector fighters[] = {{2900, 2600, 360}, {3050, 2500, 380}, {2980, 2700, 350},
                              {1850, 1800, 370}, {1950, 1750, 360}, {1900, 1900, 380},
                              {3600, 3750, 380}, {1300, 1250, 350}, {3300, 3300, 380}};
  // Two of the airfield's and the outpost's first two come out hunting the airship and its
  // escort: an airship left to itself must not reach the haven, nor an aircraft that only
  // cruises about sit the escort out.
  for (size_t i = 0; i < std::size(fighters); ++i) {
    const TVector& p = fighters[i];
    TRosterEntry& e = r.Defender("bad1", p, HeadingToward(3584 - p.x, 3968 - p.y), 300);
    if (i <= 1 || i == 3 || i == 4) e.Behaviour = Behave::Hunt;
  }
  // Actors 66 and 67 strafe the second airship in the opening.
  for (const TVector& p : {TVector{3420, 3500, 360}, TVector{3465, 3500, 365}}) {
    TRosterEntry& e = r.Add(TActorClass::AirCraft, "bad1", p, Standing(HeadingToward(200, 400)), Enemy);
    e.Behaviour = Behave::Strafe;
    e.Target = 2;
  }
  return r.Rows;
}

// The convoys: three columns drive to a meeting point, with a depot, a post and the meeting
// site's stores to destroy on the way.
std::vector<TRosterEntry> Mission5() {
  TRoster r;
  r.Player({1625, 4395, 430}, {Upright, 3.49066f, 0});
  const TVector meet{2016, 2624, 300};
  using enum TActorClass;

  // Group 1: convoy 1 (vehicle 2 leads) with its march column; fighters 16 and 17 come later.
  r.Convoy(Vehicle, 1023, 3261, meet, 1);
  r.Convoy(Vehicle, 1088, 3200, meet, 1);
  r.Convoy(Vehicle, 958, 3322, meet, 1);
  for (const auto& [x, y] : {std::pair{990.0f, 3250.0f}, {1050.0f, 3300.0f}, {1060.0f, 3215.0f}, {975.0f, 3295.0f}})
    r.Convoy(Trooper, x, y, meet, 1);
  // Group 3: convoy 2 (vehicle 10 leads; 11 keeps a lane of its own at the meeting point).
  r.Convoy(Vehicle, 1295, 1265, meet, 3);
  r.Convoy(Vehicle, 1336, 1312, meet, 3);
  r.Convoy(Vehicle, 1420, 1408, meet, 3);
  r.Convoy(Vehicle, 1378, 1360, {2016, 2630, 300}, 3);
  r.Convoy(Trooper, 1320, 1350, meet, 3);
  r.Convoy(Trooper, 1380, 1300, meet, 3);
  // Escorts: 14 and 15 over convoy 2, 16 and 17 over convoy 1.
  r.Defender("bad1", {1330, 1300, 380}, HeadingToward(1, 2), 300, Enemy, 3);
  r.Defender("bad1", {1400, 1380, 390}, HeadingToward(1, 2), 300, Enemy, 3);
  r.Defender("bad1", {1000, 3280, 400}, HeadingToward(1, -0.6f), 300, Enemy, 1);
  r.Defender("bad1", {1080, 3220, 410}, HeadingToward(1, -0.6f), 300, Enemy, 1);

  // Group 2: the depot, two trucks parked and a gun site.
  for (const auto& [x, y] : {std::pair{576.0f, 1728.0f}, {768.0f, 1728.0f}, {576.0f, 1856.0f}, {768.0f, 1856.0f}})
    r.Building("gen", x, y, 0, 2);
  r.Vehicle(650, 1790, HalfPi, 2).Speed = 0;
  r.Vehicle(700, 1800, HalfPi, 2).Speed = 0;
  r.Turret(672, 1640, 0, 2);
  // Group 4: the post on the eastern pass.
  for (const auto& [x, y] : {std::pair{2410.0f, 810.0f}, {2520.0f, 820.0f}, {2420.0f, 890.0f}, {2500.0f, 880.0f}})
    r.Trooper(x, y, HalfPi, 4);
  // The post's fighter and one of convoy 3's escorts hunt: the allied pair and the player meet
  // them wherever they fly.
  r.Defender("bad1", {2465, 848, 380}, 0, 300, Enemy, 4).Behaviour = Behave::Hunt;
  r.Turret(2465, 760, 0, 4);
  // Group 5: convoy 3 (vehicle 36 leads) with its escort 39 and 40.
  r.Convoy(Vehicle, 3488, 3136, meet, 5);
  r.Convoy(Vehicle, 3435, 3093, meet, 5);
  r.Convoy(Vehicle, 3381, 3050, meet, 5);
  r.Convoy(Vehicle, 3328, 3008, meet, 5);
  r.Convoy(Trooper, 3400, 3100, meet, 5);
  // A guard at the meeting site, outside the objectives.
  r.Trooper(2150, 2520, -HalfPi, 0);
  r.Defender("bad1", {3380, 3040, 400}, HeadingToward(-1392, -448), 300, Enemy, 5);
  r.Defender("bad1", {3440, 3110, 410}, HeadingToward(-1392, -448), 300, Enemy, 5).Behaviour = Behave::Hunt;
  // Group 6: the stores at the meeting point and their gun.
  for (const auto& [x, y] : {std::pair{2208.0f, 2432.0f}, {2368.0f, 2432.0f}, {2208.0f, 2592.0f}, {2368.0f, 2592.0f}})
    r.Building("gen", x, y, QuarterPi, 6);
  r.Turret(2288, 2512, 0, 6);
  // Actors 47 and 48: the allied pair flying with the player.
  r.Defender("ally1", {1632, 4320, 490}, 3.49066f, 300, Allied);
  r.Defender("ally1", {1760, 4320, 500}, 3.49066f, 300, Allied);
  return r.Rows;
}

}  // namespace

std::span<const TRosterEntry> MissionRoster(int32_t mission) {
  static const std::array<std::vector<TRosterEntry>, 5> rosters = {Mission1(), Mission2(), Mission3(), Mission4(),
                                                                   Mission5()};
  if (mission < 1 || mission > 5) throw std::out_of_range("no mission " + std::to_string(mission));
  return rosters[static_cast<size_t>(mission - 1)];
}

bool StandsOnGround(const TRosterEntry& entry) {
  switch (entry.Class) {
    case TActorClass::Turret:
    case TActorClass::Building:
    case TActorClass::Lamp:
    case TActorClass::Vehicle:
    case TActorClass::Trooper: return true;
    case TActorClass::AirCraft: return entry.Speed == 0;  // parked on the ground
    default: return false;
  }
}

float FootprintRadius(const TRosterEntry& entry) {
  switch (entry.Class) {
    case TActorClass::Building: return 50;
    case TActorClass::Turret:
    case TActorClass::AirCraft: return 40;
    case TActorClass::Lamp:
    case TActorClass::Vehicle: return 30;
    default: return 15;
  }
}
