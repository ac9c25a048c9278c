// LevelHudRules.cpp — the HUD's rules that need no drawing: which actors show on the radar,
// the energy colours, the radar's turn and map window, and where the signs and counters go on a
// screen of any shape.
#include "levels/LevelHud.h"

#include "actors/ActorUnit.h"
#include "core/SrfFile.h"
#include "render/GLVisualObjectUnit.h"
#include "render/Surface.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Energy thresholds (fractions of MaxLife) and the signs' opacity.
constexpr float EnergyHigh = 0.66f;
constexpr float EnergyLow = 0.33f;
constexpr float SignAlpha = 0.5f;

bool Finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// How much narrower a width unit of the 4:3 layout becomes on this screen.
float WidthFactor(float aspect) {
  if (!(aspect > 0.0f) || !std::isfinite(aspect)) return 1.0f;
  return std::min(1.0f, HudReferenceAspect / aspect);
}

// Keeps the distance from the nearer side edge, measured in screen heights.
float AnchorX(float refX, float aspect) {
  const float f = WidthFactor(aspect);
  return refX < 0.0f ? -1.0f + (refX + 1.0f) * f : 1.0f - (1.0f - refX) * f;
}

}  // namespace

THudColor EnergyColor(float life, float maxLife) {
  float r = maxLife > 0.0f ? life / maxLife : 0.0f;
  if (!std::isfinite(r)) r = 0.0f;
  r = std::clamp(r, 0.0f, 1.0f);
  if (r > EnergyHigh) return {0.0f, 0.0f, r, SignAlpha};
  if (r > EnergyLow) return {1.0f, 1.0f, r, SignAlpha};
  return {1.0f - r, 0.0f, 0.0f, SignAlpha};
}

TBlip ClassifyBlip(uint8_t state, int32_t side, int32_t playerSide, float distance, float radarRange) {
  if (state != StateAlive || side == 0) return TBlip::None;
  if (!(distance < radarRange)) return TBlip::None;  // also a distance that is not a number
  return side == playerSide ? TBlip::Friend : TBlip::Foe;
}

float HeadingDegrees(const TVector& flight) {
  if (!Finite(flight)) return 0.0f;
  TVector level{flight.x, flight.y, 0.0f};
  if (VectorLength(level) <= 0.0f) return 0.0f;
  VectorNormalize(level, level);
  const float cosine = std::clamp(level.y, -1.0f, 1.0f);  // the dot product with (0, 1, 0)
  const float angle = std::acos(cosine) * 180.0f / std::numbers::pi_v<float>;
  return level.x < 0.0f ? 360.0f - angle : angle;
}

TRadarWindow RadarWindow(float x, float y, float extentX, float extentY, float range) {
  if (!(extentX > 0.0f)) extentX = 1.0f;
  if (!(extentY > 0.0f)) extentY = 1.0f;
  const float s = x / extentX, t = y / extentY;
  const float ds = range / extentX, dt = range / extentY;
  return {s - ds, s + ds, t - dt, t + dt};
}

TMapExtent MapExtent(const TSurf& surface) {
  return {static_cast<float>(surface.Width - 2 * TerrainBorder) * surface.CellSizeX,
          static_cast<float>(surface.Height - 2 * TerrainBorder) * surface.CellSizeY};
}

float ObjectiveAlpha(float distance, float objectiveRadius, float radarRange) {
  if (!(radarRange > 0.0f)) return 0.0f;
  const float alpha = (distance - objectiveRadius) / radarRange;
  if (!std::isfinite(alpha)) return 0.0f;
  return std::clamp(alpha, 0.0f, 0.5f);
}

THudPlacement PlaceHudSign(float refX, float refY, float size, float aspect) {
  const float f = WidthFactor(aspect);
  if (!(aspect > 0.0f) || !std::isfinite(aspect)) aspect = HudReferenceAspect;
  return {AnchorX(refX, aspect), refY, size * f, size * f * aspect};
}

TLabelPlacement PlaceHudLabel(float refX, float refY, float refSize, float aspect, float projX, float projY) {
  if (!(projX > 0.0f) || !(projY > 0.0f) || !(aspect > 0.0f) || !std::isfinite(aspect))
    return {refX, refY, refSize};
  // On the 4:3 screen the overlay's half width at its distance is D x 4/3 / projY.
  const float refNdcX = refX * projY / (HudReferenceAspect * MenuViewDistance);
  const float x = AnchorX(refNdcX, aspect) * MenuViewDistance / projX;
  return {x, refY, refSize * std::min(1.0f, aspect / HudReferenceAspect)};
}

