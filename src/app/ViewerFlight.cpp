// ViewerFlight.cpp — the measurement flight's camera path.
#include "app/ViewerFlight.h"

#include "core/SrfFile.h"
#include "render/Surface.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float LapRadius = 0.3f;    // of the map's smaller side
constexpr float Clearance = 180.0f;  // above the higher of the ground below and ahead
constexpr float LookAhead = 250.0f;
constexpr float LookInward = 20.0f;  // degrees from the lap's heading towards the middle
constexpr float FlightPitch = -12.0f;

}  // namespace

TViewerCamera FlightCamera(int64_t ms, const TSurf& surface) {
  // The playable map, without the border the terrain adds around it.
  const float sizeX = static_cast<float>(surface.Width - 2 * TerrainBorder) * surface.CellSizeX;
  const float sizeY = static_cast<float>(surface.Height - 2 * TerrainBorder) * surface.CellSizeY;
  const float radius = LapRadius * std::min(sizeX, sizeY);
  const float angle = 2.0f * std::numbers::pi_v<float> * static_cast<float>(ms % FlightLapMs) / FlightLapMs;
  const float x = sizeX / 2 + radius * std::cos(angle);
  const float y = sizeY / 2 + radius * std::sin(angle);
  // Counter-clockwise: the heading is (-sin, cos), which is yaw -angle.
  const float aheadX = x - LookAhead * std::sin(angle), aheadY = y + LookAhead * std::cos(angle);
  const float ground = std::max(surface.GroundHeight(x, y), surface.GroundHeight(aheadX, aheadY));
  TViewerCamera camera;
  camera.Eye = {x, y, ground + Clearance};
  camera.Yaw = -angle * 180.0f / std::numbers::pi_v<float> - LookInward;
  camera.Pitch = FlightPitch;
  return camera;
}
