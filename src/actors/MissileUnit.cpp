// MissileUnit.cpp — the missile pool: launch, guidance, flight with glow, flame and smoke, terrain
// and actor strikes, the explosion, and the recycling of sounds and explosion animations.
#include "actors/MissileUnit.h"

#include "actors/ActorUnit.h"
#include "actors/ActorWorld.h"
#include "core/Globals.h"
#include "core/Random.h"
#include "platform/GLTable.h"
#include "render/LightUnit.h"
#include "render/ParticleUnit.h"
#include "render/SceneGlobals.h"
#include "render/Surface.h"
#include "sound/SoundUnit.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr char FlightSoundName[] = "missile.wav";
constexpr char ExplodeSoundName[] = "explode1.wav";
constexpr char ExplosionName[] = "exp.str";
constexpr int32_t ExplosionFrameTime = 20;  // ms a frame
// Animations made with the pool, enough for the missiles usually in the air at once; more are
// made when a fight needs them and are kept from then on.
constexpr int32_t PreloadedExplosions = 4;

constexpr float MissileRadius = 4.0f;
constexpr float TurnRate = 0.002f;  // radians per ms about each axis

constexpr float GlowOffset = 15.0f;  // along +Z, behind the nose
constexpr float GlowRange = 150.0f;
constexpr float GlowFalloff = 0.05f;
constexpr float FlameOffset = 10.0f;
constexpr float SmokeSpacing = 5.0f;     // between trail puffs
constexpr float SmokeTrailStep = 15.0f;  // the trail is laid once the missile is this far on
constexpr float MaxTrailPuffs = 64.0f;   // in one frame

constexpr int32_t BlastSparkCount = 30;
constexpr float BlastSparkSpread = 0.2f;
constexpr float BlastLightRange = 220.0f;
constexpr float BlastLightFalloff = 0.05f;
constexpr float BlastFade = 0.001f;  // of Blast per ms: the light fades over a second

constexpr float SoundScale = 0.01f;
// Launch values are cut to these, so that no position or range can overflow.
constexpr float FastestMissile = 1000.0f;  // units per ms
constexpr float LongestRange = 100000.0f;

bool Finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool Finite(const TQuaternion& q) {
  return std::isfinite(q.w) && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z);
}

}  // namespace

TMissileBuffer::TMissileBuffer(TWorld& level, const std::string& meshName) : Level(level) {
  Mesh.LoadFromFile(meshName + ".msh", LightSpaceMatrix);
  SparkTexture = LoadTexture("sparkle.cna");
  SmokeTexture = LoadTexture("smoke.cna");
  FlameTexture = LoadTexture("star.cna");
  SpareExplosions.reserve(2 * PreloadedExplosions);
  for (int32_t i = 0; i < PreloadedExplosions; ++i) {
    const int32_t texture = LoadTexture(ExplosionName);
    TAnimTex* anim = &AnimTextures.back();
    anim->FrameTime = ExplosionFrameTime;
    SpareExplosions.push_back({texture, anim});
  }
  FadingSounds.reserve(16);
  FlightSoundTemplate = LoadSound(FlightSoundName, false);
  ExplodeSoundTemplate = LoadSound(ExplodeSoundName, false);
}

TMissileBuffer::~TMissileBuffer() {
  for (TMissile* list : {First, Spare})
    while (list) {
      TMissile* next = list->Next;
      // Spare missiles gave their slots back already and hold -1, which FreeSound ignores.
      FreeSound(list->FlightSound);
      FreeSound(list->ExplodeSound);
      delete list;
      list = next;
    }
  for (int32_t handle : FadingSounds) FreeSound(handle);
  FreeSound(FlightSoundTemplate);
  FreeSound(ExplodeSoundTemplate);
}

bool TMissileBuffer::Launch(const TVector& position, const TQuaternion& orientation, float speed, float range,
                            int32_t target) {
  if (!Finite(position) || !Finite(orientation) || !std::isfinite(speed) || !(speed > 0) || std::isnan(range))
    return false;
  const int32_t flightSound = LoadSound(FlightSoundName, false);
  if (flightSound < 0) return false;
  const int32_t explodeSound = LoadSound(ExplodeSoundName, false);
  if (explodeSound < 0) {
    FreeSound(flightSound);
    return false;
  }

  TMissile* missile = Spare;
  if (missile)
    Spare = missile->Next;
  else
    missile = new TMissile;
  *missile = TMissile{};
  missile->Position = missile->PrevPosition = missile->SmokePoint = position;
  QuatNormalize(orientation, missile->Orientation);
  QuatToMatrix(missile->Orientation, missile->Matrix);
  missile->Speed = std::min(speed, FastestMissile);
  missile->Range = std::min(range, LongestRange);
  missile->Target = target;
  if (const TActor* actor = Level.LiveActor(target)) {
    missile->TargetPoint = actor->Position;
    missile->HasTargetPoint = 1;
  }
  missile->Radius = missile->CollisionRadius = MissileRadius;
  missile->Blast = 1.0f;

  if (SpareExplosions.empty()) {
    const int32_t texture = LoadTexture(ExplosionName);
    TAnimTex* anim = &AnimTextures.back();
    anim->FrameTime = ExplosionFrameTime;
    missile->ExplosionTexture = texture;
    missile->ExplosionAnim = anim;
  } else {
    const TExplosionAnim explosion = SpareExplosions.back();
    SpareExplosions.pop_back();
    missile->ExplosionTexture = explosion.Texture;
    missile->ExplosionAnim = explosion.Anim;
    GL.BindTexture(GL_TEXTURE_2D, Textures[static_cast<size_t>(explosion.Texture)]);
    explosion.Anim->Rewind();
  }

  missile->FlightSound = flightSound;
  missile->ExplodeSound = explodeSound;
  PlaySound(flightSound);
  missile->Next = First;
  First = missile;
  ++Level.MissilesMade;
  return true;
}

void TMissileBuffer::UpdateAndDraw() {
  const float ms = static_cast<float>(Counter.Elapsed);
  FreeFadedSounds();
  FreeFinished();
  for (TMissile* missile = First; missile; missile = missile->Next) {
    if (missile->State == MissileFlying)
      Fly(*missile, ms);
    else if (missile->State == MissileExploding)
      Explode(*missile, ms);
  }
}

int32_t TMissileBuffer::Count() const {
  int32_t count = 0;
  for (const TMissile* missile = First; missile; missile = missile->Next) ++count;
  return count;
}

void TMissileBuffer::Fly(TMissile& missile, float ms) {
  if (missile.Target >= 0) Guide(missile, ms);
  missile.PrevPosition = missile.Position;
  QuatToMatrix(missile.Orientation, missile.Matrix);
  TVector nose;
  MatrixRotateVector({0, 0, 1}, missile.Matrix, nose);
  VectorNormalize(nose, nose);
  missile.Position += nose * (-missile.Speed * ms);
  SetSoundPosition(missile.FlightSound, Level.EyeSpace(missile.Position), SoundScale);

  missile.Range -= VectorLength(missile.Position - missile.PrevPosition);
  if (missile.Range <= 0) missile.State = MissileExploding;

  DrawMissile(missile);
  Trail(missile);
  if (StrikesTerrain(missile)) {
    if (Level.Particles)
      Level.Particles->Emit(missile.Position, {0, 0, 0.05f}, {1, 1, 1}, 0.6f, 0, 90, 5.0f, 0.001f, 0, 0.03f,
                            SmokeTexture, 0);
    missile.State = MissileExploding;
  }
  if (StrikeActors(missile)) missile.State = MissileExploding;
}

// Pitch about the missile's own X and yaw about the world's vertical, as the aircraft steer,
// toward the side of the two axis planes the target lies on.
void TMissileBuffer::Guide(TMissile& missile, float ms) {
  if (const TActor* actor = Level.LiveActor(missile.Target)) {
    missile.TargetPoint = actor->Position;
    missile.HasTargetPoint = 1;
  }
  if (!missile.HasTargetPoint) return;
  MatrixRotateVector({1, 0, 0}, missile.Matrix, missile.AxisX);
  MatrixRotateVector({0, 1, 0}, missile.Matrix, missile.AxisY);
  MatrixRotateVector({0, 0, 1}, missile.Matrix, missile.AxisZ);
  const TVector toTarget = missile.TargetPoint - missile.Position;
  const float x = VectorDot(toTarget, missile.AxisX);
  const float y = VectorDot(toTarget, missile.AxisY);
  const float yaw = x > 0 ? TurnRate : x < 0 ? -TurnRate : 0.0f;
  const float pitch = y < 0 ? TurnRate : y > 0 ? -TurnRate : 0.0f;
  if (pitch == 0 && yaw == 0) return;
  TQuaternion q = missile.Orientation;
  if (pitch != 0) QuatMultiply(AxisRotation(1, 0, 0, ms * pitch), q, q);
  if (yaw != 0) QuatMultiply(q, AxisRotation(0, 0, 1, ms * yaw), q);
  QuatNormalize(q, missile.Orientation);
}

void TMissileBuffer::DrawMissile(const TMissile& missile) {
  if (Level.Frustum.SphereInFrustum(missile.Position, missile.Radius)) {
    GL.PushMatrix();
    GL.Translatef(missile.Position.x, missile.Position.y, missile.Position.z);
    GL.MultMatrixf(missile.Matrix.data());
    Mesh.Draw(missile.Position, Level.Scene);
    GL.PopMatrix();
  }
}

// The glow and flame behind the nozzle, and the smoke laid along the way since the last puff.
void TMissileBuffer::Trail(TMissile& missile) {
  MatrixRotateVector({0, 0, 1}, missile.Matrix, missile.AxisZ);
  const TVector glow = missile.Position + missile.AxisZ * GlowOffset;
  if (Level.Lights && Level.Frustum.SphereInFrustum(glow, GlowRange))
    Level.Lights->AddLight(glow, {0.75f, 0.75f, 0.75f}, GlowFalloff, GlowRange);
  if (!Level.Particles) return;
  Level.Particles->Emit(missile.Position + missile.AxisZ * FlameOffset, {0, 0, 0}, {1.0f, 0.75f, 0.75f}, 1.0f, 0, 0,
                        10.0f, 1.0f, 0, 0, FlameTexture, 1);

  const TVector way = missile.Position - missile.SmokePoint;
  const float distance = VectorLength(way);
  if (!(distance > SmokeTrailStep)) return;
  // A long frame spreads a bounded number of puffs wider instead of emitting without end.
  const int32_t puffs = static_cast<int32_t>(std::min(std::ceil(distance / SmokeSpacing), MaxTrailPuffs));
  const TVector step = way * (std::max(SmokeSpacing, distance / MaxTrailPuffs) / distance);
  for (int32_t i = 0; i < puffs; ++i) {
    const float spin = static_cast<float>(Random(180));
    const float spinSpeed = RandomSpread();
    Level.Particles->Emit(missile.SmokePoint, {0, 0, 0}, {1, 1, 1}, 0.7f, 0, spin, 1.0f, 0.0005f, spinSpeed, 0.005f,
                          SmokeTexture, 1);
    missile.SmokePoint += step;
  }
  missile.SmokePoint = missile.Position;
}

// Only near the ground is the mesh's every vertex compared with the terrain under it.
bool TMissileBuffer::StrikesTerrain(const TMissile& missile) const {
  if (!Level.Surface) return false;
  const TVector ground = Level.Surface->GroundPoint(missile.Position.x, missile.Position.y);
  if (missile.Position.z - ground.z > missile.Radius) return false;
  return MeshBelowGround(Mesh, missile.Position, missile.Matrix, *Level.Surface);
}

// Every actor the frame's movement touches is hit, so one missile may damage several.
bool TMissileBuffer::StrikeActors(const TMissile& missile) {
  bool struck = false;
  for (int32_t i = 0; i < Level.ActorCount(); ++i) {
    TActor* actor = Level.Actors[static_cast<size_t>(i)].get();
    if (!actor || actor->State == StateGone) continue;
    if (VectorLength(actor->Position - missile.Position) > missile.Radius + actor->Radius) continue;
    if (!SweptSphereHits(missile.PrevPosition, missile.Position, missile.CollisionRadius, *actor)) continue;
    actor->Life -= MissileDamageFactor * actor->HitDamage;
    struck = true;
  }
  return struck;
}

void TMissileBuffer::Explode(TMissile& missile, float ms) {
  TAnimTex* anim = missile.ExplosionAnim;
  if (anim && anim->CurrentFrame <= anim->FrameCount - 1) {
    GL.BindTexture(GL_TEXTURE_2D, Textures[static_cast<size_t>(missile.ExplosionTexture)]);
    if (Level.Particles)
      Level.Particles->Emit(missile.Position, {0, 0, 0}, {1, 1, 1}, 1.0f, 0, 0, 10.0f, 1.0f, 0, 0,
                            missile.ExplosionTexture, 1);
    anim->Update();
  }
  if (missile.Blast == 1.0f) {
    for (int32_t i = 0; i < BlastSparkCount && Level.Particles; ++i) {
      const TVector velocity{RandomSpread() * BlastSparkSpread, RandomSpread() * BlastSparkSpread,
                             RandomSpread() * BlastSparkSpread};
      Level.Particles->Emit(missile.Position, velocity, {1, 1, 0.9f}, 1.0f, 0.01f, 0, 0.7f, 0.0005f, 0, 0,
                            SparkTexture, 1);
    }
    SetSoundPosition(missile.ExplodeSound, Level.EyeSpace(missile.Position), SoundScale);
    PlaySound(missile.ExplodeSound);
  }
  // The blue part starts 0.1 lower and would turn negative, darkening, for the last 100 ms.
  if (missile.Blast >= 0 && Level.Lights && Level.Frustum.SphereInFrustum(missile.Position, BlastLightRange)) {
    const float blast = missile.Blast;
    Level.Lights->AddLight(missile.Position, {blast, blast, std::max(blast - 0.1f, 0.0f)}, BlastLightFalloff,
                           BlastLightRange);
  }
  missile.Blast -= BlastFade * ms;
  const bool animationOver = !anim || anim->CurrentFrame > anim->FrameCount - 1;
  if (missile.Blast < 0 && animationOver) missile.State = MissileFinished;
}

void TMissileBuffer::FreeFinished() {
  TMissile** link = &First;
  while (TMissile* missile = *link) {
    if (missile->State != MissileFinished) {
      link = &missile->Next;
      continue;
    }
    *link = missile->Next;
    ReleaseSound(missile->FlightSound);
    ReleaseSound(missile->ExplodeSound);
    missile->FlightSound = missile->ExplodeSound = -1;
    if (missile->ExplosionAnim) SpareExplosions.push_back({missile->ExplosionTexture, missile->ExplosionAnim});
    missile->ExplosionAnim = nullptr;
    missile->Next = Spare;
    Spare = missile;
  }
}

// A sound still playing keeps its slot until it has ended, so no explosion is cut short.
void TMissileBuffer::ReleaseSound(int32_t handle) {
  if (handle < 0) return;
  if (SoundPlaying(handle))
    FadingSounds.push_back(handle);
  else
    FreeSound(handle);
}

void TMissileBuffer::FreeFadedSounds() {
  for (size_t i = 0; i < FadingSounds.size();) {
    if (SoundPlaying(FadingSounds[i])) {
      ++i;
      continue;
    }
    FreeSound(FadingSounds[i]);
    FadingSounds[i] = FadingSounds.back();
    FadingSounds.pop_back();
  }
}
