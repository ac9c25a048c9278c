// TrooperUnit.cpp — a trooper's walking, steering and fall.
#include "actors/TrooperUnit.h"

#include "actors/RosterPlacement.h"
#include "actors/VehicleUnit.h"
#include "core/Globals.h"
#include "core/Random.h"
#include "platform/GLTable.h"
#include "sound/SoundUnit.h"

#include <algorithm>

namespace {

constexpr float TrooperRadius = 10.0f;
constexpr float TrooperCollisionRadius = 10.0f;
constexpr float TrooperLife = 10.0f;
constexpr float TrooperHitDamage = 2.0f;
constexpr float TrooperSize = 1.0f;
constexpr float TrooperSpeed = 0.004f;  // units per ms

}  // namespace

TTrooper::TTrooper(TWorld& level) : TActor(level, ShadowClass::Trooper) {
  // Each starts at its own point of the cycle, so a squad does not march in step.
  AnimTime = RandomFloat();
  Targetable = 1;
  DieSound = LoadSound("die.wav", false);
}

void TTrooper::LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                         int32_t typeIndex) {
  TActor::LoadTyped(name, position, ax, ay, az, typeIndex);
  StartOnGround(*this,
                {TrooperRadius, TrooperCollisionRadius, TrooperLife, TrooperHitDamage, TrooperSize, TrooperSpeed,
                 TrooperClearance},
                HomePoint, TurnDirection);
}

int32_t TTrooper::FrameCount(int32_t anim) const {
  if (anim < 0 || anim >= Mesh.AnimCount || anim >= static_cast<int32_t>(Mesh.Anims.size())) return 0;
  const TMeshAnim& a = Mesh.Anims[static_cast<size_t>(anim)];
  return std::min(a.FrameCount, static_cast<int32_t>(a.Frames.size()));
}

void TTrooper::TakeAxes() {
  MatrixRotateVector({1, 0, 0}, Matrix, AxisX);
  MatrixRotateVector({0, 1, 0}, Matrix, AxisY);
  MatrixRotateVector({0, 0, 1}, Matrix, AxisZ);
}

void TTrooper::DrawPose(int32_t anim) {
  if (!Visible(Position, Radius)) return;
  GL.PushMatrix();
  GL.Translatef(Position.x, Position.y, Position.z);
  GL.MultMatrixf(Matrix.data());
  Mesh.DrawFrame(anim, AnimFrame, AnimTime, Position, Level.Scene);
  GL.PopMatrix();
}

void TTrooper::Live() {
  LiveBase();
  if (Life <= 0) {
    AnimTime = 0;
    AnimFrame = 0;
    State = StateDying;
    Behaviour = &TActor::Die;
    return;
  }
  const float ms = static_cast<float>(Counter.Elapsed);
  TakeAxes();
  UpdateMatrix();
  DriveOnGround(*this, Level.Surface.get(), ms, TrooperClearance);
  DrawPose(WalkAnim);
  DrawShadow();
  // The legs move only while the trooper does.
  if (!(Speed > 0)) return;
  AnimTime += AnimRate * ms;
  if (AnimTime <= 1.0f) return;
  AnimTime = 0;
  const int32_t frames = FrameCount(WalkAnim);
  AnimFrame = frames > 0 ? (AnimFrame + 1) % frames : 0;
}

void TTrooper::Behaviour8() {
  UpdateMatrix();
  Roam(*this, HomePoint, HomeRadius, TurnDirection, RoamRate, static_cast<float>(Counter.Elapsed));
  Live();
}

void TTrooper::Behaviour9() {
  if (InsideHome(Position, HomePoint, HomeRadius)) Speed = 0;
  Live();
}

void TTrooper::StartFall() {
  Falling = true;
  State = StateDying;
  SetSoundPosition(DieSound, EyeSpace(Position), DieSoundScale);
  PlaySound(DieSound);
  --Level.TypeCounters[static_cast<size_t>(TypeIndex)];
}

void TTrooper::Die() {
  const float ms = static_cast<float>(Counter.Elapsed);
  UpdateMatrix();
  DrawPose(FallAnim);
  DrawShadow();
  // Keyed on a flag rather than on the pose being at its start: a fall of a single key frame
  // never leaves its start, and must not be counted again every frame.
  if (!Falling) StartFall();
  if (AnimFrame < FrameCount(FallAnim) - 1) {
    AnimTime += AnimRate * ms;
    if (AnimTime > 1.0f) {
      AnimTime = 0;
      ++AnimFrame;
    }
    return;
  }
  DeadTime += static_cast<int32_t>(ms);
  if (DeadTime <= LieTime) return;
  State = StateGone;
  Behaviour = nullptr;
}
