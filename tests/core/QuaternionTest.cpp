// QuaternionTest.cpp — storage order, matrix direction, Euler order and shortest-arc slerp.
#include "core/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr float Pi = std::numbers::pi_v<float>;

void ExpectNear(const TQuaternion& a, const TQuaternion& b, float eps = 1e-6f) {
  EXPECT_NEAR(a.w, b.w, eps);
  EXPECT_NEAR(a.x, b.x, eps);
  EXPECT_NEAR(a.y, b.y, eps);
  EXPECT_NEAR(a.z, b.z, eps);
}

// q v q*, the textbook rotation of v by q, built from the product alone.
TVector Rotate(const TQuaternion& q, const TVector& v) {
  TQuaternion conj, tmp, out;
  QuatConjugate(q, conj);
  QuatMultiply(q, {0, v.x, v.y, v.z}, tmp);
  QuatMultiply(tmp, conj, out);
  return {out.x, out.y, out.z};
}

}  // namespace

TEST(Quaternion, IdentityZeroEulerAndNormalize) {
  TQuaternion q;
  QuatFromEuler(0, 0, 0, q);
  EXPECT_EQ(q, (TQuaternion{1, 0, 0, 0}));
  QuatNormalize({0, 0, 3, 4}, q);
  ExpectNear(q, {0, 0, 0.6f, 0.8f});
  QuatNormalize({0, 0, 0, 0}, q);
  EXPECT_EQ(q, (TQuaternion{1, 0, 0, 0})) << "no direction: identity, not NaN";
}

TEST(Quaternion, MultiplyIsHamiltonWithLeftOperandFirst) {
  TQuaternion q;
  QuatMultiply({0, 1, 0, 0}, {0, 0, 1, 0}, q);  // i j = k
  EXPECT_EQ(q, (TQuaternion{0, 0, 0, 1}));
  QuatMultiply({0, 0, 1, 0}, {0, 1, 0, 0}, q);  // j i = -k
  EXPECT_EQ(q, (TQuaternion{0, 0, 0, -1}));
  TQuaternion a{0.5f, 0.5f, 0.5f, 0.5f};
  QuatMultiply(a, a, a);  // aliasing
  ExpectNear(a, {-0.5f, 0.5f, 0.5f, 0.5f});
}

TEST(Quaternion, AxisAngleNormalisesTheResultNotTheAxis) {
  TQuaternion q;
  QuatFromAxisAngle(0, 0, 1, Pi / 2, q);
  ExpectNear(q, {std::sqrt(0.5f), 0, 0, std::sqrt(0.5f)});
  QuatFromAxisAngle(0, 0, 5, Pi / 2, q);  // (cos 45, 0, 0, 5 sin 45), then made unit
  ExpectNear(q, {1 / std::sqrt(26.0f), 0, 0, 5 / std::sqrt(26.0f)});
}

// Handed to glMultMatrixf, the matrix must turn things by the *negative* angle: it holds the
// transpose of the textbook matrix. Compare with the GL-style rotation of -angle.
TEST(Quaternion, MatrixRotatesByConjugateWhenAppliedLikeGL) {
  struct Case { float x, y, z, degrees; };
  const float k = 1 / std::sqrt(14.0f);
  const Case cases[] = {{0, 1, 0, 30}, {1, 0, 0, 90}, {0, 0, 1, -45}, {k, 2 * k, 3 * k, 100}};
  for (const Case& c : cases) {
    TQuaternion q;
    QuatFromAxisAngle(c.x, c.y, c.z, c.degrees * Pi / 180, q);
    TMatrix fromQuat, gl;
    QuatToMatrix(q, fromQuat);
    MatrixIdentity(gl);
    MatrixRotate(gl, -c.degrees, c.x, c.y, c.z);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(fromQuat[i], gl[i], 1e-6f) << "element " << i;
  }
  TQuaternion q;
  QuatFromAxisAngle(0, 1, 0, 0.3f, q);
  TMatrix m;
  QuatToMatrix(q, m);
  EXPECT_FLOAT_EQ(m[2], std::sin(0.3f)) << "x axis goes to (cos a, 0, +sin a)";
}

TEST(Quaternion, EulerAppliesXThenYThenZ) {
  TQuaternion q;
  QuatFromEuler(Pi / 2, Pi / 2, 0, q);
  // +Y: about X to +Z, then about Y to +X. The reverse order would end on +Z.
  const TVector v = Rotate(q, {0, 1, 0});
  EXPECT_NEAR(v.x, 1, 1e-6f);
  EXPECT_NEAR(v.y, 0, 1e-6f);
  EXPECT_NEAR(v.z, 0, 1e-6f);
}

TEST(Quaternion, SlerpEndsAndMidpoint) {
  TQuaternion a, b, out;
  QuatIdentity(a);
  QuatFromAxisAngle(0, 0, 1, Pi / 2, b);
  QuatSlerp(a, b, 0, out);
  EXPECT_EQ(out, a);
  QuatSlerp(a, b, 1, out);
  ExpectNear(out, b);
  TQuaternion half;
  QuatFromAxisAngle(0, 0, 1, Pi / 4, half);
  QuatSlerp(a, b, 0.5f, out);
  ExpectNear(out, half);
}

TEST(Quaternion, SlerpTakesShortestArc) {
  TQuaternion a, b, out, half;
  QuatIdentity(a);
  QuatFromAxisAngle(0, 0, 1, Pi / 2, b);
  QuatFromAxisAngle(0, 0, 1, Pi / 4, half);
  QuatSlerp(a, {-b.w, -b.x, -b.y, -b.z}, 0.5f, out);  // same rotation, other hemisphere
  ExpectNear(out, half);

  const TQuaternion c{0.5f, 0.5f, -0.5f, 0.5f};
  QuatSlerp(c, {-0.5f, -0.5f, 0.5f, -0.5f}, 0.5f, out);  // b = -a: stays at a
  ExpectNear(out, c);
  QuatSlerp(c, c, 0.3f, out);  // equal keys: the linear blend, no 0/0
  ExpectNear(out, c);
}
