// LightTest.cpp — the per-frame light table: pools on the ground, the 101-light limit, the
// double buffer and which lights an object gets.
#include "core/Globals.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "render/LightUnit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Flat ground at a fixed height that records every decal drawn on it.
class TFlatGround : public TLightGround {
public:
  explicit TFlatGround(float height) : Height(height) {}
  TVector GroundPoint(const TVector& p) const override { return {p.x, p.y, Height}; }
  void DrawLightDecal(int32_t texture, bool additive, float x, float y, float sizeX, float sizeY,
                      const float colour[4]) override {
    Decals.push_back({texture, additive, x, y, sizeX, sizeY, {colour[0], colour[1], colour[2], colour[3]}});
  }

  struct TDecal {
    int32_t Texture;
    bool Additive;
    float X, Y, SizeX, SizeY;
    float Colour[4];
  };
  float Height;
  std::vector<TDecal> Decals;
};

constexpr int32_t PoolTexture = 9;
const TVector Grey{0.9f, 0.9f, 0.9f};

TEST(LightPool, SizeAndAlphaByHeightAboveTheGround) {
  struct TCase {
    float Height, Falloff, Range, Size, Alpha;
  };
  const TCase cases[] = {
      {0, 0.03f, 350, 128, 0.5f},             // a lamp on the ground: 350 clamped to 128
      {300, 0.03f, 350, 50, 50.0f / 350 - 0.5f},  // 50 * (1 / 0.03) * 0.03
      {10, 0.5f, 20, 0.6f, 0.0f},             // an aircraft's light, 10 above the ground
      {0, 0.5f, 20, 1.2f, 0.5f},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(testing::Message() << test.Height << " " << test.Falloff << " " << test.Range);
    const TLightPool pool = LightPoolSize(test.Height, test.Falloff, test.Range);
    EXPECT_NEAR(pool.Size, test.Size, 1e-4);
    EXPECT_NEAR(pool.Alpha, test.Alpha, 1e-6);
  }
}

TEST(LightBuffer, CreationLoadsTheSparkleAndStartsEmpty) {
  LoadNullGLTable();
  SetAppDir(QUINTARA_GAME_DIR);
  {
    TLightBuffer lights(nullptr);
    EXPECT_EQ(TextureNames[static_cast<size_t>(lights.PoolTexture)], "sparkle.cna");
    EXPECT_EQ(lights.Count, 0);
    EXPECT_EQ(lights.PreviousCount, 0);
    EXPECT_EQ(lights.WriteBuffer, lights.Buffers[0].data());
    EXPECT_EQ(lights.ReadBuffer, lights.Buffers[1].data());
  }
  ClearTextureCache();
}

TEST(LightBuffer, AddLightDrawsItsPoolAtOnceAndRecordsTheLight) {
  TFlatGround ground(100);
  TLightBuffer lights(&ground, PoolTexture);
  lights.AddLight({10, 20, 100}, {1, 0.5f, 0.25f}, 0.03f, 350);
  ASSERT_EQ(ground.Decals.size(), 1u);
  const auto& decal = ground.Decals[0];
  EXPECT_EQ(decal.Texture, PoolTexture);
  EXPECT_TRUE(decal.Additive);
  EXPECT_EQ(decal.X, 10);
  EXPECT_EQ(decal.Y, 20);
  EXPECT_FLOAT_EQ(decal.SizeX, 128);
  EXPECT_FLOAT_EQ(decal.SizeY, 128);
  EXPECT_EQ(decal.Colour[0], 1);
  EXPECT_EQ(decal.Colour[1], 0.5f);
  EXPECT_EQ(decal.Colour[2], 0.25f);
  EXPECT_FLOAT_EQ(decal.Colour[3], 0.5f);

  EXPECT_EQ(lights.Count, 1);
  EXPECT_EQ(lights.WriteBuffer[0].Position, (TVector{10, 20, 100}));
  EXPECT_EQ(lights.WriteBuffer[0].Falloff, 0.03f);
  EXPECT_EQ(lights.WriteBuffer[0].Range, 350);
}

TEST(LightBuffer, LightAboveItsRangeLaysNoPool) {
  TFlatGround ground(0);
  TLightBuffer lights(&ground, PoolTexture);
  lights.AddLight({0, 0, 400}, Grey, 0.03f, 350);
  EXPECT_TRUE(ground.Decals.empty());
  EXPECT_EQ(lights.Count, 1);  // it still lights meshes near it
}

TEST(LightBuffer, WithoutGroundOnlyTheTableIsFilled) {
  TLightBuffer lights(nullptr, PoolTexture);
  lights.AddLight({0, 0, 0}, Grey, 0.5f, 20);
  EXPECT_EQ(lights.Count, 1);
}

TEST(LightBuffer, MoreThan101LightsAreDroppedNeverWrittenPastTheTable) {
  TFlatGround ground(0);
  TLightBuffer lights(&ground, PoolTexture);
  // Mark the other buffer, which lies right after the one written first.
  for (TLight& light : lights.Buffers[1]) light.Range = -1;
  for (int i = 0; i < 110; ++i) lights.AddLight({static_cast<float>(i), 0, 0}, Grey, 0.5f, 20);
  EXPECT_EQ(lights.Count, 101);
  EXPECT_EQ(lights.Dropped, 9);
  EXPECT_EQ(lights.WriteBuffer[100].Position.x, 100);
  for (const TLight& light : lights.Buffers[1]) ASSERT_EQ(light.Range, -1);
  EXPECT_EQ(ground.Decals.size(), 110u);  // pools touch no table

  lights.SwapBuffers();
  EXPECT_EQ(lights.PreviousCount, 101);
  lights.AddLight({0, 0, 0}, Grey, 0.5f, 20);
  EXPECT_EQ(lights.Count, 1);
}

TEST(LightBuffer, SwapExchangesTheBuffersAndStartsAnEmptyFrame) {
  TLightBuffer lights(nullptr, PoolTexture);
  TLight* const first = lights.WriteBuffer;
  TLight* const second = lights.ReadBuffer;
  EXPECT_EQ(first, lights.Buffers[0].data());
  EXPECT_EQ(second, lights.Buffers[1].data());
  lights.AddLight({1, 0, 0}, Grey, 0.5f, 20);
  lights.AddLight({2, 0, 0}, Grey, 0.5f, 20);
  lights.SwapBuffers();
  EXPECT_EQ(lights.PreviousCount, 2);
  EXPECT_EQ(lights.Count, 0);
  EXPECT_EQ(lights.ReadBuffer, first);
  EXPECT_EQ(lights.WriteBuffer, second);
  // The next frame writes into the buffer that was read during the frame before.
  lights.AddLight({3, 0, 0}, Grey, 0.5f, 20);
  EXPECT_EQ(second[0].Position.x, 3);
  EXPECT_EQ(first[0].Position.x, 1);
  lights.SwapBuffers();
  EXPECT_EQ(lights.PreviousCount, 1);
  EXPECT_EQ(lights.ReadBuffer, second);
}

std::vector<float> ChosenX(const TLightBuffer& lights, const TVector& at) {
  const TLight* chosen[MaxLightsPerObject];
  const int32_t count = lights.SelectLights(at, chosen);
  std::vector<float> xs;
  for (int32_t k = 0; k < count; ++k) xs.push_back(chosen[k]->Position.x);
  for (int32_t k = count; k < MaxLightsPerObject; ++k) EXPECT_EQ(chosen[k], nullptr);
  return xs;
}

TEST(LightSelection, FirstFourInRangeOfThePreviousFrameInTheOrderAdded) {
  TLightBuffer lights(nullptr, PoolTexture);
  lights.AddLight({50, 0, 0}, Grey, 0.5f, 20);   // out of range: 50 from the object
  lights.AddLight({15, 0, 0}, Grey, 0.5f, 20);
  lights.AddLight({5, 0, 0}, Grey, 0.5f, 20);
  lights.AddLight({20, 0, 0}, Grey, 0.5f, 20);   // exactly at its range: not lit
  lights.AddLight({-3, 0, 0}, Grey, 0.5f, 20);
  lights.AddLight({1, 0, 0}, Grey, 0.5f, 20);    // nearest, but the fifth in range
  lights.AddLight({-1, 0, 0}, Grey, 0.5f, 20);
  // Lights of the current frame are not used yet.
  EXPECT_TRUE(ChosenX(lights, {0, 0, 0}).empty());
  lights.SwapBuffers();
  EXPECT_EQ(ChosenX(lights, {0, 0, 0}), (std::vector<float>{15, 5, -3, 1}));
  // This frame's additions do not disturb what the previous frame chose.
  lights.AddLight({0, 0, 0}, Grey, 0.5f, 20);
  EXPECT_EQ(ChosenX(lights, {0, 0, 0}), (std::vector<float>{15, 5, -3, 1}));
}

TEST(LightSelection, RangeSmallerThanTheDistanceDoesNotLight) {
  TLightBuffer lights(nullptr, PoolTexture);
  lights.AddLight({0, 0, 0}, Grey, 0.03f, 350);
  lights.AddLight({0, 30, 40}, Grey, 0.5f, 49.9f);  // 50 away
  lights.AddLight({0, 30, 40}, Grey, 0.5f, 50.1f);
  lights.SwapBuffers();
  EXPECT_EQ(ChosenX(lights, {0, 0, 0}).size(), 2u);
  EXPECT_EQ(ChosenX(lights, {0, 0, 349}).size(), 1u);
  EXPECT_TRUE(ChosenX(lights, {0, 0, 400}).empty());
}

}  // namespace
