// ModelTest.cpp — the game's models as the game will load them: every mesh reads back, its
// textures exist under the game's lookup rules, parameter files agree with the geometry, and
// each model fits the radius and the ground line its actor class assumes.
#include "content/Forge.h"
#include "content/Models.h"
#include "core/Error.h"
#include "core/IntFile.h"
#include "core/MshFile.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// Forged once per test process: the model meshes and parameter files under Data/.
const TTempDir& ForgedModels() {
  static std::unique_ptr<TTempDir> tree;
  if (!tree) {
    tree = std::make_unique<TTempDir>();
    RunForge(DefaultManifestPath(), tree->Str(), "model-mesh");
    RunForge(DefaultManifestPath(), tree->Str(), "model-params");
  }
  return *tree;
}

const TMsh& Mesh(const std::string& name) {
  static std::map<std::string, TMsh> meshes;
  auto it = meshes.find(name);
  if (it == meshes.end()) it = meshes.emplace(name, ReadMshFile(ForgedModels() / ("Data/" + name + ".msh"))).first;
  return it->second;
}

std::set<std::string> ManifestPaths() {
  std::set<std::string> paths;
  for (const TManifestEntry& e : ReadManifest(DefaultManifestPath())) paths.insert(e.Path);
  return paths;
}

float Length(const TVector& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// The farthest any vertex of any key frame gets from the origin, with the mesh moved by `offset`.
float Reach(const TMsh& mesh, const TVector& offset = {0, 0, 0}) {
  float r = 0;
  for (const TMshAnim& a : mesh.Anims)
    for (const TMshFrame& f : a.Frames)
      for (const TVector& v : f) r = std::max(r, Length(v + offset));
  return r;
}

struct TBounds {
  TVector Lo{1e30f, 1e30f, 1e30f}, Hi{-1e30f, -1e30f, -1e30f};
  bool Holds(const TVector& p, float margin) const {
    return p.x >= Lo.x - margin && p.x <= Hi.x + margin && p.y >= Lo.y - margin && p.y <= Hi.y + margin &&
           p.z >= Lo.z - margin && p.z <= Hi.z + margin;
  }
};

TBounds Bounds(const TMshFrame& frame) {
  TBounds b;
  for (const TVector& v : frame) {
    b.Lo = {std::min(b.Lo.x, v.x), std::min(b.Lo.y, v.y), std::min(b.Lo.z, v.z)};
    b.Hi = {std::max(b.Hi.x, v.x), std::max(b.Hi.y, v.y), std::max(b.Hi.z, v.z)};
  }
  return b;
}

// The distance from p to the nearest vertex of the frame.
float NearestVertex(const TMshFrame& frame, const TVector& p) {
  float best = 1e30f;
  for (const TVector& v : frame) best = std::min(best, Length(v - p));
  return best;
}

TVector Cross(const TVector& a, const TVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

}  // namespace

TEST(Models, EveryMeshTheManifestListsReadsBackAsBuilt) {
  const std::set<std::string> paths = ManifestPaths();
  std::set<std::string> built;
  for (const TModelDef& def : ModelDefs()) {
    built.insert(def.Name);
    EXPECT_TRUE(paths.count("Data/" + std::string(def.Name) + ".msh")) << def.Name << " is not in the manifest";
    const TMsh& mesh = Mesh(def.Name);
    EXPECT_EQ(mesh, def.Mesh()) << def.Name << " differs from a second build";
    EXPECT_GE(mesh.VertexCount(), 100u) << def.Name;
    EXPECT_LE(mesh.VertexCount(), 2500u) << def.Name << ": the game smooths normals in quadratic time";
  }
  for (const TManifestEntry& e : ReadManifest(DefaultManifestPath())) {
    if (e.Generator == "model-mesh") {
      EXPECT_TRUE(built.count(e.Path.substr(5, e.Path.size() - 9))) << e.Path;
    }
  }
}

TEST(Models, EveryGroupNamesATextureTheGameFinds) {
  const std::set<std::string> paths = ManifestPaths();
  for (const TModelDef& def : ModelDefs())
    for (const TMshGroup& g : Mesh(def.Name).Groups) {
      ASSERT_FALSE(g.Name.empty()) << def.Name;
      EXPECT_LE(g.Name.size(), 12u) << def.Name;
      const std::string base = g.Name.substr(0, g.Name.find('.'));
      // The game's order: .cna, then .bmp, then .jpg; and "b" + the whole name for relief.
      const bool found = paths.count("textures/" + base + ".cna") || paths.count("textures/" + base + ".bmp") ||
                         paths.count("textures/" + base + ".jpg");
      EXPECT_TRUE(found) << def.Name << ": no texture for group " << g.Name;
      EXPECT_TRUE(paths.count("textures/b" + g.Name)) << def.Name << ": no bump map for group " << g.Name;
    }
}

TEST(Models, TrianglesHaveAreaAndDebrisPiecesHoldTogether) {
  for (const TModelDef& def : ModelDefs()) {
    const TMsh& mesh = Mesh(def.Name);
    const TMshFrame& rest = mesh.RestPose();
    size_t pieces = 0, joined = 0;
    for (const TMshGroup& g : mesh.Groups) {
      for (size_t i = 0; i < g.VertexIndices.size(); i += 3) {
        const TVector& a = rest[g.VertexIndices[i]];
        EXPECT_GT(Length(Cross(rest[g.VertexIndices[i + 1]] - a, rest[g.VertexIndices[i + 2]] - a)), 0)
            << def.Name << " triangle " << i / 3;
      }
      // The game flies every nine corners apart as one piece: its three triangles should touch.
      for (size_t i = 0; i + 9 <= g.VertexIndices.size(); i += 9) {
        ++pieces;
        bool touching = true;
        for (int t = 1; t < 3 && touching; ++t) {
          bool shares = false;
          for (int k = 0; k < 3; ++k)
            for (int j = 0; j < 3 * t; ++j)
              shares |= Length(rest[g.VertexIndices[i + 3 * t + k]] - rest[g.VertexIndices[i + j]]) < 0.01f;
          touching = shares;
        }
        joined += touching ? 1 : 0;
      }
    }
    EXPECT_GE(joined * 10, pieces * 9) << def.Name << ": " << joined << " of " << pieces << " debris pieces hold together";
  }
}

TEST(Models, TrooperWalksInALoopAndFallsToLieOnTheGround) {
  const TMsh& trooper = Mesh("bad3");
  ASSERT_EQ(trooper.Anims.size(), 2u);
  EXPECT_GE(trooper.Anims[0].Frames.size(), 4u);
  EXPECT_GE(trooper.Anims[1].Frames.size(), 4u);
  // The reader holds every frame to the rest pose's vertex count; check it here all the same.
  for (const TMshAnim& a : trooper.Anims)
    for (const TMshFrame& f : a.Frames) EXPECT_EQ(f.size(), trooper.VertexCount());
  // Walking: the soles stay on the ground (the game stands the origin 5 above it) and the
  // frames differ, or nothing would move.
  for (const TMshFrame& f : trooper.Anims[0].Frames) {
    const TBounds b = Bounds(f);
    EXPECT_NEAR(b.Lo.y, -5.0f, 0.35f);
    EXPECT_GT(b.Hi.y, 6.0f);
  }
  EXPECT_NE(trooper.Anims[0].Frames[0], trooper.Anims[0].Frames[1]);
  // Falling: upright at first, flat on the ground at the end.
  const TBounds first = Bounds(trooper.Anims[1].Frames.front());
  const TBounds last = Bounds(trooper.Anims[1].Frames.back());
  EXPECT_GT(first.Hi.y, 6.0f);
  EXPECT_LT(last.Hi.y, -5.0f + 3.0f);
  EXPECT_GT(last.Lo.y, -5.0f - 0.5f);
  EXPECT_GT(last.Hi.z - last.Lo.z, 9.0f) << "lying at full length";
}

TEST(Models, ParameterFilesReadBackAndTheirPointsLieOnTheModel) {
  for (const char* name : {"ally1", "bad1"}) {
    const TAircraftParams p = ReadAircraftIntFile(ForgedModels() / ("Data/" + std::string(name) + ".int"));
    const TMshFrame& rest = Mesh(name).RestPose();
    const TBounds b = Bounds(rest);
    for (const TVector& point : {p.Gun1, p.Gun2, p.Exhaust1, p.Exhaust2}) {
      EXPECT_TRUE(b.Holds(point, 0.5f)) << name << ": (" << point.x << ", " << point.y << ", " << point.z << ")";
      EXPECT_LT(NearestVertex(rest, point), 1.0f) << name << ": a gun or exhaust in mid-air";
    }
    EXPECT_LT(std::max(p.Gun1.z, p.Gun2.z), 0) << name << ": guns point along -z, ahead";
    EXPECT_GT(std::min(p.Exhaust1.z, p.Exhaust2.z), 0) << name << ": exhausts are behind";
    EXPECT_NEAR(p.Speed, 0.06f, 0.01f) << name << ": near the player's cruise";
    EXPECT_LE(Reach(Mesh(name)), p.Radius) << name;
    EXPECT_LT(p.CollisionRadius, p.Radius) << name;
  }
  const TAirshipParams ship = ReadAirshipIntFile(ForgedModels() / "Data/ally2.int");
  EXPECT_LE(std::max(Reach(Mesh("ally2")), Reach(Mesh("ally2a"), AirshipPropellerHub)), ship.Radius);
  EXPECT_GE(ship.Radius, 80);
  EXPECT_LE(ship.Radius, 120);
  const TAircraftParams fighter = ReadAircraftIntFile(ForgedModels() / "Data/bad1.int");
  EXPECT_GT(ship.CollisionRadius, fighter.CollisionRadius) << "a fighter's sweep is tested against the hull";
  EXPECT_GT(ship.Life / ship.HitDamage, 4 * fighter.Life / fighter.HitDamage) << "an airship outlasts fighters";
  for (const char* name : {"build1l", "build1m", "gen"}) {
    const TBuildingParams p = ReadBuildingIntFile(ForgedModels() / ("Data/" + std::string(name) + ".int"));
    EXPECT_LE(Reach(Mesh(name)), p.Radius) << name;
    EXPECT_EQ(p.Side, 0) << name << ": buildings are neutral";
    EXPECT_GT(p.Life / p.HitDamage, fighter.Life / fighter.HitDamage) << name << " takes more than a fighter";
  }
}

TEST(Models, FixedRadiiOfTheClassesWithoutParameterFilesHold) {
  // Radii the actor classes set in code.
  const std::pair<const char*, float> fixed[] = {{"turret", 50},  {"turreta", 50}, {"lamp", 120}, {"bad3", 10},
                                                 {"bad4", 170},   {"bad4a", 170},  {"rocket", 4}, {"bad5", 30}};
  for (const auto& [name, radius] : fixed) EXPECT_LE(Reach(Mesh(name)), radius) << name;
  // The vehicle's wheels hang at fixed offsets: they must fit too, and touch the ground 7 below.
  const TVector wheels[4] = {{-7.7f, -3.5f, -9.9f}, {7.7f, -3.5f, -9.9f}, {7.7f, -3.5f, 9.9f}, {-7.7f, -3.5f, 9.9f}};
  for (const TVector& w : wheels) EXPECT_LE(Reach(Mesh("bad5a"), w), 30.0f);
  EXPECT_NEAR(Bounds(Mesh("bad5a").RestPose()).Lo.y - 3.5f, -7.0f, 0.1f);
  EXPECT_GT(Bounds(Mesh("bad5").RestPose()).Lo.y, -7.0f) << "the body clears the ground";
}

TEST(Models, PartsSitWhereTheGameDrawsThem) {
  // Ground units and lamps stand on their origin.
  for (const char* name : {"turret", "build1l", "build1m", "gen", "lamp"})
    EXPECT_NEAR(Bounds(Mesh(name).RestPose()).Lo.y, 0.0f, 0.01f) << name;
  // The lamp's bulb hangs at x 23, y 95.
  EXPECT_LT(NearestVertex(Mesh("lamp").RestPose(), {23, 95, 0}), 0.6f);
  const TBounds lamp = Bounds(Mesh("lamp").RestPose());
  EXPECT_NEAR(lamp.Hi.y, 99, 2);
  // The launcher's missiles leave 40 ahead and 15 up: the tubes look that way and end short of it.
  const TBounds launcher = Bounds(Mesh("turreta").RestPose());
  EXPECT_GT(launcher.Lo.z, -40.0f);
  EXPECT_LT(launcher.Lo.z, -10.0f);
  EXPECT_TRUE(launcher.Holds({0, 15, 0}, 0)) << "the launch height is within the launcher";
  // The balloon gun's muzzles: barrels at x = +-3, level with the origin, ending 20 ahead.
  const TMshFrame& gun = Mesh("bad4a").RestPose();
  EXPECT_LT(NearestVertex(gun, {3, 0, -20}), 0.7f);
  EXPECT_LT(NearestVertex(gun, {-3, 0, -20}), 0.7f);
  EXPECT_GT(Bounds(gun).Lo.z, -20.5f);
  // The body floats above its gun, clear of the barrels.
  EXPECT_GT(Bounds(Mesh("bad4").RestPose()).Lo.y, 5.0f);
  // The propeller turns about its own z at the hub, and clears the airship's hull and gondola.
  const TBounds prop = Bounds(Mesh("ally2a").RestPose());
  EXPECT_LT(std::fabs(prop.Hi.x + prop.Lo.x), 1.0f);
  EXPECT_LT(prop.Hi.z - prop.Lo.z, 6.0f) << "a disc across z";
  const float bladeTip = std::max(prop.Hi.y, -prop.Lo.y);
  EXPECT_LT(AirshipPropellerHub.y + bladeTip, -26.5f) << "blade tips below the envelope";
  // The rocket points along -z, as missiles fly.
  const TBounds rocket = Bounds(Mesh("rocket").RestPose());
  EXPECT_GT(rocket.Hi.z - rocket.Lo.z, 7.0f);
}

TEST(Models, TexturesArePowersOfTwoWithBumpsFacingOut) {
  for (const TModelTextureDef& def : ModelTextureDefs()) {
    const TPaintedTexture t = def.Paint();
    auto powerOfTwo = [](int n) { return n > 0 && (n & (n - 1)) == 0; };
    EXPECT_TRUE(powerOfTwo(t.Color.Width) && powerOfTwo(t.Color.Height)) << def.Name;
    EXPECT_EQ(t.Bump.Width, t.Color.Width) << def.Name;
    EXPECT_EQ(t.Bump.Height, t.Color.Height) << def.Name;
    // Normals point out of the surface: blue (z) is the largest channel on average.
    double r = 0, g = 0, b = 0;
    for (size_t i = 0; i < t.Bump.Pixels.size(); i += 4)
      r += t.Bump.Pixels[i], g += t.Bump.Pixels[i + 1], b += t.Bump.Pixels[i + 2];
    const double n = t.Bump.Pixels.size() / 4.0;
    EXPECT_NEAR(r / n, 128, 12) << def.Name;
    EXPECT_NEAR(g / n, 128, 12) << def.Name;
    EXPECT_GT(b / n, 230) << def.Name;
  }
}
