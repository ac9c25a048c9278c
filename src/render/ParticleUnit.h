// ParticleUnit.h — the level's one pool of camera-facing textured quads: flashes, sparks,
// smoke, flames, impacts and exhaust, moved ballistically, faded, spun and grown.
//
// Conventions: rates are per millisecond and multiplied by Counter.Elapsed; Rotation is in
// degrees about the view axis (it is handed to OpenGL). Particles never move between memory
// blocks: the pool is allocated once and recycled through two singly linked lists.
#pragma once

#include "core/Frustum.h"
#include "core/VectMath.h"

#include <cstdint>
#include <vector>

class TParticle {
public:
  TVector Position{};
  TVector Velocity{};       // world units per ms
  float Color[3]{};         // r, g, b
  float Gravity = 0.0f;     // factor on the system's GravityVector; 0 = no acceleration
  float Alpha = 0.0f;       // the particle dies when this is not above 0
  float AlphaDecay = 0.0f;  // per ms
  float Scale = 1.0f;
  float ScaleSpeed = 0.0f;  // per ms
  float Rotation = 0.0f;    // degrees about the view axis
  float RotationSpeed = 0.0f;  // degrees per ms
  int32_t Texture = 0;      // index into Textures
  uint8_t Additive = 0;     // blend additively instead of by alpha
  TParticle* Next = nullptr;  // link in FreeList or ActiveList
};

// What the system needs from its level: the player's camera matrix of the frame and the view
// frustum. Both are owned by the level and read at every UpdateAndDraw.
struct TParticleView {
  const TMatrix* CameraMatrix = nullptr;
  const TFrustum* Frustum = nullptr;
  // The mission's fog colour (r, g, b, a) while its fog is on: a blended particle fades into it
  // like everything else, an additive one fades to nothing (fog colour black). Null: the fog
  // colour is left as it is.
  const float* FogColor = nullptr;
};

class TParticleSystem {
public:
  // Missions use capacity 10000 and gravity (0, 0, -0.01).
  TParticleSystem(const TParticleView& level, int32_t capacity, const TVector& gravity);
  TParticleSystem(const TParticleSystem&) = delete;
  TParticleSystem& operator=(const TParticleSystem&) = delete;

  // Moves the head of FreeList to the head of ActiveList with these values. With every particle
  // live, the new one is dropped (counted in Dropped) and false returned: emitters never check,
  // and taking over a live particle would cut short an effect already on screen (a burning
  // wreck's smoke) for one that is usually re-emitted next frame anyway.
  bool Emit(const TVector& position, const TVector& velocity, const TVector& colour, float alpha,
            float gravity, float rotation, float scale, float alphaDecay, float rotationSpeed,
            float scaleSpeed, int32_t texture, uint8_t additive);

  // Once per frame, after the frame's camera matrix exists: draws every live particle inside the
  // frustum, then advances it by Counter.Elapsed and returns it to FreeList when it has faded.
  void UpdateAndDraw();

  int32_t ActiveCount() const;  // walks ActiveList; for tests and statistics

  TParticleView Level;
  std::vector<TParticle> Pool;
  int32_t Capacity = 0;
  TParticle* FreeList = nullptr;
  TParticle* ActiveList = nullptr;
  // Two triangles of the square (-1,-1)..(1,1) at z = 0; per vertex x, y, z, r, g, b, a, s, t.
  float Quad[6][9]{};
  TVector GravityVector{};  // per ms², scaled by each particle's Gravity; actors read it too
  int64_t Dropped = 0;      // emissions refused because the pool was full

private:
  void Draw(const TParticle& p, const TMatrix& camera);
  void FogFor(bool additive);

  int8_t FogAdditive = -1;  // which fog colour is set during a draw: -1 none yet
  void Advance(TParticle& p, float ms) const;
};
