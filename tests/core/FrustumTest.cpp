// FrustumTest.cpp — plane extraction order and the raw, conservative visibility tests.
#include "core/Frustum.h"

#include <gtest/gtest.h>

namespace {

TFrustum IdentityFrustum() {
  TMatrix id;
  MatrixIdentity(id);
  TFrustum f;
  f.CalculateFrustum(id, id);
  return f;
}

}  // namespace

TEST(Frustum, IdentityGivesClipCubeInFixedOrder) {
  const TFrustum f = IdentityFrustum();
  EXPECT_EQ(f.planes[FrustumRight], (TPlane{-1, 0, 0, 1}));
  EXPECT_EQ(f.planes[FrustumLeft], (TPlane{1, 0, 0, 1}));
  EXPECT_EQ(f.planes[FrustumBottom], (TPlane{0, 1, 0, 1}));
  EXPECT_EQ(f.planes[FrustumTop], (TPlane{0, -1, 0, 1}));
  EXPECT_EQ(f.planes[FrustumFar], (TPlane{0, 0, -1, 1}));
  EXPECT_EQ(f.planes[FrustumNear], (TPlane{0, 0, 1, 1}));
}

TEST(Frustum, PointOnPlaneIsOutside) {
  const TFrustum f = IdentityFrustum();
  EXPECT_TRUE(f.PointInFrustum({0, 0, 0}));
  EXPECT_FALSE(f.PointInFrustum({1, 0, 0}));
  EXPECT_TRUE(f.PointInFrustum({0.99f, -0.99f, 0.99f}));
}

TEST(Frustum, SphereIsJudgedByItsTrueDistanceFromEachPlane) {
  TFrustum f = IdentityFrustum();
  EXPECT_FALSE(f.SphereInFrustum({2, 0, 0}, 1));  // touching the right plane from outside
  EXPECT_TRUE(f.SphereInFrustum({2, 0, 0}, 1.01f));
  // A plane of any length is the same plane: the sphere reaching past x = 1 stays in view.
  f.planes[FrustumRight] = {-10, 0, 0, 10};
  EXPECT_TRUE(f.SphereInFrustum({2, 0, 0}, 1.01f));
  EXPECT_FALSE(f.SphereInFrustum({2, 0, 0}, 0.99f));
}

TEST(Frustum, BoxAndQuadAreConservative) {
  const TFrustum f = IdentityFrustum();
  const TVector beyondRight[8] = {{2, -0.5f, -0.5f}, {3, -0.5f, -0.5f}, {2, 0.5f, -0.5f}, {3, 0.5f, -0.5f},
                                  {2, -0.5f, 0.5f},  {3, -0.5f, 0.5f},  {2, 0.5f, 0.5f},  {3, 0.5f, 0.5f}};
  EXPECT_FALSE(f.BoxInFrustum(beyondRight));

  const TVector straddling[8] = {{-2, -2, -2}, {2, -2, -2}, {-2, 2, -2}, {2, 2, -2},
                                 {-2, -2, 2},  {2, -2, 2},  {-2, 2, 2},  {2, 2, 2}};
  EXPECT_TRUE(f.BoxInFrustum(straddling));

  // Wholly outside past the right-top corner, but no single plane has all four corners out.
  EXPECT_TRUE(f.QuadInFrustum({3, 0.5f, 0}, {0.5f, 3, 0}, {3, 3, 0}, {2, 2, 0}));
  EXPECT_FALSE(f.QuadInFrustum({0, 0, 1}, {0.5f, 0, 1}, {0, 0.5f, 2}, {0.5f, 0.5f, 3}));
}

TEST(Frustum, PerspectiveCameraInWorldCoordinates) {
  TMatrix proj, view;
  MatrixPerspective(90, 1, 1, 100, proj);
  MatrixIdentity(view);
  MatrixTranslate(view, 0, 0, -10);  // eye at z = 10 looking down -z
  TFrustum f;
  f.CalculateFrustum(proj, view);

  struct Case { TVector p; bool inside; };
  const Case cases[] = {
      {{0, 0, 0}, true},       {{0, 0, 9.5f}, false},  // behind the near plane
      {{0, 0, -85}, true},     {{0, 0, -95}, false},   // past the far plane
      {{15, 0, -10}, true},    {{25, 0, -10}, false},  // 90 degrees: |x| < distance
      {{0, -15, -10}, true},   {{0, -25, -10}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(f.PointInFrustum(c.p), c.inside) << c.p.x << " " << c.p.y << " " << c.p.z;
}
