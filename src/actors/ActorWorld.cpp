// ActorWorld.cpp — the actors' world: lookups, the eye of the frame and the nearest-actor pairing.
#include "actors/ActorWorld.h"

#include "actors/ActorUnit.h"
#include "actors/MissileUnit.h"
#include "actors/ShootUnit.h"
#include "render/LightUnit.h"
#include "render/ParticleUnit.h"
#include "render/Surface.h"

namespace {
constexpr float LoadingBarStep = 1.0f / 16;  // of the bar's length
}  // namespace

TWorld::TWorld() = default;

// Actors first: their shadows and meshes refer to the terrain and textures the pools outlive.
TWorld::~TWorld() {
  Actors.clear();
  Missiles.reset();
  Shots.reset();
  Particles.reset();
  Lights.reset();
  Surface.reset();
}

TActor* TWorld::LiveActor(int32_t index) const {
  if (index < 0 || index >= ActorCount()) return nullptr;
  TActor* actor = Actors[static_cast<size_t>(index)].get();
  return actor && actor->State != StateGone ? actor : nullptr;
}

void TWorld::TakeEye() {
  if (!Eye) return;
  EyePoint = Eye->EyePoint();
  CameraMatrix = Eye->CameraMatrix();
}

void TWorld::ShakeCamera(const TVector& offset) {
  if (Eye) Eye->SetShake(offset);
}

TVector TWorld::EyeSpace(const TVector& p) const {
  TVector out;
  MatrixTransformPoint(p, CameraMatrix, out);
  return out;
}

void TWorld::UpdateFrustum(const TMatrix& projection) { Frustum.CalculateFrustum(projection, CameraMatrix); }

void TWorld::PairNearest() {
  for (const std::unique_ptr<TActor>& actor : Actors) {
    actor->NearestDistance = NoNeighbour;
    actor->NearestIndex = -1;
  }
  const int32_t count = ActorCount();
  for (int32_t i = 0; i < count; ++i) {
    TActor& a = *Actors[static_cast<size_t>(i)];
    if (a.NearestIndex != -1 || !a.Targetable || a.State == StateGone) continue;
    for (int32_t j = 0; j < count; ++j) {
      const TActor& b = *Actors[static_cast<size_t>(j)];
      if (j == i || b.State == StateGone) continue;
      const float d = VectorLength(b.Position - a.Position);
      if (a.NearestDistance > d - a.Radius) {
        a.NearestDistance = d;
        a.NearestIndex = j;
      }
    }
    if (a.NearestIndex < 0) continue;
    TActor& partner = *Actors[static_cast<size_t>(a.NearestIndex)];
    partner.NearestDistance = a.NearestDistance;
    partner.NearestIndex = i;
  }
}

void TWorld::ReportCreated() {
  ++ActorsCreated;
  if (ExpectedActors > 0)
    ReportProgress(0.5f + 0.5f * static_cast<float>(ActorsCreated) / static_cast<float>(ExpectedActors));
}

// Every redraw of the bar is a whole frame the software renderer must clear and swap, and the
// terrain reports every row it builds; the bar moves in steps a player can see instead.
void TWorld::ReportProgress(float fraction) {
  if (!Progress) return;
  if (fraction < 1 && fraction - ReportedProgress < LoadingBarStep) return;
  ReportedProgress = fraction;
  Progress(fraction);
}
