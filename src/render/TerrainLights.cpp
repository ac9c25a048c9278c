// TerrainLights.cpp — the light buffer's ground queries answered by the terrain.
#include "render/TerrainLights.h"

#include "render/Surface.h"

TVector TTerrainLightGround::GroundPoint(const TVector& position) const {
  return Surface.GroundPoint(position.x, position.y);
}

void TTerrainLightGround::DrawLightDecal(int32_t texture, bool additive, float x, float y, float sizeX,
                                         float sizeY, const float colour[4]) {
  Surface.DrawLightDecal(texture, additive, x, y, sizeX, sizeY, colour[0], colour[1], colour[2], colour[3]);
}
