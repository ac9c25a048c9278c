// ComputerPilotGeometry.h — the computer pilot's view of its own aircraft: the nose, the heading
// in the ground plane and the angles to a point, shared by its steering and its attacks.
#pragma once

#include "actors/CameraUnit.h"
#include "core/VectMath.h"

#include <cmath>

namespace pilot {

// Aiming. The aircraft turns 0.001 rad per ms, so a frame of 16 ms turns 0.016.
constexpr float MinDeadZone = 0.012f;     // radians
constexpr float PatrolDeadZone = 0.05f;

inline bool Finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

inline TVector Forward(const TCamera& p) { return -p.AxisZ; }

// The nose's direction in the ground plane and the ground plane's right hand of it.
inline void Heading(const TCamera& p, float& fx, float& fy, float& rx, float& ry) {
  const TVector f = Forward(p);
  const float fl = std::hypot(f.x, f.y);
  fx = fl > 1e-4f ? f.x / fl : 1.0f;
  fy = fl > 1e-4f ? f.y / fl : 0.0f;
  // AxisX points right for any bank under a quarter turn; only its sign is taken.
  const float side = p.AxisX.x * fy - p.AxisX.y * fx;
  rx = side >= 0 ? fy : -fy;
  ry = side >= 0 ? -fx : fx;
}

// Signed angle in the ground plane from the nose to the direction d: positive to the right.
inline float TurnAngle(const TCamera& p, const TVector& d) {
  float fx, fy, rx, ry;
  Heading(p, fx, fy, rx, ry);
  return std::atan2(d.x * rx + d.y * ry, d.x * fx + d.y * fy);
}

inline float Elevation(const TVector& d) { return std::atan2(d.z, std::hypot(d.x, d.y)); }

inline float FlatDistance(const TVector& a, const TVector& b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace pilot
