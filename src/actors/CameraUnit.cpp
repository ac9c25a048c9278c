// CameraUnit.cpp — the player's aircraft: controls, map edge and ceiling, guns and missiles,
// the chase camera and its matrices, the scripted camera and the death. The sight and the
// missile lock-on are in CameraSight.cpp.
#include "actors/CameraUnit.h"

#include "actors/MissileUnit.h"
#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/SrfFile.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "render/SceneGlobals.h"
#include "render/Surface.h"
#include "sound/SoundUnit.h"

#include <algorithm>
#include <cmath>

namespace {

// The player turns a little harder than the computer pilots.
constexpr float TurnRateLimit = 0.001f;      // radians per ms: yaw, roll and pitch
constexpr float LevelPitchRate = 0.0001f;    // a turning aircraft eases its nose to the horizon
constexpr float LevelPitchSlack = 0.01f;
constexpr float MaxBank = 0.6f;              // AxisX.z of the steepest bank
constexpr float LevelSlack = 0.001f;         // per ms: the dead band of the roll levelling
constexpr float CeilingAboveSky = 570.0f;
constexpr float CeilingDive = 0.6f;          // AxisZ.z the nose is pushed down to
constexpr float FastSpeed = 0.085f;
constexpr float SlowSpeed = 0.03f;
constexpr float CruiseSpeed = 0.06f;
constexpr float ShakeScale = 10.0f;          // a shake is spread as if over ms / 10 ms
constexpr float EyeLift = 0.1f;              // per ms: an eye under the ground climbs out

constexpr float MissileAhead = 30.0f;        // launch point along the nose
constexpr float MissileBelow = 5.0f;

constexpr float PlayerShakeDistance = 100.0f;  // explosions nearer the eye than this shake it

struct TPreset {
  TVector Offset;
  float EyeRate, TurnRate;
  bool MeshVisible;
};
// Indexed by CameraMode; row 0 is never applied (the mission's own choice stays).
constexpr TPreset Presets[CameraModeCount] = {
    {{0, 0, 0}, 0, 0, true},
    {{0, 10, 45}, 0.001f, 0.001f, true},
    {{0, 10, 45}, 0.01f, 0.01f, true},
    {{0, 10, 5}, 1.0f, 1.0f, false},  // from the cockpit
    {{20, 0, -60}, 0.001f, 0.001f, true},
    {{20, 0, 10}, 0.0001f, 0.001f, true},
    {{20, 0, 10}, 0.0001f, 0.0001f, true},
    {{20, 0, -200}, 0.0005f, 0.0004f, true},
    {{20, 0, -10}, 0.001f, 0.001f, true},
    {{0, 0, 400}, 0.001f, 0.001f, false},
};

bool Finite(float v) { return std::isfinite(v); }

// A stick's share of the full rate: its deflection when it gives one, else the whole rate
// (keys, buttons and the mouse set no deflection; a damaged value is read as a key).
float Deflection(float analog) {
  const float a = std::fabs(analog);
  return a > 0 && a <= 1.0f ? a : 1.0f;
}
bool Finite(const TQuaternion& q) { return Finite(q.w) && Finite(q.x) && Finite(q.y) && Finite(q.z); }
bool Finite(const TVector& v) { return Finite(v.x) && Finite(v.y) && Finite(v.z); }

}  // namespace

TCamera::TCamera(TWorld& level) : TAirCraft(level) {
  Targetable = 1;
  Kick = {0, 0, 0};
  CrossTexture = LoadTexture("cross1.cna");
  LockTexture = LoadTexture("cross2.cna");
  BuildCrossList();
  BuzzSound = LoadSound("buzz.wav", false);
}

TCamera::~TCamera() {
  if (CrossList) GL.DeleteLists(CrossList, 1);
}

// --- The frame's view ----------------------------------------------------------------------

void TCamera::UpdateView() {
  const float ms = static_cast<float>(Counter.Elapsed);
  UpdateMatrix();
  UpdateAxes();
  TRates rates;
  Level.PlayerFlag = 0;
  if (Level.Letterbox || State != StateAlive) {
    StopGunSound();
  } else {
    bool control = !TurnBack(rates);
    if (Position.z > Level.SkyHeight + CeilingAboveSky) {
      // Over the ceiling the nose goes down until the aircraft is on its way back.
      if (AxisZ.z < CeilingDive) {
        rates.Pitch = TurnRateLimit;
        Speed = CruiseSpeed;
      }
      control = false;
    }
    if (control)
      rates = ReadControls(ms);
    else if (GunPlaying)
      StopGunSound();
    if (!Level.PlayerFlag) {
      const float slack = LevelSlack * ms;
      rates.Roll = AxisX.z < -slack ? -TurnRateLimit : AxisX.z > slack ? TurnRateLimit : rates.Roll;
    }
  }
  Rotate(rates, ms);
  UpdateMatrix();
  UpdateAxes();
  MatrixIdentity(WorldMatrix);
  MatrixTranslate(WorldMatrix, Position.x, Position.y, Position.z);
  MatrixMultiply(WorldMatrix, Matrix, WorldMatrix);
  ApplyCameraMode();
  FollowWithEye(ms);
  TurnView(ms);
  ResetView();
  SetSunLight();
  ShotTimer += Counter.Elapsed;
}

bool TCamera::TurnBack(TRates& rates) {
  if (!Level.Surface) return false;
  const TSurf& s = *Level.Surface;
  const float ex = static_cast<float>(s.Width - 2 * TerrainBorder) * s.CellSizeX;
  const float ey = static_cast<float>(s.Height - 2 * TerrainBorder) * s.CellSizeY;
  // Each border turns the nose back inward; across a corner the last test decides.
  float sign = 0;
  if (Position.x < 0) sign = AxisZ.y < 0 ? 1.0f : -1.0f;
  if (Position.x > ex) sign = AxisZ.y > 0 ? 1.0f : -1.0f;
  if (Position.y < 0) sign = AxisZ.x > 0 ? 1.0f : -1.0f;
  if (Position.y > ey) sign = AxisZ.x < 0 ? 1.0f : -1.0f;
  if (sign == 0) return false;
  rates.Yaw = TurnRateLimit * sign;
  if (sign < 0 && AxisX.z < MaxBank) rates.Roll = -TurnRateLimit;
  if (sign > 0 && AxisX.z > -MaxBank) rates.Roll = TurnRateLimit;
  if (AxisZ.z < -LevelPitchSlack) rates.Pitch = LevelPitchRate;
  if (AxisZ.z > LevelPitchSlack) rates.Pitch = -LevelPitchRate;
  Level.PlayerFlag = 1;
  return true;
}

void TCamera::ApplyCameraMode() {
  if (CameraMode == CameraModeKeep || CameraMode >= CameraModeCount) return;
  const TPreset& p = Presets[CameraMode];
  CameraOffset = p.Offset;
  EyeRate = p.EyeRate;
  TurnRate = p.TurnRate;
  MeshVisible = p.MeshVisible ? 1 : 0;
}

void TCamera::FollowWithEye(float ms) {
  const TVector target = Position + AxisX * CameraOffset.x + AxisY * CameraOffset.y + AxisZ * CameraOffset.z;
  const float f = std::min(1.0f, ms * EyeRate);
  Eye += (target - Eye) * f;
  if (ms > 0) Eye += Shake * (1.0f / (ms / ShakeScale));
  if (!Finite(Eye.x)) Eye.x = 0;
  if (!Finite(Eye.y)) Eye.y = 0;
  if (!Finite(Eye.z)) Eye.z = 0;
  Shake = {0, 0, 0};
  const TVector ground = GroundPointUnder(Eye);
  if (Eye.z < ground.z) Eye.z = ground.z + EyeLift * ms;
}

void TCamera::TurnView(float ms) {
  TQuaternion target;
  QuatConjugate(Orientation, target);
  const float h = std::min(1.0f, ms * TurnRate);
  TQuaternion turned;
  QuatSlerp(ViewRotation, target, h, turned);
  ViewRotation = Finite(turned) ? turned : target;
}

void TCamera::ResetView() {
  if (!Finite(ViewRotation)) QuatIdentity(ViewRotation);
  QuatToMatrix(ViewRotation, ViewRotationMatrix);
  CameraView = ViewRotationMatrix;
  MatrixTranslate(CameraView, -Eye.x, -Eye.y, -Eye.z);
}

// Lights are positioned in eye space, so the sun is handed over already turned by the view.
void TCamera::SetSunLight() const {
  TMatrix identity;
  MatrixIdentity(identity);
  LoadModelView(identity);
  TVector d;
  MatrixRotateVector(LightDirection, ViewRotationMatrix, d);
  const float position[4] = {d.x, d.y, d.z, 0};
  GL.Lightfv(GL_LIGHT0, GL_POSITION, position);
}

// --- Controls and weapons ------------------------------------------------------------------

TAirCraft::TRates TCamera::ReadControls(float ms) {
  const TControlState& c = Level.Controls;
  TRates r;
  Level.PlayerFlag = 0;
  const float levelPitch =
      AxisZ.z < -LevelPitchSlack ? LevelPitchRate : AxisZ.z > LevelPitchSlack ? -LevelPitchRate : 0.0f;
  // Tested in this order, a later input overwriting what an earlier one set. A stick scales
  // the turn and its bank together, so a slight push makes a gentle, shallow turn.
  const float turn = TurnRateLimit * Deflection(c.Turn);
  if (c.TurnLeft) {
    r.Yaw = -turn;
    if (AxisX.z < MaxBank) r.Roll = -turn;
    r.Pitch = levelPitch;
    Level.PlayerFlag = 1;
  }
  if (c.TurnRight) {
    r.Yaw = turn;
    if (AxisX.z > -MaxBank) r.Roll = turn;
    r.Pitch = levelPitch;
    Level.PlayerFlag = 1;
  }
  // Negative pitch raises the nose.
  const float pitch = TurnRateLimit * Deflection(c.Pitch) * (Config.InvertY ? -1.0f : 1.0f);
  if (c.NoseUp) {
    r.Pitch = -pitch;
    Level.PlayerFlag = 1;
  }
  if (c.NoseDown) {
    r.Pitch = pitch;
    Level.PlayerFlag = 1;
  }
  Speed = CruiseSpeed;
  if (c.Slow) Speed = SlowSpeed;
  if (c.Fast) Speed = FastSpeed;

  Trigger(c.Trigger);
  if (c.WeaponSwitch && !ModeLatch) {
    ModeLatch = 1;
    MissileMode = !MissileMode;
  }
  if (!c.WeaponSwitch) ModeLatch = 0;
  if (c.Camera1) CameraMode = CameraModeChase;
  if (c.Camera2) CameraMode = CameraModeTightChase;
  FireGuns(ms);
  return r;
}

void TCamera::Trigger(bool held) {
  if (!held) {
    StopSound(GunSound);
    Firing = 0;
    MissileLatch = 0;
    return;
  }
  if (!MissileMode) {
    // After the pause the looping gun sound was stopped under a held trigger: start it again.
    if (!GunPlaying || Level.Resumed) PlaySound(GunSound);
    Firing = 1;
    return;
  }
  // One missile per press; a press with none left only latches.
  if (!MissileLatch && Level.MissileCount > 0) LaunchMissile();
  MissileLatch = 1;
}

void TCamera::LaunchMissile() {
  const TVector start = Position + AxisZ * -MissileAhead + AxisY * -MissileBelow;
  const int32_t target = Locked && Level.LiveActor(Candidate) ? Candidate : -1;
  // A launch the pool refused (no sound slot free) keeps the missile.
  if (!Level.Missiles || !Level.Missiles->Launch(start, Orientation, MissileSpeed, MissileRange, target)) return;
  --Level.MissileCount;
  Level.MissilesChanged();
}

void TCamera::FireGuns(float ms) {
  if (Firing) {
    if (ShotTimer > GunInterval) {
      PairPending = 1;
      ShotTimer = 0;
    }
    GunPlaying = 1;
  } else {
    GunPlaying = 0;
  }
  MuzzleFlashPhase(ms);
}

// --- Scripted camera and death -------------------------------------------------------------

void TCamera::Behaviour7() {
  if (Motion) {
    MotionDone = Motion->Update() ? 0 : 1;
    if (Finite(Motion->Position)) Eye = Motion->Position;
    // Paths store the view's own rotation, so it is taken as it is.
    if (Finite(Motion->Rotation)) ViewRotation = Motion->Rotation;
  } else {
    MotionDone = 1;
  }
  ResetView();
  Speed = 0;
}

void TCamera::Die() {
  TDeathStyle style;
  style.ShakeDistance = PlayerShakeDistance;
  style.CountDown = false;
  DeathSequence(style);
}

void TCamera::Crash() {
  Behaviour = &TActor::Die;
  Die();
}
