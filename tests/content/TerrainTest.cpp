// TerrainTest.cpp — the missions' terrain: every grid loads into the game's terrain, stays in
// its height range, holds level pads under the bases and clear valleys, and the ground
// textures, bump maps and seam masks fit together.
#include "content/ArtGround.h"
#include "content/Forge.h"
#include "content/TerrainForge.h"
#include "core/Globals.h"
#include "core/ImageConvert.h"
#include "core/SrfFile.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "render/Surface.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace {

constexpr int MissionCount = 5;
constexpr float HighestGround = 430;  // units; mountains reach about 400
constexpr float FightingFloor = 300;  // the missions fly at 300..500

// The terrain files with their textures and masks, forged once per test process.
const TTempDir& TerrainTree() {
  static std::unique_ptr<TTempDir> tree;
  if (!tree) {
    tree = std::make_unique<TTempDir>();
    for (const char* generator : {"ground-texture", "seam-mask", "terrain", "radar-map"})
      RunForge(DefaultManifestPath(), tree->Str(), generator);
  }
  return *tree;
}

std::string LevelPath(int mission) { return TerrainTree() / ("Data/lev" + std::to_string(mission) + ".srf"); }

class Terrain : public ::testing::TestWithParam<int> {
protected:
  void SetUp() override {
    LoadNullGLTable();
    ClearTextureCache();
    SetAppDir(TerrainTree().Str());
  }
  void TearDown() override { ClearTextureCache(); }

  std::unique_ptr<TSurf> Load(int mission) {
    TSurfSettings settings;
    settings.BumpMapping = true;  // the bump maps and their seams are built too
    settings.TextureScale = mission == 1 ? 1.0f : 2.0f;
    return std::make_unique<TSurf>(LevelPath(mission), settings);
  }
};

TEST_P(Terrain, FileValidatesAndBuildsTheGameTerrain) {
  const TSrf srf = ReadSrfFile(LevelPath(GetParam()));
  EXPECT_LE(srf.Width, SrfMaxSide);
  EXPECT_LE(srf.Height, SrfMaxSide);
  EXPECT_GE(srf.Width * srf.CellSizeX, 4000.0f);  // the rosters use 0..4400
  EXPECT_GE(srf.Height * srf.CellSizeY, 4000.0f);
  const std::unique_ptr<TSurf> surface = Load(GetParam());
  EXPECT_EQ(surface->Width, srf.Width + 2 * TerrainBorder);
  // Seams were made: more textures are cached than the table names plus their bump maps.
  EXPECT_GT(TextureNames.size(), 2 * srf.TextureNames.size() + 2);
}

TEST_P(Terrain, HeightsStayInRangeAndVary) {
  const TSrf srf = ReadSrfFile(LevelPath(GetParam()));
  float low = 1e9f, high = 0;
  for (const TSrfCell& c : srf.Cells) {
    low = std::min(low, c.HeightStep * srf.HeightScale);
    high = std::max(high, c.HeightStep * srf.HeightScale);
    EXPECT_NEAR(std::sqrt(c.Normal.x * c.Normal.x + c.Normal.y * c.Normal.y + c.Normal.z * c.Normal.z), 1.0f, 1e-4f);
    EXPECT_GT(c.Normal.z, 0.0f);
  }
  EXPECT_LE(high, HighestGround);
  EXPECT_GT(high - low, 150.0f);  // mountains, not a plain
}

TEST_P(Terrain, PadsAreLevel) {
  const std::unique_ptr<TSurf> surface = Load(GetParam());
  for (const TTerrainPad& pad : TerrainPlan(GetParam()).Pads) {
    float low = 1e9f, high = -1e9f;
    for (float dy = -pad.Radius; dy <= pad.Radius; dy += 10)
      for (float dx = -pad.Radius; dx <= pad.Radius; dx += 10) {
        if (dx * dx + dy * dy > pad.Radius * pad.Radius) continue;
        const float h = surface->GroundHeight(pad.X + dx, pad.Y + dy);
        low = std::min(low, h);
        high = std::max(high, h);
      }
    EXPECT_LE(high - low, 1.0f) << pad.Name;
    EXPECT_LT(high, FightingFloor - 150) << pad.Name;
  }
}

TEST_P(Terrain, MainValleyLeavesTheFightingHeightsClear) {
  const std::unique_ptr<TSurf> surface = Load(GetParam());
  const std::vector<TVec2>& route = TerrainPlan(GetParam()).Valleys.front();
  for (size_t i = 0; i + 1 < route.size(); ++i)
    for (float t = 0; t <= 1; t += 0.02f) {
      const TVec2 p = route[i] + (route[i + 1] - route[i]) * t;
      EXPECT_LT(surface->GroundHeight(p.X, p.Y), FightingFloor - 100) << p.X << ", " << p.Y;
    }
}

TEST_P(Terrain, GenerationIsRepeatable) {
  const TTerrainPlan& plan = TerrainPlan(GetParam());
  const TSrf first = MakeTerrain(plan).Srf;
  EXPECT_EQ(EncodeSrf(first), EncodeSrf(MakeTerrain(plan).Srf));
  EXPECT_EQ(ReadSrfFile(LevelPath(GetParam())), first);
}

TEST_P(Terrain, RadarMapIsSquareAndShowsTheGround) {
  const TRgbaImage radar = ReadAnyImage(TerrainTree() / ("textures/radsurf" + std::to_string(GetParam()) + ".jpg"));
  EXPECT_EQ(radar.Width, RadarMapSize);
  EXPECT_EQ(radar.Height, RadarMapSize);
  double sum = 0;
  for (size_t i = 0; i < radar.Pixels.size(); i += 4) sum += radar.Pixels[i] + radar.Pixels[i + 1] + radar.Pixels[i + 2];
  EXPECT_GT(sum / (radar.Pixels.size() / 4 * 3), 60.0);  // bright enough under the radar's grey
}

// The radar reads s = x / extent and t = y / extent with t = 0 at the picture's bottom row: each
// base's level ground, painted in the base's grey, must sit where the radar will look for it.
TEST_P(Terrain, RadarMapShowsTheBasesWhereTheRadarLooks) {
  const TSrf srf = ReadSrfFile(LevelPath(GetParam()));
  const TRgbaImage radar = ReadAnyImage(TerrainTree() / ("textures/radsurf" + std::to_string(GetParam()) + ".jpg"));
  const float extentX = srf.Width * srf.CellSizeX, extentY = srf.Height * srf.CellSizeY;
  for (const TTerrainPad& pad : TerrainPlan(GetParam()).Pads) {
    if (pad.Radius < BasePadRadius) continue;  // small spots are mostly the blend around them
    const int col = static_cast<int>(pad.X / extentX * radar.Width);
    const int row = static_cast<int>((1 - pad.Y / extentY) * radar.Height);
    const uint8_t* p = &radar.Pixels[(static_cast<size_t>(row) * radar.Width + col) * 4];
    EXPECT_LT(std::abs(p[0] - p[1]) + std::abs(p[1] - p[2]), 24) << pad.Name << ": " << int(p[0]) << ", " << int(p[1]) << ", " << int(p[2]);
  }
}

INSTANTIATE_TEST_SUITE_P(Missions, Terrain, ::testing::Range(1, MissionCount + 1));

// Where the missions' aircraft start, fly their cinematics and meet their objectives: the
// ground stays well below each of them.
struct TFlyingPoint {
  int Mission;
  TVector Point;
};
constexpr TFlyingPoint FlyingPoints[] = {
    {1, {3350, 1090, 300}}, {1, {3263, 1357, 360}}, {1, {3463, 1227, 370}}, {1, {3463, 927, 400}},
    {1, {384, 2496, 400}},  {1, {576, 2496, 400}},  {1, {2592, 2336, 360}}, {1, {1920, 3072, 360}},
    {1, {896, 3296, 360}},  {1, {672, 4250, 300}},  {2, {1216, 640, 300}},  {2, {1792, 2560, 200}},
    {2, {1892, 2560, 200}}, {2, {1760, 2496, 300}}, {3, {1888, 3968, 400}}, {3, {1312, 2600, 400}},
    {3, {2912, 2656, 500}}, {4, {3584, 3968, 360}}, {4, {3680, 3870, 400}}, {4, {3424, 3450, 400}},
    {4, {3500, 3008, 300}}, {4, {3420, 3500, 360}}, {4, {896, 832, 360}},   {5, {1625, 4395, 430}},
    {5, {1632, 4320, 490}}, {5, {1760, 4320, 500}}, {5, {2272, 2432, 300}}, {5, {2016, 2624, 300}},
};

TEST(TerrainRosters, FlyingPointsClearTheGround) {
  LoadNullGLTable();
  for (int mission = 1; mission <= MissionCount; ++mission) {
    ClearTextureCache();
    SetAppDir(TerrainTree().Str());
    const TSurf surface(LevelPath(mission), {});
    for (const TFlyingPoint& f : FlyingPoints) {
      if (f.Mission != mission) continue;
      EXPECT_LT(surface.GroundHeight(f.Point.x, f.Point.y), f.Point.z - 100)
          << "mission " << mission << " at " << f.Point.x << ", " << f.Point.y;
    }
  }
  ClearTextureCache();
}

TEST(GroundTextures, AllOneSizeWithBumpMapsAndLargeEnoughMasks) {
  for (int i = 0; i < GroundCount; ++i) {
    const std::string name = GroundFileName(static_cast<TGround>(i));
    EXPECT_LE(name.size() + 1, SrfNameMax) << name;  // the bump map's name fits a terrain's table
    for (const std::string& file : {name, "b" + name}) {
      const TBmpImage bmp = ReadBmpFile(TerrainTree() / ("textures/" + file));
      EXPECT_EQ(bmp.BitsPerPixel, 24) << file;
      EXPECT_EQ(bmp.Width, GroundTextureSize) << file;
      EXPECT_EQ(bmp.Height, GroundTextureSize) << file;
    }
  }
  for (const char* mask : AlphaMapNames) {
    const TBmpImage bmp = ReadBmpFile(TerrainTree() / (std::string("textures/") + mask));
    EXPECT_EQ(bmp.BitsPerPixel, 8) << mask;
    EXPECT_GE(bmp.Width, GroundTextureSize) << mask;
    EXPECT_GE(bmp.Height, GroundTextureSize) << mask;
  }
}

TEST(GroundTextures, BumpMapsAverageToFlat) {
  for (int i = 0; i < GroundCount; ++i) {
    const TRgbaImage bump = MakeGroundBump(static_cast<TGround>(i));
    double sum[3] = {0, 0, 0};
    for (size_t p = 0; p < bump.Pixels.size(); p += 4)
      for (int k = 0; k < 3; ++k) sum[k] += bump.Pixels[p + k];
    const double n = static_cast<double>(bump.Pixels.size() / 4);
    EXPECT_NEAR(sum[0] / n, 128, 6) << i;
    EXPECT_NEAR(sum[1] / n, 128, 6) << i;
    EXPECT_GT(sum[2] / n, 220) << i;
  }
}

TEST(GroundTextures, TileWithoutAVisibleEdge) {
  for (int i = 0; i < GroundCount; ++i) {
    const TRgbaImage t = MakeGroundTexture(static_cast<TGround>(i));
    auto px = [&](int x, int y, int k) { return static_cast<int>(t.Pixels[(static_cast<size_t>(y) * t.Width + x) * 4 + k]); };
    double across = 0, inside = 0;
    for (int y = 0; y < t.Height; ++y)
      for (int k = 0; k < 3; ++k) {
        across += std::abs(px(t.Width - 1, y, k) - px(0, y, k));
        inside += std::abs(px(t.Width / 2, y, k) - px(t.Width / 2 + 1, y, k));
      }
    EXPECT_LT(across, inside * 1.5 + t.Height) << i;
  }
}

// Mask values in the texture's own orientation: s along the columns, t = 0 at the file's
// bottom row.
int MaskAt(const std::vector<uint8_t>& mask, float s, float t) {
  const int x = std::clamp(static_cast<int>(s * GroundTextureSize), 0, GroundTextureSize - 1);
  const int row = std::clamp(GroundTextureSize - 1 - static_cast<int>(t * GroundTextureSize), 0, GroundTextureSize - 1);
  return mask[static_cast<size_t>(row) * GroundTextureSize + x];
}

TEST(SeamMasks, FadeFromTheNeighbourSideToTheCell) {
  struct TCase {
    int Pattern;
    float S0, T0;  // where the mask shows the seam's first texture (near 0)
    float S1, T1;  // where it shows the second (near 255)
  };
  const TCase cases[] = {
      {0, 0.01f, 0.5f, 0.9f, 0.5f},   // left neighbour at s = 0
      {1, 0.5f, 0.01f, 0.5f, 0.9f},   // neighbour above at t = 0
      {2, 0.9f, 0.5f, 0.01f, 0.9f},   // the left neighbour shows low in the cell
      {3, 0.01f, 0.01f, 0.9f, 0.9f},  // the cell's own ground away from both edges
      {4, 0.9f, 0.9f, 0.01f, 0.01f},  // the diagonal neighbour only at its corner
      {5, 0.5f, 0.9f, 0.9f, 0.01f},   // the neighbour above, away from the left
  };
  for (const TCase& c : cases) {
    const std::vector<uint8_t> mask = MakeSeamMask(c.Pattern);
    EXPECT_LT(MaskAt(mask, c.S0, c.T0), 40) << c.Pattern;
    EXPECT_GT(MaskAt(mask, c.S1, c.T1), 215) << c.Pattern;
  }
}

}  // namespace
