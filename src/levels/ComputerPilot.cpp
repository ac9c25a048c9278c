// ComputerPilot.cpp — the computer pilot's frame: the target, the aim, the safety rules that
// overrule it, the guns and the missile lock.
#include "levels/ComputerPilot.h"

#include "levels/ComputerPilotGeometry.h"

#include "actors/ActorUnit.h"
#include "actors/CameraUnit.h"
#include "actors/MissileUnit.h"
#include "actors/ShootUnit.h"
#include "core/ConfigUnit.h"
#include "core/SrfFile.h"
#include "levels/LevelHud.h"
#include "levels/LevelUnit.h"
#include "render/Surface.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float Pi = std::numbers::pi_v<float>;

// Aiming. The aircraft turns 0.001 rad per ms, so a frame of 16 ms turns 0.016.
constexpr float MaxClimb = 0.45f;         // radians of nose elevation the pilot asks for
constexpr float GunReach = 0.9f * ShotRange;

// Speeds by distance to the target.
constexpr float ChaseDistance = 320.0f;   // farther: full speed
constexpr float CloseDistance = 90.0f;    // nearer and ahead: slow, not to overshoot
constexpr float TurnFightDistance = 450.0f;  // nearer and off the nose: no full speed
// A chase where neither side ever gets its sights on the other (two fighters circling at the
// same height) is broken off: straight out at full speed for a while, then back in, nose on.
constexpr int32_t StalemateMs = 20000;
constexpr int32_t BreakOffMs = 7000;
constexpr float BreakOffAhead = 600.0f;
constexpr float BigTarget = 50.0f;        // radius: a target this big is kept at a distance
constexpr float StandOff = 60.0f;         // nearer its skin: break away
constexpr float BreakAway = 600.0f;       // how far out the break aims
constexpr float PatrolFastDistance = 560.0f;  // farther from the patrol's point: full speed
constexpr float StrafeGunRange = 420.0f;  // a strafing dive opens fire this near

// Safety.
constexpr float MinClearance = 70.0f;     // above the ground along the way ahead
constexpr float AimClearance = 90.0f;     // aim points are lifted at least this far
constexpr float LookAheadMs[] = {0.0f, 400.0f, 800.0f, 1300.0f, 1900.0f};
constexpr float DiveClearance = 28.0f;    // in a strafing dive, along the next moments only
constexpr float DiveLookAheadMs = 800.0f;
constexpr float CeilingAboveSky = 570.0f; // the aircraft's own ceiling; control is lost above
constexpr float CeilingMargin = 80.0f;
constexpr float AttackCeilingMargin = 30.0f;
constexpr float CeilingLookMs = 1500.0f;
constexpr float CeilingNose = 0.05f;      // radians: above the margin the nose is let up to this
constexpr float EdgeMargin = 250.0f;      // from the map's edge
constexpr float CollisionMargin = 25.0f;
constexpr float CollisionLookMs = 1500.0f;

// Weapons.
constexpr float MissileMinDistance = 180.0f;
constexpr float MissileMaxDistance = 560.0f;   // the sight looks 600 ahead
constexpr float MissileCone = 0.35f;           // radians off the nose to start seeking
constexpr float MissileGuardReach = 700.0f;    // a target this near the objective is worth one
constexpr int32_t SeekLimit = 5000;            // ms of trying for a lock
constexpr int32_t RestAfterLaunch = 2500;      // ms
constexpr int32_t RestAfterMiss = 4000;
constexpr float FriendMargin = 6.0f;

using pilot::Elevation;
using pilot::MinDeadZone;
using pilot::PatrolDeadZone;
using pilot::Finite;
using pilot::Forward;
using pilot::TurnAngle;

}  // namespace

TControlState TComputerPilot::Poll(int32_t ms) {
  TControlState out;
  const TCamera* player = Level.Player();
  const bool flying = player && player->State == StateAlive && !Level.Letterbox && Level.Outcome == TOutcome::Running;
  if (!flying) {
    TargetIndex = -1;
    Weapon = TWeapon::Guns;
    Run = TRun::Approach;
    SwitchHeld = TriggerHeld = false;
    LastMs = std::max(ms, 1);
    return out;
  }
  MissileRest = std::max(0, MissileRest - ms);
  Search(*player, ms);
  ChooseTarget(*player);
  TrackProgress(*player, ms);
  const TActor* target = Level.LiveActor(TargetIndex);

  TAim aim = Patrol(*player);
  bool onTarget = false;
  bool diving = false;
  if (target && OnTheGround(*target)) {
    const TVector lead = LeadPoint(*player, *target);
    aim = StrafingRun(*player, *target, lead, out);
    diving = Run == TRun::Dive;
    onTarget = diving && VectorLength(lead - player->Position) < StrafeGunRange && ShotWouldHit(*player, *target, lead);
  } else if (target) {
    Run = TRun::Approach;
    const TVector lead = LeadPoint(*player, *target);
    const float d = VectorLength(target->Position - player->Position);
    // Seeking a lock the sight line must pass through the target itself, not its lead.
    aim.Point = Weapon == TWeapon::Seeking ? target->Position : lead;
    aim.DeadZone = std::max(MinDeadZone, 0.5f * target->CollisionRadius / std::max(d, 1.0f));
    onTarget = ShotWouldHit(*player, *target, lead);
    const TVector to = target->Position - player->Position;
    const bool ahead = std::fabs(TurnAngle(*player, to)) < Pi / 4;
    // From a big target the distances count from its skin, not its middle: a balloon is a
    // hundred and seventy in radius and climbs to meet the aircraft, and slowing down at fighter
    // range there means flying into it.
    const float skin = target->Radius > BigTarget ? target->Radius : 0.0f;
    // Off the nose but near, cruising speed: full speed widens the turn beyond a fighter's
    // (the rate of turn is the same at every speed, its radius is not), and the two only circle.
    out.Fast = d > ChaseDistance + skin || (!ahead && d > TurnFightDistance + skin);
    out.Slow = d < CloseDistance + skin && ahead;
    BreakStalemate(*player, aim, onTarget, ms, out);
    if (skin > 0 && d < skin + StandOff) {
      // Too close: away from it at full speed, and round again from a distance.
      const TVector away = player->Position - target->Position;
      const float flat = std::hypot(away.x, away.y);
      const TVector f = Forward(*player);
      const TVector outward = flat > 1 ? TVector{away.x / flat, away.y / flat, 0} : TVector{f.x, f.y, 0};
      aim.Point = player->Position + outward * BreakAway;
      aim.DeadZone = PatrolDeadZone;
      out.Fast = true;
      out.Slow = false;
    }
  } else {
    Run = TRun::Approach;
    out.Fast = VectorLength(aim.Point - player->Position) > PatrolFastDistance;
  }
  if (!target || OnTheGround(*target)) ChaseTime = BreakTime = 0;
  if (!diving) {
    const float ground = Level.Surface ? Level.Surface->GroundHeight(aim.Point.x, aim.Point.y) : 0.0f;
    aim.Point.z = std::max(aim.Point.z, ground + AimClearance);
  }
  if (KeepInsideMap(*player, aim)) onTarget = false;
  Steer(*player, aim, out);
  AvoidCollisions(*player, out);
  KeepClear(*player, out);
  Weapons(*player, target, onTarget, out);
  LastMs = std::max(ms, 1);
  return out;
}

// --- Steering ------------------------------------------------------------------------------

void TComputerPilot::BreakStalemate(const TCamera& player, TAim& aim, bool onTarget, int32_t ms, TControlState& out) {
  if (BreakTime > 0) {
    BreakTime = std::max(0, BreakTime - ms);
    const TVector f = Forward(player);
    const float fl = std::hypot(f.x, f.y);
    const TVector ahead = fl > 1e-3f ? TVector{f.x / fl, f.y / fl, 0} : TVector{1, 0, 0};
    aim.Point = player.Position + ahead * BreakOffAhead;
    aim.DeadZone = PatrolDeadZone;
    out.Fast = true;
    out.Slow = false;
    return;
  }
  ChaseTime = onTarget ? 0 : ChaseTime + ms;
  if (ChaseTime > StalemateMs) {
    ChaseTime = 0;
    BreakTime = BreakOffMs;
  }
}

void TComputerPilot::SetNose(bool up, bool down, TControlState& out) const {
  // The controls name what the key does; InvertY swaps which key raises the nose.
  const bool invert = Config.InvertY != 0;
  out.NoseUp = invert ? down : up;
  out.NoseDown = invert ? up : down;
}

void TComputerPilot::Steer(const TCamera& player, const TAim& aim, TControlState& out) const {
  const TVector d = aim.Point - player.Position;
  if (!Finite(d)) return;
  const float turn = TurnAngle(player, d);
  const bool behind = std::fabs(turn) > Pi / 2;
  out.TurnRight = behind ? turn >= 0 : turn > aim.DeadZone;
  out.TurnLeft = behind ? turn < 0 : turn < -aim.DeadZone;
  const float want = std::clamp(Elevation(d), -aim.MaxDive, MaxClimb);
  const float error = want - Elevation(Forward(player));
  SetNose(error > aim.DeadZone, error < -aim.DeadZone, out);
}

// A course that would meet another actor within the next moments swerves away from where it
// would be met.
void TComputerPilot::AvoidCollisions(const TCamera& player, TControlState& out) const {
  const TVector vp = Forward(player) * player.Speed;
  for (int32_t i = 1; i < Level.ActorCount(); ++i) {
    const TActor* a = Level.LiveActor(i);
    if (!a || !a->Collidable || !Finite(a->Position)) continue;
    const TVector rel = a->Position - player.Position;
    const float reach = player.Radius + a->Radius + CollisionMargin;
    if (VectorLength(rel) > reach + CollisionLookMs * (player.Speed + 0.1f)) continue;
    const TVector vrel = Velocity(*a) - vp;
    const float vv = VectorDot(vrel, vrel);
    const float t = vv > 0 ? std::clamp(-VectorDot(rel, vrel) / vv, 0.0f, CollisionLookMs) : 0.0f;
    const TVector met = rel + vrel * t;
    if (VectorLength(met) >= reach) continue;
    const float side = TurnAngle(player, met);
    if (std::fabs(side) > Pi / 2 && t == 0) continue;  // behind and drawing apart
    out.TurnLeft = side >= 0;
    out.TurnRight = side < 0;
    const bool over = met.z < 0;
    SetNose(over, !over, out);
    return;
  }
}

// The ground along the way ahead and the ceiling overrule everything else.
void TComputerPilot::KeepClear(const TCamera& player, TControlState& out) const {
  const TVector f = Forward(player);
  const float nose = Elevation(f);
  // In a strafing dive the ground ahead is where the target stands: only the next moments and a
  // smaller margin count, and the run's own break comes before this.
  const bool diving = Run == TRun::Dive && Level.LiveActor(TargetIndex);
  const float margin = diving ? DiveClearance : MinClearance;
  if (Level.Surface) {
    float clearance = 1e9f;
    for (float ahead : LookAheadMs) {
      if (diving && ahead > DiveLookAheadMs) break;
      const TVector p = player.Position + f * (player.Speed * ahead);
      clearance = std::min(clearance, p.z - Level.Surface->GroundHeight(p.x, p.y));
    }
    const TVector under = player.Position;
    const float altitude = under.z - Level.Surface->GroundHeight(under.x, under.y);
    if (clearance < margin || (altitude < margin && nose < 0)) {
      SetNose(nose < MaxClimb, false, out);
      // Very low, a banked pull-up would only turn: the wings come level first.
      if (altitude < 0.5f * margin) out.TurnLeft = out.TurnRight = false;
      return;
    }
  }
  // Near the ceiling the nose may not rise, and it is eased down to just under the horizon; a
  // steeper dive the steering wants is let through.
  // After an enemy in the air the pilot goes nearer the ceiling: the computer-flown fighters
  // keep some sixty under it, and from eighty under a climb to meet them was never allowed.
  const TActor* target = Level.LiveActor(TargetIndex);
  const bool airTarget = target && !OnTheGround(*target);
  const float ceiling = Level.SkyHeight + CeilingAboveSky - (airTarget ? AttackCeilingMargin : CeilingMargin);
  // Judged where the climb takes the aircraft a moment on: a steep climb needs that long to
  // level out, and from the line itself it would carry on well past the ceiling.
  const float rise = std::max(0.0f, nose) * player.Speed * CeilingLookMs;
  if (player.Position.z + (std::isfinite(rise) ? rise : 0.0f) > ceiling) {
    const bool wantsDown = Config.InvertY != 0 ? out.NoseUp : out.NoseDown;
    SetNose(false, wantsDown || nose > -CeilingNose, out);
  }
}

// Near the map's edge the aim is moved back inside, so the aircraft turns before the border
// takes the controls away.
bool TComputerPilot::KeepInsideMap(const TCamera& player, TAim& aim) const {
  if (!Level.Surface) return false;
  const TSurf& s = *Level.Surface;
  const float ex = static_cast<float>(s.Width - 2 * TerrainBorder) * s.CellSizeX;
  const float ey = static_cast<float>(s.Height - 2 * TerrainBorder) * s.CellSizeY;
  if (ex < 4 * EdgeMargin || ey < 4 * EdgeMargin) return false;
  const TVector inside{std::clamp(aim.Point.x, EdgeMargin, ex - EdgeMargin),
                       std::clamp(aim.Point.y, EdgeMargin, ey - EdgeMargin), aim.Point.z};
  const TVector& p = player.Position;
  const bool nearEdge = p.x < EdgeMargin || p.y < EdgeMargin || p.x > ex - EdgeMargin || p.y > ey - EdgeMargin;
  if (!nearEdge && inside == aim.Point) return false;
  if (!nearEdge) {
    aim.Point = inside;
    return false;
  }
  aim.Point = {0.5f * ex, 0.5f * ey, inside.z};
  aim.DeadZone = PatrolDeadZone;
  return true;
}

// --- Weapons -------------------------------------------------------------------------------

bool TComputerPilot::ShotWouldHit(const TCamera& player, const TActor& target, const TVector& lead) const {
  const TVector guns = (player.Gun1World + player.Gun2World) * 0.5f;
  const TVector f = Forward(player);
  const TVector u = lead - guns;
  const float along = VectorDot(u, f);
  if (along <= 0 || along > GunReach) return false;
  return VectorLength(u - f * along) < 0.8f * target.Radius;
}

// A friend whose sphere the line of fire passes within range.
bool TComputerPilot::FriendInLine(const TCamera& player, float range) const {
  const TVector guns = (player.Gun1World + player.Gun2World) * 0.5f;
  const TVector f = Forward(player);
  for (int32_t i = 1; i < Level.ActorCount(); ++i) {
    const TActor* a = Level.LiveActor(i);
    if (!a || a->Side != player.Side) continue;
    const TVector u = a->Position - guns;
    const float along = VectorDot(u, f);
    if (along < -a->Radius || along > range + a->Radius) continue;
    if (VectorLength(u - f * std::max(along, 0.0f)) < a->Radius + FriendMargin) return true;
  }
  return false;
}

bool TComputerPilot::WorthAMissile(const TCamera& player, const TActor& target) const {
  if (Level.MissileCount <= 0 || MissileRest > 0 || OnTheGround(target)) return false;
  const TVector to = target.Position - player.Position;
  const float d = VectorLength(to);
  if (d < MissileMinDistance || d > MissileMaxDistance) return false;
  if (std::fabs(TurnAngle(player, to)) > MissileCone) return false;
  if (Level.Missiles)
    for (const TMissile* m = Level.Missiles->First; m; m = m->Next)
      if (m->Target == TargetIndex && m->State == MissileFlying) return false;
  // Those going for what the mission guards; elsewhere the guns do.
  return !Level.ShowObjective || VectorLength(target.Position - Level.ObjectivePoint) < MissileGuardReach;
}

// Guns by default; a lock and one missile for a worthwhile target. The switch and the missile
// trigger act on a press, so each is let go for a frame between presses.
void TComputerPilot::Weapons(const TCamera& player, const TActor* target, bool onTarget, TControlState& out) {
  const int32_t ms = LastMs;
  if (Weapon == TWeapon::Guns && target && WorthAMissile(player, *target)) {
    Weapon = TWeapon::Seeking;
    SeekTime = 0;
  }
  if (Weapon == TWeapon::Seeking) {
    SeekTime += ms;
    if (!target || SeekTime > SeekLimit || Level.MissileCount <= 0) {
      Weapon = TWeapon::Guns;
      MissileRest = RestAfterMiss;
    }
  }
  const bool wantMissiles = Weapon == TWeapon::Seeking;
  const bool inMode = (player.MissileMode != 0) == wantMissiles;
  out.WeaponSwitch = !inMode && !SwitchHeld;
  out.Trigger = false;
  if (inMode && !wantMissiles) {
    out.Trigger = onTarget && !FriendInLine(player, VectorLength(target->Position - player.Position));
  } else if (inMode && player.Locked && player.Candidate == TargetIndex && !TriggerHeld &&
             !FriendInLine(player, MissileMaxDistance)) {
    out.Trigger = true;
    Weapon = TWeapon::Guns;
    MissileRest = RestAfterLaunch;
  }
  SwitchHeld = out.WeaponSwitch;
  TriggerHeld = out.Trigger;
}
