// VectMath.cpp — 3-vectors, 4x4 matrices and planes.
#include "core/VectMath.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double DegToRad = std::numbers::pi / 180.0;

// Scales (x, y, z) to unit length; a zero vector stays zero so degenerate input never becomes NaN.
TVector UnitOrZero(const TVector& v) {
  const float len = VectorLength(v);
  if (len == 0.0f) return {0.0f, 0.0f, 0.0f};
  return {v.x / len, v.y / len, v.z / len};
}

}  // namespace

float VectorLength(const TVector& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

void VectorNormalize(const TVector& v, TVector& out) { out = UnitOrZero(v); }

void VectorCross(const TVector& a, const TVector& b, TVector& out) {
  const TVector l = a, r = b;
  out = {l.y * r.z - l.z * r.y, l.z * r.x - l.x * r.z, l.x * r.y - l.y * r.x};
}

float VectorDot(const TVector& a, const TVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

void VectorSub(const TVector& a, const TVector& b, TVector& out) { out = a - b; }

void VectorAdd(const TVector& a, const TVector& b, TVector& out) { out = a + b; }

void VectorScale(const TVector& v, float s, TVector& out) { out = v * s; }

void MatrixTransformPoint(const TVector& p, const TMatrix& m, TVector& out) {
  const TVector v = p;
  out = {m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12],
         m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13],
         m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14]};
}

void MatrixRotateVector(const TVector& v, const TMatrix& m, TVector& out) {
  const TVector u = v;
  out = {m[0] * u.x + m[4] * u.y + m[8] * u.z,
         m[1] * u.x + m[5] * u.y + m[9] * u.z,
         m[2] * u.x + m[6] * u.y + m[10] * u.z};
}

void PlaneFromPoints(const TVector& p0, const TVector& p1, const TVector& p2, TPlane& out) {
  const TVector origin = p0;
  TVector n;
  VectorCross(p1 - origin, p2 - origin, n);
  n = UnitOrZero(n);
  out = {n.x, n.y, n.z, -VectorDot(n, origin)};
}

void PlaneFromPointNormal(const TVector& p, const TVector& n, TPlane& out) {
  const TVector point = p;
  const TVector unit = UnitOrZero(n);
  out = {unit.x, unit.y, unit.z, -VectorDot(unit, point)};
}

bool IntersectLinePlane(const TVector& p, const TVector& dir, const TPlane& plane, TVector& out) {
  const TVector start = p, d = dir;
  const TVector normal{plane.a, plane.b, plane.c};
  const float denom = VectorDot(normal, d);
  if (denom == 0.0f) return false;
  const float t = -(VectorDot(normal, start) + plane.d) / denom;
  out = start + d * t;
  return true;
}

void MatrixIdentity(TMatrix& out) {
  out = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

void MatrixMultiply(const TMatrix& a, const TMatrix& b, TMatrix& out) {
  TMatrix r;
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 4; ++row)
      r[c * 4 + row] = a[0 * 4 + row] * b[c * 4 + 0] + a[1 * 4 + row] * b[c * 4 + 1] +
                       a[2 * 4 + row] * b[c * 4 + 2] + a[3 * 4 + row] * b[c * 4 + 3];
  out = r;
}

void MatrixPerspective(float fovyDeg, float aspect, float zNear, float zFar, TMatrix& out) {
  // Built in double like GLU does; a degenerate frustum leaves the identity, as gluPerspective
  // then multiplies nothing onto the stack.
  MatrixIdentity(out);
  const double half = fovyDeg / 2.0 * DegToRad;
  const double deltaZ = static_cast<double>(zFar) - zNear;
  const double sine = std::sin(half);
  if (deltaZ == 0.0 || sine == 0.0 || aspect == 0.0f) return;
  const double cotangent = std::cos(half) / sine;
  out[0] = static_cast<float>(cotangent / aspect);
  out[5] = static_cast<float>(cotangent);
  out[10] = static_cast<float>(-(static_cast<double>(zFar) + zNear) / deltaZ);
  out[11] = -1.0f;
  out[14] = static_cast<float>(-2.0 * zNear * zFar / deltaZ);
  out[15] = 0.0f;
}

void MatrixOrtho2D(float left, float right, float bottom, float top, TMatrix& out) {
  // glOrtho with near -1 and far 1; an empty box is refused by GL, so it stays the identity.
  MatrixIdentity(out);
  const double w = static_cast<double>(right) - left;
  const double h = static_cast<double>(top) - bottom;
  if (w == 0.0 || h == 0.0) return;
  out[0] = static_cast<float>(2.0 / w);
  out[5] = static_cast<float>(2.0 / h);
  out[10] = -1.0f;
  out[12] = static_cast<float>(-(static_cast<double>(right) + left) / w);
  out[13] = static_cast<float>(-(static_cast<double>(top) + bottom) / h);
}

void MatrixTranslate(TMatrix& m, float x, float y, float z) {
  for (int r = 0; r < 4; ++r) m[12 + r] += m[r] * x + m[4 + r] * y + m[8 + r] * z;
}

void MatrixRotate(TMatrix& m, float angleDeg, float x, float y, float z) {
  const float len = std::sqrt(x * x + y * y + z * z);
  if (len <= 1.0e-4f) return;  // GL implementations skip a rotation about no axis
  x /= len;
  y /= len;
  z /= len;
  const double rad = angleDeg * DegToRad;
  const float s = static_cast<float>(std::sin(rad));
  const float c = static_cast<float>(std::cos(rad));
  const float k = 1.0f - c;
  const TMatrix r = {x * x * k + c,     y * x * k + z * s, x * z * k - y * s, 0,
                     x * y * k - z * s, y * y * k + c,     y * z * k + x * s, 0,
                     x * z * k + y * s, y * z * k - x * s, z * z * k + c,     0,
                     0,                 0,                 0,                 1};
  MatrixMultiply(m, r, m);
}

void MatrixScale(TMatrix& m, float x, float y, float z) {
  for (int r = 0; r < 4; ++r) {
    m[r] *= x;
    m[4 + r] *= y;
    m[8 + r] *= z;
  }
}

bool ProjectPoint(const TVector& obj, const TMatrix& model, const TMatrix& proj,
                  const int32_t viewport[4], TVector& winOut) {
  // GLU works in double; so do we, rounding only the window coordinates.
  const double in[4] = {obj.x, obj.y, obj.z, 1.0};
  double eye[4], clip[4];
  for (int r = 0; r < 4; ++r)
    eye[r] = model[r] * in[0] + model[4 + r] * in[1] + model[8 + r] * in[2] + model[12 + r] * in[3];
  for (int r = 0; r < 4; ++r)
    clip[r] = proj[r] * eye[0] + proj[4 + r] * eye[1] + proj[8 + r] * eye[2] + proj[12 + r] * eye[3];
  if (clip[3] == 0.0) return false;
  const double nx = clip[0] / clip[3] * 0.5 + 0.5;
  const double ny = clip[1] / clip[3] * 0.5 + 0.5;
  const double nz = clip[2] / clip[3] * 0.5 + 0.5;
  winOut = {static_cast<float>(nx * viewport[2] + viewport[0]),
            static_cast<float>(ny * viewport[3] + viewport[1]), static_cast<float>(nz)};
  return true;
}
