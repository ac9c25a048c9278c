// TerrainLights.h — the terrain as the light buffer's ground: the ground point under a light and
// its glowing pool drawn through the terrain's decal routine.
#pragma once

#include "render/LightUnit.h"

class TSurf;

class TTerrainLightGround final : public TLightGround {
public:
  explicit TTerrainLightGround(TSurf& surface) : Surface(surface) {}

  TVector GroundPoint(const TVector& position) const override;
  void DrawLightDecal(int32_t texture, bool additive, float x, float y, float sizeX, float sizeY,
                      const float colour[4]) override;

private:
  TSurf& Surface;
};
