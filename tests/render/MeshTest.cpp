// MeshTest.cpp — TMesh on the null GL table: normals and smoothing, key frames, the model cache, textures, hit tests, debris.
#include "core/CnaUnit.h"
#include "core/ConfigUnit.h"
#include "core/Quaternion.h"
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/JpegFile.h"
#include "core/MshFile.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "platform/BmpCodec.h"
#include "platform/GLTable.h"
#include "render/MeshUnit.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>

namespace {

const TMatrix Identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// One group per corner list, every corner mapped to the one texture coordinate.
TMsh MakeMsh(const std::vector<TVector>& rest, const std::vector<std::vector<int32_t>>& groups,
             const std::vector<std::string>& names = {}) {
  TMsh msh;
  msh.TexCoords = {{0.25f, 0.75f}};
  for (size_t g = 0; g < groups.size(); ++g) {
    TMshGroup group;
    group.Name = g < names.size() ? names[g] : "";
    group.VertexIndices = groups[g];
    group.TexCoordIndices.assign(groups[g].size(), 0);
    msh.Groups.push_back(group);
  }
  msh.Anims.push_back({{rest}});
  return msh;
}

// The all-pairs walk exactly as the rule reads.
void PlainSmoothing(const std::vector<TVector>& pos, std::vector<TVector>& acc) {
  for (size_t a = 0; a < pos.size(); ++a)
    for (size_t b = a + 1; b < pos.size(); ++b)
      if (pos[a].x == pos[b].x && pos[a].y == pos[b].y && pos[a].z == pos[b].z) {
        acc[a] = acc[a] + acc[b];
        acc[b] = acc[a];
      }
}

bool SameBits(const std::vector<TVector>& a, const std::vector<TVector>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(TVector)) == 0;
}

// Positions drawn from a small pool, so many vertices share one; the pool mixes +0 and -0.
std::vector<TVector> PooledPositions(std::mt19937& rng, size_t count, size_t poolSize) {
  std::uniform_real_distribution<float> coord(-5.0f, 5.0f);
  std::vector<TVector> pool;
  for (size_t i = 0; i < poolSize; ++i) pool.push_back({coord(rng), i % 3 == 0 ? 0.0f : coord(rng), coord(rng)});
  std::uniform_int_distribution<size_t> pick(0, poolSize - 1);
  std::vector<TVector> out;
  for (size_t i = 0; i < count; ++i) {
    TVector p = pool[pick(rng)];
    if (p.y == 0.0f && rng() % 2) p.y = -0.0f;
    out.push_back(p);
  }
  return out;
}

class MeshTest : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    SetAppDir(Dir.Str());
    std::filesystem::create_directories(Dir / "textures");
    ClearMeshCache();
    SetRandomSeed(12345);
  }
  void TearDown() override {
    ClearMeshCache();
    ClearTextureCache();
  }

  TTempDir Dir;
  TMeshScene Scene;
};

TEST_F(MeshTest, SmoothingEqualsAllPairsWalkBitForBit) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    std::mt19937 rng(seed);
    const std::vector<TVector> pos = PooledPositions(rng, 400, 10 + seed * 7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::vector<TVector> acc;
    for (size_t i = 0; i < pos.size(); ++i) acc.push_back({unit(rng), unit(rng), unit(rng)});
    std::vector<TVector> expected = acc;
    PlainSmoothing(pos, expected);
    SmoothSplitVertices(pos, acc);
    EXPECT_TRUE(SameBits(acc, expected)) << "seed " << seed;
  }
}

TEST_F(MeshTest, MeshNormalsFollowTheRuleOnRandomMeshes) {
  for (uint32_t seed = 1; seed <= 5; ++seed) {
    std::mt19937 rng(seed);
    const std::vector<TVector> rest = PooledPositions(rng, 60, 25);
    std::uniform_int_distribution<int32_t> vertex(0, 59);
    std::vector<std::vector<int32_t>> groups(3);
    for (auto& g : groups)
      for (int i = 0; i < 30; ++i) g.push_back(vertex(rng));
    TMesh mesh;
    mesh.Load(MakeMsh(rest, groups), Identity);

    std::vector<TVector> acc(rest.size(), TVector{0, 0, 0});
    for (const auto& g : groups)
      for (size_t i = 0; i < g.size(); i += 3) {
        const TVector n = FaceNormal(rest[g[i]], rest[g[i + 1]], rest[g[i + 2]]);
        for (size_t c = 0; c < 3; ++c) acc[g[i + c]] += n;
      }
    PlainSmoothing(rest, acc);
    for (TVector& n : acc) VectorNormalize(n, n);
    for (size_t g = 0; g < groups.size(); ++g)
      for (size_t i = 0; i < groups[g].size(); ++i) {
        const TVector& want = acc[groups[g][i]];
        EXPECT_EQ(std::memcmp(&mesh.Groups[g].Normals[i], &want, sizeof(TVector)), 0) << seed << " " << g << " " << i;
        EXPECT_EQ(std::memcmp(&mesh.Groups[g].Vertices[i].Normal, &want, sizeof(TVector)), 0);
      }
  }
}

TEST_F(MeshTest, SplitCornersInDifferentGroupsShareOneNormal) {
  // Two faces of a roof meeting along the x axis, each with its own copies of the ridge
  // vertices; one copy holds -0 where the other holds +0.
  const std::vector<TVector> rest{{0, 0, 0}, {1, 0, 0}, {0, 1, -1},
                                  {-0.0f, 0, 0}, {0, -1, -1}, {1, -0.0f, 0}};
  TMesh mesh;
  mesh.Load(MakeMsh(rest, {{0, 1, 2}, {3, 4, 5}}), Identity);
  EXPECT_EQ(mesh.Groups[0].Normals[0], mesh.Groups[1].Normals[0]);
  EXPECT_EQ(mesh.Groups[0].Normals[1], mesh.Groups[1].Normals[2]);
  EXPECT_NEAR(mesh.Groups[0].Normals[0].z, 1.0f, 1e-6f);  // the two slopes average to straight up
  EXPECT_NEAR(VectorLength(mesh.Groups[0].Normals[2]), 1.0f, 1e-6f);
  EXPECT_NE(mesh.Groups[0].Normals[2], mesh.Groups[0].Normals[0]);  // an unshared vertex keeps its face
}

TEST_F(MeshTest, PreparedFieldsOfASimpleMesh) {
  TMsh msh = MakeMsh({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {0, 0, 3}}, {{0, 1, 2}, {0, 1, 3, 0, 3, 2}});
  msh.Header = "hdr";
  msh.ColorGroups = {{1, 2, 3}};
  TMatrix flip = Identity;
  flip[10] = -1.0f;  // mirrors z
  TMesh mesh;
  mesh.Load(msh, flip);
  EXPECT_EQ(mesh.Header, "hdr");
  EXPECT_EQ(mesh.VertexCount, 4);
  EXPECT_EQ(mesh.TexCoordCount, 1);
  EXPECT_EQ(mesh.GroupCount, 2);
  EXPECT_EQ(mesh.TriangleCount, 3);
  ASSERT_EQ(mesh.TrianglePlanes.size(), 3u);
  EXPECT_EQ(mesh.ColorGroupCount, 1);
  EXPECT_EQ(mesh.ColorGroups[0].Count, 3);
  EXPECT_EQ(mesh.AnimCount, 1);
  EXPECT_FLOAT_EQ(mesh.BoundingRadius, 3.0f);
  ASSERT_EQ(mesh.Colors.size(), 4u);
  EXPECT_EQ(mesh.Colors[3], (std::array<float, 4>{1, 1, 1, 1}));
  const TMeshVertex& v = mesh.Groups[1].Vertices[2];
  EXPECT_EQ(v.Position, (TVector{0, 0, 3}));
  EXPECT_EQ(v.Color, (std::array<float, 4>{1, 1, 1, 1}));
  EXPECT_EQ(v.ShadowColor, (std::array<float, 4>{0.2f, 0.2f, 0.2f, 1.0f}));
  EXPECT_EQ(v.TexCoord, (std::array<float, 2>{0.25f, 0.75f}));
  EXPECT_EQ(v.SunNormal, (TVector{-v.Normal.x, -v.Normal.y, v.Normal.z}));
  // The face plane of the first triangle: z = 0 facing +z; the edges face inwards.
  const TTrianglePlanes& p = mesh.TrianglePlanes[0];
  EXPECT_EQ(p.Face, (TPlane{0, 0, 1, 0}));
  for (const TPlane& edge : p.Edges) EXPECT_GT(PlaneValue(edge, TVector{0.5f, 0.5f, 0}), 0.0f);
}

TEST_F(MeshTest, DebrisVelocitiesComeInPiecesOfNineCorners) {
  std::vector<TVector> rest;
  std::vector<int32_t> corners;
  for (int i = 0; i < 33; ++i) {
    rest.push_back({static_cast<float>(i), static_cast<float>(i % 2), 0});
    corners.push_back(i);
  }
  TMesh mesh;
  mesh.Load(MakeMsh(rest, {corners}), Identity);
  const auto& v = mesh.Groups[0].Vertices;
  for (size_t i = 0; i < v.size(); ++i) {
    EXPECT_EQ(v[i].Velocity, v[i - i % 9].Velocity) << i;
    EXPECT_LE(std::abs(v[i].Velocity.x), 0.15f);
    EXPECT_LE(std::abs(v[i].Velocity.z), 0.15f);
  }
  EXPECT_NE(v[0].Velocity, v[9].Velocity);
  EXPECT_NE(v[27].Velocity, v[18].Velocity);  // the short last piece has its own

  // The same seed bursts the same way.
  SetRandomSeed(12345);
  TMesh again;
  again.Load(MakeMsh(rest, {corners}), Identity);
  EXPECT_EQ(again.Groups[0].Vertices[30].Velocity, v[30].Velocity);
}

TEST_F(MeshTest, AnimationsKeepEveryFrameAndItsPlanes) {
  const std::vector<TVector> rest{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  TMsh msh = MakeMsh(rest, {{0, 1, 2}});
  msh.Anims[0].Frames.push_back({{0, 0, 1}, {1, 0, 1}, {0, 1, 1}});
  msh.Anims.push_back({{{{0, 0, 2}, {2, 0, 2}, {0, 2, 2}}, {{0, 0, 4}, {4, 0, 4}, {0, 4, 4}}, {{0, 0, 6}, {0, 6, 6}, {6, 0, 6}}}});
  TMesh mesh;
  mesh.Load(msh, Identity);
  ASSERT_EQ(mesh.AnimCount, 2);
  EXPECT_EQ(mesh.Anims[0].FrameCount, 2);
  EXPECT_EQ(mesh.Anims[1].FrameCount, 3);
  EXPECT_EQ(mesh.Anims[1].Frames[1][1], (TVector{4, 0, 4}));
  ASSERT_EQ(mesh.Anims[1].FramePlanes.size(), 3u);
  EXPECT_EQ(mesh.Anims[1].FramePlanes[1][0].Face, (TPlane{0, 0, 1, -4}));
  EXPECT_EQ(mesh.Anims[1].FramePlanes[2][0].Face, (TPlane{0, 0, -1, 6}));  // wound the other way
  EXPECT_EQ(mesh.TrianglePlanes[0].Face, mesh.Anims[0].FramePlanes[0][0].Face);
  EXPECT_FLOAT_EQ(mesh.BoundingRadius, std::sqrt(72.0f));

  // The last frame blends towards frame 0; colours come from Colors.
  mesh.Colors[1] = {0.5f, 0.25f, 1.0f, 1.0f};
  mesh.DrawFrame(1, 2, 0.25f, {0, 0, 0}, Scene);
  EXPECT_EQ(mesh.Groups[0].Vertices[1].Position, (TVector{0.5f, 4.5f, 5.0f}));
  EXPECT_EQ(mesh.Groups[0].Vertices[1].Color, mesh.Colors[1]);
  mesh.DrawFrame(1, 0, 0.5f, {0, 0, 0}, Scene);
  EXPECT_EQ(mesh.Groups[0].Vertices[2].Position, (TVector{0, 3, 3}));
  // Normals and planes stay those of the rest pose.
  EXPECT_EQ(mesh.TrianglePlanes[0].Face, (TPlane{0, 0, 1, 0}));
  // A frame that does not exist draws nothing and changes nothing.
  mesh.DrawFrame(1, 3, 0.5f, {0, 0, 0}, Scene);
  mesh.DrawFrame(2, 0, 0.5f, {0, 0, 0}, Scene);
  EXPECT_EQ(mesh.Groups[0].Vertices[2].Position, (TVector{0, 3, 3}));
}

TEST_F(MeshTest, CacheHandsEveryOwnerItsOwnCopy) {
  const std::string path = Dir / "box.msh";
  WriteMshFile(path, MakeMsh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}));
  TMesh first, second;
  first.LoadFromFile(path, Identity);
  second.LoadFromFile(path, Identity);
  EXPECT_EQ(MeshCacheSize(), 1u);
  EXPECT_NE(first.Groups[0].Vertices[0].Velocity, second.Groups[0].Vertices[0].Velocity);  // fresh draws

  // Later loads come from the cache even when the file is gone.
  std::filesystem::remove(path);
  Counter.Elapsed = 10;
  first.DrawDebris({0, 0, -0.001f}, Scene);
  EXPECT_NE(first.Groups[0].Vertices[0].Position, (TVector{0, 0, 0}));
  EXPECT_EQ(second.Groups[0].Vertices[0].Position, (TVector{0, 0, 0}));
  TMesh third;
  third.LoadFromFile(path, Identity);
  EXPECT_EQ(third.Groups[0].Vertices[0].Position, (TVector{0, 0, 0}));
  EXPECT_EQ(third.Groups[0].Normals, second.Groups[0].Normals);

  ClearMeshCache();
  TMesh fourth;
  EXPECT_THROW(fourth.LoadFromFile(path, Identity), TFileError);
  EXPECT_EQ(MeshCacheSize(), 0u);
}

TEST_F(MeshTest, CachedLoadEqualsALoadFromTheParsedFile) {
  std::mt19937 rng(7);
  const std::vector<TVector> rest = PooledPositions(rng, 40, 15);
  std::vector<int32_t> corners;
  for (int i = 0; i < 36; ++i) corners.push_back(static_cast<int32_t>(rng() % 40));
  const std::string path = Dir / "model.msh";
  WriteMshFile(path, MakeMsh(rest, {corners, {corners.rbegin(), corners.rend()}}));
  TMesh warm;
  warm.LoadFromFile(path, Identity);  // fills the cache
  SetRandomSeed(99);
  TMesh cached;
  cached.LoadFromFile(path, Identity);
  SetRandomSeed(99);
  TMesh direct;
  direct.Load(ReadMshFile(path), Identity);
  ASSERT_EQ(cached.Groups.size(), direct.Groups.size());
  for (size_t g = 0; g < direct.Groups.size(); ++g) {
    const auto& a = cached.Groups[g].Vertices;
    const auto& b = direct.Groups[g].Vertices;
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(TMeshVertex)), 0) << g;
  }
  EXPECT_EQ(cached.BoundingRadius, direct.BoundingRadius);
}

TEST_F(MeshTest, DebrisMovesCumulatively) {
  TMesh mesh;
  mesh.Load(MakeMsh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}), Identity);
  const TVector v0 = mesh.Groups[0].Vertices[0].Velocity;
  Counter.Elapsed = 2;
  const TVector a{0, 0, -0.5f};
  mesh.DrawDebris(a, Scene);
  const TVector v1 = v0 + a * 2.0f;
  EXPECT_EQ(mesh.Groups[0].Vertices[0].Velocity, v1);
  EXPECT_EQ(mesh.Groups[0].Vertices[0].Position, (TVector{0, 0, 0}) + v1 * 2.0f);
  mesh.DrawDebris(a, Scene);
  const TVector v2 = v1 + a * 2.0f;
  EXPECT_EQ(mesh.Groups[0].Vertices[0].Position, (TVector{0, 0, 0}) + v1 * 2.0f + v2 * 2.0f);
}

TEST_F(MeshTest, FailedLoadLeavesTheMeshAsItWas) {
  TMesh mesh;
  mesh.Load(MakeMsh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}), Identity);
  EXPECT_THROW(mesh.LoadFromFile(Dir / "missing.msh", Identity), TFileError);
  TMsh broken = MakeMsh({{0, 0, 0}}, {{0, 0, 7}});
  EXPECT_THROW(mesh.Load(broken, Identity), TFileError);
  // A group whose texture is missing fails on the .jpg fallback.
  EXPECT_THROW(mesh.Load(MakeMsh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, {"none.bmp"}), Identity), TFileError);
  EXPECT_EQ(mesh.TriangleCount, 1);
  EXPECT_EQ(mesh.Groups[0].Vertices.size(), 3u);
}

// Texture choice by what the texture directory holds.
class MeshTextureTest : public MeshTest {
protected:
  void WriteCna(const std::string& name) {
    std::vector<uint8_t> px(4 * 4 * 4, 200);
    WriteCnaFile(Dir / ("textures/" + name), px.data(), 4, 4, TCnaSource::Bgra);
  }
  void WriteBmp(const std::string& name) {
    std::vector<uint8_t> rgb(4 * 4 * 3, 100), bytes;
    std::string error;
    ASSERT_TRUE(EncodeBmp24(rgb.data(), 4, 4, bytes, error)) << error;
    WriteFileAtomic(Dir / ("textures/" + name), bytes.data(), bytes.size());
  }
  void WriteJpg(const std::string& name) {
    std::vector<uint8_t> rgb(8 * 8 * 3, 50);
    WriteJpegFile(Dir / ("textures/" + name), rgb.data(), 8, 8, 90);
  }
  TMesh LoadNamed(const std::vector<std::string>& names) {
    std::vector<std::vector<int32_t>> groups(names.size(), std::vector<int32_t>{0, 1, 2});
    TMesh mesh;
    mesh.Load(MakeMsh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, groups, names), Identity);
    return mesh;
  }
  std::string TextureOf(const TMesh& mesh, size_t group, bool bump = false) {
    const int32_t index = bump ? mesh.Groups[group].BumpIndex : mesh.Groups[group].TextureIndex;
    return TextureNames.at(static_cast<size_t>(index));
  }
};

TEST_F(MeshTextureTest, CnaBeatsBmpAndSwitchesGlowOn) {
  WriteCna("hull.cna");
  WriteBmp("hull.bmp");
  const TMesh mesh = LoadNamed({"hull.bmp"});
  EXPECT_EQ(TextureOf(mesh, 0), "hull.cna");
  EXPECT_EQ(mesh.HasGlow, 1);
}

TEST_F(MeshTextureTest, BmpAloneIsUsedWithoutGlow) {
  WriteBmp("hull.bmp");
  const TMesh mesh = LoadNamed({"hull.jpg"});
  EXPECT_EQ(TextureOf(mesh, 0), "hull.bmp");
  EXPECT_EQ(mesh.HasGlow, 0);
}

TEST_F(MeshTextureTest, JpgIsTheLastResortAndTheLastNamedGroupDecidesGlow) {
  WriteCna("glass.cna");
  WriteJpg("hull.jpg");
  const TMesh glowing = LoadNamed({"hull.bmp", "glass.bmp"});
  EXPECT_EQ(TextureOf(glowing, 0), "hull.jpg");
  EXPECT_EQ(glowing.HasGlow, 1);
  const TMesh dull = LoadNamed({"glass.bmp", "hull.bmp"});
  EXPECT_EQ(dull.HasGlow, 0);
}

TEST_F(MeshTextureTest, BumpMapNeedsTheFullNameWithB) {
  WriteBmp("hull.bmp");
  WriteBmp("bhull.jpg");  // the wrong extension: not this group's bump map
  const TMesh none = LoadNamed({"hull.bmp"});
  EXPECT_EQ(none.Groups[0].BumpIndex, 0);
  WriteBmp("bhull.bmp");
  const TMesh bumped = LoadNamed({"hull.bmp"});
  EXPECT_EQ(TextureOf(bumped, 0, true), "bhull.bmp");
}

// One triangle in the z = 0 plane, facing +z.
TMesh Triangle(float z = 0.0f) {
  TMesh mesh;
  mesh.Load(MakeMsh({{0, 0, z}, {1, 0, z}, {0, 1, z}}, {{0, 1, 2}}), Identity);
  return mesh;
}

struct TSegmentCase {
  const char* What;
  TVector Start, End;
  bool Hit;
  float T;
};

TEST_F(MeshTest, SegmentHitCases) {
  const TMesh mesh = Triangle();
  const TSegmentCase cases[] = {
      {"crosses the interior", {0.2f, 0.2f, 1}, {0.2f, 0.2f, -1}, true, 0.5f},
      {"crosses from behind", {0.2f, 0.2f, -1}, {0.2f, 0.2f, 3}, true, 0.25f},
      {"ends exactly on it", {0.2f, 0.2f, 1}, {0.2f, 0.2f, 0}, false, 1.0f},
      {"starts on it", {0.2f, 0.2f, 0}, {0.2f, 0.2f, -1}, true, 0.0f},
      {"stops short", {0.2f, 0.2f, 2}, {0.2f, 0.2f, 1}, false, 1.0f},
      {"passes beside it", {0.8f, 0.8f, 1}, {0.8f, 0.8f, -1}, false, 1.0f},
      {"runs parallel", {0.2f, 0.2f, 0.1f}, {0.5f, 0.2f, 0.1f}, false, 1.0f},
      {"crosses the edge", {0.5f, 0, 1}, {0.5f, 0, -1}, true, 0.5f},
  };
  for (const TSegmentCase& c : cases) {
    float t = -7.0f;
    EXPECT_EQ(mesh.SegmentHit(c.Start, c.End, t), c.Hit) << c.What;
    EXPECT_FLOAT_EQ(t, c.T) << c.What;
  }
}

TEST_F(MeshTest, SegmentHitFindsTheNearestOfSeveral) {
  TMesh mesh;
  mesh.Load(MakeMsh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0.5f}, {1, 0, 0.5f}, {0, 1, 0.5f}}, {{0, 1, 2, 3, 4, 5}}),
            Identity);
  float t = 0;
  ASSERT_TRUE(mesh.SegmentHit({0.2f, 0.2f, 1}, {0.2f, 0.2f, -1}, t));
  EXPECT_FLOAT_EQ(t, 0.25f);
  ASSERT_TRUE(mesh.SegmentHit({0.2f, 0.2f, -1}, {0.2f, 0.2f, 1}, t));
  EXPECT_FLOAT_EQ(t, 0.5f);
}

struct TSphereCase {
  const char* What;
  TVector A, B;
  float Radius;
  bool Hit;
};

TEST_F(MeshTest, SphereHitCases) {
  const TMesh mesh = Triangle();
  const TSphereCase cases[] = {
      {"near the face", {0.2f, 0.2f, 1}, {0.2f, 0.2f, 0.3f}, 0.5f, true},
      {"too far from the face", {0.2f, 0.2f, 1}, {0.2f, 0.2f, 0.3f}, 0.2f, false},
      {"exactly at the radius", {0.2f, 0.2f, 1}, {0.2f, 0.2f, 0.5f}, 0.5f, true},
      {"below the face", {0.2f, 0.2f, -1}, {0.2f, 0.2f, -0.3f}, 0.5f, true},
      {"beside the triangle", {0.8f, 0.8f, 1}, {0.8f, 0.8f, 0.1f}, 0.5f, false},
      {"projected along a slant into it", {1.1f, 0.2f, 1}, {0.9f, 0.2f, 0.5f}, 0.6f, true},
      {"moving parallel", {0.5f, 0.2f, 0.1f}, {0.2f, 0.2f, 0.1f}, 0.5f, false},
      {"not moving", {0.2f, 0.2f, 0.1f}, {0.2f, 0.2f, 0.1f}, 0.5f, false},
  };
  for (const TSphereCase& c : cases) EXPECT_EQ(mesh.SphereHit(c.A, c.B, c.Radius), c.Hit) << c.What;
}

TEST_F(MeshTest, EveryDrawRunsOnTheNullTable) {
  TMesh mesh = Triangle();
  mesh.HasGlow = 1;
  mesh.Draw({0, 0, 0}, Scene);
  mesh.DrawFrame(0, 0, 0.5f, {0, 0, 0}, Scene);
  mesh.DrawBump({0, 0, 0}, {1, 0, 0, 0}, Scene);
  mesh.DrawShadow();
  mesh.DrawDebris({0, 0, 0}, Scene);
  SUCCEED();
}

// Records what the passes ask of the vertex programs.
class TFakePrograms : public TMeshPrograms {
public:
  bool BindLights(const TVector& worldPosition) override {
    Lights.push_back(worldPosition);
    return InReach;
  }
  void BindBump(const TMatrix& m) override { Bumps.push_back(m); }
  void Unbind() override { ++Unbinds; }

  bool InReach = true;
  std::vector<TVector> Lights;
  std::vector<TMatrix> Bumps;
  int Unbinds = 0;
};

class MeshProgramTest : public MeshTest {
protected:
  void SetUp() override {
    MeshTest::SetUp();
    Scene.Programs = &Programs;
    Mesh.Load(MakeMsh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {2, 1, 0}}), Identity);
  }
  void TearDown() override {
    VertexProgramSupported = false;
    GL.ActiveTexture = nullptr;
    MeshTest::TearDown();
  }
  TFakePrograms Programs;
  TMesh Mesh;
};

TEST_F(MeshProgramTest, PointLightPassNeedsProgramSupport) {
  Mesh.Draw({5, 6, 7}, Scene);
  EXPECT_TRUE(Programs.Lights.empty());
  VertexProgramSupported = true;
  Mesh.Draw({5, 6, 7}, Scene);
  Mesh.DrawFrame(0, 0, 0.0f, {1, 2, 3}, Scene);
  ASSERT_EQ(Programs.Lights.size(), 4u);  // once per group and draw
  EXPECT_EQ(Programs.Lights[1], (TVector{5, 6, 7}));
  EXPECT_EQ(Programs.Lights[3], (TVector{1, 2, 3}));
  EXPECT_EQ(Programs.Unbinds, 4);
  Scene.Programs = nullptr;
  Mesh.Draw({5, 6, 7}, Scene);
  EXPECT_EQ(Programs.Lights.size(), 4u);
}

// A light pass with no light in reach would add black: the mesh draws once per group, and the
// states are left as the pass leaves them.
TEST_F(MeshProgramTest, PointLightPassIsLeftOutWithoutALightInReach) {
  static int draws = 0;
  draws = 0;
  GL.DrawArrays = [](GLenum, GLint, GLsizei) { ++draws; };
  VertexProgramSupported = true;
  Programs.InReach = false;
  Mesh.Draw({5, 6, 7}, Scene);
  EXPECT_EQ(Programs.Lights.size(), 2u);
  EXPECT_EQ(Programs.Unbinds, 0);
  EXPECT_EQ(draws, 2);
  Programs.InReach = true;
  Mesh.Draw({5, 6, 7}, Scene);
  EXPECT_EQ(Programs.Unbinds, 2);
  EXPECT_EQ(draws, 2 + 4);
}

TEST_F(MeshProgramTest, BumpUsesTheProgramOrComputesColours) {
  GL.ActiveTexture = [](GLenum) {};
  TQuaternion q;
  QuatFromAxisAngle(0, 0, 1, 1.0f, q);
  TQuaternion inverse;
  QuatConjugate(q, inverse);
  TMatrix m;
  QuatToMatrix(inverse, m);

  VertexProgramSupported = true;
  Mesh.DrawBump({0, 0, 0}, q, Scene);
  ASSERT_EQ(Programs.Bumps.size(), 2u);
  EXPECT_EQ(Programs.Bumps[0], m);
  EXPECT_EQ(Programs.Lights.size(), 2u);  // the point-light pass follows
  EXPECT_EQ(Mesh.Groups[0].Vertices[0].Color, (std::array<float, 4>{1, 1, 1, 1}));

  VertexProgramSupported = false;
  Mesh.DrawBump({0, 0, 0}, q, Scene);
  EXPECT_EQ(Programs.Bumps.size(), 2u);
  const TMeshVertex& v = Mesh.Groups[1].Vertices[2];
  TVector l;
  MatrixRotateVector(v.SunNormal, m, l);
  EXPECT_FLOAT_EQ(v.Color[0], 0.8f + l.x / 3.0f);
  EXPECT_FLOAT_EQ(v.Color[2], 0.8f + l.z / 3.0f);
  EXPECT_EQ(v.Color[3], 1.0f);
}

// The forge's models load, have sound normals and a bounding sphere, and draw.
TEST_F(MeshTest, ForgedModelsLoadAndDraw) {
  SetAppDir(QUINTARA_GAME_DIR);
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(DataDir)) {
    if (entry.path().extension() != ".msh") continue;
    TMesh mesh;
    ASSERT_NO_THROW(mesh.LoadFromFile(entry.path().string(), Identity)) << entry.path();
    EXPECT_GT(mesh.BoundingRadius, 0.0f) << entry.path();
    EXPECT_GT(mesh.TriangleCount, 0) << entry.path();
    for (const TVertexGroup& g : mesh.Groups)
      for (const TVector& n : g.Normals) {
        const float length = VectorLength(n);
        EXPECT_TRUE(length == 0.0f || std::abs(length - 1.0f) < 1e-4f) << entry.path();
      }
    mesh.Draw({0, 0, 0}, Scene);
    ++count;
  }
  EXPECT_GT(count, 5u);
  EXPECT_EQ(MeshCacheSize(), count);
}

}  // namespace
