// LightUnit.cpp — the per-frame point lights and their ground pools.
#include "render/LightUnit.h"

#include "core/Texture.h"

#include <algorithm>

namespace {

constexpr float MaxPoolSize = 128.0f;
// Converts range over falloff into decal units.
constexpr float PoolSizeFactor = 0.03f;

}  // namespace

TLightPool LightPoolSize(float height, float falloff, float range) {
  const float reach = range - height;
  const float size = std::min(reach * (1.0f / falloff) * PoolSizeFactor, MaxPoolSize);
  return {size, reach / range - 0.5f};
}

TLightBuffer::TLightBuffer(TLightGround* ground) : TLightBuffer(ground, LoadTexture("sparkle.cna")) {}

TLightBuffer::TLightBuffer(TLightGround* ground, int32_t poolTexture)
    : Owner(ground), PoolTexture(poolTexture), WriteBuffer(Buffers[0].data()),
      ReadBuffer(Buffers[1].data()) {}

void TLightBuffer::AddLight(const TVector& position, const TVector& color, float falloff, float range) {
  DrawPool(position, color, falloff, range);
  if (Count >= MaxLights) {
    ++Dropped;
    return;
  }
  WriteBuffer[Count++] = TLight{position, color, falloff, range};
}

void TLightBuffer::DrawPool(const TVector& position, const TVector& color, float falloff, float range) {
  if (!Owner || falloff <= 0.0f || range <= 0.0f) return;
  const TVector ground = Owner->GroundPoint(position);
  const TLightPool pool = LightPoolSize(position.z - ground.z, falloff, range);
  // A light higher above the ground than its range reaches lays no pool.
  if (pool.Size <= 0.0f) return;
  const float colour[4] = {color.x, color.y, color.z, pool.Alpha};
  Owner->DrawLightDecal(PoolTexture, true, position.x, position.y, pool.Size, pool.Size, colour);
}

void TLightBuffer::SwapBuffers() {
  PreviousCount = Count;
  Count = 0;
  std::swap(WriteBuffer, ReadBuffer);
}

int32_t TLightBuffer::SelectLights(const TVector& position,
                                   const TLight* (&chosen)[MaxLightsPerObject]) const {
  // The first four in range, not the nearest four: a linear scan that stops early.
  int32_t filled = 0;
  const int32_t count = std::clamp(PreviousCount, 0, MaxLights);
  for (int32_t i = 0; i < count && filled < MaxLightsPerObject; ++i) {
    const TLight& light = ReadBuffer[i];
    if (VectorLength(light.Position - position) < light.Range) chosen[filled++] = &light;
  }
  for (int32_t k = filled; k < MaxLightsPerObject; ++k) chosen[k] = nullptr;
  return filled;
}
