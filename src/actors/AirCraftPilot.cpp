// AirCraftPilot.cpp — the computer pilot of TAirCraft: pursuit and gunnery, patrol, hunt,
// attack, defence, strafing and recorded paths.
//
// Every decision is a signed distance to a plane through the aircraft (x right +, y up +,
// z behind +) turned into four wishes (left, right, up, down) and then into fixed turn rates.
#include "actors/AirCraftUnit.h"

#include "actors/ActorWorld.h"

#include "core/Globals.h"
#include "core/Random.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float PursuitRate = 0.0008f;  // radians per ms while chasing
constexpr float PatrolRate = 0.001f;    // a patrol turns a little harder
constexpr float LevelPitchRate = 0.0001f;
constexpr float LevelPitchSlack = 0.01f;  // AxisZ.z within this is level enough while turning
constexpr float LevelSlack = 0.001f;      // per ms of the frame: the dead band of levelling
constexpr float MaxBank = 0.6f;           // AxisX.z of the steepest bank while turning
constexpr float GunRange = 400.0f;
constexpr int32_t GunSoundHold = 200;     // ms the gun sound plays at least once started
constexpr float GroundClearance = 4.0f;   // times Radius: below this the pilot climbs
constexpr float AvoidTarget = 3.0f;       // times the nearest actor's Radius
constexpr float OvertakeRange = 4.0f;     // times the nearest actor's Radius
constexpr float KickScale = 10.0f;        // a kick is spread as if over ms / 10 ms
constexpr float NoTarget = 10000.0f;      // hunts look no farther
constexpr float PathGunSide = 3.0f;       // a recorded path's muzzles, model space
constexpr float PathGunAhead = 5.0f;

// Heights. A patrol left to its levelling alone drifts: a nose raised by less than the levelling's
// dead band climbs half a unit to a unit a second, and after some minutes of circling a fighter
// sits above the player's ceiling, out of reach for good, and its group can never be cleared. So
// the patrol holds its guard point's height, and no computer-flown aircraft climbs to within
// CeilingClearance of the player's ceiling (the ground rule, mirrored).
constexpr float HoldHeightBand = 40.0f;   // the patrol climbs or dives back beyond this
constexpr float HoldHeightNose = 0.15f;   // AxisZ.z: the steepest climb or dive it takes for it
constexpr float CeilingAboveSky = 570.0f; // the player's ceiling over the level's SkyHeight
constexpr float CeilingClearance = 60.0f;
constexpr float CeilingLookMs = 1000.0f;  // the climb is judged this far ahead

struct TDistances {
  float X, Y, Z;
};

TPlane PlaneThrough(const TVector& point, const TVector& normal) {
  TPlane plane;
  PlaneFromPointNormal(point, normal, plane);
  return plane;
}

bool Finite(float v) { return std::isfinite(v); }
bool Finite(const TVector& v) { return Finite(v.x) && Finite(v.y) && Finite(v.z); }

// Judged where the climb would take the aircraft a moment on, so that a steep pursuit has room
// to level out before the line rather than well beyond it.
bool NearCeiling(const TWorld& level, const TVector& position, const TVector& axisZ, float speed) {
  const float rise = std::max(0.0f, -axisZ.z) * std::max(0.0f, speed) * CeilingLookMs;
  return position.z + (std::isfinite(rise) ? rise : 0.0f) > level.SkyHeight + CeilingAboveSky - CeilingClearance;
}

}  // namespace

TAirCraft::TSteer TAirCraft::Pursue(const TActor& target, bool& aimed) const {
  const TPlane px = PlaneThrough(Gun1World, AxisX);
  const TPlane py = PlaneThrough(Gun1World, AxisY);
  const TPlane pz = PlaneThrough(Position, AxisZ);
  const TDistances t{PlaneValue(px, target.Position), PlaneValue(py, target.Position), PlaneValue(pz, target.Position)};
  const float d = VectorLength(Position - target.Position);
  const float w = target.CollisionRadius / 2;
  // The pairing partner is gone only when everything else is: the target stands in for it.
  const TActor* nearest = Level.LiveActor(NearestIndex);
  const float nearRadius = nearest ? nearest->Radius : target.Radius;

  TSteer steer;
  // Close behind something much slower, the pilot stops chasing rather than ram it.
  const bool overtaking = OvertakeRange * nearRadius >= d && Speed / 2 > target.Speed;
  if (!overtaking) {
    if (t.Z > 0) {
      // Behind: turn toward its side at once, however small the offset.
      steer.Right = t.X > 0;
      steer.Left = t.X < 0;
    } else {
      steer.Right = t.X > w;
      steer.Left = t.X < -w;
      steer.Down = t.Y < -w;
      steer.Up = t.Y > w;
    }
  }
  if (AvoidTarget * nearRadius > d && t.Z < 0) {
    steer.Left = t.X > target.Radius;
    steer.Right = t.X < -target.Radius;
    if (std::fabs(t.Y) < target.Radius) {
      steer.Down = false;
      steer.Up = true;
    }
  }
  if (nearest) {
    const TDistances n{PlaneValue(px, nearest->Position), PlaneValue(py, nearest->Position),
                       PlaneValue(pz, nearest->Position)};
    if (AvoidTarget * nearest->Radius > NearestDistance && n.Z < 0) {
      steer.Left = n.X > nearest->Radius;
      steer.Right = n.X < -nearest->Radius;
      if (std::fabs(n.Y) < nearest->Radius) {
        steer.Down = false;
        steer.Up = true;
      }
    }
  }
  aimed = t.Z < 0 && std::fabs(t.X) < w && std::fabs(t.Y) < w && d < GunRange;
  return steer;
}

void TAirCraft::SteerTo(int32_t index) {
  const float ms = static_cast<float>(Counter.Elapsed);
  TSteer steer;
  bool aimed = false;
  const TActor* target = Level.LiveActor(index);
  if (target && target != this) steer = Pursue(*target, aimed);
  if (NearCeiling(Level, Position, AxisZ, Speed)) {
    steer.Up = false;
    steer.Down = true;
  }
  // The ground comes last: where the two rules meet, hitting the hills is the worse outcome.
  if (GroundClearance * Radius > Altitude) {
    steer.Down = false;
    steer.Up = true;
  }
  const bool fire = aimed && ShotTimer > GunInterval;
  if (fire && !GunPlaying) StartGunSound();
  if (!aimed && GunSoundTimer > GunSoundHold) {
    StopGunSound();
    GunSoundTimer = 0;
  }
  MuzzleFlashPhase(ms);
  TRates rates = TurnRates(steer, PursuitRate);
  LevelOut(rates, steer, PursuitRate, ms);
  Rotate(rates, ms);
  Live();
  // The pair leaves after this frame's move: the shot pool runs after every actor and counts
  // the shooter as a target, so a shot started at last frame's muzzle would begin inside the
  // gun barrel and strike the aircraft that fired it.
  if (fire) FirePair(Gun1World, Gun2World, false);
  ShotTimer += Counter.Elapsed;
}

TAirCraft::TRates TAirCraft::TurnRates(const TSteer& steer, float rate) const {
  TRates r;
  // A turning aircraft eases its nose back to the horizon.
  const float levelPitch = AxisZ.z < -LevelPitchSlack ? LevelPitchRate : AxisZ.z > LevelPitchSlack ? -LevelPitchRate : 0.0f;
  if (steer.Left) {
    r.Yaw = -rate;
    if (AxisX.z < MaxBank) r.Roll = -rate;
    r.Pitch = levelPitch;
  }
  if (steer.Right) {
    r.Yaw = rate;
    if (AxisX.z > -MaxBank) r.Roll = rate;
    r.Pitch = levelPitch;
  }
  if (steer.Up) r.Pitch = -rate;
  if (steer.Down) r.Pitch = rate;
  return r;
}

void TAirCraft::LevelOut(TRates& rates, const TSteer& steer, float rate, float ms) const {
  const float slack = LevelSlack * ms;
  if (!steer.Left && !steer.Right) rates.Roll = AxisX.z < -slack ? -rate : AxisX.z > slack ? rate : 0.0f;
  if (steer.Up || steer.Down || GroundClearance * Radius >= Altitude) return;
  if (AxisZ.z < -slack)
    rates.Pitch = rate;
  else if (AxisZ.z > slack)
    rates.Pitch = -rate;
}

void TAirCraft::Rotate(TRates rates, float ms) {
  // A frame of no time keeps the kick for the next one and turns nothing.
  if (!(ms > 0)) return;
  const float spread = ms / KickScale;
  rates.Yaw += Kick.x / spread;
  rates.Pitch += Kick.y / spread;
  rates.Roll += Kick.z / spread;
  Kick = {0, 0, 0};
  if (!Finite(rates.Yaw)) rates.Yaw = 0;
  if (!Finite(rates.Pitch)) rates.Pitch = 0;
  if (!Finite(rates.Roll)) rates.Roll = 0;
  // Pitch and roll about the model's own axes, yaw about the world's vertical.
  TQuaternion q{1, 0, 0, 0};
  if (rates.Pitch != 0) QuatMultiply(q, AxisRotation(1, 0, 0, ms * rates.Pitch), q);
  QuatMultiply(q, AxisRotation(0, 0, 1, ms * rates.Roll), q);
  QuatMultiply(q, Orientation, q);
  if (rates.Yaw != 0) QuatMultiply(q, AxisRotation(0, 0, 1, ms * rates.Yaw), q);
  // Renormalised so that thousands of small turns do not drift into a scaled matrix.
  QuatNormalize(q, q);
  if (Finite(q.w) && Finite(q.x) && Finite(q.y) && Finite(q.z)) Orientation = q;
}

void TAirCraft::Behaviour8() {
  const float ms = static_cast<float>(Counter.Elapsed);
  const TPlane px = PlaneThrough(Position, AxisX);
  const TPlane pz = PlaneThrough(Position, AxisZ);
  const float xg = PlaneValue(px, GuardPoint);
  const float zg = PlaneValue(pz, GuardPoint);
  const float dg = VectorLength(Position - GuardPoint);

  TSteer steer;
  if (dg > GuardRadius) {
    if (zg > 0) {
      // The point is behind: a full turn, always the same way until it is ahead again.
      steer.Right = PatrolTurn == 0;
      steer.Left = PatrolTurn != 0;
    } else {
      PatrolTurn = Random(2);
      const float w = GuardRadius / 2;
      steer.Right = xg > w;
      steer.Left = xg < -w;
    }
  }
  // The guard point's height is held by the world's vertical, not the aircraft's Y plane: while
  // the point is behind or the wings are banked, the plane would read a climbing aircraft's own
  // nose as the point being above it, and it would climb on.
  const float dz = GuardPoint.z - Position.z;
  steer.Up = dz > HoldHeightBand && AxisZ.z > -HoldHeightNose;
  steer.Down = dz < -HoldHeightBand && AxisZ.z < HoldHeightNose;
  if (NearCeiling(Level, Position, AxisZ, Speed)) {
    steer.Up = false;
    steer.Down = true;
  }
  if (GroundClearance * Radius > Altitude) {
    steer.Up = true;
    steer.Down = false;
  }
  // About to touch the nearest actor ahead: swerve away from it.
  if (const TActor* nearest = Level.LiveActor(NearestIndex)) {
    const float xn = PlaneValue(px, nearest->Position);
    const float zn = PlaneValue(pz, nearest->Position);
    if (nearest->Radius > NearestDistance && zn < 0) {
      steer.Left = xn > nearest->Radius;
      steer.Right = xn < -nearest->Radius;
    }
  }
  TRates rates = TurnRates(steer, PatrolRate);
  LevelOut(rates, steer, PatrolRate, ms);
  Rotate(rates, ms);
  Live();
}

int32_t TAirCraft::NearestEnemy(bool withinGuard) const {
  int32_t best = -1;
  float bestDistance = NoTarget;
  const int32_t count = Level.ActorCount();
  for (int32_t i = 0; i < count; ++i) {
    const TActor* a = Level.Actors[static_cast<size_t>(i)].get();
    if (!a || a == this || a->Side == 0 || a->Side == Side) continue;
    // Wrecks on their way down are not worth a burst.
    if (a->State != StateAlive || a->GroundUnit) continue;
    if (withinGuard && !(VectorLength(a->Position - GuardPoint) < GuardRadius)) continue;
    const float d = VectorLength(a->Position - Position);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

void TAirCraft::Behaviour10() {
  const int32_t enemy = NearestEnemy(false);
  if (enemy >= 0) {
    SteerTo(enemy);
    return;
  }
  // Nothing left to hunt: patrol from this very frame, so the aircraft never misses a frame.
  StopGunSound();
  Behaviour = &TActor::Behaviour8;
  Behaviour8();
}

void TAirCraft::Behaviour11() {
  const TActor* target = Level.LiveActor(TargetIndex);
  if (target && target != this && target->State == StateAlive) {
    const TVector last = target->Position;
    SteerTo(TargetIndex);
    GuardPoint = last;
    return;
  }
  // The patrol then circles where the target was last seen.
  StopGunSound();
  Behaviour = &TActor::Behaviour8;
  Behaviour8();
}

void TAirCraft::Behaviour12() {
  const int32_t enemy = NearestEnemy(true);
  if (enemy >= 0) {
    SteerTo(enemy);
    return;
  }
  StopGunSound();
  Behaviour8();
}

void TAirCraft::Behaviour13() {
  if (!GunPlaying || Level.Resumed) StartGunSound();
  const bool fire = ShotTimer > GunInterval;
  Live();
  // After the move, as in the pursuit: from where the muzzles are when the shot pool runs.
  if (fire) {
    FirePair(Gun1World, Gun2World, false);
    AddMuzzleLights(Gun1World, Gun2World);
  }
  ShotTimer += Counter.Elapsed;
}

void TAirCraft::Behaviour7() {
  if (Motion) {
    MotionDone = Motion->Update() ? 0 : 1;
    // A damaged path sample leaves the aircraft where it was rather than poison the matrices.
    if (Finite(Motion->Position)) Position = Motion->Position;
    const TQuaternion& r = Motion->Rotation;
    if (Finite(r.w) && Finite(r.x) && Finite(r.y) && Finite(r.z)) QuatConjugate(r, Orientation);
  } else {
    MotionDone = 1;
  }
  UpdateMatrix();
  UpdateAxes();
  if (ShotTimer > GunInterval && Motion && Motion->Fire == 1) {
    // Paths fire from fixed muzzles, whatever the model's .int says.
    const TVector ahead = AxisZ * -PathGunAhead;
    const TVector muzzle1 = Position + AxisX * -PathGunSide + ahead;
    const TVector muzzle2 = Position + AxisX * PathGunSide + ahead;
    FirePair(muzzle1, muzzle2, false);
    AddMuzzleLights(muzzle1, muzzle2);
  }
  Speed = 0;
  Live();
  ShotTimer += Counter.Elapsed;
}
