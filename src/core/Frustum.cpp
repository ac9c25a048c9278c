// Frustum.cpp — the six clipping planes of the current view and visibility tests against them.
#include "core/Frustum.h"

namespace {

bool AllOutside(const TPlane& plane, const TVector* points, int count) {
  for (int i = 0; i < count; ++i)
    if (PlaneValue(plane, points[i]) > 0.0f) return false;
  return true;
}

}  // namespace

void TFrustum::CalculateFrustum(const TMatrix& projection, const TMatrix& modelView) {
  TMatrix clip;
  MatrixMultiply(projection, modelView, clip);
  // Each plane is the last row of the clip matrix plus or minus one of the other rows.
  auto rowPlane = [&clip](int row, float sign) {
    return TPlane{clip[3] + sign * clip[row], clip[7] + sign * clip[4 + row],
                  clip[11] + sign * clip[8 + row], clip[15] + sign * clip[12 + row]};
  };
  planes[FrustumRight] = rowPlane(0, -1.0f);
  planes[FrustumLeft] = rowPlane(0, 1.0f);
  planes[FrustumBottom] = rowPlane(1, 1.0f);
  planes[FrustumTop] = rowPlane(1, -1.0f);
  planes[FrustumFar] = rowPlane(2, -1.0f);
  planes[FrustumNear] = rowPlane(2, 1.0f);
}

bool TFrustum::PointInFrustum(const TVector& p) const {
  for (const TPlane& plane : planes)
    if (PlaneValue(plane, p) <= 0.0f) return false;
  return true;
}

bool TFrustum::SphereInFrustum(const TVector& centre, float radius) const {
  // The planes keep the length their extraction gave them, so a raw plane value is a distance
  // times that length: the radius is scaled alike, or spheres near the screen's edges would be
  // dropped while still in view.
  for (const TPlane& plane : planes)
    if (PlaneValue(plane, centre) <= -radius * VectorLength({plane.a, plane.b, plane.c})) return false;
  return true;
}

bool TFrustum::QuadInFrustum(const TVector& p1, const TVector& p2, const TVector& p3,
                             const TVector& p4) const {
  const TVector corners[4] = {p1, p2, p3, p4};
  for (const TPlane& plane : planes)
    if (AllOutside(plane, corners, 4)) return false;
  return true;
}

bool TFrustum::BoxInFrustum(const TVector (&corners)[8]) const {
  for (const TPlane& plane : planes)
    if (AllOutside(plane, corners, 8)) return false;
  return true;
}
