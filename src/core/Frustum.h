// Frustum.h — the six clipping planes of the current view and visibility tests against them.
#pragma once

#include "core/VectMath.h"

#include <array>

// Index of each plane in TFrustum::planes; every test walks them in this order.
enum TFrustumSide : int { FrustumRight, FrustumLeft, FrustumBottom, FrustumTop, FrustumFar, FrustumNear };

class TFrustum {
public:
  // Planes point inwards and are stored as extracted, unnormalised. The point, quad and box
  // tests only need the sign of a plane's value; the sphere test scales the radius by each
  // plane's normal length, so it compares true distances.
  std::array<TPlane, 6> planes{};

  // Takes the matrices the frame has just built on the CPU; with the camera in modelView the
  // planes come out in world coordinates.
  void CalculateFrustum(const TMatrix& projection, const TMatrix& modelView);

  // A point exactly on a plane counts as outside.
  bool PointInFrustum(const TVector& p) const;
  // False when the sphere lies wholly outside one plane, by true distance; touching is outside.
  bool SphereInFrustum(const TVector& centre, float radius) const;
  // Conservative: false only when all corners lie outside one and the same plane.
  bool QuadInFrustum(const TVector& p1, const TVector& p2, const TVector& p3, const TVector& p4) const;
  bool BoxInFrustum(const TVector (&corners)[8]) const;
};
