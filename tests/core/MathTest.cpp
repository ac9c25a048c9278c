// MathTest.cpp — vectors, planes and the CPU stand-ins for the GL/GLU matrix calls.
#include "core/VectMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectNear(const TVector& actual, const TVector& expected, float eps = 1e-5f) {
  EXPECT_NEAR(actual.x, expected.x, eps);
  EXPECT_NEAR(actual.y, expected.y, eps);
  EXPECT_NEAR(actual.z, expected.z, eps);
}

TMatrix Identity() {
  TMatrix m;
  MatrixIdentity(m);
  return m;
}

TVector Transform(const TMatrix& m, const TVector& p) {
  TVector out;
  MatrixTransformPoint(p, m, out);
  return out;
}

}  // namespace

TEST(VectMath, CrossFollowsRightHandRule) {
  TVector out;
  VectorCross({1, 0, 0}, {0, 1, 0}, out);
  EXPECT_EQ(out, (TVector{0, 0, 1}));
}

TEST(VectMath, OutputMayAliasInput) {
  TVector a{1, 0, 0};
  VectorCross(a, TVector{0, 1, 0}, a);
  EXPECT_EQ(a, (TVector{0, 0, 1}));

  TVector v{3, 4, 0};
  VectorNormalize(v, v);
  ExpectNear(v, {0.6f, 0.8f, 0});
}

TEST(VectMath, ZeroLengthInputsGiveZeroNotNaN) {
  TVector v;
  VectorNormalize({0, 0, 0}, v);
  EXPECT_EQ(v, (TVector{0, 0, 0}));

  TPlane pl;
  PlaneFromPoints({1, 1, 1}, {2, 2, 2}, {3, 3, 3}, pl);  // collinear
  EXPECT_EQ(pl, (TPlane{0, 0, 0, 0}));
  PlaneFromPointNormal({1, 2, 3}, {0, 0, 0}, pl);
  EXPECT_EQ(pl, (TPlane{0, 0, 0, 0}));
}

TEST(VectMath, PlaneNormalIsP1MinusP0CrossP2MinusP0) {
  TPlane pl;
  PlaneFromPoints({0, 0, 0}, {1, 0, 0}, {0, 0, 1}, pl);
  EXPECT_EQ(pl, (TPlane{0, -1, 0, 0}));

  PlaneFromPointNormal({0, 0, 5}, {0, 0, 10}, pl);  // normal is made unit
  EXPECT_EQ(pl, (TPlane{0, 0, 1, -5}));
  EXPECT_FLOAT_EQ(PlaneValue(pl, {7, 7, 8}), 3);
}

TEST(VectMath, MatrixTransformsUseColumnMajorTranslation) {
  TMatrix m = Identity();
  m[12] = 10, m[13] = 20, m[14] = 30;
  m[4] = 2;  // column 1, row 0: x gains 2*y
  EXPECT_EQ(Transform(m, {1, 1, 1}), (TVector{13, 21, 31}));
  TVector dir;
  MatrixRotateVector({1, 1, 1}, m, dir);
  EXPECT_EQ(dir, (TVector{3, 1, 1}));
}

TEST(VectMath, IntersectLinePlane) {
  const TPlane ground{0, 0, 1, -10};  // z = 10
  TVector hit{-1, -1, -1};

  EXPECT_FALSE(IntersectLinePlane({0, 0, 0}, {1, 1, 0}, ground, hit));
  EXPECT_EQ(hit, (TVector{-1, -1, -1})) << "a parallel line leaves the output untouched";

  ASSERT_TRUE(IntersectLinePlane({3, 4, 10}, {1, 2, 5}, ground, hit));
  EXPECT_EQ(hit, (TVector{3, 4, 10})) << "a point on the plane is its own hit";

  ASSERT_TRUE(IntersectLinePlane({0, 0, 20}, {0, 1, 2}, ground, hit));  // hit lies behind p
  ExpectNear(hit, {0, -5, 10});
}

TEST(VectMath, MultiplyIsAThenB) {
  TMatrix translate = Identity(), scale = Identity(), out;
  translate[12] = 1;
  scale[0] = scale[5] = scale[10] = 2;
  MatrixMultiply(translate, scale, out);  // scale first, then translate
  EXPECT_EQ(Transform(out, {1, 1, 1}), (TVector{3, 2, 2}));
  MatrixMultiply(scale, translate, out);
  EXPECT_EQ(Transform(out, {1, 1, 1}), (TVector{4, 2, 2}));
  MatrixMultiply(translate, scale, translate);  // aliasing
  EXPECT_EQ(Transform(translate, {1, 1, 1}), (TVector{3, 2, 2}));
}

TEST(VectMath, TranslateAndRotatePostMultiplyLikeGL) {
  TMatrix m = Identity();
  MatrixTranslate(m, 5, 0, 0);
  MatrixRotate(m, 90, 0, 0, 2);  // counter-clockwise about +Z; axis need not be unit
  ExpectNear(Transform(m, {1, 0, 0}), {5, 1, 0});

  m = Identity();
  MatrixScale(m, 2, 2, 2);
  MatrixTranslate(m, 1, 0, 0);  // translation happens in the scaled frame
  ExpectNear(Transform(m, {0, 0, 0}), {2, 0, 0});

  m = Identity();
  MatrixRotate(m, 45, 0, 0, 0);
  EXPECT_EQ(m, Identity()) << "no axis, no rotation";
}

TEST(VectMath, PerspectiveMatchesGluPerspective) {
  struct Case { float fovy, aspect, zNear, zFar, m0, m5, m10, m14; };
  // Values worked out by hand from GLU's definition: f = cot(fovy / 2).
  const Case cases[] = {
      {90, 1, 1, 100, 1.0f, 1.0f, -101.0f / 99.0f, -200.0f / 99.0f},
      {60, 4.0f / 3.0f, 1, 700, 1.29903811f, 1.73205081f, -701.0f / 699.0f, -1400.0f / 699.0f},
  };
  for (const Case& c : cases) {
    TMatrix m;
    MatrixPerspective(c.fovy, c.aspect, c.zNear, c.zFar, m);
    EXPECT_FLOAT_EQ(m[0], c.m0);
    EXPECT_FLOAT_EQ(m[5], c.m5);
    EXPECT_FLOAT_EQ(m[10], c.m10);
    EXPECT_FLOAT_EQ(m[14], c.m14);
    EXPECT_EQ(m[11], -1.0f);
    EXPECT_EQ(m[15], 0.0f);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13}) EXPECT_EQ(m[i], 0.0f) << i;
  }
}

TEST(VectMath, Ortho2DMapsRectangleToClipSquare) {
  TMatrix m;
  MatrixOrtho2D(0, 640, 0, 480, m);
  EXPECT_EQ(Transform(m, {0, 0, 0}), (TVector{-1, -1, 0}));
  EXPECT_EQ(Transform(m, {640, 480, 0}), (TVector{1, 1, 0}));
  EXPECT_EQ(Transform(m, {0, 0, 1}).z, -1.0f);
}

TEST(VectMath, ProjectPointLikeGluProject) {
  TMatrix proj;
  MatrixPerspective(90, 1, 1, 100, proj);
  const TMatrix model = Identity();
  const int32_t viewport[4] = {10, 20, 640, 480};
  TVector win;

  ASSERT_TRUE(ProjectPoint({0, 0, -1}, model, proj, viewport, win));
  ExpectNear(win, {330, 260, 0});  // centre of the viewport, on the near plane
  ASSERT_TRUE(ProjectPoint({1, 1, -2}, model, proj, viewport, win));
  ExpectNear(win, {10 + 480, 20 + 360, win.z});
  ASSERT_TRUE(ProjectPoint({0, 0, -100}, model, proj, viewport, win));
  EXPECT_NEAR(win.z, 1.0f, 1e-6f);

  win = {7, 7, 7};
  EXPECT_FALSE(ProjectPoint({3, 3, 0}, model, proj, viewport, win)) << "eye plane: w = 0";
  EXPECT_EQ(win, (TVector{7, 7, 7}));
}
