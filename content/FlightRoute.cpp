// FlightRoute.cpp — curves, steady and eased sampling, and facing rotations for recorded paths.
#include "content/FlightRoute.h"

#include "core/Error.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int SegmentsPerSpan = 200;  // fine enough that the polyline's corners stay invisible

float Distance(const TVector& a, const TVector& b) { return VectorLength(b - a); }

// Centripetal parameterisation: knots spaced by the square root of the chord, so the curve
// neither loops nor overshoots between waypoints at uneven spacing.
float NextKnot(float t, const TVector& a, const TVector& b) {
  return t + std::max(std::sqrt(Distance(a, b)), 1e-3f);
}

TVector Blend(const TVector& a, const TVector& b, float ta, float tb, float t) {
  return a * ((tb - t) / (tb - ta)) + b * ((t - ta) / (tb - ta));
}

// One span between p1 and p2 (Barry and Goldman's pyramid).
TVector CatmullRom(const TVector& p0, const TVector& p1, const TVector& p2, const TVector& p3, float u) {
  const float t0 = 0, t1 = NextKnot(t0, p0, p1), t2 = NextKnot(t1, p1, p2), t3 = NextKnot(t2, p2, p3);
  const float t = t1 + (t2 - t1) * u;
  const TVector a1 = Blend(p0, p1, t0, t1, t), a2 = Blend(p1, p2, t1, t2, t), a3 = Blend(p2, p3, t2, t3, t);
  const TVector b1 = Blend(a1, a2, t0, t2, t), b2 = Blend(a2, a3, t1, t3, t);
  return Blend(b1, b2, t1, t2, t);
}

// The quaternion of a rotation given by the images of the three axes (its columns).
TQuaternion FromAxes(const TVector& x, const TVector& y, const TVector& z) {
  const float m00 = x.x, m10 = x.y, m20 = x.z, m01 = y.x, m11 = y.y, m21 = y.z, m02 = z.x, m12 = z.y, m22 = z.z;
  const float trace = m00 + m11 + m22;
  TQuaternion q;
  if (trace > 0) {
    const float s = std::sqrt(trace + 1) * 2;
    q = {s / 4, (m21 - m12) / s, (m02 - m20) / s, (m10 - m01) / s};
  } else if (m00 > m11 && m00 > m22) {
    const float s = std::sqrt(1 + m00 - m11 - m22) * 2;
    q = {(m21 - m12) / s, s / 4, (m01 + m10) / s, (m02 + m20) / s};
  } else if (m11 > m22) {
    const float s = std::sqrt(1 + m11 - m00 - m22) * 2;
    q = {(m02 - m20) / s, (m01 + m10) / s, s / 4, (m12 + m21) / s};
  } else {
    const float s = std::sqrt(1 + m22 - m00 - m11) * 2;
    q = {(m10 - m01) / s, (m02 + m20) / s, (m12 + m21) / s, s / 4};
  }
  TQuaternion unit;
  QuatNormalize(q, unit);
  return unit;
}

TVector Rotate(const TQuaternion& rotation, const TVector& v) {
  // QuatToMatrix hands GL the conjugate's rotation, so the conjugate's matrix turns by rotation.
  TQuaternion conjugate;
  QuatConjugate(rotation, conjugate);
  TMatrix m;
  QuatToMatrix(conjugate, m);
  TVector out;
  MatrixRotateVector(v, m, out);
  return out;
}

TMotionSample MakeSample(const TVector& position, const TQuaternion& rotation) {
  TMotionSample s{};
  s.Position = position;
  s.Rotation = rotation;
  return s;
}

}  // namespace

TFlightCurve::TFlightCurve(const std::vector<TVector>& waypoints) {
  if (waypoints.size() < 2) throw TFileError("flight route", "a route needs two waypoints");
  const size_t n = waypoints.size();
  auto point = [&](ptrdiff_t i) {
    // Mirrored end points keep the first and last spans straight out of their waypoint.
    if (i < 0) return waypoints[0] * 2 - waypoints[1];
    if (i >= static_cast<ptrdiff_t>(n)) return waypoints[n - 1] * 2 - waypoints[n - 2];
    return waypoints[static_cast<size_t>(i)];
  };
  Points.push_back(waypoints[0]);
  Distances.push_back(0);
  for (ptrdiff_t i = 0; i + 1 < static_cast<ptrdiff_t>(n); ++i)
    for (int k = 1; k <= SegmentsPerSpan; ++k) {
      const TVector p = CatmullRom(point(i - 1), point(i), point(i + 1), point(i + 2),
                                   static_cast<float>(k) / SegmentsPerSpan);
      Distances.push_back(Distances.back() + Distance(Points.back(), p));
      Points.push_back(p);
    }
}

TVector TFlightCurve::At(float distance) const {
  const float d = std::clamp(distance, 0.0f, Length());
  const size_t i = static_cast<size_t>(std::upper_bound(Distances.begin(), Distances.end(), d) - Distances.begin());
  if (i >= Points.size()) return Points.back();
  const float span = Distances[i] - Distances[i - 1];
  const float f = span > 0 ? (d - Distances[i - 1]) / span : 0;
  return Points[i - 1] + (Points[i] - Points[i - 1]) * f;
}

TVector TFlightCurve::Direction(float distance) const {
  constexpr float Reach = 2.0f;  // units either side: smooth, yet true to the curve's bends
  const TVector ahead = At(std::min(distance + Reach, Length()));
  const TVector behind = At(std::max(distance - Reach, 0.0f));
  TVector out;
  VectorNormalize(ahead - behind, out);
  return out;
}

float TFlightCurve::NearestDistance(const TVector& p) const {
  size_t best = 0;
  for (size_t i = 1; i < Points.size(); ++i)
    if (Distance(Points[i], p) < Distance(Points[best], p)) best = i;
  return Distances[best];
}

TQuaternion LookRotation(const TVector& forward) {
  TVector f, right, up;
  VectorNormalize(forward, f);
  VectorCross(f, {0, 0, 1}, right);
  if (VectorLength(right) < 1e-4f) right = {1, 0, 0};  // straight up or down: any right will do
  VectorNormalize(right, right);
  VectorCross(right, f, up);
  return FromAxes(right, up, -f);
}

TVector RotatedForward(const TQuaternion& rotation) { return Rotate(rotation, {0, 0, -1}); }
TVector RotatedUp(const TQuaternion& rotation) { return Rotate(rotation, {0, 1, 0}); }

std::vector<TMotionSample> SampleSteadyFlight(const TFlightCurve& curve, float speed, const TVector& origin) {
  const float step = speed * PathStep;
  const int32_t count = static_cast<int32_t>(std::floor(curve.Length() / step)) + 1;
  std::vector<TMotionSample> samples;
  samples.reserve(static_cast<size_t>(count) + 1);
  for (int32_t i = 0; i < count; ++i) {
    const float d = static_cast<float>(i) * step;
    samples.push_back(MakeSample(curve.At(d) - origin, LookRotation(curve.Direction(d))));
  }
  samples.insert(samples.begin(), samples.front());
  return samples;
}

std::vector<TMotionSample> SampleCameraFlight(const TFlightCurve& curve, int32_t duration, const TVector& origin,
                                              const TLookFunction& look) {
  constexpr float Pi = 3.14159265f;
  const int32_t count = duration / PathStep + 1;
  std::vector<TMotionSample> samples;
  samples.reserve(static_cast<size_t>(count) + 1);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t time = std::min(i * PathStep, duration);
    const float u = static_cast<float>(time) / static_cast<float>(duration);
    // Speed rises from rest and settles back to rest: u - sin(2 pi u) / (2 pi).
    const float eased = u - std::sin(2 * Pi * u) / (2 * Pi);
    const TVector p = curve.At(eased * curve.Length());
    samples.push_back(MakeSample(p - origin, look(time, p)));
  }
  samples.insert(samples.begin(), samples.front());
  return samples;
}
