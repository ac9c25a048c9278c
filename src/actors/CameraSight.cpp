// CameraSight.cpp — the player's crosshair, the missile sight's lock-on, and the gun pair that
// leaves after the aircraft's move.
#include "actors/CameraUnit.h"

#include "core/Globals.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "sound/SoundUnit.h"

#include <algorithm>

namespace {

constexpr float SightDistance = 400.0f;  // where the crosshair floats ahead of the guns
constexpr float SightRange = 600.0f;     // how far the missile sight looks for enemies
constexpr int32_t LockTime = 2000;       // ms under the sight until the lock holds
constexpr int32_t BlinkTime = 400;       // the sight is yellow, then red, within a period
constexpr int32_t BuzzPeriod = 800;
constexpr float CrossHalfSize = 12.0f;

constexpr float GunSight[4] = {0, 0, 0.5f, 0.4f};
constexpr float SeekSight[4] = {1, 1, 0.1f, 0.4f};
constexpr float LockSight[4] = {1, 0, 0, 0.4f};

constexpr int32_t EnemySide = 2;

void SetColor(float (&out)[4], const float (&in)[4]) { std::copy(in, in + 4, out); }

void BindTexture(int32_t index) {
  if (index >= 0 && static_cast<size_t>(index) < Textures.size())
    GL.BindTexture(GL_TEXTURE_2D, Textures[static_cast<size_t>(index)]);
}

}  // namespace

void TCamera::BuildCrossList() {
  CrossList = GL.GenLists(1);
  GL.NewList(CrossList, GL_COMPILE);
  GL.Disable(GL_LIGHTING);
  GL.Enable(GL_BLEND);
  GL.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  GL.Disable(GL_DEPTH_TEST);
  GL.Begin(GL_QUADS);
  GL.TexCoord2f(0, 0);
  GL.Vertex3f(-CrossHalfSize, -CrossHalfSize, 0);
  GL.TexCoord2f(1, 0);
  GL.Vertex3f(CrossHalfSize, -CrossHalfSize, 0);
  GL.TexCoord2f(1, 1);
  GL.Vertex3f(CrossHalfSize, CrossHalfSize, 0);
  GL.TexCoord2f(0, 1);
  GL.Vertex3f(-CrossHalfSize, CrossHalfSize, 0);
  GL.End();
  GL.Enable(GL_LIGHTING);
  GL.Enable(GL_DEPTH_TEST);
  GL.Disable(GL_BLEND);
  GL.EndList();
}

void TCamera::Live() {
  if (Level.Letterbox) {
    TAirCraft::Live();
    PairPending = 0;
    return;
  }
  const float ms = static_cast<float>(Counter.Elapsed);
  TVector sight;
  MatrixTransformPoint((Gun1World + Gun2World) * 0.5f + AxisZ * -SightDistance, CameraView, sight);
  GL.PushMatrix();
  GL.LoadIdentity();
  GL.Translatef(sight.x, sight.y, sight.z);
  if (!MissileMode) {
    LockedTarget = -1;
    Locked = 0;
    SetColor(SightColor, GunSight);
    BindTexture(CrossTexture);
  } else {
    LockOn(ms);
    BindTexture(LockTexture);
  }
  GL.Color4f(SightColor[0], SightColor[1], SightColor[2], SightColor[3]);
  GL.CallList(CrossList);
  GL.PopMatrix();
  TAirCraft::Live();
  FirePendingPair();
}

// The pair decided by the controls leaves from where the muzzles are after this frame's move:
// the shot pool runs after every actor and counts the player as a target, so shots started at
// the muzzles of the view update would begin inside the aircraft and strike it.
void TCamera::FirePendingPair() {
  if (!PairPending) return;
  PairPending = 0;
  // The gun's rhythm was restarted when the pair was decided; firing keeps it.
  const int32_t timer = ShotTimer;
  FirePair(Gun1World, Gun2World, true);
  ShotTimer = timer;
}

void TCamera::LockOn(float ms) {
  const int32_t elapsed = static_cast<int32_t>(ms);
  // The nearest enemy whose sphere the sight line passes through.
  const TVector p = Position;
  const TVector v = AxisZ * -SightRange;
  const TVector q = p + v;
  const float vv = VectorDot(v, v);
  const int32_t previous = Candidate;
  Candidate = -1;
  float best = 1.0f;
  for (int32_t i = 0; i < Level.ActorCount(); ++i) {
    const TActor* a = Level.LiveActor(i);
    if (!a || a == this || a->Side != EnemySide) continue;
    const TVector u = a->Position - p;
    const float t = vv > 0 ? VectorDot(u, v) / vv : 0.0f;
    const bool touches = VectorLength(u) < a->Radius || VectorLength(a->Position - q) < a->Radius || (t >= 0 && t <= 1);
    if (!touches) continue;
    if (VectorLength(p + v * t - a->Position) < a->Radius && t < best) {
      best = t;
      Candidate = i;
    }
  }

  if (!Locked) {
    if (Candidate >= 0 && Candidate == previous) {
      if (LockTimer >= LockTime) {
        SetColor(SightColor, LockSight);
        Locked = 1;
        LockedTarget = Candidate;
        LockTimer = 0;
      } else {
        BuzzTimer += elapsed;
        SetColor(SightColor, BuzzTimer <= BlinkTime ? SeekSight : LockSight);
        if (BuzzTimer >= BuzzPeriod) {
          BuzzTimer = 0;
          PlaySound(BuzzSound);
        }
      }
      LockTimer += elapsed;
    } else {
      SetColor(SightColor, SeekSight);
      LockTimer = 0;
    }
    return;
  }

  LockedTime += elapsed;
  SetColor(SightColor, LockSight);
  if (Candidate >= 0 && Candidate != LockedTarget) {
    // Another enemy under the sight: the lock moves to it on the next frame if it stays.
    LockedTime = 0;
    LockTimer = LockTime;
    Locked = 0;
    return;
  }
  // The lock holds while the sight wanders off its target.
  Candidate = LockedTarget;
  if (!Level.LiveActor(LockedTarget)) {
    LockedTarget = -1;
    Candidate = -1;
    Locked = 0;
  }
}
