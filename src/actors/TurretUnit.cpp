// TurretUnit.cpp — a turret's loading, aiming, launches and its fall together with its partner.
#include "actors/TurretUnit.h"

#include "actors/MissileUnit.h"
#include "core/Globals.h"

#include <cmath>

namespace {

constexpr float TurretRadius = 50.0f;
constexpr float TurretCollisionRadius = 30.0f;
constexpr float TurretLife = 30.0f;
constexpr float TurretHitDamage = 1.0f;
constexpr float TurretSize = 20.0f;

}  // namespace

TTurret::TTurret(TWorld& level) : TActor(level, ShadowClass::Turret) { LoadBlast(); }

void TTurret::LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                        int32_t typeIndex) {
  TActor::LoadTyped(name, position, ax, ay, az, typeIndex);
  Position = PrevPosition = GroundPointUnder(Position);
  Targetable = 0;
  Radius = TurretRadius;
  CollisionRadius = TurretCollisionRadius;
  Life = TurretLife;
  HitDamage = TurretHitDamage;
  Size = TurretSize;
  GroundUnit = 1;
  CreateShadow();
}

void TTurret::DestroyPartner() const {
  TActor* partner = Level.LiveActor(PartnerIndex);
  if (partner && partner != this) partner->Life = 0;
}

void TTurret::Live() {
  LiveBase();
  if (Life <= 0) {
    Behaviour = &TActor::Die;
    State = StateDying;
    DestroyPartner();
  }
  UpdateMatrix();
  if (Visible(Position, Radius)) DrawMesh(true);
  DrawShadow();
}

int32_t TTurret::NearestEnemy() const {
  int32_t found = -1;
  float best = HuntStart;
  for (int32_t i = 0; i < Level.ActorCount(); ++i) {
    const TActor* a = Level.Actors[static_cast<size_t>(i)].get();
    if (!a || a == this || a->Side == 0 || a->Side == Side || a->State != StateAlive || !a->Targetable) continue;
    const float d = VectorLength(a->Position - Position);
    if (d < best && d <= FireRange) {
      best = d;
      found = i;
    }
  }
  return found;
}

void TTurret::Behaviour10() {
  // A gun already destroyed this frame (its Live has not seen it yet) fires no more.
  if (Life > 0) {
    const int32_t target = NearestEnemy();
    if (target >= 0) TrackAndFire(target);
  }
  Live();
}

void TTurret::Behaviour11() {
  const TActor* target = Level.LiveActor(TargetIndex);
  if (Life > 0 && target && VectorLength(target->Position - Position) <= FireRange) TrackAndFire(TargetIndex);
  Live();
}

void TTurret::TrackAndFire(int32_t index) {
  const TActor* target = Level.LiveActor(index);
  if (!target || target == this) return;
  const float ms = static_cast<float>(Counter.Elapsed);
  TVector axisX, axisY, axisZ;
  MatrixRotateVector({1, 0, 0}, Matrix, axisX);
  MatrixRotateVector({0, 1, 0}, Matrix, axisY);
  MatrixRotateVector({0, 0, 1}, Matrix, axisZ);
  // Signed distances of the target from the gun's side plane (x) and front plane (z); the gun
  // points along -Z, so a target ahead has z < 0.
  const TVector offset = target->Position - Position;
  const float x = VectorDot(offset, axisX);
  const float z = VectorDot(offset, axisZ);
  // Ahead, the gun holds still inside a window as wide as the target; behind, it always turns
  // (a window there would let a target sit in the gun's back for good), one way when the target
  // is exactly in line behind it.
  const bool behind = z > 0;
  const float window = behind ? 0.0f : target->CollisionRadius / 2;
  float rate = behind ? TurnRate : 0.0f;
  if (x > window) rate = TurnRate;
  if (x < -window) rate = -TurnRate;
  if (z < 0 && std::fabs(x) < window && ReloadTimer > ReloadTime) {
    const TVector muzzle = Position + axisZ * -MuzzleAhead + axisY * MuzzleUp;
    Level.Missiles->Launch(muzzle, Orientation, MissileSpeed, MissileRange, index);
    ReloadTimer = 0;
  }
  if (rate != 0) {
    TQuaternion turned;
    QuatMultiply(AxisRotation(0, 1, 0, ms * rate), Orientation, turned);
    QuatNormalize(turned, Orientation);
  }
  ReloadTimer += ms;
}

void TTurret::Die() { DeathSequence({}); }

void TTurret::Crash() {
  if (State == StateGone) return;
  Behaviour = nullptr;
  State = StateGone;
  // Gone without its death sequence, it still leaves its group: the sequence's count-down is
  // what missions wait for.
  --Level.TypeCounters[static_cast<size_t>(TypeIndex)];
  DestroyPartner();
}
