// ViewerExplosion.cpp — one explosion the way the actors' death sequence makes it, plus smoke.
#include "app/ViewerExplosion.h"

#include "core/Frustum.h"
#include "core/Globals.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "render/LightUnit.h"
#include "render/ParticleUnit.h"

namespace {

constexpr int32_t FlashFrameTime = 20;  // ms a frame of exp.str stays up
constexpr float FlashScale = 40.0f;
constexpr float BlastFade = 0.001f;     // per ms
constexpr float LightFalloff = 0.05f;
constexpr float LightRange = 220.0f;

constexpr int32_t Sparks = 30;
constexpr float SparkSpeed = 0.2f;      // units per ms at most along each axis
constexpr TVector SparkColour{1, 1, 0.9f};
constexpr float SparkGravity = 0.01f;
constexpr float SparkScale = 0.7f;
constexpr float SparkDecay = 0.0005f;

constexpr int32_t Puffs = 12;
constexpr float PuffSpread = 0.02f;     // units per ms sideways at most
constexpr float PuffRise = 0.02f;
constexpr TVector PuffColour{0.45f, 0.45f, 0.45f};
constexpr float PuffAlpha = 0.7f;
constexpr float PuffScale = 10.0f;
constexpr float PuffGrowth = 0.01f;     // scale per ms
constexpr float PuffDecay = 0.0003f;
constexpr float PuffSpin = 0.02f;       // degrees per ms

// A value in (-1, 1), denser towards 0: the difference of two uniform draws.
float Spread() { return RandomFloat() - RandomFloat(); }

}  // namespace

TViewerExplosion::TViewerExplosion() {
  ExplosionTexture = LoadTexture("exp.str");
  Animation = &AnimTextures.back();
  Animation->FrameTime = FlashFrameTime;
  Animation->CurrentFrame = Animation->FrameCount;  // nothing to show until the first Start
  SparkTexture = LoadTexture("sparkle.cna");
  SmokeTexture = LoadTexture("smoke.cna");
}

void TViewerExplosion::Start(const TVector& position) {
  Position = position;
  Blast = 1;
  Fresh = true;
  // The first Update then shows frame 0 again: the texture still holds the last one played.
  Animation->CurrentFrame = -1;
  Animation->Timer = Animation->FrameTime;
}

bool TViewerExplosion::Flashing() const { return Animation->CurrentFrame <= Animation->FrameCount - 1; }

void TViewerExplosion::Frame(TParticleSystem& particles, TLightBuffer& lights, const TFrustum& frustum) {
  if (Flashing()) Flash(particles);
  if (Fresh) Burst(particles);
  Fresh = false;
  if (Blast < 0) return;
  if (frustum.SphereInFrustum(Position, LightRange))
    lights.AddLight(Position, {Blast, Blast, Blast - 0.1f}, LightFalloff, LightRange);
  Blast -= BlastFade * static_cast<float>(Counter.Elapsed);
}

void TViewerExplosion::Flash(TParticleSystem& particles) {
  // The animation replaces the bound texture's image, so its texture is bound first; the flash
  // lives one frame and is emitted again with the next image.
  GL.BindTexture(GL_TEXTURE_2D, Textures[static_cast<size_t>(ExplosionTexture)]);
  particles.Emit(Position, {0, 0, 0}, {1, 1, 1}, 1, 0, 0, FlashScale, 1, 0, 0, ExplosionTexture, 1);
  Animation->Update();
}

void TViewerExplosion::Burst(TParticleSystem& particles) const {
  for (int32_t i = 0; i < Sparks; ++i) {
    const TVector velocity{Spread() * SparkSpeed, Spread() * SparkSpeed, Spread() * SparkSpeed};
    particles.Emit(Position, velocity, SparkColour, 1, SparkGravity, 0, SparkScale, SparkDecay, 0, 0, SparkTexture, 1);
  }
  for (int32_t i = 0; i < Puffs; ++i) {
    const TVector velocity{Spread() * PuffSpread, Spread() * PuffSpread, PuffRise};
    const float rotation = RandomFloat() * 360.0f;
    particles.Emit(Position, velocity, PuffColour, PuffAlpha, 0, rotation, PuffScale, PuffDecay, PuffSpin, PuffGrowth,
                   SmokeTexture, 0);
  }
}
