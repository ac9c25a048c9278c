// FlightRoute.h — smooth flights through waypoints, sampled as recorded paths: a curve through
// the points, positions at a fixed interval along it, and view rotations that face the way.
//
// A path's rotation is a view rotation: rotating the view's forward (0, 0, -1) by it gives the
// direction looked or flown in, and (0, 1, 0) gives the view's up. An actor flying the path takes
// the conjugate as its orientation, so a model built nose toward -Z with +Y up faces its travel.
#pragma once

#include "core/CapFile.h"
#include "core/Quaternion.h"

#include <functional>
#include <vector>

constexpr int32_t PathStep = 33;  // milliseconds per sample, as every mission plays them

// A centripetal Catmull-Rom curve through every waypoint (so each one is passed exactly),
// flattened into a dense polyline with its running length.
class TFlightCurve {
public:
  explicit TFlightCurve(const std::vector<TVector>& waypoints);

  float Length() const { return Distances.back(); }
  TVector At(float distance) const;             // the point that far along the curve
  TVector Direction(float distance) const;      // unit tangent there
  // How far along the curve the point nearest to p lies.
  float NearestDistance(const TVector& p) const;

private:
  std::vector<TVector> Points;
  std::vector<float> Distances;
};

// The rotation that looks along forward with the world's z as nearly up as it can be.
TQuaternion LookRotation(const TVector& forward);
// Where rotation turns the view's forward, (0, 0, -1), through the game's own matrix code.
TVector RotatedForward(const TQuaternion& rotation);
TVector RotatedUp(const TQuaternion& rotation);

// Samples a curve flown at a steady speed (units per ms), each sample facing along the curve,
// positions relative to origin. Sample 0 repeats sample 1: the game never plays the first.
std::vector<TMotionSample> SampleSteadyFlight(const TFlightCurve& curve, float speed, const TVector& origin);

// Samples a camera flight of the given duration that eases out of its start and into its end;
// look(t, position) gives the view rotation at t milliseconds.
using TLookFunction = std::function<TQuaternion(int32_t time, const TVector& position)>;
std::vector<TMotionSample> SampleCameraFlight(const TFlightCurve& curve, int32_t duration, const TVector& origin,
                                              const TLookFunction& look);
