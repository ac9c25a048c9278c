// ViewerExplosion.h — the viewer's test explosion: the animated flash, sparks, smoke and a
// fading point light, so that particles, light pools and lit meshes can be judged on any map.
#pragma once

#include "core/VectMath.h"

#include <cstdint>

class TAnimTex;
class TFrustum;
class TLightBuffer;
class TParticleSystem;

class TViewerExplosion {
public:
  // Loads exp.str (its own copy of the animation), sparkle.cna and smoke.cna.
  TViewerExplosion();

  // Starts over at position, even while an earlier one still burns.
  void Start(const TVector& position);
  // Once a frame after the terrain, with the camera's view matrix loaded: emits this frame's
  // particles and adds the light while the blast lasts.
  void Frame(TParticleSystem& particles, TLightBuffer& lights, const TFrustum& frustum);

  bool Active() const { return Blast >= 0 || Flashing(); }

private:
  bool Flashing() const;
  void Burst(TParticleSystem& particles) const;
  void Flash(TParticleSystem& particles);

  TVector Position{};
  float Blast = -1;  // 1 at the start, fading to 0 at 0.001 a millisecond; below 0 when over
  bool Fresh = false;
  int32_t ExplosionTexture = 0;
  TAnimTex* Animation = nullptr;
  int32_t SparkTexture = 0;
  int32_t SmokeTexture = 0;
};
