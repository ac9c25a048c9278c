// ViewerSceneTest.cpp — what the viewer's test explosion hands the light buffer and the particle
// pool, on the null table: it bursts once and its light fades out over a second.
#include "app/ViewerExplosion.h"

#include "core/Frustum.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "render/LightUnit.h"
#include "render/ParticleUnit.h"

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
    if (!std::filesystem::exists(TextureDir + "exp.str")) GTEST_SKIP() << "no data forged";
  }
  void TearDown() override { ClearTextureCache(); }

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
