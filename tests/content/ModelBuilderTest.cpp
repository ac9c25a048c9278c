// ModelBuilderTest.cpp — the forge's mesh builder: primitives are closed and face outward, the
// mesh shares vertices only within a surface, and animated frames must match.
#include "content/Model.h"
#include "core/Error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <tuple>

namespace {

TVector Cross(const TVector& a, const TVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const TVector& a, const TVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Enclosed volume by the divergence theorem: positive when every face points outward.
double Volume(const TModel& m) {
  double v = 0;
  for (const auto& t : m.Triangles()) v += Dot(t.P[0], Cross(t.P[1], t.P[2])) / 6.0;
  return v;
}

// Every edge of a closed surface is used once in each direction.
bool Closed(const TModel& m) {
  using TKey = std::tuple<float, float, float>;
  std::map<std::pair<TKey, TKey>, int> edges;
  auto key = [](const TVector& v) { return TKey{v.x + 0.0f, v.y + 0.0f, v.z + 0.0f}; };
  for (const auto& t : m.Triangles())
    for (int k = 0; k < 3; ++k) ++edges[{key(t.P[k]), key(t.P[(k + 1) % 3])}];
  for (const auto& [e, n] : edges) {
    auto back = edges.find({e.second, e.first});
    if (n != 1 || back == edges.end() || back->second != 1) return false;
  }
  return true;
}

const TUvRect All{0, 0, 1, 1};

}  // namespace

TEST(ModelBuilder, PrimitivesAreClosedAndFaceOutward) {
  struct Case {
    const char* label;
    void (*build)(TModel&);
    double volume;
    double tolerance;
  };
  constexpr double Pi = 3.14159265358979;
  const Case cases[] = {
      {"box", [](TModel& m) { m.Box({-1, -2, -3}, {1, 2, 3}, 0, All); }, 48, 1e-4},
      {"bevelled box", [](TModel& m) { m.Box({-1, -2, -3}, {1, 2, 3}, 0.2f, All); }, 48 - 0.6, 0.4},
      {"lathe cylinder",
       [](TModel& m) { m.Lathe({{0, 0}, {1, 0, true}, {1, 2, true}, {0, 2, true}}, 12, All); },
       12 / 2.0 * std::sin(2 * Pi / 12) * 2, 1e-4},
      {"cylinder between points", [](TModel& m) { m.Cylinder({1, 1, 1}, {1, 1, 4}, 1, 1, 16, All); },
       16 / 2.0 * std::sin(2 * Pi / 16) * 3, 1e-3},
      {"L-shaped extrusion",
       [](TModel& m) { m.Extrude({{0, 0}, {3, 0}, {3, 1}, {1, 1}, {1, 2}, {0, 2}}, -1, 1, All, All); }, 4 * 2, 1e-4},
      {"clockwise extrusion", [](TModel& m) { m.Extrude({{0, 0}, {0, 1}, {1, 1}, {1, 0}}, 0, 2, All, All); }, 2, 1e-4},
      {"capped loft",
       [](TModel& m) {
         TLoftOptions o;
         o.CapStart = o.CapEnd = true;
         m.Loft({EllipseRing(16, {0, 0, -1}, 1, 1, 1), EllipseRing(16, {0, 0, 1}, 1, 1, 1)}, o);
       },
       16 / 2.0 * std::sin(2 * Pi / 16) * 2, 1e-3},
      {"mirrored boxes", [](TModel& m) { m.Mirrored([&] { m.Box({1, 0, 0}, {2, 1, 1}, 0, All); }); }, 2, 1e-4},
      {"rotated and scaled",
       [](TModel& m) {
         m.RotateY(0.7f);
         m.Scale({2, 1, 1});
         m.Box({0, 0, 0}, {1, 1, 1}, 0, All);
       },
       2, 1e-4},
  };
  for (const Case& c : cases) {
    TModel m;
    c.build(m);
    EXPECT_NEAR(Volume(m), c.volume, c.tolerance) << c.label;
    EXPECT_TRUE(Closed(m)) << c.label << " has open edges";
  }
}

TEST(ModelBuilder, TrianglesWithoutAreaAreDropped) {
  TModel m;
  m.Triangle({0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {}, {}, {});
  m.Triangle({0, 0, 0}, {0, 0, 0}, {1, 1, 0}, {}, {}, {});
  EXPECT_EQ(m.TriangleCount(), 0u);
  // A loft from a point: the rings' first quads fold into triangles.
  TLoftOptions o;
  m.Loft({EllipseRing(8, {0, 0, 0}, 0, 0, 0), EllipseRing(8, {0, 0, 1}, 1, 1, 1)}, o);
  EXPECT_EQ(m.TriangleCount(), 8u);
}

TEST(ModelBuilder, SurfacesShareVerticesAndEdgesBetweenThemStayCrisp) {
  TModel m;
  m.Group("a.cna");
  m.Box({0, 0, 0}, {1, 1, 1}, 0, All);
  const TMsh mesh = BuildMesh(m, "box");
  // Six faces of four corners each: every face is its own surface.
  EXPECT_EQ(mesh.VertexCount(), 24u);
  EXPECT_EQ(mesh.TriangleCount(), 12u);
  // No two of them may sit at exactly one place, or the game would smooth the cube round.
  std::set<std::tuple<float, float, float>> places;
  for (const TVector& v : mesh.RestPose()) EXPECT_TRUE(places.insert({v.x, v.y, v.z}).second);
  for (const TVector& v : mesh.RestPose())
    for (float c : {v.x, v.y, v.z}) EXPECT_TRUE(std::fabs(c) < 0.01f || std::fabs(c - 1) < 0.01f);

  TModel smooth;
  smooth.Lathe({{1, 0}, {1, 1}, {1, 2}}, 10, All);
  EXPECT_EQ(BuildMesh(smooth, "tube").VertexCount(), 30u) << "one surface: rings shared all round";
}

TEST(ModelBuilder, GroupsKeepTheirOrderAndDebrisTriplesTouch) {
  TModel m;
  m.Group("b.cna");
  m.Lathe({{1, 0}, {1, 1}, {1, 2}, {1, 3}}, 12, All);
  m.Group("a.cna");
  m.Box({5, 0, 0}, {6, 1, 1}, 0, All);
  const TMsh mesh = BuildMesh(m, "two");
  ASSERT_EQ(mesh.Groups.size(), 2u);
  EXPECT_EQ(mesh.Groups[0].Name, "b.cna");
  EXPECT_EQ(mesh.Groups[1].Name, "a.cna");
  const TMshGroup& tube = mesh.Groups[0];
  for (size_t i = 0; i + 9 <= tube.VertexIndices.size(); i += 9) {
    std::set<int32_t> first(tube.VertexIndices.begin() + i, tube.VertexIndices.begin() + i + 3);
    int shared = 0;
    for (size_t k = i + 3; k < i + 9; ++k) shared += first.count(tube.VertexIndices[k]) ? 1 : 0;
    EXPECT_GT(shared, 0) << "piece " << i / 9;
  }
}

TEST(ModelBuilder, AnimatedFramesShareVerticesAndMustMatch) {
  auto pose = [](float lift) {
    TModel m;
    m.Group("t.cna");
    m.Translate({0, lift, 0});
    m.Box({0, 0, 0}, {1, 1, 1}, 0, All);
    return m;
  };
  const TMsh mesh = BuildAnimatedMesh({{pose(0), pose(1)}, {pose(2)}}, "anim");
  ASSERT_EQ(mesh.Anims.size(), 2u);
  EXPECT_EQ(mesh.Anims[0].Frames.size(), 2u);
  for (size_t v = 0; v < mesh.VertexCount(); ++v)
    EXPECT_NEAR(mesh.Anims[1].Frames[0][v].y - mesh.RestPose()[v].y, 2.0f, 1e-4);

  TModel other;
  other.Group("t.cna");
  other.Box({0, 0, 0}, {1, 1, 1}, 0.1f, All);
  EXPECT_THROW(BuildAnimatedMesh({{pose(0), other}}, "mismatch"), TFileError);
  EXPECT_THROW(BuildMesh(TModel(), "empty"), TFileError);
}
