// MeshHit.cpp — TMesh hit tests against the rest pose's triangles: a segment (shots) and a swept sphere (collisions).
#include "render/MeshUnit.h"

#include <cmath>

namespace {

bool InsideEdges(const TTrianglePlanes& planes, const TVector& p) {
  for (const TPlane& edge : planes.Edges)
    if (PlaneValue(edge, p) < 0.0f) return false;
  return true;
}

TVector PlaneNormal(const TPlane& plane) { return {plane.a, plane.b, plane.c}; }

}  // namespace

bool TMesh::SegmentHit(const TVector& start, const TVector& end, float& t) const {
  const TVector d = end - start;
  // Only crossings before the end count: a shot that stops exactly on a face has not hit it.
  float best = 1.0f;
  bool hit = false;
  for (const TTrianglePlanes& planes : TrianglePlanes) {
    const TVector normal = PlaneNormal(planes.Face);
    const float denom = VectorDot(normal, d);
    if (denom == 0.0f) continue;
    const float at = -(VectorDot(normal, start) + planes.Face.d) / denom;
    if (at < 0.0f || at > 1.0f) continue;
    if (!InsideEdges(planes, start + at * d)) continue;
    if (at < best) {
      best = at;
      hit = true;
    }
  }
  t = best;
  return hit;
}

bool TMesh::SphereHit(const TVector& a, const TVector& b, float radius) const {
  const TVector d = a - b;
  for (const TTrianglePlanes& planes : TrianglePlanes) {
    const float denom = VectorDot(PlaneNormal(planes.Face), d);
    if (denom == 0.0f) continue;
    const float dist = PlaneValue(planes.Face, b);
    const TVector p = b + (-dist / denom) * d;
    if (InsideEdges(planes, p) && std::abs(dist) <= radius) return true;
  }
  return false;
}
