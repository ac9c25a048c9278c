// LampUnit.h — TLamp: a lit lamp post; a glow at its bulb and a point light beside it, never
// damaged by guns, missiles or collisions.
#pragma once

#include "actors/BuildingUnit.h"

#include <cstdint>
#include <string>

class TLamp : public TBuilding {
public:
  // The bulb, where the glow shines, and the point the light comes from, along the lamp's own
  // X and Y axes (Y is the post, X the arm).
  static constexpr float GlowAlongX = 23.0f, GlowAlongY = 95.0f;
  static constexpr float LightAlongX = 35.0f, LightAlongY = 90.0f;
  static constexpr float GlowScale = 26.0f;
  static constexpr float LightFalloff = 0.03f;
  static constexpr float LightRange = 350.0f;  // also the sphere that must be in view to light

  explicit TLamp(TWorld& level);

  // Its own load: the mesh, the attitude, the ground point, the lamp's fixed parameters and the
  // shadow. A lamp is scenery: typeIndex is ignored and TypeCounters left alone. Throws
  // TFileError naming a missing or damaged mesh.
  void LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                 int32_t typeIndex) override;

  void Live() override;

  int32_t GlowTexture = -1;
  TVector GlowPoint{};  // the bulb, then the light's point, recomputed each frame
  TVector AxisX{}, AxisY{}, AxisZ{};
  TVector LampColor{1, 1, 1};  // of the glow and the light; the mission sets it

private:
  void TakeAxes();
  TVector Along(float x, float y) const { return Position + AxisX * x + AxisY * y; }
  void Glow();
  void Light();
};
