// ActorUnit.cpp — the actor base: creation, loading, shadows, the shared death sequence.
#include "actors/ActorUnit.h"

#include "core/Error.h"
#include "core/Globals.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "render/LightUnit.h"
#include "render/ParticleUnit.h"
#include "render/SceneGlobals.h"
#include "render/Surface.h"
#include "sound/SoundUnit.h"

#include <cmath>

namespace {

constexpr int32_t ExplosionFrameTime = 20;  // ms a frame of exp.str
constexpr int32_t SparkCount = 30;
constexpr float SparkSpread = 0.2f;
constexpr float BlastLightRange = 220.0f;
constexpr float BlastLightFalloff = 0.05f;
constexpr float BlastFade = 0.001f;  // of Blast per ms: the light fades over a second
constexpr float DebrisGravity = 0.01f;

}  // namespace

TActor::TActor(TWorld& level, const TShadowClass& shadow) : Level(level), Shadow(shadow) {
  ExplodeSound = LoadSound("explode.wav", false);
  Level.ReportCreated();
}

TActor::~TActor() = default;

void TActor::LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                       int32_t typeIndex) {
  if (typeIndex < 0 || typeIndex >= TypeCount)
    throw TFileError(name + ".msh", "type index " + std::to_string(typeIndex) + " outside 0.." +
                                        std::to_string(TypeCount - 1));
  GroundUnit = 0;
  Mesh.LoadFromFile(name + ".msh", LightSpaceMatrix);
  MeshName = name;
  Position = position;
  PrevPosition = position;
  QuatFromEuler(ax, ay, az, Orientation);
  StartOrientation = Orientation;
  UpdateMatrix();
  TypeIndex = typeIndex;
  ++Level.TypeCounters[static_cast<size_t>(TypeIndex)];
}

void TActor::CreateShadow() {
  if (!Level.Surface) return;
  UpdateMatrix();
  Shadow.CreateShadow(Caster(), {*Level.Surface, Level.Frustum});
}

bool TActor::RenderShadow() {
  if (!Level.Surface) return false;
  return Shadow.RenderShadow(Caster(), {*Level.Surface, Level.Frustum});
}

void TActor::DrawShadow() {
  if (!Level.Surface) return;
  Shadow.DrawShadow(Caster(), *Level.Surface);
}

void TActor::Live() { LiveBase(); }

void TActor::LiveBase() {
  Collidable = 1;
  PrevPosition = Position;
  MuteRequest = 0;
}

void TActor::LoadBlast() {
  ExplosionTexture = LoadTexture("exp.str");
  ExplosionAnim = &AnimTextures.back();
  ExplosionAnim->FrameTime = ExplosionFrameTime;
  SparkTexture = LoadTexture("sparkle.cna");
  Blast = 1.0f;
}

void TActor::UpdateMatrix() { QuatToMatrix(Orientation, Matrix); }

void TActor::DrawMesh(bool bump) {
  GL.PushMatrix();
  GL.Translatef(Position.x, Position.y, Position.z);
  GL.MultMatrixf(Matrix.data());
  if (bump && Level.BumpMapping)
    Mesh.DrawBump(Position, Orientation, Level.Scene);
  else
    Mesh.Draw(Position, Level.Scene);
  GL.PopMatrix();
}

bool TActor::Visible(const TVector& centre, float radius) const { return Level.Frustum.SphereInFrustum(centre, radius); }

TVector TActor::GroundPointUnder(const TVector& p) const {
  if (!Level.Surface) return {p.x, p.y, 0};
  return Level.Surface->GroundPoint(p.x, p.y);
}

bool TActor::DeathSequence(const TDeathStyle& style) {
  const float ms = static_cast<float>(Counter.Elapsed);
  GL.PushMatrix();
  TAnimTex* anim = ExplosionAnim;
  if (anim && anim->CurrentFrame <= anim->FrameCount - 1) {
    GL.BindTexture(GL_TEXTURE_2D, Textures[static_cast<size_t>(ExplosionTexture)]);
    Level.Particles->Emit(Position, {0, 0, 0}, {1, 1, 1}, 1.0f, 0, 0, Size, 1.0f, 0, 0, ExplosionTexture, 1);
    anim->Update();
  }
  if (FirstDeathFrame()) {
    for (int32_t i = 0; i < SparkCount; ++i) {
      const TVector v{RandomSpread() * SparkSpread, RandomSpread() * SparkSpread, RandomSpread() * SparkSpread};
      Level.Particles->Emit(Position, v, {1, 1, 0.9f}, 1.0f, 0.01f, 0, 0.7f, 0.0005f, 0, 0, SparkTexture, 1);
    }
    SetSoundPosition(ExplodeSound, EyeSpace(Position), 0.01f);
    PlaySound(ExplodeSound);
  }
  if (Blast >= 0) {
    if (Visible(Position, BlastLightRange))
      Level.Lights->AddLight(Position, {Blast, Blast, Blast - 0.1f}, BlastLightFalloff, BlastLightRange);
    if (VectorLength(Level.EyePoint - Position) < style.ShakeDistance)
      Level.ShakeCamera({RandomSpread(), RandomSpread(), RandomSpread()});
  }
  if (style.DrawWreck && Visible(Position, Radius)) {
    // The pieces fall along the world's gravity, carried into the model's own space (the
    // inverse of Matrix is its transpose).
    TVector gravity = Level.Particles->GravityVector * DebrisGravity, local;
    const TMatrix& m = Matrix;
    local = {m[0] * gravity.x + m[1] * gravity.y + m[2] * gravity.z,
             m[4] * gravity.x + m[5] * gravity.y + m[6] * gravity.z,
             m[8] * gravity.x + m[9] * gravity.y + m[10] * gravity.z};
    GL.Translatef(Position.x, Position.y, Position.z);
    GL.MultMatrixf(Matrix.data());
    Mesh.DrawDebris(local, Level.Scene);
  }
  GL.PopMatrix();
  Blast -= BlastFade * ms;
  const bool animationOver = !anim || anim->CurrentFrame > anim->FrameCount - 1;
  if (Blast >= 0 || !animationOver) return false;
  Behaviour = nullptr;
  State = StateGone;
  if (style.CountDown) --Level.TypeCounters[static_cast<size_t>(TypeIndex)];
  return true;
}

TActor::TBehaviour BehaviourSlot(int32_t slot) {
  switch (slot) {
    case 6: return &TActor::Live;
    case 7: return &TActor::Behaviour7;
    case 8: return &TActor::Behaviour8;
    case 9: return &TActor::Behaviour9;
    case 10: return &TActor::Behaviour10;
    case 11: return &TActor::Behaviour11;
    case 12: return &TActor::Behaviour12;
    case 13: return &TActor::Behaviour13;
    case 14: return &TActor::Die;
    case 15: return &TActor::Crash;
    default: return nullptr;
  }
}

bool SweptSphereHits(const TVector& prev, const TVector& pos, float radius, const TActor& target) {
  TQuaternion inverse;
  QuatConjugate(target.Orientation, inverse);
  TMatrix toModel;
  QuatToMatrix(inverse, toModel);
  const TVector mid = (prev + pos) * 0.5f;
  TVector s0, s1, centre;
  MatrixRotateVector(prev - mid, toModel, s0);
  MatrixRotateVector(pos - mid, toModel, s1);
  MatrixRotateVector(mid - target.Position, toModel, centre);
  return target.Mesh.SphereHit(s0 + centre, s1 + centre, radius);
}

bool MeshBelowGround(const TMesh& mesh, const TVector& position, const TMatrix& matrix, const TSurf& surface) {
  if (mesh.Anims.empty() || mesh.Anims.front().Frames.empty()) return false;
  for (const TVector& v : mesh.Anims.front().Frames.front()) {
    TVector world;
    MatrixRotateVector(v, matrix, world);
    world += position;
    if (world.z < surface.GroundHeight(world.x, world.y)) return true;
  }
  return false;
}

TQuaternion AxisRotation(float x, float y, float z, float angle) {
  TQuaternion q;
  QuatFromAxisAngle(x, y, z, angle, q);
  return q;
}

float RandomSpread() {
  const float r1 = RandomFloat();
  return r1 - RandomFloat();
}
