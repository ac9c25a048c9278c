// ShadowTest.cpp — actors' shadows on the null table: which textures they take and share, the
// size and turn rules of the decal, the frustum test of dynamic shadows, and nothing at all
// made or drawn with shadows off.
#include "render/ShadowUnit.h"

#include "common/TempDir.h"
#include "core/ConfigUnit.h"
#include "core/FileIO.h"
#include "core/Frustum.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "platform/BmpCodec.h"
#include "platform/GLTable.h"
#include "render/MeshUnit.h"
#include "render/Surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float CellSize = 40;  // a lamp's largest shadow spans a handful of cells, as in the missions

void WriteBmp(const std::string& path, int bits) {
  std::vector<uint8_t> pixels(static_cast<size_t>(16 * bits / 8), 128), bytes;
  std::string error;
  const bool encoded =
      bits == 24 ? EncodeBmp24(pixels.data(), 4, 4, bytes, error) : EncodeBmp8(pixels.data(), 4, 4, bytes, error);
  ASSERT_TRUE(encoded) << error;
  WriteFileAtomic(path, bytes.data(), bytes.size());
}

// Planes that every point is inside of, or outside of.
TFrustum Everything(bool inside) {
  TFrustum f;
  for (TPlane& plane : f.planes) plane = {0, 0, 0, inside ? 1.0f : -1.0f};
  return f;
}

class Shadows : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    ClearTextureCache();
    SetAppDir(Dir.Str());
    std::filesystem::create_directories(Dir / "textures");
    WriteBmp(Dir / "textures/g.bmp", 24);
    for (const char* name : AlphaMapNames) WriteBmp(Dir / (std::string("textures/") + name), 8);
    Config = DefaultConfig();
    ScreenWidth = 1024;
    ScreenHeight = 768;
    // One flat cell at height 0, bordered into a plain some four thousand units wide.
    TSrf flat;
    flat.Width = flat.Height = 1;
    flat.CellSizeX = flat.CellSizeY = CellSize;
    flat.TextureNames = {"g.bmp"};
    flat.BlendFlags = {0};
    flat.Cells = {TSrfCell{}};
    Surface = std::make_unique<TSurf>(flat, TSurfSettings{});
  }
  void TearDown() override {
    Surface.reset();
    ClearTextureCache();
    ScreenWidth = ScreenHeight = 0;
    Config = DefaultConfig();
  }

  // The caster's mesh is empty: the null table draws nothing anyway.
  void Create(TShadow& shadow, const std::string& meshName, const TVector& position = {0, 0, 10}) {
    shadow.CreateShadow({Mesh, meshName, position, Identity}, {*Surface, Everything(true)});
  }

  // The edge of the last decal, from how its texture coordinates grow across one cell.
  float DecalEdge() const {
    const TDecalVertex& a = Surface->Decal[0];
    for (int32_t i = 1; i < Surface->DecalCount; ++i) {
      const TDecalVertex& b = Surface->Decal[i];
      if (b.Position.x != a.Position.x) return (b.Position.x - a.Position.x) / (b.TexCoord[0] - a.TexCoord[0]);
    }
    return 0;
  }

  TTempDir Dir;
  std::unique_ptr<TSurf> Surface;
  TMesh Mesh;
  TMatrix Identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

TEST(ShadowRules, TheDecalShrinksWithHeightAndIsClamped) {
  struct Case {
    int32_t scale;
    float height, maxSize, size;
  };
  const Case cases[] = {
      {32, 0, ShadowMaxSize, 48},        // an aircraft on the ground
      {32, 150, ShadowMaxSize, 24},
      {25, 100, ShadowMaxSize, 25},      // a trooper's scale
      {32, 300, ShadowMaxSize, 0},       // gone at the fade height
      {32, 450, ShadowMaxSize, 0},       // and above it
      {32, -600, ShadowMaxSize, 128},    // below the ground it stops growing
      {128, 0, ShadowMaxSize, 128},      // a zeppelin's would be 192
      {150, 0, LampShadowMaxSize, 150},  // a lamp's would be 225
      {150, 150, LampShadowMaxSize, 112.5f},
  };
  for (const Case& c : cases)
    EXPECT_FLOAT_EQ(ShadowDecalSize(c.scale, c.height, c.maxSize), c.size) << c.scale << " at " << c.height;
}

TEST(ShadowRules, AStaticShadowTurnsWithTheHeadingOfTheActorsZAxis) {
  struct Case {
    TVector axis;  // where the actor's +Z points in the world
    float degrees;
  };
  const float s = std::sqrt(0.5f);
  const Case cases[] = {
      {{0, -1, 0}, 0},  // as the static shadow was rendered
      {{-s, -s, 0}, 45},
      {{-1, 0, 0}, 90},
      {{0, 1, 0}, 180},
      {{1, 0, 0}, 270},
      {{s, -s, 0}, 315},
      {{-0.5f * s, -0.5f * s, 0.866f}, 45},  // nose tilted: the heading alone turns it
  };
  for (const Case& c : cases) {
    TMatrix m{1, 0, 0, 0, 0, 1, 0, 0, c.axis.x, c.axis.y, c.axis.z, 0, 0, 0, 0, 1};
    EXPECT_NEAR(ShadowHeading(m), c.degrees, 1e-3f) << c.axis.x << "," << c.axis.y;
  }
}

TEST_F(Shadows, StaticShadowsShareOneTexturePerMesh) {
  const size_t before = Textures.size();
  TShadow a(ShadowClass::Vehicle), b(ShadowClass::Vehicle), c(ShadowClass::Vehicle);
  Create(a, "Data/bad5");
  Create(b, "Data/bad5");
  Create(c, "Data/bad3");
  EXPECT_GE(a.ShadowTexture, 0);
  EXPECT_EQ(a.ShadowTexture, b.ShadowTexture);
  EXPECT_NE(a.ShadowTexture, c.ShadowTexture);
  EXPECT_EQ(Textures.size(), before + 2);
  EXPECT_EQ(TextureNames[a.ShadowTexture], "Data/bad5");
}

TEST_F(Shadows, DynamicShadowsTakeOneTextureEachNumberedInTurn) {
  TShadow a(ShadowClass::AirCraft), b(ShadowClass::AirCraft);
  Create(a, "Data/bad1");
  Create(b, "Data/bad1");
  ASSERT_GE(a.ShadowTexture, 0);
  ASSERT_GE(b.ShadowTexture, 0);
  EXPECT_NE(a.ShadowTexture, b.ShadowTexture);
  const std::string first = TextureNames[a.ShadowTexture], second = TextureNames[b.ShadowTexture];
  const size_t at = first.find("shdw");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(first.substr(at), "shdwData/bad1");
  EXPECT_EQ(second.substr(second.find("shdw")), "shdwData/bad1");
  EXPECT_EQ(std::stoi(second), std::stoi(first) + 1);
}

TEST_F(Shadows, ShadowsOffMakeDrawAndAllocateNothing) {
  for (const auto& [shadows, size] : {std::pair<uint8_t, int32_t>{0, 256}, {1, 0}}) {
    Config.Shadows = shadows;
    Config.ShadowMapSize = size;
    const TNullGLCounts before = NullGLCounts();
    const size_t textures = Textures.size();
    {
      TShadow shadow(ShadowClass::AirCraft);
      Create(shadow, "Data/bad1");
      EXPECT_EQ(shadow.ShadowTexture, -1);
      EXPECT_EQ(shadow.ClearList, 0u);
      EXPECT_FALSE(shadow.RenderShadow({Mesh, "Data/bad1", {0, 0, 10}, Identity}, {*Surface, Everything(true)}));
      shadow.DrawShadow({Mesh, "Data/bad1", {0, 0, 10}, Identity}, *Surface);
      EXPECT_EQ(Surface->DecalCount, 0);
      EXPECT_EQ(NullGLCounts().LiveLists, before.LiveLists);
    }
    EXPECT_EQ(Textures.size(), textures);
    EXPECT_EQ(NullGLCounts().LiveTextures, before.LiveTextures);
  }
}

TEST_F(Shadows, BuildingsCastNone) {
  TShadow building(ShadowClass::Building);
  Create(building, "Data/gen");
  EXPECT_EQ(building.ShadowTexture, -1);
  building.DrawShadow({Mesh, "Data/gen", {0, 0, 0}, Identity}, *Surface);
  EXPECT_EQ(Surface->DecalCount, 0);
}

TEST_F(Shadows, TheDecalLaidIsTheSizeRulesWithTheLampsLargerLimit) {
  struct Case {
    TShadowClass cls;
    float height, edge;
  };
  const Case cases[] = {
      {ShadowClass::Vehicle, 7, 0.005f * 32 * 293},
      {ShadowClass::AirCraft, 100, 0.005f * 32 * 200},
      {ShadowClass::Zeppelin, 0, ShadowMaxSize},
      {ShadowClass::Lamp, 0, LampShadowMaxSize},
  };
  for (const Case& c : cases) {
    TShadow shadow(c.cls);
    const TVector at{3, 4, c.height};
    Create(shadow, "Data/m", at);
    shadow.DrawShadow({Mesh, "Data/m", at, Identity}, *Surface);
    ASSERT_GT(Surface->DecalCount, 0);
    EXPECT_NEAR(DecalEdge(), c.edge, 1e-2f) << c.height;
  }
}

TEST_F(Shadows, NothingIsLaidFromTheFadeHeightUp) {
  TShadow shadow(ShadowClass::AirCraft);
  Create(shadow, "Data/bad1");
  shadow.DrawShadow({Mesh, "Data/bad1", {0, 0, ShadowFadeHeight}, Identity}, *Surface);
  EXPECT_EQ(Surface->DecalCount, 0);
}

TEST_F(Shadows, OnlyDynamicShadowsWaitForTheirGroundToBeInView) {
  const TFrustum nothing = Everything(false), everything = Everything(true);
  for (const TShadowClass& cls : {ShadowClass::AirCraft, ShadowClass::Turret, ShadowClass::Trooper}) {
    TShadow shadow(cls);
    Create(shadow, "Data/m");
    EXPECT_FALSE(shadow.RenderShadow({Mesh, "Data/m", {0, 0, 10}, Identity}, {*Surface, nothing}));
    EXPECT_TRUE(shadow.RenderShadow({Mesh, "Data/m", {0, 0, 10}, Identity}, {*Surface, everything}));
  }
  for (const TShadowClass& cls : {ShadowClass::Vehicle, ShadowClass::Lamp, ShadowClass::Zeppelin}) {
    TShadow shadow(cls);
    Create(shadow, "Data/s");
    EXPECT_TRUE(shadow.RenderShadow({Mesh, "Data/s", {0, 0, 10}, Identity}, {*Surface, nothing}));
  }
}

TEST_F(Shadows, ShadowsShareOneClearListFreedWithTheLast) {
  const int64_t lists = NullGLCounts().LiveLists;
  {
    std::vector<TShadow> shadows;
    for (int i = 0; i < 5; ++i) shadows.emplace_back(ShadowClass::Vehicle);  // grows by moving
    EXPECT_EQ(NullGLCounts().LiveLists, lists + 1);
    const GLuint list = shadows[4].ClearList;
    TShadow moved = std::move(shadows[0]);
    EXPECT_EQ(shadows[0].ClearList, 0u);
    shadows[1] = std::move(moved);
    shadows.erase(shadows.begin() + 2, shadows.end());  // three go; the moved-to one stays
    EXPECT_EQ(NullGLCounts().LiveLists, lists + 1);
    EXPECT_EQ(shadows[1].ClearList, list);
  }
  EXPECT_EQ(NullGLCounts().LiveLists, lists);
  TShadow again(ShadowClass::Vehicle);  // a list is built again after the last went
  EXPECT_NE(again.ClearList, 0u);
  EXPECT_EQ(NullGLCounts().LiveLists, lists + 1);
}

TEST_F(Shadows, TheMapFitsTheScreenItIsCopiedFrom) {
  EXPECT_EQ(ShadowMapSide(), 256);
  ScreenWidth = 320;
  ScreenHeight = 240;
  EXPECT_EQ(ShadowMapSide(), 128);
  ScreenWidth = 160;
  ScreenHeight = 120;
  EXPECT_EQ(ShadowMapSide(), 64);
}

}  // namespace
