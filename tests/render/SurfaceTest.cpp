// SurfaceTest.cpp — the terrain without a driver: border, vertices, ground heights, quadtree,
// culling, seam selection and seam pixels, decal extents.
#include "render/Surface.h"

#include "common/TempDir.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "platform/BmpCodec.h"
#include "platform/GLTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

void WriteBmp24(const std::string& path, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb;
  for (int i = 0; i < 16; ++i) rgb.insert(rgb.end(), {r, g, b});
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(EncodeBmp24(rgb.data(), 4, 4, bytes, error)) << error;
  WriteFileAtomic(path, bytes.data(), bytes.size());
}

void WriteMask(const std::string& path, uint8_t value) {
  std::vector<uint8_t> indices(16, value), bytes;
  std::string error;
  ASSERT_TRUE(EncodeBmp8(indices.data(), 4, 4, bytes, error)) << error;
  WriteFileAtomic(path, bytes.data(), bytes.size());
}

using TCellFn = std::function<TSrfCell(int row, int column)>;

TSrf MakeSrf(int width, int height, const TCellFn& cell, float cellSize = 10, float heightScale = 1) {
  TSrf t;
  t.Width = static_cast<uint8_t>(width);
  t.Height = static_cast<uint8_t>(height);
  t.CellSizeX = t.CellSizeY = cellSize;
  t.HeightScale = heightScale;
  t.TextureNames = {"grass.bmp", "rock.bmp"};
  t.BlendFlags = {1, 1};
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < width; ++c) t.Cells.push_back(cell(r, c));
  return t;
}

TSrfCell Flat(uint8_t step = 0, uint8_t texture = 0) { return {step, {0, 0, 1}, texture}; }

// Column-major view matrix of an eye at `eye` looking at `at` with z up.
TMatrix LookAt(const TVector& eye, const TVector& at, const TVector& up = {0, 0, 1}) {
  TVector f, s, u;
  VectorNormalize(at - eye, f);
  VectorCross(f, up, s);
  VectorNormalize(s, s);
  VectorCross(s, f, u);
  TMatrix m{};
  const TVector rows[3] = {s, u, -f};
  for (int r = 0; r < 3; ++r) {
    m[0 * 4 + r] = rows[r].x;
    m[1 * 4 + r] = rows[r].y;
    m[2 * 4 + r] = rows[r].z;
    m[3 * 4 + r] = -VectorDot(rows[r], eye);
  }
  m[15] = 1;
  return m;
}

TFrustum View(const TVector& eye, const TVector& at, float fovDeg, const TVector& up = {0, 0, 1}) {
  TMatrix proj;
  MatrixPerspective(fovDeg, 1, 1, 100000, proj);
  TFrustum f;
  f.CalculateFrustum(proj, LookAt(eye, at, up));
  return f;
}

void ForEachNode(const TSurfTree& node, const std::function<void(const TSurfTree&)>& visit) {
  visit(node);
  for (const auto& child : node.Children)
    if (child) ForEachNode(*child, visit);
}

class Surface : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    ClearTextureCache();
    SetAppDir(Dir.Str());
    std::filesystem::create_directories(Dir / "textures");
    std::filesystem::create_directories(Dir / "Data");
    WriteBmp24(Dir / "textures/grass.bmp", 0, 200, 0);
    WriteBmp24(Dir / "textures/rock.bmp", 100, 100, 100);
    WriteBmp24(Dir / "textures/bgrass.bmp", 128, 128, 255);
    WriteBmp24(Dir / "textures/brock.bmp", 128, 128, 255);
    for (const char* name : AlphaMapNames) WriteMask(Dir / (std::string("textures/") + name), 128);
  }
  void TearDown() override { ClearTextureCache(); }

  TTempDir Dir;
};

TEST_F(Surface, OneCellGridBecomesABorderedSquareOfEqualCells) {
  const TSurf s(MakeSrf(1, 1, [](int, int) { return Flat(7); }, 10, 2), {});
  ASSERT_EQ(s.Width, 101);
  ASSERT_EQ(s.Height, 101);
  ASSERT_EQ(s.Vertices.size(), 101u * 101u);
  for (const TSurfVertex& v : s.Vertices) EXPECT_EQ(v.Position.z, 14.0f);
  EXPECT_EQ(s.Vertices[s.Index(50, 50)].Position, (TVector{0, 0, 14}));
  EXPECT_EQ(s.Vertices[s.Index(0, 0)].Position, (TVector{-500, -500, 14}));
  EXPECT_EQ(s.Vertices[s.Index(100, 3)].Position, (TVector{-470, 500, 14}));
  const int32_t grass = s.Vertices[0].TextureIndex;
  for (int r = 0; r < 100; ++r)
    for (int c = 0; c < 100; ++c) EXPECT_EQ(s.Vertices[s.Index(r, c)].TextureIndex, grass);
  EXPECT_EQ(TextureNames[grass], "grass.bmp");
}

TEST_F(Surface, BorderCellsCopyTheNearestFileCell) {
  const TSrf file = MakeSrf(3, 2, [](int r, int c) { return Flat(static_cast<uint8_t>(10 * r + c)); });
  const TSurfIO io(file);
  ASSERT_EQ(io.Width, 103);
  ASSERT_EQ(io.Height, 102);
  const auto step = [&](int r, int c) { return io.Cell(r, c).HeightStep; };
  EXPECT_EQ(step(50, 50), 0);
  EXPECT_EQ(step(51, 52), 12);
  EXPECT_EQ(step(0, 0), 0);      // corner copies the corner cell
  EXPECT_EQ(step(101, 102), 12);
  EXPECT_EQ(step(0, 102), 2);
  EXPECT_EQ(step(101, 0), 10);
  EXPECT_EQ(step(51, 3), 10);    // left of the data: the row's first column
  EXPECT_EQ(step(50, 90), 2);    // right of it: the last column
  EXPECT_EQ(step(10, 51), 1);    // below the data: the first row
  EXPECT_EQ(step(90, 51), 11);   // above it: the last row
}

TEST_F(Surface, ShadeUsesTheSunWithAnAmbientFloor) {
  TSurfSettings settings;
  settings.LightDirection = {0, 0, 1};
  const TSurf s(MakeSrf(2, 1, [](int, int c) { return TSrfCell{0, c ? TVector{1, 0, 0} : TVector{0, 0.6f, 0.8f}, 0}; }),
                settings);
  EXPECT_FLOAT_EQ(s.Vertices[s.Index(50, 50)].Shade.x, 0.8f);
  EXPECT_FLOAT_EQ(s.Vertices[s.Index(50, 51)].Shade.y, 0.3f);
  EXPECT_EQ(s.Vertices[s.Index(50, 51)].One, 1.0f);
}

TEST_F(Surface, GroundHeightOnASlopeFollowsThePlane) {
  // Heights rise by 10 steps a column: z = x (cell size 10, scale 1) over the mapped area.
  const TSurf s(MakeSrf(8, 3, [](int, int c) { return Flat(static_cast<uint8_t>(10 * c)); }), {});
  for (float x : {0.0f, 3.5f, 12.25f, 47.0f, 69.9f})
    for (float y : {0.0f, 5.0f, 13.0f})
      EXPECT_NEAR(s.GroundHeight(x, y), x, 1e-3) << x << ", " << y;
  EXPECT_NEAR(s.GroundHeight(-30, 5), 0, 1e-4);  // the border continues the first column
  const TVector p = s.GroundPoint(12.25f, 13);
  EXPECT_EQ(p.x, 12.25f);
  EXPECT_EQ(p.y, 13.0f);
}

TEST_F(Surface, GroundPicksPlaneAAboveTheDiagonalAndOnIt) {
  // One raised corner: triangle A (upper left) is z = 10x/10, triangle B is z = 10y/10.
  TSurf built(MakeSrf(2, 2, [](int r, int c) { return Flat(r && c ? 10 : 0); }), {});
  EXPECT_NEAR(built.GroundHeight(2.5f, 7.5f), 2.5f, 1e-4);   // dy > dx: plane A
  EXPECT_NEAR(built.GroundHeight(7.5f, 2.5f), 2.5f, 1e-4);   // dy < dx: plane B
  EXPECT_NEAR(built.GroundHeight(2.5f, 2.5f), 2.5f, 1e-4);
  const TPlane& a = built.Vertices[built.Index(50, 50)].PlaneA;
  const TPlane& b = built.Vertices[built.Index(50, 50)].PlaneB;
  EXPECT_GT(a.c, 0);  // both face upwards
  EXPECT_GT(b.c, 0);

  // Both planes agree on the diagonal, so move B to see which one the query takes there.
  built.Vertices[built.Index(50, 50)].PlaneB = {0, 0, 1, -100};  // z = 100
  EXPECT_NEAR(built.GroundHeight(4, 4), 4.0f, 1e-4);
  EXPECT_NEAR(built.GroundHeight(4, 3.9f), 100.0f, 1e-4);
}

TEST_F(Surface, SplitRuleAndLeafSizes) {
  const TSurf s(MakeSrf(1, 1, [](int, int) { return Flat(3); }), {});
  const TSurfTree leaf(s, 0, 8, 0, 7);  // 9 x 8 points, 8 x 7 cells
  EXPECT_TRUE(leaf.IsLeaf);
  EXPECT_EQ(leaf.TriangleCount, 112);
  ASSERT_EQ(leaf.Parts.size(), 1u);
  EXPECT_EQ(leaf.Parts[0].Vertices.size(), 8u * 7u * 6u);

  const TSurfTree inner(s, 0, 16, 0, 16);  // 512 triangles
  EXPECT_FALSE(inner.IsLeaf);
  EXPECT_TRUE(inner.Parts.empty());
  const int expected[4][4] = {{0, 8, 0, 8}, {8, 16, 0, 8}, {0, 8, 8, 16}, {8, 16, 8, 16}};
  for (int k = 0; k < 4; ++k) {
    ASSERT_TRUE(inner.Children[k]);
    EXPECT_EQ(inner.Children[k]->X0, expected[k][0]);
    EXPECT_EQ(inner.Children[k]->X1, expected[k][1]);
    EXPECT_EQ(inner.Children[k]->Y0, expected[k][2]);
    EXPECT_EQ(inner.Children[k]->Y1, expected[k][3]);
    EXPECT_TRUE(inner.Children[k]->IsLeaf);  // 128 triangles each
  }
  EXPECT_EQ(inner.Corners[0].z, 256.0f);
  EXPECT_EQ(inner.Corners[4].z, 0.0f);
  EXPECT_EQ(inner.Corners[2].x, s.Vertices[s.Index(16, 16)].Position.x);
}

TEST_F(Surface, EveryCellLandsInExactlyOneLeafGroupedByTexture) {
  TSrf file = MakeSrf(20, 12, [](int r, int c) { return Flat(static_cast<uint8_t>(r + c), (c / 3) % 2); });
  file.BlendFlags = {0, 0};  // plain textures only, so exactly two parts can exist
  const TSurf s(file, {});
  int64_t corners = 0, leaves = 0;
  ForEachNode(*s.Tree, [&](const TSurfTree& n) {
    if (!n.IsLeaf) {
      for (const auto& child : n.Children) EXPECT_TRUE(child);
      return;
    }
    ++leaves;
    EXPECT_LE(n.TriangleCount, SurfLeafTriangles);
    std::set<int32_t> textures;
    int64_t nodeCorners = 0;
    for (const TSurfMeshPart& part : n.Parts) {
      EXPECT_TRUE(textures.insert(part.TextureIndex).second) << "a texture split over two parts";
      nodeCorners += static_cast<int64_t>(part.Vertices.size());
    }
    EXPECT_EQ(nodeCorners, n.TriangleCount * 3);
    corners += nodeCorners;
    // A leaf's box holds all its points.
    for (const TSurfMeshPart& part : n.Parts)
      for (const TSurfVertex& v : part.Vertices) {
        EXPECT_LE(v.Position.z, n.Corners[0].z);
        EXPECT_GE(v.Position.z, n.Corners[4].z);
      }
  });
  EXPECT_EQ(corners, int64_t{s.Width - 1} * (s.Height - 1) * 6);
  EXPECT_GT(leaves, 4);
}

TEST_F(Surface, TextureCoordinatesSpanOneCellOrTheTextureScale) {
  TSurfSettings settings;
  const TSurf one(MakeSrf(1, 1, [](int, int) { return Flat(); }), settings);
  const TSurfTree a(one, 0, 4, 0, 4);
  const std::vector<TSurfVertex>& va = a.Parts[0].Vertices;
  const float expectedOne[6][2] = {{0, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}};
  for (size_t cell = 0; cell < 16; ++cell)
    for (size_t k = 0; k < 6; ++k) {
      EXPECT_EQ(va[cell * 6 + k].TexCoord[0], expectedOne[k][0]);
      EXPECT_EQ(va[cell * 6 + k].TexCoord[1], expectedOne[k][1]);
    }

  settings.TextureScale = 2;
  const TSurf two(MakeSrf(1, 1, [](int, int) { return Flat(); }), settings);
  const TSurfTree b(two, 0, 4, 0, 4);
  const std::vector<TSurfVertex>& vb = b.Parts[0].Vertices;
  // Along the first row of cells the lower-left corners run 0, 0.5, 1, 1.5.
  for (size_t cell = 0; cell < 4; ++cell) {
    EXPECT_EQ(vb[cell * 6].TexCoord[0], 0.5f * static_cast<float>(cell));
    EXPECT_EQ(vb[cell * 6].TexCoord[1], 0.0f);
    EXPECT_EQ(vb[cell * 6 + 1].TexCoord[0], 0.5f * static_cast<float>(cell + 1));
    EXPECT_EQ(vb[cell * 6 + 1].TexCoord[1], 0.5f);
  }
}

TEST_F(Surface, FrustumCullingDrawsWhatTheCameraSees) {
  TSurf s(MakeSrf(20, 20, [](int, int) { return Flat(10); }), {});
  const int32_t total = (s.Width - 1) * (s.Height - 1) * 2;

  s.Draw(View({100, 100, 20000}, {100, 100, 0}, 90, {0, 1, 0}));
  EXPECT_EQ(s.DrawnTriangles, total);

  s.Draw(View({100, 100, 300}, {100, 100, 0}, 20, {0, 1, 0}));
  EXPECT_GT(s.DrawnTriangles, 0);
  EXPECT_LT(s.DrawnTriangles, total / 4);

  s.Draw(View({100, 100, 300}, {100, 100, 1000}, 60, {0, 1, 0}));  // looking at the sky
  EXPECT_EQ(s.DrawnTriangles, 0);
  EXPECT_EQ(s.DrawnParts, 0);

  s.Draw(View({3000, 100, 300}, {6000, 100, 300}, 60));  // beyond the border, facing away
  EXPECT_EQ(s.DrawnTriangles, 0);
}

TEST_F(Surface, SeamRulesInOrder) {
  const std::vector<uint8_t> all = {1, 1, 1, 1};
  struct TCase {
    uint8_t C, L, UL, U;
    std::vector<uint8_t> Blend;
    int Pattern;  // -1: no seam
    uint8_t First, Second;
  };
  const std::vector<TCase> cases = {
      {1, 2, 2, 1, all, 0, 2, 1},            // vertical seam on the left
      {1, 1, 2, 2, all, 1, 2, 1},            // horizontal seam below
      {1, 2, 1, 1, all, 2, 1, 2},            // only the left neighbour differs
      {1, 2, 3, 3, all, 3, 2, 1},            // left, up-left and below all differ
      {1, 1, 2, 1, all, 4, 1, 2},            // only the diagonal differs
      {1, 1, 1, 2, all, 5, 1, 2},            // only the cell below differs
      {1, 1, 1, 1, all, -1, 0, 0},           // one texture all round
      {1, 2, 2, 1, {1, 1, 0, 1}, -1, 0, 0},  // the left texture does not blend
      {1, 2, 2, 1, {1, 0, 1, 1}, -1, 0, 0},  // the cell's own texture does not blend
      {1, 1, 2, 2, {1, 1, 0, 1}, -1, 0, 0},  // rule 1 needs the lower texture to blend
      {1, 1, 2, 1, {1, 1, 0, 1}, -1, 0, 0},  // rule 4 needs the diagonal to blend
      {1, 2, 3, 1, {1, 1, 1, 1}, 0, 2, 1},   // rule 0 does not care about the diagonal's flag
  };
  for (const TCase& c : cases) {
    const auto seam = SelectSeam(c.C, c.L, c.UL, c.U, c.Blend);
    const std::string what = std::to_string(c.C) + std::to_string(c.L) + std::to_string(c.UL) + std::to_string(c.U);
    if (c.Pattern < 0) {
      EXPECT_FALSE(seam) << what;
      continue;
    }
    ASSERT_TRUE(seam) << what;
    EXPECT_EQ(seam->Pattern, c.Pattern) << what;
    EXPECT_EQ(seam->First, c.First) << what;
    EXPECT_EQ(seam->Second, c.Second) << what;
  }
}

TEST_F(Surface, AVerticalSeamGetsOneBlendedTextureMadeOnce) {
  const TSrf file = MakeSrf(4, 4, [](int, int c) { return Flat(0, c >= 2 ? 1 : 0); });
  const TSurf s(file, {});
  const auto found = std::find(TextureNames.begin(), TextureNames.end(), "grass.bmprock.bmp0");
  ASSERT_NE(found, TextureNames.end());
  const int32_t seam = static_cast<int32_t>(found - TextureNames.begin());
  EXPECT_EQ(TextureNames.size(), 3u);  // grass, rock and the one seam
  for (int r = 1; r < s.Height - 2; ++r) EXPECT_EQ(s.Vertices[s.Index(r, 52)].TextureIndex, seam) << r;
  EXPECT_EQ(s.Vertices[s.Index(0, 52)].TextureIndex, 1);  // the outer ring never blends
  EXPECT_EQ(TextureNames[s.Vertices[s.Index(60, 51)].TextureIndex], "grass.bmp");
  EXPECT_EQ(TextureNames[s.Vertices[s.Index(60, 53)].TextureIndex], "rock.bmp");
  TSeamSources sources;
  EXPECT_EQ(Blend("grass.bmp", "rock.bmp", 0, sources), seam);
  EXPECT_EQ(NullGLCounts().LiveTextures, 3);
}

TEST_F(Surface, ASingleOddCellGetsTheCornerAndEdgeSeamsAroundIt) {
  // File cell (2, 2) is rock in a field of grass; it lands at grid cell (52, 52).
  const TSurf s(MakeSrf(5, 5, [](int r, int c) { return Flat(0, r == 2 && c == 2 ? 1 : 0); }), {});
  const auto name = [&](int r, int c) { return TextureNames[s.Vertices[s.Index(r, c)].TextureIndex]; };
  EXPECT_EQ(name(52, 52), "grass.bmprock.bmp3");  // left, up-left and below all differ
  EXPECT_EQ(name(52, 53), "grass.bmprock.bmp2");  // only the left neighbour is rock
  EXPECT_EQ(name(53, 52), "grass.bmprock.bmp5");  // only the cell below is rock
  EXPECT_EQ(name(53, 53), "grass.bmprock.bmp4");  // only the diagonal is rock
  EXPECT_EQ(name(52, 54), "grass.bmp");
  EXPECT_EQ(name(51, 52), "grass.bmp");
  EXPECT_EQ(TextureNames.size(), 5u);  // the one rock cell is all seam, so plain rock is never loaded
}

TEST_F(Surface, WithoutBlendFlagsNoSeamIsMade) {
  for (const std::vector<uint8_t>& flags : {std::vector<uint8_t>{0, 1}, std::vector<uint8_t>{1, 0}}) {
    ClearTextureCache();
    TSrf file = MakeSrf(4, 4, [](int, int c) { return Flat(0, c >= 2 ? 1 : 0); });
    file.BlendFlags = flags;
    const TSurf s(file, {});
    EXPECT_EQ(TextureNames.size(), 2u);
  }
}

TEST_F(Surface, BumpMapsFollowTheColourTextures) {
  TSurfSettings settings;
  settings.BumpMapping = true;
  const TSurf s(MakeSrf(4, 4, [](int, int c) { return Flat(0, c >= 2 ? 1 : 0); }), settings);
  EXPECT_EQ(TextureNames[s.Vertices[s.Index(60, 51)].BumpIndex], "bgrass.bmp");
  EXPECT_EQ(TextureNames[s.Vertices[s.Index(60, 52)].BumpIndex], "bgrass.bmpbrock.bmp0");
}

TEST_F(Surface, SeamPixelsRunFromTheFirstImageToTheSecond) {
  TTex a, b;
  a.Width = b.Width = 3;
  a.Height = b.Height = 1;
  a.BytesPerPixel = b.BytesPerPixel = 3;
  a.Data = {10, 20, 30, 200, 100, 0, 0, 0, 0};
  b.Data = {250, 0, 100, 0, 50, 255, 255, 255, 255};
  const std::vector<uint8_t> mixed = MixSeamPixels(a, b, {0, 255, 51});
  const std::vector<uint8_t> expected = {10, 20, 30, 0, 50, 255, 51, 51, 51};
  EXPECT_EQ(mixed, expected);
}

// The integer mix must give the bytes of the exact blend b m / 255 + a (1 - m / 255), rounded,
// for every first byte, second byte and mask value.
TEST_F(Surface, SeamPixelsAreTheRoundedExactBlendForEveryByteAndMask) {
  TTex a, b;
  a.Width = b.Width = 256 * 256;
  a.Height = b.Height = 1;
  a.BytesPerPixel = b.BytesPerPixel = 3;
  b.Data.resize(256 * 256 * 3);
  TAlphaMap mask(256 * 256);
  for (size_t i = 0; i < mask.size(); ++i) {
    mask[i] = static_cast<uint8_t>(i & 255);
    b.Data[i * 3] = b.Data[i * 3 + 1] = b.Data[i * 3 + 2] = static_cast<uint8_t>(i >> 8);
  }
  int wrong = 0;
  for (int x = 0; x < 256; ++x) {
    a.Data.assign(b.Data.size(), static_cast<uint8_t>(x));
    const std::vector<uint8_t> mixed = MixSeamPixels(a, b, mask);
    for (size_t i = 0; i < mask.size(); ++i) {
      const double alpha = mask[i] / 255.0;
      const double exact = 255.0 * (b.Data[i * 3] / 255.0 * alpha + x / 255.0 * (1 - alpha));
      if (mixed[i * 3] != static_cast<uint8_t>(std::lround(exact))) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(Surface, MismatchedSeamImagesAreRefusedByName) {
  std::vector<uint8_t> rgb(8 * 8 * 3, 50), bytes;
  std::string error;
  ASSERT_TRUE(EncodeBmp24(rgb.data(), 8, 8, bytes, error));
  WriteFileAtomic(Dir / "textures/big.bmp", bytes.data(), bytes.size());
  LoadAlphaMaps();
  TSeamSources sources;
  try {
    Blend("grass.bmp", "big.bmp", 0, sources);
    FAIL();
  } catch (const TFileError& e) {
    EXPECT_NE(e.File.find("big.bmp"), std::string::npos);
  }
}

TEST_F(Surface, DecalCoversTheCellsUnderItsRectangle) {
  TSurf s(MakeSrf(10, 10, [](int r, int c) { return Flat(static_cast<uint8_t>(r * 10 + c)); }), {});
  // Centred in cell (52, 52) and one cell wide: its edges fall in cells 52 and 53 each way.
  ASSERT_EQ(s.FillDecal(25, 25, 10, 10, 0.5f, 0.6f, 0.7f, 0.8f), 2 * 2 * 6);
  const TDecalVertex& first = s.Decal[0];
  EXPECT_EQ(first.Position, s.Vertices[s.Index(52, 52)].Position);
  EXPECT_FLOAT_EQ(first.TexCoord[0], 0.0f);
  EXPECT_FLOAT_EQ(first.TexCoord[1], 0.0f);
  EXPECT_EQ(s.Decal[1].Position, s.Vertices[s.Index(53, 53)].Position);
  EXPECT_FLOAT_EQ(s.Decal[1].TexCoord[0], 1.0f);
  EXPECT_EQ(first.Color[3], 0.8f);
  EXPECT_EQ(s.Decal[23].Position, s.Vertices[s.Index(54, 54)].Position);

  EXPECT_EQ(s.FillDecal(21, 21, 2, 2, 1, 1, 1, 1), 6);  // inside one cell
}

TEST_F(Surface, DecalsLargerThanTheBufferOrOffTheGridAreCut) {
  TSurf s(MakeSrf(10, 10, [](int, int) { return Flat(); }), {});
  EXPECT_EQ(s.FillDecal(50, 50, 1000, 1000, 1, 1, 1, 1), DecalMaxCells * 6);
  EXPECT_LE(DecalMaxCells * 6, DecalCapacity);
  EXPECT_EQ(s.FillDecal(1e6f, 50, 10, 10, 1, 1, 1, 1), 0);
  EXPECT_EQ(s.FillDecal(50, -1e6f, 10, 10, 1, 1, 1, 1), 0);
  EXPECT_EQ(s.FillDecal(NAN, 50, 10, 10, 1, 1, 1, 1), 0);
  // At the grid's first column only the cells that exist are written.
  EXPECT_EQ(s.FillDecal(-500, 0, 10, 1, 1, 1, 1, 1), 1 * 2 * 6);
  for (float size : {0.5f, 7.0f, 33.0f, 61.0f, 64.9f, 95.0f}) {
    const int32_t n = s.FillDecal(3.3f, 7.7f, size, size * 1.5f, 1, 1, 1, 1);
    EXPECT_LE(n, DecalCapacity);
    EXPECT_EQ(n % 6, 0);
  }
  s.DrawShadowDecal(0, 50, 50, 1000, 1000, 1, 1, 1, 1);
  s.DrawLightDecal(0, true, 50, 50, 20, 20, 1, 1, 1, 1);
}

TEST_F(Surface, LoadsAFileReportingProgressAndRefusesABadOne) {
  const std::string path = Dir / "Data/lev.srf";
  WriteSrfFile(path, MakeSrf(5, 6, [](int r, int c) { return Flat(static_cast<uint8_t>(r + c)); }));
  std::vector<float> progress;
  TSurfSettings settings;
  settings.Progress = [&](float f) { progress.push_back(f); };
  const TSurf s(path, settings);
  EXPECT_EQ(s.Width, 105);
  EXPECT_EQ(s.Height, 106);
  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), 1.0f);

  std::vector<uint8_t> bytes = ReadFileBytes(path, 1 << 20);
  bytes.pop_back();
  WriteFileAtomic(path, bytes.data(), bytes.size());
  try {
    const TSurf bad(path, {});
    FAIL();
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, path);
  }
}

TEST_F(Surface, ScatteringPathColoursEveryDrawnCopy) {
  int calls = 0;
  TSurfSettings settings;
  settings.TerrainFlag = true;
  settings.Scatter = [&](const TVector&, const TVector&, TVector& inscatter, TVector& extinction) {
    ++calls;
    inscatter = {0.1f, 0.2f, 0.3f};
    extinction = {0.5f, 0.5f, 0.5f};
  };
  settings.LightDirection = {0, 0, 1};
  TSurf s(MakeSrf(3, 3, [](int, int) { return Flat(); }), settings);
  s.Draw(View({0, 0, 20000}, {0, 0, 0}, 90, {0, 1, 0}), {0, 0, 500});
  EXPECT_EQ(calls, s.DrawnTriangles * 3);
  const TSurfTree* leaf = s.Tree.get();
  while (!leaf->IsLeaf) leaf = leaf->Children[3].get();  // towards the map's centre, in view
  const TSurfVertex& copy = leaf->Parts.at(0).Vertices.at(0);
  EXPECT_FLOAT_EQ(copy.Color.x, 0.5f);  // extinction times full sun
  EXPECT_FLOAT_EQ(copy.Inscatter.z, 0.3f);
}

}  // namespace

namespace {

// The null table has no texture units; a stand-in lets the bump path run.
class BumpSurface : public Surface {
protected:
  void SetUp() override {
    Surface::SetUp();
    GL.ActiveTexture = [](GLenum) {};
  }
  void TearDown() override {
    GL.ActiveTexture = nullptr;
    VertexProgramSupported = false;
    Surface::TearDown();
  }
};

const TSurfTree& FirstLeaf(const TSurfTree& node) {
  const TSurfTree* leaf = &node;
  while (!leaf->IsLeaf) leaf = leaf->Children[0].get();
  return *leaf;
}

TEST_F(BumpSurface, NormalsTurnIntoLightSpaceAndBecomeColoursWithoutAProgram) {
  TSurfSettings settings;
  settings.BumpMapping = true;
  MatrixIdentity(settings.LightSpaceMatrix);
  MatrixRotate(settings.LightSpaceMatrix, 90, 1, 0, 0);  // z turns into -y
  TSurf s(MakeSrf(2, 2, [](int, int) { return Flat(); }), settings);
  const TVector n = s.Vertices[s.Index(50, 50)].Normal;
  EXPECT_NEAR(n.x, 0, 1e-6);
  EXPECT_NEAR(std::fabs(n.y), 1, 1e-6);
  EXPECT_NEAR(n.z, 0, 1e-6);

  s.Draw(View({0, 0, 20000}, {0, 0, 0}, 90, {0, 1, 0}));
  ASSERT_GT(s.DrawnParts, 0);
  const TSurfVertex& copy = FirstLeaf(*s.Tree).Parts.at(0).Vertices.at(0);
  EXPECT_FLOAT_EQ(copy.Color.x, 0.8f + copy.Normal.x / 3);
  EXPECT_FLOAT_EQ(copy.Color.y, 0.8f + copy.Normal.y / 3);
  EXPECT_FLOAT_EQ(copy.Color.z, 0.8f + copy.Normal.z / 3);
}

TEST_F(BumpSurface, TheVertexProgramIsBoundOnceAroundAllTheDrawnParts) {
  VertexProgramSupported = true;
  int binds = 0, unbinds = 0;
  TSurfSettings settings;
  settings.BumpMapping = true;
  settings.BindBumpProgram = [&] { ++binds; };
  settings.UnbindBumpProgram = [&] { ++unbinds; };
  TSurf s(MakeSrf(2, 2, [](int, int) { return Flat(); }), settings);
  s.Draw(View({0, 0, 20000}, {0, 0, 0}, 90, {0, 1, 0}));
  EXPECT_GT(s.DrawnParts, 1);
  EXPECT_EQ(binds, 1);
  EXPECT_EQ(unbinds, 1);
  EXPECT_EQ(FirstLeaf(*s.Tree).Parts.at(0).Vertices.at(0).Color, (TVector{0, 0, 0}));  // left to the program
}

}  // namespace
