// ViewerSceneTest.cpp — what the viewer's actors and test explosion hand the light buffer and
// the particle pool, on the null table: lamps light their surroundings from the lamp head, the
// explosion bursts once and its light fades out over a second.
#include "app/ViewerActors.h"
#include "app/ViewerExplosion.h"

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
#include <vector>

namespace {

class ViewerScene : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    SetAppDir(QUINTARA_GAME_DIR);
    Counter.Elapsed = 100;
    if (!std::filesystem::exists(DataDir + "lamp.msh")) GTEST_SKIP() << "no data forged";
  }
  void TearDown() override {
    ClearMeshCache();
    ClearTextureCache();
  }

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
  const TSurf surface(DataDir + MissionSettings(2).Terrain, TSurfSettings{});
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
  const TSurf surface(DataDir + MissionSettings(2).Terrain, TSurfSettings{});
  TViewerActors actors(std::span<const TRosterEntry>(&lamp, 1), surface, DataDir, LightSpaceMatrix);
  TMeshScene scene;
  actors.Draw({Everything, {0, 0, 200}, 750, false, scene, Particles, Lights});
  EXPECT_EQ(actors.Drawn, 0);
  EXPECT_EQ(Lights.Count, 0);
  EXPECT_EQ(Particles.ActiveCount(), 0);
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

}  // namespace
