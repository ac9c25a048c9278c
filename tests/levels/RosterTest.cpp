// RosterTest.cpp — the five rosters: mission 1 row by row, the others by make-up, groups, grid
// rules, links and the rows the missions name by index.
#include "levels/MissionRoster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace {

using enum TActorClass;

const TRosterEntry& At(int mission, int index) { return MissionRoster(mission)[static_cast<size_t>(index)]; }

void ExpectNear(const TVector& v, float x, float y, float z, const std::string& what) {
  EXPECT_NEAR(v.x, x, 1e-3f) << what;
  EXPECT_NEAR(v.y, y, 1e-3f) << what;
  EXPECT_NEAR(v.z, z, 1e-3f) << what;
}

// Mission 1 as tabled: index, class, mesh, position, angles, side, state, behaviour, target.
struct TRow {
  int Index;
  TActorClass Class;
  const char* Mesh;
  TVector Position, Angles;
  int Side, State, Behaviour, Target;
};

constexpr float Up = -1.5708f, Fighter = -0.698132f, Q = 0.785398f, H = 1.5708f;
const TRow MissionOneRows[] = {
    {0, Camera, "ally1", {3350, 1090, 300}, {Up, Fighter, 0}, 1, 0, 7, -1},
    {1, Zeppelin, "ally2", {3263, 1357, 360}, {0, 0, 0}, 1, 0, 7, -1},
    {2, Zeppelin, "ally2", {3463, 1227, 370}, {0, 0, 0}, 1, 0, 7, -1},
    {3, AirCraft, "ally1", {3463, 1127, 410}, {Up, Fighter, 0}, 1, 0, 6, -1},
    {4, AirCraft, "ally1", {3463, 1027, 420}, {Up, Fighter, 0}, 1, 0, 6, -1},
    {5, AirCraft, "ally1", {3463, 927, 400}, {Up, Fighter, 0}, 1, 0, 6, -1},
    {6, AirCraft, "bad1", {544, 4192, 400}, {Up, -H, 0}, 2, 1, 10, -1},
    {7, AirCraft, "bad1", {704, 4160, 400}, {Up, -H, 0}, 2, 1, 10, -1},
    {8, AirCraft, "bad1", {832, 4064, 400}, {Up, -H, 0}, 2, 1, 10, -1},
    {9, Building, "build1l", {576, 4000, 0}, {Up, -Q, 0}, 0, 0, 6, -1},
    {10, Building, "build1m", {672, 4128, 0}, {Up, -Q, 0}, 0, 0, 6, -1},
    {11, Building, "build1l", {768, 4064, 0}, {Up, -Q, 0}, 0, 0, 6, -1},
    {12, Building, "build1m", {864, 4192, 0}, {Up, Q, 0}, 0, 0, 6, -1},
    {13, Building, "build1l", {736, 4192, 0}, {Up, -Q, 0}, 0, 0, 6, -1},
    {14, Turret, "turret", {2464, 2848, 0}, {Up, -Q, 0}, 2, 0, 6, -1},
    {15, Turret, "turreta", {2464, 2848, 0}, {Up, 0, 0}, 2, 0, 10, -1},
    {16, Turret, "turret", {2144, 2304, 0}, {Up, -Q, 0}, 2, 0, 6, -1},
    {17, Turret, "turreta", {2144, 2304, 0}, {Up, 0, 0}, 2, 0, 10, -1},
    {18, Turret, "turret", {1824, 2816, 0}, {Up, -Q, 0}, 2, 0, 6, -1},
    {19, Turret, "turreta", {1824, 2816, 0}, {Up, 0, 0}, 2, 0, 10, -1},
    {20, Turret, "turret", {2080, 3296, 0}, {Up, -Q, 0}, 2, 0, 6, -1},
    {21, Turret, "turreta", {2080, 3296, 0}, {Up, 0, 0}, 2, 0, 10, -1},
    {22, AirCraft, "bad1", {2752, 1440, 400}, {Up, 0, 0}, 2, 1, 11, 1},
    {23, AirCraft, "bad1", {3616, 2432, 400}, {Up, 0, 0}, 2, 1, 11, 1},
    {24, AirCraft, "bad1", {2848, 1088, 400}, {Up, 0, 0}, 2, 1, 11, 2},
    {25, AirCraft, "bad1", {2720, 1056, 400}, {Up, 0, 0}, 2, 1, 11, 2},
    {26, AirCraft, "bad1", {2112, 2048, 400}, {Up, 0, 0}, 2, 1, 11, 1},
    {27, AirCraft, "bad1", {2240, 2048, 400}, {Up, 0, 0}, 2, 1, 11, 1},
    {28, AirCraft, "bad1", {2784, 2912, 400}, {Up, 0, 0}, 2, 1, 11, 2},
    {29, AirCraft, "bad1", {2752, 2784, 400}, {Up, 0, 0}, 2, 1, 11, 2},
    {30, AirCraft, "bad1", {384, 2496, 400}, {Up, H, 0}, 2, 1, 10, -1},
    {31, AirCraft, "bad1", {480, 2432, 400}, {Up, H, 0}, 2, 1, 10, -1},
    {32, AirCraft, "bad1", {576, 2496, 400}, {Up, H, 0}, 2, 1, 10, -1},
};

TEST(MissionOneRoster, EveryRowAsTabled) {
  ASSERT_EQ(MissionRoster(1).size(), 33u);
  for (const TRow& row : MissionOneRows) {
    const TRosterEntry& e = At(1, row.Index);
    const std::string what = "actor " + std::to_string(row.Index);
    EXPECT_EQ(e.Index, row.Index) << what;
    EXPECT_EQ(e.Class, row.Class) << what;
    EXPECT_STREQ(e.Mesh, row.Mesh) << what;
    ExpectNear(e.Position, row.Position.x, row.Position.y, row.Position.z, what);
    ExpectNear(e.Angles, row.Angles.x, row.Angles.y, row.Angles.z, what);
    EXPECT_EQ(e.Side, row.Side) << what;
    EXPECT_EQ(e.State, row.State) << what;
    EXPECT_EQ(e.Behaviour, row.Behaviour) << what;
    EXPECT_EQ(e.Target, row.Target) << what;
    EXPECT_EQ(e.Group, 0) << what;
  }
}

TEST(MissionOneRoster, PathsAndPartners) {
  EXPECT_STREQ(At(1, 0).Path, "l1m3.cap");
  ExpectNear(At(1, 0).PathOffset, 3350, 1090, 300, "player path");
  for (int i : {1, 2}) {
    EXPECT_STREQ(At(1, i).Path, "l1m1.cap");
    EXPECT_FALSE(At(1, i).CollideTerrain);
  }
  ExpectNear(At(1, 1).PathOffset, 3263, 1357, 360, "airship 1");
  ExpectNear(At(1, 2).PathOffset, 3463, 1227, 370, "airship 2");
  for (int base = 14; base <= 20; base += 2) {
    EXPECT_EQ(At(1, base).Partner, base + 1);
    EXPECT_EQ(At(1, base + 1).Partner, base);
  }
}

// How many actors of each class and mesh a roster holds, and per group.
using TMakeUp = std::map<std::pair<TActorClass, std::string>, int>;

TMakeUp MakeUp(int mission, int group = -1) {
  TMakeUp m;
  for (const TRosterEntry& e : MissionRoster(mission))
    if (group < 0 || e.Group == group) ++m[{e.Class, e.Mesh}];
  return m;
}

TEST(Rosters, MakeUpOfEveryMission) {
  const TMakeUp expected[] = {
      {},
      {{{Camera, "ally1"}, 1}, {{Lamp, "lamp"}, 12}, {{Building, "build1m"}, 3}, {{Building, "gen"}, 18},
       {{AirCraft, "bad1"}, 26}},
      {{{Camera, "ally1"}, 1}, {{Baloon, "bad4"}, 15}, {{Baloon, "bad4a"}, 15}, {{Trooper, "bad3"}, 18},
       {{Building, "gen"}, 10}, {{AirCraft, "bad1"}, 5}},
      {{{Camera, "ally1"}, 1}, {{Zeppelin, "ally2"}, 2}, {{Baloon, "bad4"}, 9}, {{Baloon, "bad4a"}, 9},
       {{Turret, "turret"}, 8}, {{Turret, "turreta"}, 8}, {{Building, "gen"}, 8}, {{Building, "build1m"}, 4},
       {{Building, "build1l"}, 2}, {{AirCraft, "bad1"}, 17}},
      {{{Camera, "ally1"}, 1}, {{Vehicle, "bad5"}, 13}, {{Trooper, "bad3"}, 12}, {{Turret, "turret"}, 3},
       {{Turret, "turreta"}, 3}, {{Building, "gen"}, 8}, {{AirCraft, "bad1"}, 7}, {{AirCraft, "ally1"}, 2}},
  };
  const size_t sizes[] = {33, 60, 64, 68, 49};
  for (int mission = 2; mission <= 5; ++mission) {
    EXPECT_EQ(MissionRoster(mission).size(), sizes[mission - 1]) << "mission " << mission;
    EXPECT_EQ(MakeUp(mission), expected[mission - 1]) << "mission " << mission;
  }
}

TEST(Rosters, ObjectiveGroups) {
  struct TGroup {
    int Mission, Group;
    TMakeUp Members;
  };
  const TGroup groups[] = {
      {2, 1, {{{Building, "gen"}, 8}, {{AirCraft, "bad1"}, 6}}},
      {2, 2, {{{Building, "gen"}, 4}, {{AirCraft, "bad1"}, 6}}},
      {2, 3, {{{Building, "gen"}, 3}}},
      {2, 4, {{{Building, "gen"}, 3}, {{AirCraft, "bad1"}, 3}}},
      {3, 1, {{{Baloon, "bad4"}, 6}, {{Baloon, "bad4a"}, 6}}},
      {3, 2, {{{Baloon, "bad4"}, 4}, {{Baloon, "bad4a"}, 4}, {{Trooper, "bad3"}, 4}, {{Building, "gen"}, 6}}},
      {3, 3, {{{Baloon, "bad4"}, 4}, {{Baloon, "bad4a"}, 4}, {{Trooper, "bad3"}, 8}, {{AirCraft, "bad1"}, 2}}},
      {3, 4, {}},
      {3, 5, {{{Baloon, "bad4"}, 1}, {{Baloon, "bad4a"}, 1}, {{Building, "gen"}, 4}, {{Trooper, "bad3"}, 3},
              {{AirCraft, "bad1"}, 3}}},
      {5, 1, {{{Vehicle, "bad5"}, 3}, {{Trooper, "bad3"}, 4}, {{AirCraft, "bad1"}, 2}}},
      {5, 2, {{{Building, "gen"}, 4}, {{Vehicle, "bad5"}, 2}, {{Turret, "turret"}, 1}, {{Turret, "turreta"}, 1}}},
      {5, 3, {{{Vehicle, "bad5"}, 4}, {{Trooper, "bad3"}, 2}, {{AirCraft, "bad1"}, 2}}},
      {5, 4, {{{Trooper, "bad3"}, 4}, {{AirCraft, "bad1"}, 1}, {{Turret, "turret"}, 1}, {{Turret, "turreta"}, 1}}},
      {5, 5, {{{Vehicle, "bad5"}, 4}, {{Trooper, "bad3"}, 1}, {{AirCraft, "bad1"}, 2}}},
      {5, 6, {{{Building, "gen"}, 4}, {{Turret, "turret"}, 1}, {{Turret, "turreta"}, 1}}},
  };
  for (const TGroup& g : groups)
    EXPECT_EQ(MakeUp(g.Mission, g.Group), g.Members) << "mission " << g.Mission << " group " << g.Group;
  for (const TRosterEntry& e : MissionRoster(4)) EXPECT_EQ(e.Group, 0) << "mission 4 actor " << e.Index;
}

// The grid rules: every listed point holds one member of the group with that class.
void ExpectGrid(int mission, int group, TActorClass cls, std::set<std::pair<int, int>> points) {
  std::set<std::pair<int, int>> found;
  for (const TRosterEntry& e : MissionRoster(mission))
    if (e.Group == group && e.Class == cls)
      found.insert({static_cast<int>(std::lround(e.Position.x)), static_cast<int>(std::lround(e.Position.y))});
  EXPECT_EQ(found, points) << "mission " << mission << " group " << group;
}

TEST(Rosters, GridRules) {
  std::set<std::pair<int, int>> m2g1, m2g2, m2g4, m3g2;
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 3; ++b) m2g1.insert({2880 + 50 * a, 1050 - 50 * b});
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 2; ++b) m2g2.insert({3450 + 50 * a, 3100 - 50 * b});
  for (int a = 0; a < 3; ++a) m2g4.insert({1920, 2560 - 30 * a});
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 3; ++b) m3g2.insert({1280 + 80 * a, 1664 - 80 * b});
  ExpectGrid(2, 1, AirCraft, m2g1);
  ExpectGrid(2, 2, AirCraft, m2g2);
  ExpectGrid(2, 4, AirCraft, m2g4);
  ExpectGrid(2, 3, Building, {{2976, 4100}, {3168, 4100}, {3072, 4162}});
  ExpectGrid(3, 2, Building, m3g2);
  std::set<std::pair<int, int>> m4parked;
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 3; ++b) m4parked.insert({2945 + 50 * a, 2588 - 50 * b});
  std::set<std::pair<int, int>> found;
  for (const TRosterEntry& e : MissionRoster(4))
    if (e.Class == AirCraft && e.Speed == 0) found.insert({static_cast<int>(e.Position.x), static_cast<int>(e.Position.y)});
  EXPECT_EQ(found, m4parked);
}

// Members of a group stand inside the box the mission's briefing gives for them.
TEST(Rosters, GroupsStayInTheirAreas) {
  struct TArea {
    int Mission, Group;
    TActorClass Class;
    float X0, X1, Y0, Y1;
  };
  const TArea areas[] = {
      {2, 1, Building, 2750, 3300, 1090, 1600}, {2, 2, Building, 3300, 3710, 2940, 3210},
      {2, 4, Building, 1780, 1895, 2430, 2570}, {3, 1, Baloon, 1150, 1630, 2590, 3330},
      {3, 2, Baloon, 1180, 1470, 1440, 1760},   {3, 3, Baloon, 2530, 3140, 900, 1150},
      {3, 5, Building, 2880, 3040, 2592, 2784}, {5, 1, Vehicle, 958, 1088, 3200, 3322},
      {5, 2, Building, 576, 768, 1728, 1856},   {5, 3, Vehicle, 1295, 1420, 1265, 1408},
      {5, 4, Trooper, 2400, 2530, 800, 896},    {5, 5, Vehicle, 3328, 3488, 3008, 3136},
      {5, 6, Building, 2208, 2368, 2432, 2592},
  };
  for (const TArea& a : areas)
    for (const TRosterEntry& e : MissionRoster(a.Mission)) {
      if (e.Group != a.Group || e.Class != a.Class) continue;
      EXPECT_TRUE(e.Position.x >= a.X0 && e.Position.x <= a.X1 && e.Position.y >= a.Y0 && e.Position.y <= a.Y1)
          << "mission " << a.Mission << " actor " << e.Index;
    }
}

TEST(Rosters, PairsShareTheirPointAndNameEachOther) {
  for (int mission = 1; mission <= 5; ++mission)
    for (const TRosterEntry& e : MissionRoster(mission)) {
      if (e.Class != Turret && e.Class != Baloon) {
        EXPECT_EQ(e.Partner, -1) << "mission " << mission << " actor " << e.Index;
        continue;
      }
      ASSERT_GE(e.Partner, 0);
      const TRosterEntry& p = At(mission, e.Partner);
      EXPECT_EQ(p.Partner, e.Index);
      EXPECT_EQ(p.Class, e.Class);
      EXPECT_EQ(p.Position, e.Position);
      EXPECT_EQ(p.Group, e.Group);
      const bool gun = std::string(e.Mesh).back() == 'a';
      EXPECT_EQ(e.Behaviour, gun ? Behave::Hunt : Behave::Live) << "mission " << mission << " actor " << e.Index;
      EXPECT_NE(gun, std::string(p.Mesh).back() == 'a');
    }
}

TEST(Rosters, SidesFollowTheClasses) {
  for (int mission = 1; mission <= 5; ++mission)
    for (const TRosterEntry& e : MissionRoster(mission)) {
      const std::string what = "mission " + std::to_string(mission) + " actor " + std::to_string(e.Index);
      EXPECT_EQ(e.Index, &e - MissionRoster(mission).data()) << what;
      if (e.Class == Building || e.Class == Lamp) EXPECT_EQ(e.Side, 0) << what;
      else if (e.Class == Camera || e.Class == Zeppelin || std::string(e.Mesh) == "ally1") EXPECT_EQ(e.Side, 1) << what;
      else EXPECT_EQ(e.Side, 2) << what;
      if (e.Target >= 0) EXPECT_LT(static_cast<size_t>(e.Target), MissionRoster(mission).size()) << what;
    }
  EXPECT_EQ(At(2, 0).Class, Camera);
  EXPECT_THROW(MissionRoster(0), std::out_of_range);
  EXPECT_THROW(MissionRoster(6), std::out_of_range);
}

TEST(Rosters, RowsTheMissionsNameByIndex) {
  // Mission 2: three fighters in a row over the outpost.
  for (int a = 0; a < 3; ++a) {
    const TRosterEntry& e = At(2, 57 + a);
    EXPECT_EQ(e.Class, AirCraft);
    ExpectNear(e.Position, 1792.0f + 50 * a, 2560, 200, "mission 2 row");
    ExpectNear(e.GuardPoint, 1792, 2560, 200, "mission 2 row guard");
    EXPECT_EQ(e.GuardRadius, 280);
  }
  for (const TRosterEntry& e : MissionRoster(2))
    if (e.Class == AirCraft && e.Group != 0) {
      EXPECT_EQ(e.Position.z, -100);
      EXPECT_EQ(e.Speed, 0);
      EXPECT_FALSE(e.CollideTerrain);
      EXPECT_FALSE(e.EngineOn);
    }
  // Mission 4: the two airships and the strafing pair.
  ExpectNear(At(4, 1).Position, 3584, 3968, 360, "zeppelin 1");
  EXPECT_EQ(At(4, 1).Life, 50);
  EXPECT_EQ(At(4, 1).HitDamage, 1);
  ExpectNear(At(4, 2).Position, 3680, 3870, 400, "zeppelin 2");
  EXPECT_FLOAT_EQ(At(4, 2).HitDamage, 0.2f);
  for (int i : {1, 2}) EXPECT_STREQ(At(4, i).Path, "l4m1.cap");
  ExpectNear(At(4, 66).Position, 3420, 3500, 360, "fighter 66");
  ExpectNear(At(4, 67).Position, 3465, 3500, 365, "fighter 67");
  for (int i : {66, 67}) {
    EXPECT_EQ(At(4, i).Target, 2);
    EXPECT_EQ(At(4, i).Behaviour, Behave::Strafe);
  }
  // Mission 5: lead vehicles, escorts and the allied pair.
  const std::pair<int, int> leads[] = {{2, 1}, {10, 3}, {36, 5}};
  for (const auto& [index, group] : leads) {
    EXPECT_EQ(At(5, index).Class, Vehicle);
    EXPECT_EQ(At(5, index).Group, group);
  }
  const std::pair<int, int> escorts[] = {{16, 1}, {17, 1}, {14, 3}, {15, 3}, {39, 5}, {40, 5}};
  for (const auto& [index, group] : escorts) {
    EXPECT_EQ(At(5, index).Class, AirCraft);
    EXPECT_STREQ(At(5, index).Mesh, "bad1");
    EXPECT_EQ(At(5, index).Group, group);
  }
  ExpectNear(At(5, 47).Position, 1632, 4320, 490, "ally 47");
  ExpectNear(At(5, 48).Position, 1760, 4320, 500, "ally 48");
  for (int i : {47, 48}) EXPECT_EQ(At(5, i).Behaviour, Behave::Defend);
  for (const TRosterEntry& e : MissionRoster(5))
    if (e.Class == Vehicle && e.Behaviour == Behave::DriveTo) {
      ExpectNear(e.GuardPoint, 2016, e.Index == 11 ? 2630.0f : 2624.0f, 300, "convoy destination");
      EXPECT_EQ(e.GuardRadius, 200);
    }
}

// A lead vehicle drives at the head of its column: nearest of its convoy to the destination.
TEST(Rosters, LeadVehiclesHeadTheirConvoys) {
  const TVector meet{2016, 2624, 0};
  for (const auto& [lead, group] : {std::pair{2, 1}, {10, 3}, {36, 5}}) {
    const float leadDistance = VectorLength(At(5, lead).Position - meet);
    for (const TRosterEntry& e : MissionRoster(5))
      if (e.Class == Vehicle && e.Group == group && e.Index != lead)
        EXPECT_GT(VectorLength(e.Position - meet), leadDistance) << "vehicle " << e.Index;
  }
}

}  // namespace
