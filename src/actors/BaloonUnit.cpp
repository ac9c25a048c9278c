// BaloonUnit.cpp — the barrage balloon's two halves: drawing, the gun's aim, climb and fire, death.
#include "actors/BaloonUnit.h"

#include "actors/ShootUnit.h"
#include "core/Globals.h"
#include "render/LightUnit.h"
#include "render/Surface.h"
#include "sound/SoundUnit.h"

#include <cmath>

namespace {

// Fixed parameters: balloons have no .int file.
constexpr float BaloonRadius = 170.0f;
constexpr float BaloonCollisionRadius = 100.0f;
constexpr float BaloonLife = 30.0f;
constexpr float BaloonHitDamage = 1.0f;
constexpr float BaloonSize = 30.0f;
constexpr float BaloonClimbRate = 0.01f;  // units per ms, up or down

constexpr float NoTargetDistance = 10000.0f;
constexpr float TurnRate = 0.001f;       // radians per ms about the gun's Y axis
constexpr float MinClearance = 10.0f;    // the gun sinks no lower above the ground under it
constexpr float ReloadMs = 120.0f;       // between twin shots
constexpr float MuzzleSpread = 3.0f;     // each barrel's offset along the gun's X axis
constexpr float MuzzleReach = 20.0f;     // the barrels' mouths ahead of the gun's origin
constexpr float GunSoundHold = 300.0f;   // ms the sound keeps playing after the last burst
constexpr float GunSoundScale = 1.0f / 70.0f;

constexpr float FlashHalfPeriod = 50.0f;  // ms on, then ms off
constexpr float FlashReach = 10.0f;       // the flash light ahead of the gun's origin
constexpr TVector FlashColor{0.9f, 0.9f, 0.9f};
constexpr float FlashFalloff = 0.5f;
constexpr float FlashRange = 20.0f;

bool Finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

TBaloon::TBaloon(TWorld& level) : TActor(level, ShadowClass::Baloon) {
  Targetable = 0;
  LoadBlast();
  GunSound = LoadSound("shoot.wav", true);
}

TBaloon::~TBaloon() = default;

void TBaloon::LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                        int32_t typeIndex) {
  TActor::LoadTyped(name, position, ax, ay, az, typeIndex);
  Radius = BaloonRadius;
  CollisionRadius = BaloonCollisionRadius;
  Life = BaloonLife;
  MaxLife = BaloonLife;
  HitDamage = BaloonHitDamage;
  Size = BaloonSize;
  Speed = BaloonClimbRate;
  CreateShadow();
}

// Unlike the other actors, the balloon takes no part in the base bookkeeping of Live: it never
// moves by itself.
void TBaloon::Live() {
  if (Life <= 0) {
    Behaviour = &TActor::Die;
    State = StateDying;
    // The other half goes down on its own next frame.
    if (TActor* partner = Level.LiveActor(Partner); partner && partner != this) partner->Life = 0;
  }
  UpdateMatrix();
  SetSoundPosition(GunSound, EyeSpace(Position), GunSoundScale);
  if (Visible(Position, Radius)) DrawMesh(true);
  DrawShadow();
}

void TBaloon::Behaviour10() {
  // A gun already destroyed (its partner may have just been) holds its fire.
  if (Life > 0) {
    const TActor* best = nullptr;
    float bestDistance = NoTargetDistance;
    const int32_t count = Level.ActorCount();
    for (int32_t i = 0; i < count; ++i) {
      const TActor* other = Level.Actors[static_cast<size_t>(i)].get();
      if (!other || other == this || other->State != StateAlive || !other->Targetable) continue;
      if (other->Side == 0 || other->Side == Side) continue;
      const float d = VectorLength(other->Position - Position);
      // Strictly nearer: a tie keeps the earlier actor.
      if (d <= GunRange && d < bestDistance) {
        bestDistance = d;
        best = other;
      }
    }
    if (best)
      Aim(*best);
    else
      Idle();
  }
  Live();
}

void TBaloon::Behaviour11() {
  if (Life > 0) {
    // A dying target is still fired at; a gone or missing one is not.
    const TActor* target = Level.LiveActor(AssignedTarget);
    if (target && target != this && VectorLength(target->Position - Position) <= GunRange)
      Aim(*target);
    else
      Idle();
  }
  Live();
}

void TBaloon::Aim(const TActor& target) {
  const float ms = static_cast<float>(Counter.Elapsed);
  TVector ax, ay, az;
  MatrixRotateVector({1, 0, 0}, Matrix, ax);
  MatrixRotateVector({0, 1, 0}, Matrix, ay);
  MatrixRotateVector({0, 0, 1}, Matrix, az);
  const TVector d = target.Position - Position;
  const float sx = VectorDot(d, ax);
  const float sy = VectorDot(d, ay);
  const float sz = VectorDot(d, az);
  // The gun fires along -az: a target behind it must first be turned to, with no slack at all.
  const float t = sz > 0 ? 0.0f : target.CollisionRadius * 0.5f;
  float turn = 0;
  if (sx > t)
    turn = TurnRate;
  else if (sx < -t)
    turn = -TurnRate;
  else if (sz > 0)
    turn = TurnRate;  // dead astern: either way round will do, standing still would not

  const float step = Speed * ms;
  if (sy > t)
    Carry(ay * step);
  else if (sy < -t && Position.z - GroundPointUnder(Position).z > MinClearance)
    Carry(ay * -step);

  const bool fire = sz < 0 && -t < sx && sx < t && -t < sy && sy < t && ReloadTime > ReloadMs;
  if (fire) {
    if (!GunSoundPlaying) {
      PlaySound(GunSound);
      GunSoundPlaying = 1;
    }
    if (Level.Shots) {
      const TVector mouth = Position - az * MuzzleReach;
      Level.Shots->Fire(mouth + ax * MuzzleSpread, -az);
      Level.Shots->Fire(mouth - ax * MuzzleSpread, -az);
    }
    ReloadTime = 0;
    SoundTime = 0;
  }
  GunEffects(fire, az, ms);

  if (turn != 0) {
    TQuaternion turned;
    QuatMultiply(AxisRotation(0, 1, 0, turn * ms), Orientation, turned);
    // Renormalised so that hours of small turns do not shrink the rotation.
    QuatNormalize(turned, Orientation);
  }
  ReloadTime += ms;
}

void TBaloon::Idle() {
  const float ms = static_cast<float>(Counter.Elapsed);
  TVector az;
  MatrixRotateVector({0, 0, 1}, Matrix, az);
  GunEffects(false, az, ms);
}

void TBaloon::LeftView() {
  StopSound(GunSound);
  GunSoundPlaying = 0;
  SoundTime = 0;
}

void TBaloon::Carry(const TVector& offset) {
  if (!Finite(offset)) return;
  Position += offset;
  if (TActor* partner = Level.LiveActor(Partner); partner && partner != this) partner->Position += offset;
}

void TBaloon::GunEffects(bool fired, const TVector& back, float ms) {
  if (!fired && SoundTime > GunSoundHold) {
    StopSound(GunSound);
    GunSoundPlaying = 0;
    SoundTime = 0;
  }
  if (!GunSoundPlaying) {
    FlashTime = 0;
    FlashOn = !FlashOn;
    return;
  }
  SoundTime += ms;
  if (FlashTime >= FlashHalfPeriod) {
    FlashTime = 0;
    FlashOn = !FlashOn;
    return;
  }
  const TVector flash = Position - back * FlashReach;
  if (FlashOn && Level.Lights && Visible(flash, FlashRange))
    Level.Lights->AddLight(flash, FlashColor, FlashFalloff, FlashRange);
  FlashTime += ms;
}

void TBaloon::Die() {
  if (FirstDeathFrame()) {
    StopSound(GunSound);
    GunSoundPlaying = 0;
  }
  TDeathStyle style;
  style.DrawWreck = false;
  DeathSequence(style);
}

void TBaloon::Crash() {
  Behaviour = nullptr;
  State = StateGone;
}
