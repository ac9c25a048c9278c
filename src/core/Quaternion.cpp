// Quaternion.cpp — rotations for actor orientation and motion paths.
#include "core/Quaternion.h"

#include <cmath>

void QuatIdentity(TQuaternion& out) { out = {1.0f, 0.0f, 0.0f, 0.0f}; }

void QuatNormalize(const TQuaternion& q, TQuaternion& out) {
  const float len = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  if (len == 0.0f) {
    QuatIdentity(out);
    return;
  }
  const float inv = 1.0f / len;
  out = {q.w * inv, q.x * inv, q.y * inv, q.z * inv};
}

void QuatMultiply(const TQuaternion& a, const TQuaternion& b, TQuaternion& out) {
  const TQuaternion l = a, r = b;
  out = {l.w * r.w - l.x * r.x - l.y * r.y - l.z * r.z,
         l.w * r.x + l.x * r.w + l.y * r.z - l.z * r.y,
         l.w * r.y - l.x * r.z + l.y * r.w + l.z * r.x,
         l.w * r.z + l.x * r.y - l.y * r.x + l.z * r.w};
}

void QuatConjugate(const TQuaternion& q, TQuaternion& out) { out = {q.w, -q.x, -q.y, -q.z}; }

void QuatToMatrix(const TQuaternion& q, TMatrix& out) {
  const float x2 = q.x + q.x, y2 = q.y + q.y, z2 = q.z + q.z;
  const float xx = q.x * x2, yy = q.y * y2, zz = q.z * z2;
  const float xy = q.x * y2, xz = q.x * z2, yz = q.y * z2;
  const float wx = q.w * x2, wy = q.w * y2, wz = q.w * z2;
  // Row-major reading of the textbook matrix, handed to GL as columns: the transpose.
  out = {1.0f - (yy + zz), xy - wz,          xz + wy,          0.0f,
         xy + wz,          1.0f - (xx + zz), yz - wx,          0.0f,
         xz - wy,          yz + wx,          1.0f - (xx + yy), 0.0f,
         0.0f,             0.0f,             0.0f,             1.0f};
}

void QuatFromAxisAngle(float x, float y, float z, float angle, TQuaternion& out) {
  const float s = std::sin(angle / 2.0f);
  QuatNormalize({std::cos(angle / 2.0f), x * s, y * s, z * s}, out);
}

void QuatFromEuler(float ax, float ay, float az, TQuaternion& out) {
  TQuaternion qx, qy, qz, qyx;
  QuatFromAxisAngle(1.0f, 0.0f, 0.0f, ax, qx);
  QuatFromAxisAngle(0.0f, 1.0f, 0.0f, ay, qy);
  QuatFromAxisAngle(0.0f, 0.0f, 1.0f, az, qz);
  QuatMultiply(qy, qx, qyx);
  QuatMultiply(qz, qyx, out);
}

void QuatSlerp(const TQuaternion& a, const TQuaternion& b, float t, TQuaternion& out) {
  // Weights in double: near-identical keys give a cosine within rounding of 1.
  const TQuaternion from = a;
  TQuaternion to = b;
  double cosom = static_cast<double>(from.x) * to.x + static_cast<double>(from.y) * to.y +
                 static_cast<double>(from.z) * to.z + static_cast<double>(from.w) * to.w;
  if (cosom < 0.0) {  // q and -q are one rotation: go the short way round
    cosom = -cosom;
    to = {-to.w, -to.x, -to.y, -to.z};
  }
  double s0 = 1.0 - t, s1 = t;
  if (1.0 - cosom > 1e-6) {
    const double omega = std::acos(cosom);
    const double sinom = std::sin(omega);
    s0 = std::sin((1.0 - t) * omega) / sinom;
    s1 = std::sin(t * omega) / sinom;
  }
  out = {static_cast<float>(s0 * from.w + s1 * to.w), static_cast<float>(s0 * from.x + s1 * to.x),
         static_cast<float>(s0 * from.y + s1 * to.y), static_cast<float>(s0 * from.z + s1 * to.z)};
}
