// ViewerSceneTest.cpp — what the viewer's actors and test explosion hand the light buffer and
// the particle pool, on the null table: lamps light their surroundings from the lamp head, the
// explosion bursts once and its light fades out over a second; which shadows the actors cast
// and which of them the frame renders again.
#include "app/ViewerActors.h"
#include "app/ViewerExplosion.h"

#include "core/ConfigUnit.h"
#include "core/CapFile.h"
#include "core/MotionUnit.h"
#include "levels/MissionRoster.h"
#include "core/Frustum.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "levels/MissionSettings.h"
#include "platform/GLTable.h"
#include "render/LightUnit.h"
#include "render/ParticleUnit.h"
#include "render/SceneGlobals.h"
#include "render/Surface.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

class ViewerScene : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    SetAppDir(QUINTARA_GAME_DIR);
    Counter.Elapsed = 100;
    SavedConfig = Config;
    if (!std::filesystem::exists(DataDir + "lamp.msh")) GTEST_SKIP() << "no data forged";
  }
  void TearDown() override {
    ClearMeshCache();
    ClearTextureCache();
    Config = SavedConfig;
  }

  TConfig SavedConfig{};

  // Planes that every point is inside of: every sphere counts as visible.
  TFrustum Everything = [] {
    TFrustum f;
    for (TPlane& plane : f.planes) plane = {0, 0, 0, 1};
    return f;
  }();
  TMatrix Camera{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  TLightBuffer Lights{nullptr, 0};
  TParticleSystem Particles{{&Camera, &Everything}, 1000, {0, 0, -0.01f}};
};

TEST_F(ViewerScene, ALampShinesFromItsHeadInItsOwnColour) {
  TRosterEntry lamp;
  lamp.Class = TActorClass::Lamp;
  lamp.Mesh = "lamp";
  lamp.Position = {2840, 1090, 0};
  lamp.Angles = {-1.5708f, 0, 0};
  lamp.LampColor = {1, 0.5f, 0.25f};
  TSurf surface(DataDir + MissionSettings(2).Terrain, TSurfSettings{});
  TViewerActors actors(std::span<const TRosterEntry>(&lamp, 1), surface, DataDir, LightSpaceMatrix);
  TMeshScene scene;
  actors.Draw({Everything, {2840, 900, 200}, 1000, false, scene, Particles, Lights});

  EXPECT_EQ(actors.Drawn, 1);
  ASSERT_EQ(Lights.Count, 1);
  const TLight& light = Lights.WriteBuffer[0];
  const float ground = surface.GroundHeight(2840, 1090);
  // Standing upright, the lamp's own X is the world's and its Y is up.
  EXPECT_NEAR(light.Position.x, 2840 + 35, 1e-2f);
  EXPECT_NEAR(light.Position.y, 1090, 1e-2f);
  EXPECT_NEAR(light.Position.z, ground + 90, 1e-2f);
  EXPECT_EQ(light.Color, lamp.LampColor);
  EXPECT_EQ(light.Falloff, 0.03f);
  EXPECT_EQ(light.Range, 350.0f);
  // And its glow, one frame long, in the same colour.
  ASSERT_EQ(Particles.ActiveCount(), 1);
  EXPECT_EQ(Particles.ActiveList->Color[1], 0.5f);
  EXPECT_EQ(Particles.ActiveList->AlphaDecay, 1.0f);
}

TEST_F(ViewerScene, ActorsBeyondTheViewRangeAreNeitherDrawnNorLit) {
  TRosterEntry lamp;
  lamp.Class = TActorClass::Lamp;
  lamp.Mesh = "lamp";
  lamp.Position = {2840, 1090, 0};
  lamp.Angles = {-1.5708f, 0, 0};
  TSurf surface(DataDir + MissionSettings(2).Terrain, TSurfSettings{});
  TViewerActors actors(std::span<const TRosterEntry>(&lamp, 1), surface, DataDir, LightSpaceMatrix);
  TMeshScene scene;
  actors.Draw({Everything, {0, 0, 200}, 750, false, scene, Particles, Lights});
  EXPECT_EQ(actors.Drawn, 0);
  EXPECT_EQ(Lights.Count, 0);
  EXPECT_EQ(Particles.ActiveCount(), 0);
}

TRosterEntry Entry(TActorClass cls, const char* mesh, const TVector& position, bool engineOn = true) {
  TRosterEntry e;
  e.Class = cls;
  e.Mesh = mesh;
  e.Position = position;
  e.Angles = {-1.5708f, 0, 0};
  e.EngineOn = engineOn;
  return e;
}

TEST(ViewerShadows, EachClassCastsTheShadowItsConstructorSets) {
  struct Case {
    TActorClass cls;
    bool engineOn;
    TShadowKind kind;
    int32_t mode;
    float distance;
    int32_t scale;
  };
  const Case cases[] = {
      {TActorClass::Camera, true, TShadowKind::Base, ShadowDynamic, 60, 32},
      {TActorClass::AirCraft, true, TShadowKind::Base, ShadowDynamic, 60, 32},
      {TActorClass::AirCraft, false, TShadowKind::Base, ShadowStatic, 60, 32},  // parked
      {TActorClass::Turret, true, TShadowKind::Turret, ShadowDynamic, 75, 37},
      {TActorClass::Trooper, true, TShadowKind::Trooper, ShadowDynamic, 240, 25},
      {TActorClass::Vehicle, true, TShadowKind::Base, ShadowStatic, 50, 32},
      {TActorClass::Lamp, true, TShadowKind::Lamp, ShadowStatic, 270, 150},
      {TActorClass::Zeppelin, true, TShadowKind::Base, ShadowStatic, 240, 128},
      {TActorClass::Baloon, true, TShadowKind::Base, ShadowStatic, 180, 40},
      {TActorClass::Building, true, TShadowKind::Base, ShadowNone, 60, 32},
  };
  for (const Case& c : cases) {
    const TShadowClass shadow = ShadowClassOf(Entry(c.cls, "m", {}, c.engineOn));
    const int cls = static_cast<int>(c.cls);
    EXPECT_EQ(shadow.Kind, c.kind) << cls;
    EXPECT_EQ(shadow.ShadowMode, c.mode) << cls;
    EXPECT_EQ(shadow.ShadowDistance, c.distance) << cls;
    EXPECT_EQ(shadow.ShadowScale, c.scale) << cls;
  }
}

// Two parked fighters, one flying above them and a building, on mission 2's airfield.
std::vector<TRosterEntry> Airfield() {
  return {Entry(TActorClass::AirCraft, "bad1", {2880, 1050, -100}, false),
          Entry(TActorClass::AirCraft, "bad1", {2930, 1050, -100}, false),
          Entry(TActorClass::AirCraft, "bad1", {2900, 1100, 200}),
          Entry(TActorClass::Building, "gen", {3000, 1200, 0})};
}

TEST_F(ViewerScene, ParkedFightersShareAStaticShadowAndAFlyingOneHasItsOwn) {
  Config = DefaultConfig();
  TSurf surface(DataDir + MissionSettings(2).Terrain, TSurfSettings{});
  const std::vector<TRosterEntry> roster = Airfield();
  TViewerActors actors(roster, surface, DataDir, LightSpaceMatrix);
  const std::vector<TViewerActor>& a = actors.Actors;
  EXPECT_GE(a[0].Shadow.ShadowTexture, 0);
  EXPECT_EQ(a[0].Shadow.ShadowTexture, a[1].Shadow.ShadowTexture);
  EXPECT_EQ(TextureNames[a[0].Shadow.ShadowTexture], DataDir + "bad1");
  EXPECT_GE(a[2].Shadow.ShadowTexture, 0);
  EXPECT_NE(a[2].Shadow.ShadowTexture, a[0].Shadow.ShadowTexture);
  EXPECT_NE(TextureNames[a[2].Shadow.ShadowTexture].find("shdw" + DataDir + "bad1"), std::string::npos);
  EXPECT_EQ(a[3].Shadow.ShadowTexture, -1);
}

TEST_F(ViewerScene, OnlyDynamicShadowsNearTheEyeAreRenderedEachFrame) {
  Config = DefaultConfig();
  TSurf surface(DataDir + MissionSettings(2).Terrain, TSurfSettings{});
  const std::vector<TRosterEntry> roster = Airfield();
  TViewerActors actors(roster, surface, DataDir, LightSpaceMatrix);
  actors.RenderShadows({2900, 1000, 300}, Everything);
  EXPECT_EQ(actors.ShadowsRendered, 1);  // the flying fighter's
  actors.RenderShadows({2900, 1000 - DynamicShadowRange, 200}, Everything);
  EXPECT_EQ(actors.ShadowsRendered, 0);
}

TEST_F(ViewerScene, WithShadowsOffNoActorTakesAShadowTexture) {
  Config = DefaultConfig();
  Config.Shadows = 0;
  TSurf surface(DataDir + MissionSettings(2).Terrain, TSurfSettings{});
  const size_t terrain = Textures.size();
  const std::vector<TRosterEntry> roster = Airfield();
  TViewerActors actors(roster, surface, DataDir, LightSpaceMatrix);
  for (const TViewerActor& actor : actors.Actors) EXPECT_EQ(actor.Shadow.ShadowTexture, -1);
  for (size_t i = terrain; i < TextureNames.size(); ++i) {
    EXPECT_EQ(TextureNames[i].find("shdw"), std::string::npos) << TextureNames[i];
    EXPECT_NE(TextureNames[i], DataDir + "bad1");
  }
  actors.RenderShadows({2900, 1000, 300}, Everything);
  EXPECT_EQ(actors.ShadowsRendered, 0);
}

TEST_F(ViewerScene, AnExplosionBurstsOnceAndItsLightFadesOutOverASecond) {
  TViewerExplosion explosion;
  explosion.Frame(Particles, Lights, Everything);
  EXPECT_EQ(Particles.ActiveCount(), 0);
  EXPECT_EQ(Lights.Count, 0);

  const TVector at{100, 200, 300};
  explosion.Start(at);
  explosion.Frame(Particles, Lights, Everything);
  const int32_t burst = Particles.ActiveCount();
  EXPECT_GT(burst, 30);  // the flash, the sparks and the smoke
  ASSERT_EQ(Lights.Count, 1);
  EXPECT_EQ(Lights.WriteBuffer[0].Position, at);
  EXPECT_EQ(Lights.WriteBuffer[0].Color, (TVector{1, 1, 0.9f}));

  std::vector<float> brightness;
  for (int frame = 0; frame < 12; ++frame) {
    Lights.SwapBuffers();
    explosion.Frame(Particles, Lights, Everything);
    if (Lights.Count > 0) brightness.push_back(Lights.WriteBuffer[0].Color.x);
  }
  // Only the flash comes again; the light dims a tenth every 100 ms and is gone after a second.
  EXPECT_LE(Particles.ActiveCount(), burst + 12);
  EXPECT_GE(brightness.size(), 9u);
  EXPECT_LE(brightness.size(), 10u);
  for (size_t i = 1; i < brightness.size(); ++i) EXPECT_LT(brightness[i], brightness[i - 1]);
  EXPECT_EQ(Lights.Count, 0);
}

// Played as the mission plays them: each airship of mission 1 takes its path's pose moved by its
// own offset, frame by frame, while the player's aircraft waits where it was placed.
TEST_F(ViewerScene, AirshipsFlyTheirRecordedPathsAndThePlayerWaits) {
  const std::span<const TRosterEntry> roster = MissionRoster(1).first(3);
  TSurf surface(DataDir + MissionSettings(1).Terrain, TSurfSettings{});
  TViewerActors actors(roster, surface, DataDir, LightSpaceMatrix);
  actors.StartPaths();
  const std::vector<TMotionSample> samples = ReadCapFile(DataDir + "l1m1.cap");
  Counter.Elapsed = 330;  // ten samples a frame
  for (int frame = 0; frame < 3; ++frame) {
    actors.FollowPaths();
    for (int ship : {1, 2}) {
      const TVector expected = samples[static_cast<size_t>(frame * 10 + (frame == 0 ? 1 : 0))].Position +
                               roster[static_cast<size_t>(ship)].PathOffset;
      const TVector at = actors.Actors[static_cast<size_t>(ship)].Place.Position;
      EXPECT_NEAR(VectorLength(at - expected), 0, 1e-3f) << "airship " << ship << " frame " << frame;
    }
    EXPECT_EQ(actors.Actors[0].Place.Position, roster[0].Position);
  }
  ClearMotionCache();
}

}  // namespace
