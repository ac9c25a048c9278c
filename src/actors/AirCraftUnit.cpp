// AirCraftUnit.cpp — the aircraft's body: loading, flight, drawing, sounds, guns, collisions,
// the crash dive and the death sequence.
#include "actors/AirCraftUnit.h"

#include "actors/ShootUnit.h"
#include "core/Globals.h"
#include "core/IntFile.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "render/LightUnit.h"
#include "render/ParticleUnit.h"
#include "render/Surface.h"
#include "sound/SoundUnit.h"

#include <cmath>
#include <numbers>

namespace {

constexpr float LiftAboveGround = 3.0f;  // an aircraft loaded under the terrain starts this high

constexpr TVector EngineColor{1.0f, 0.75f, 0.75f};
constexpr float ExhaustScale = 2.5f;
constexpr float GlowOffset = 15.0f;  // behind the origin along AxisZ, where the engines sit
constexpr float EngineGlowRange = 150.0f;
constexpr float FireGlowRange = 120.0f;
constexpr float GlowFalloff = 0.1f;

constexpr TVector FlashColor{0.9f, 0.9f, 0.9f};
constexpr float FlashRange = 20.0f;
constexpr float FlashFalloff = 0.5f;

constexpr float GunSoundScale = 0.01f;
constexpr float EngineSoundScale = 1.0f / 15.0f;  // the engine carries farther than the guns
constexpr float HitSoundScale = 0.01f;

constexpr float FallStart = 0.1f;        // units per ms, along the nose, when the dive begins
constexpr int32_t SpinChoices = 20;      // Random(20) - 10, times SpinStep: -0.5 .. 0.45 deg/ms
constexpr float SpinStep = 0.05f;
constexpr float FallGravity = 0.002f;    // times Size: heavier wrecks fall faster
constexpr float SmokeSpacing = 5.0f;
constexpr float SmokeGap = 15.0f;        // the trail is laid once the wreck is this far on

constexpr float TerrainDamage = 10.0f;   // times CollisionDamage
constexpr float TerrainBounce = 5.0f;
constexpr float TerrainKick = -0.07f;
constexpr float ActorKick = 0.1f;

constexpr float AircraftShakeDistance = 100.0f;

float Deg(float degrees) { return degrees * std::numbers::pi_v<float> / 180.0f; }

bool Finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

TAirCraft::TAirCraft(TWorld& level) : TActor(level, ShadowClass::AirCraft) {
  Targetable = 1;
  LoadBlast();
  ExhaustTexture = LoadTexture("star.cna");
  SmokeTexture = LoadTexture("smoke.cna");
  GunSound = LoadSound("shoot.wav", true);
  EngineSound = LoadSound("eng.wav", true);
  HitSound = LoadSound("explode1.wav", false);
}

void TAirCraft::LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                          int32_t typeIndex) {
  TActor::LoadTyped(name, position, ax, ay, az, typeIndex);
  const TVector ground = GroundPointUnder(Position);
  if (Position.z < ground.z) Position.z = ground.z + LiftAboveGround;
  PrevPosition = Position;
  const TAircraftParams p = ReadAircraftIntFile(name + ".int");
  Speed = p.Speed;
  Radius = p.Radius;
  CollisionRadius = p.CollisionRadius;
  Size = p.Size;
  Life = MaxLife = p.Life;
  HitDamage = p.HitDamage;
  CollisionDamage = p.CollisionDamage;
  Gun1 = p.Gun1;
  Gun2 = p.Gun2;
  Exhaust1 = p.Exhaust1;
  Exhaust2 = p.Exhaust2;
  SmokePoint = Position;
  UpdateAxes();
  UpdateAltitude();
}

void TAirCraft::SetEngine(bool on) {
  EngineOn = on ? 1 : 0;
  Shadow.ShadowMode = on ? ShadowDynamic : ShadowStatic;
}

void TAirCraft::UpdateAxes() {
  MatrixRotateVector({1, 0, 0}, Matrix, AxisX);
  MatrixRotateVector({0, 1, 0}, Matrix, AxisY);
  MatrixRotateVector({0, 0, 1}, Matrix, AxisZ);
  Gun1World = Position + AxisX * Gun1.x + AxisY * Gun1.y + AxisZ * Gun1.z;
  Gun2World = Position + AxisX * Gun2.x + AxisY * Gun2.y + AxisZ * Gun2.z;
}

void TAirCraft::UpdateAltitude() {
  GroundPoint = GroundPointUnder(Position);
  Altitude = Position.z - GroundPoint.z;
}

bool TAirCraft::TerrainHit() {
  UpdateAltitude();
  if (Altitude > Radius || !Level.Surface) return false;
  return MeshBelowGround(Mesh, Position, Matrix, *Level.Surface);
}

void TAirCraft::Live() {
  const float ms = static_cast<float>(Counter.Elapsed);
  if (MuteRequest) StopGunSound();
  LiveBase();
  if (EngineOn && (!EnginePlaying || Level.Resumed)) {
    PlaySound(EngineSound);
    EnginePlaying = 1;
  }
  // Once only: a dying aircraft whose Live still runs (the player's) keeps its dive and spin.
  if (Life <= 0 && State == StateAlive) Destroyed();
  UpdateMatrix();
  if (Speed > 0) {
    MatrixRotateVector({0, 0, 1}, Matrix, AxisZ);
    TVector forward;
    VectorNormalize(AxisZ, forward);
    Position += forward * (-Speed * ms);
    UpdateAxes();
  }
  SetSoundPosition(GunSound, EyeSpace(Position), GunSoundScale);
  SetSoundPosition(EngineSound, EyeSpace(Position), EngineSoundScale);
  if (MeshVisible && Visible(Position, Radius)) DrawAircraft();
  DrawShadow();
  EngineGlow();
  if (Speed > 0) {
    CollideWithTerrain();
    CollideWithActors(false);
    SmokePoint = Position;
  } else {
    UpdateAltitude();
  }
}

// Shot down: the dive's start, and which end it takes. The rest of the frame still flies.
void TAirCraft::Destroyed() {
  TVector tail;
  MatrixRotateVector({0, 0, 1}, Matrix, tail);
  VectorNormalize(tail, tail);
  FallVelocity = tail * -FallStart;  // along the nose
  // Drawn in a fixed order: x, y, z.
  Spin = {static_cast<float>(Random(SpinChoices) - 10) * SpinStep, static_cast<float>(Random(SpinChoices) - 10) * SpinStep,
          static_cast<float>(Random(SpinChoices) - 10) * SpinStep};
  SmokePoint = Position;
  State = StateDying;
  if (!EngineOn || Random(2) == 0)
    Behaviour = &TActor::Die;
  else
    Behaviour = &TActor::Crash;
}

void TAirCraft::DrawAircraft() {
  if (EngineOn) {
    Exhaust1World = Position + AxisX * Exhaust1.x + AxisY * Exhaust1.y + AxisZ * Exhaust1.z;
    Exhaust2World = Position + AxisX * Exhaust2.x + AxisY * Exhaust2.y + AxisZ * Exhaust2.z;
    // Single-frame flames: re-emitted every frame, gone after it.
    for (const TVector& at : {Exhaust1World, Exhaust2World})
      Level.Particles->Emit(at, {0, 0, 0}, EngineColor, 1.0f, 0, 0, ExhaustScale, 1.0f, 0, 0, ExhaustTexture, 1);
  }
  DrawMesh(true);
}

void TAirCraft::EngineGlow() {
  MatrixRotateVector({0, 0, 1}, Matrix, AxisZ);
  if (!EngineOn) return;
  const TVector glow = Position + AxisZ * GlowOffset;
  if (Visible(glow, EngineGlowRange)) Level.Lights->AddLight(glow, EngineColor, GlowFalloff, EngineGlowRange);
}

void TAirCraft::ImpactPuff() {
  Level.Particles->Emit(Position, {0, 0, 0.05f}, {1, 1, 1}, 0.6f, 0, 90, 5.0f, 0.001f, 0, 0.03f, SmokeTexture, 0);
}

void TAirCraft::CollideWithTerrain() {
  if (!CollideTerrain) {
    UpdateAltitude();
    return;
  }
  if (!TerrainHit()) return;
  ImpactPuff();
  Life -= TerrainDamage * CollisionDamage;
  if (Life > 0) {
    Position.z += TerrainBounce;
    Kick.y = TerrainKick;
  }
  SetSoundPosition(HitSound, EyeSpace(Position), HitSoundScale);
  PlaySound(HitSound);
}

bool TAirCraft::CollideWithActors(bool crashing) {
  if (!CollideActors) return false;
  bool hit = false;
  const int32_t count = Level.ActorCount();
  for (int32_t i = 0; i < count && Collidable; ++i) {
    TActor* other = Level.Actors[static_cast<size_t>(i)].get();
    if (!other || other == this || !other->Collidable || !other->CollideActors) continue;
    if (other->State != StateAlive) continue;
    // The smaller sweeps its sphere against the larger one's mesh.
    TActor& a = CollisionRadius <= other->CollisionRadius ? static_cast<TActor&>(*this) : *other;
    TActor& b = &a == this ? *other : static_cast<TActor&>(*this);
    if (VectorLength(a.Position - b.Position) >= a.Radius + b.Radius) continue;
    if (!SweptSphereHits(a.PrevPosition, a.Position, a.CollisionRadius, b)) continue;
    a.Collidable = 0;
    b.Collidable = 0;
    a.Life -= a.CollisionDamage * b.Size;
    b.Life -= b.CollisionDamage * a.Size;
    hit = true;
    if (crashing) {
      if (a.Life > 0) a.Kick.y = -ActorKick;
      if (b.Life > 0) b.Kick.y = -ActorKick;
      continue;
    }
    if (a.Life > 0) a.Kick.y = -ActorKick;
    if (b.Life > 0) b.Kick.y = ActorKick;
    SetSoundPosition(HitSound, EyeSpace(Position), HitSoundScale);
    PlaySound(HitSound);
  }
  return hit;
}

void TAirCraft::Crash() {
  const float ms = static_cast<float>(Counter.Elapsed);
  Collidable = 1;
  PrevPosition = Position;
  UpdateMatrix();
  if (Level.Particles) FallVelocity += Level.Particles->GravityVector * (FallGravity * Size * ms);
  if (Finite(FallVelocity)) Position += FallVelocity * ms;
  if (ms > 0) {
    const TQuaternion qx = AxisRotation(1, 0, 0, Deg(ms * Spin.x));
    const TQuaternion qy = AxisRotation(0, 1, 0, Deg(ms * Spin.y));
    const TQuaternion qz = AxisRotation(0, 0, 1, Deg(ms * Spin.z));
    TQuaternion spin, q;
    QuatMultiply(qy, qx, spin);
    QuatMultiply(qz, spin, spin);
    QuatMultiply(Orientation, spin, q);
    QuatNormalize(q, Orientation);
  }
  UpdateMatrix();
  UpdateAxes();
  if (Visible(Position, Radius)) DrawMesh(true);
  DrawShadow();
  const TVector glow = Position + AxisZ * GlowOffset;
  if (Visible(glow, FireGlowRange)) Level.Lights->AddLight(glow, EngineColor, GlowFalloff, FireGlowRange);
  SmokeTrail();
  if (CollideTerrain && TerrainHit()) {
    ImpactPuff();
    Behaviour = &TActor::Die;
  }
  if (CollideWithActors(true)) Behaviour = &TActor::Die;
}

void TAirCraft::SmokeTrail() {
  const TVector gap = Position - SmokePoint;
  const float distance = VectorLength(gap);
  if (distance <= SmokeGap) return;
  TVector step;
  VectorNormalize(gap, step);
  step *= SmokeSpacing;
  for (float t = 0; t < distance; t += SmokeSpacing) {
    const float rotation = static_cast<float>(Random(180));
    const float rotationSpeed = RandomSpread();
    Level.Particles->Emit(SmokePoint, {0, 0, 0}, {1, 1, 1}, 0.7f, 0, rotation, 1.0f, 0.0005f, rotationSpeed,
                          0.005f, SmokeTexture, 0);
    SmokePoint += step;
  }
  SmokePoint = Position;
}

void TAirCraft::Die() {
  StopSound(EngineSound);
  StopGunSound();
  EnginePlaying = 0;
  TDeathStyle style;
  style.ShakeDistance = AircraftShakeDistance;
  DeathSequence(style);
}

void TAirCraft::LeftView() {
  if (GunPlaying) StopGunSound();
}

void TAirCraft::StartGunSound() {
  PlaySound(GunSound);
  GunPlaying = 1;
}

// Clearing the flag with the sound lets the next burst start it again.
void TAirCraft::StopGunSound() {
  StopSound(GunSound);
  GunPlaying = 0;
}

void TAirCraft::FirePair(const TVector& muzzle1, const TVector& muzzle2, bool fromPlayer) {
  TVector direction;
  VectorNormalize(-AxisZ, direction);
  Level.Shots->AddShot(muzzle1, direction, fromPlayer, ShotSpeed, ShotRange);
  Level.Shots->AddShot(muzzle2, direction, fromPlayer, ShotSpeed, ShotRange);
  if (fromPlayer) Level.ShotsFired += 2;
  ShotTimer = 0;
}

void TAirCraft::AddMuzzleLights(const TVector& muzzle1, const TVector& muzzle2) {
  for (const TVector& at : {muzzle1, muzzle2})
    if (Visible(at, FlashRange)) Level.Lights->AddLight(at, FlashColor, FlashFalloff, FlashRange);
}

void TAirCraft::MuzzleFlashPhase(float ms) {
  if (GunPlaying) GunSoundTimer += static_cast<int32_t>(ms);
  if (GunPlaying && FlashTimer < FlashPhase) {
    if (FlashOn) AddMuzzleLights(Gun1World, Gun2World);
    FlashTimer += static_cast<int32_t>(ms);
    return;
  }
  FlashTimer = 0;
  FlashOn = !FlashOn;
}
