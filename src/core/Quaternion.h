// Quaternion.h — rotations for actor orientation and motion paths (storage w, x, y, z).
#pragma once

#include "core/VectMath.h"

// Scalar part first; the identity is (1, 0, 0, 0). See VectMath.h for the matrix convention.
struct TQuaternion {
  float w, x, y, z;

  friend bool operator==(const TQuaternion&, const TQuaternion&) = default;
};

void QuatIdentity(TQuaternion& out);
// A zero quaternion has no direction; it becomes the identity instead of NaN.
void QuatNormalize(const TQuaternion& q, TQuaternion& out);
void QuatMultiply(const TQuaternion& a, const TQuaternion& b, TQuaternion& out);  // a * b
void QuatConjugate(const TQuaternion& q, TQuaternion& out);
// Stores the transpose of the textbook rotation matrix: with glMultMatrixf it rotates by the
// conjugate of q. Actors and the camera depend on exactly this order.
void QuatToMatrix(const TQuaternion& q, TMatrix& out);
// Scales the axis by sin(angle/2) as given and normalises the result: any axis yields a unit
// quaternion, but only a unit axis yields exactly the angle asked for.
void QuatFromAxisAngle(float x, float y, float z, float angle, TQuaternion& out);
// out = qz * (qy * qx): x first, then y, then z.
void QuatFromEuler(float ax, float ay, float az, TQuaternion& out);
// Shortest arc from a to b; nearly equal inputs are blended linearly. Not re-normalised.
void QuatSlerp(const TQuaternion& a, const TQuaternion& b, float t, TQuaternion& out);
