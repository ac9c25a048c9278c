// LightUnit.h — the per-frame point lights: added by actors, each laying a glowing pool on the
// ground, double-buffered so that the lights of one frame light the meshes of the next.
#pragma once

#include "core/VectMath.h"

#include <array>
#include <cstddef>
#include <cstdint>

struct TLight {
  TVector Position{};
  TVector Color{};      // r, g, b
  float Falloff = 0.0f;
  float Range = 0.0f;
};
// The EXT vertex-shader path hands the four floats from Color on as the light colour, so
// Falloff must follow Color directly.
static_assert(offsetof(TLight, Falloff) == offsetof(TLight, Color) + 3 * sizeof(float));

// What the light buffer needs from the level's terrain: the ground under a point and a decal
// drawn through the terrain's ground-decal routine. The terrain (or a test) implements it.
class TLightGround {
public:
  virtual ~TLightGround() = default;
  // The ground point under position by the terrain's ground-height rule.
  virtual TVector GroundPoint(const TVector& position) const = 0;
  // One glowing pool centred on (x, y); colour is r, g, b, alpha.
  virtual void DrawLightDecal(int32_t texture, bool additive, float x, float y, float sizeX,
                              float sizeY, const float colour[4]) = 0;
};

constexpr int32_t MaxLights = 101;       // per frame; more are dropped
constexpr int32_t MaxLightsPerObject = 4;  // slots of the point-light program

class TLightBuffer {
public:
  // Loads sparkle.cna as the pool texture. ground may be null (no pools are drawn).
  explicit TLightBuffer(TLightGround* ground);
  // With the pool texture already known (tests, tools).
  TLightBuffer(TLightGround* ground, int32_t poolTexture);
  TLightBuffer(const TLightBuffer&) = delete;
  TLightBuffer& operator=(const TLightBuffer&) = delete;

  // Draws the light's pool on the ground at once and records the light for the next frame's
  // meshes. Past MaxLights in one frame the light is dropped (counted in Dropped), never
  // written past the table; its pool is still drawn, as drawing touches no table.
  void AddLight(const TVector& position, const TVector& color, float falloff, float range);

  // Once per frame: this frame's lights become the ones read, and the other buffer is refilled.
  void SwapBuffers();

  // The first MaxLightsPerObject lights of the previous frame, in the order they were added,
  // whose range reaches position (distance strictly less than range). Returns how many.
  int32_t SelectLights(const TVector& position, const TLight* (&chosen)[MaxLightsPerObject]) const;

  TLightGround* Owner = nullptr;
  int32_t PoolTexture = 0;
  std::array<std::array<TLight, MaxLights>, 2> Buffers{};
  int32_t Count = 0;          // lights added this frame
  int32_t PreviousCount = 0;  // lights in ReadBuffer
  TLight* WriteBuffer = nullptr;
  TLight* ReadBuffer = nullptr;
  int64_t Dropped = 0;

private:
  void DrawPool(const TVector& position, const TVector& color, float falloff, float range);
};

// Size and alpha of the ground pool of a light at height h above the ground.
struct TLightPool {
  float Size;
  float Alpha;
};
TLightPool LightPoolSize(float height, float falloff, float range);
