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

// Choosing whom to fight.
constexpr float ObjectiveWeight = 0.7f;   // a metre nearer the objective counts this much
constexpr float GroundPenalty = 700.0f;   // ground units only when the air is clear
constexpr float KeepTarget = 0.8f;        // the current target's score is taken at this fraction
constexpr float ObjectiveReach = 150.0f;   // beyond the objective's radius, still at the marker
constexpr float GroundLevel = 40.0f;      // nearer the ground than this, a target is a ground target

// Aiming. The aircraft turns 0.001 rad per ms, so a frame of 16 ms turns 0.016.
constexpr float MinDeadZone = 0.012f;     // radians
constexpr float PatrolDeadZone = 0.05f;
constexpr float MaxClimb = 0.45f;         // radians of nose elevation the pilot asks for
constexpr float MaxDive = 0.40f;
constexpr float GunReach = 0.9f * ShotRange;

// Speeds by distance to the target.
constexpr float ChaseDistance = 320.0f;   // farther: full speed
constexpr float CloseDistance = 90.0f;    // nearer and ahead: slow, not to overshoot

// Circling the objective while nothing is on the radar.
constexpr float OrbitRadius = 280.0f;
constexpr float OrbitLead = 1.0f;         // radians ahead on the circle
constexpr float OrbitHeight = 50.0f;      // above the objective

// Safety.
constexpr float MinClearance = 70.0f;     // above the ground along the way ahead
constexpr float AimClearance = 90.0f;     // aim points are lifted at least this far
constexpr float LookAheadMs[] = {0.0f, 400.0f, 800.0f, 1300.0f, 1900.0f};
constexpr float CeilingAboveSky = 570.0f; // the aircraft's own ceiling; control is lost above
constexpr float CeilingMargin = 80.0f;
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
using pilot::Finite;
using pilot::Forward;
using pilot::TurnAngle;

bool IsEnemy(const TActor& a, const TActor& player) { return a.Side != 0 && a.Side != player.Side; }

}  // namespace

// Vehicles, troopers, turrets and parked aircraft: attacked in a dive, their aim not lifted.
bool TComputerPilot::OnTheGround(const TActor& a) const {
  if (a.GroundUnit || a.Speed <= 0) return true;
  return Level.Surface && a.Position.z - Level.Surface->GroundHeight(a.Position.x, a.Position.y) < GroundLevel;
}

TComputerPilot::TComputerPilot(const TLevel& level) : Level(level) {}

TControlState TComputerPilot::Poll(int32_t ms) {
  TControlState out;
  const TCamera* player = Level.Player();
  const bool flying = player && player->State == StateAlive && !Level.Letterbox && Level.Outcome == TOutcome::Running;
  if (!flying) {
    TargetIndex = -1;
    Weapon = TWeapon::Guns;
    SwitchHeld = TriggerHeld = false;
    LastMs = std::max(ms, 1);
    return out;
  }
  MissileRest = std::max(0, MissileRest - ms);
  ChooseTarget(*player);
  const TActor* target = Level.LiveActor(TargetIndex);

  TAim aim = Patrol(*player);
  bool onTarget = false;
  if (target) {
    const TVector lead = LeadPoint(*player, *target);
    const float d = VectorLength(target->Position - player->Position);
    // Seeking a lock the sight line must pass through the target itself, not its lead.
    aim.Point = Weapon == TWeapon::Seeking ? target->Position : lead;
    aim.DeadZone = std::max(MinDeadZone, 0.5f * target->CollisionRadius / std::max(d, 1.0f));
    onTarget = ShotWouldHit(*player, *target, lead);
    const TVector to = target->Position - player->Position;
    const bool ahead = std::fabs(TurnAngle(*player, to)) < Pi / 4;
    out.Fast = d > ChaseDistance || !ahead;
    out.Slow = d < CloseDistance && ahead;
  } else {
    out.Fast = VectorLength(aim.Point - player->Position) > 2 * OrbitRadius;
  }
  if (!target || !OnTheGround(*target)) {
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

// --- The target ----------------------------------------------------------------------------

// Neutral structures at the objective marker are what the mission wants destroyed there.
bool TComputerPilot::MarkedObjective(const TActor& a) const {
  if (a.Side != 0 || !Level.ShowObjective || a.Life <= 0 || !OnTheGround(a)) return false;
  const TVector d = a.Position - Level.ObjectivePoint;
  return std::hypot(d.x, d.y) < Level.ObjectiveRadius + ObjectiveReach;
}

float TComputerPilot::Threat(const TActor& enemy, const TCamera& player) const {
  float score = VectorLength(enemy.Position - player.Position);
  if (Level.ShowObjective) score += ObjectiveWeight * VectorLength(enemy.Position - Level.ObjectivePoint);
  if (OnTheGround(enemy)) score += GroundPenalty;
  return score;
}

// The enemies the radar shows, the one that matters most.
void TComputerPilot::ChooseTarget(const TCamera& player) {
  const float range = Level.Hud ? Level.Hud->RadarRange : DefaultRadarRange;
  int32_t best = -1;
  float bestScore = 0;
  for (int32_t i = 1; i < Level.ActorCount(); ++i) {
    const TActor* a = Level.Actors[static_cast<size_t>(i)].get();
    if (!a || a->State != StateAlive || !Finite(a->Position)) continue;
    if (!IsEnemy(*a, player) && !MarkedObjective(*a)) continue;
    if (!(VectorLength(a->Position - player.Position) < range)) continue;
    float score = Threat(*a, player);
    if (i == TargetIndex) score *= KeepTarget;
    if (best < 0 || score < bestScore) {
      best = i;
      bestScore = score;
    }
  }
  if (best != TargetIndex) {
    Weapon = TWeapon::Guns;
    SeekTime = 0;
  }
  TargetIndex = best;
}

TVector TComputerPilot::Velocity(const TActor& actor) const {
  const TVector v = (actor.Position - actor.PrevPosition) * (1.0f / static_cast<float>(LastMs));
  return Finite(v) ? v : TVector{0, 0, 0};
}

// Where a shot leaving the guns now meets the target if it flies on as it does.
TVector TComputerPilot::LeadPoint(const TCamera& player, const TActor& target) const {
  const TVector guns = (player.Gun1World + player.Gun2World) * 0.5f;
  const TVector v = Velocity(target);
  TVector p = target.Position;
  for (int32_t pass = 0; pass < 2; ++pass) p = target.Position + v * (VectorLength(p - guns) / ShotSpeed);
  return p;
}

// Around the objective, or straight for it from afar.
TComputerPilot::TAim TComputerPilot::Patrol(const TCamera& player) const {
  TAim aim;
  aim.DeadZone = PatrolDeadZone;
  TVector centre = Level.ObjectivePoint;
  if (!Level.ShowObjective && Level.Surface) {
    const TSurf& s = *Level.Surface;
    centre = {0.5f * static_cast<float>(s.Width - 2 * TerrainBorder) * s.CellSizeX,
              0.5f * static_cast<float>(s.Height - 2 * TerrainBorder) * s.CellSizeY, player.Position.z};
  }
  centre.z += OrbitHeight;
  const TVector out = player.Position - centre;
  const float d = std::hypot(out.x, out.y);
  if (d > 2 * OrbitRadius || d < 1) {
    aim.Point = centre;
    return aim;
  }
  // The point a little ahead on the circle, the way the aircraft already goes round.
  const TVector f = Forward(player);
  const float way = out.x * f.y - out.y * f.x > 0 ? -1.0f : 1.0f;
  const float a = std::atan2(out.y, out.x) + way * OrbitLead;
  aim.Point = {centre.x + OrbitRadius * std::cos(a), centre.y + OrbitRadius * std::sin(a), centre.z};
  return aim;
}

// --- Steering ------------------------------------------------------------------------------

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
  const float want = std::clamp(Elevation(d), -MaxDive, MaxClimb);
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
  if (Level.Surface) {
    float clearance = 1e9f;
    for (float ahead : LookAheadMs) {
      const TVector p = player.Position + f * (player.Speed * ahead);
      clearance = std::min(clearance, p.z - Level.Surface->GroundHeight(p.x, p.y));
    }
    const TVector under = player.Position;
    const float altitude = under.z - Level.Surface->GroundHeight(under.x, under.y);
    if (clearance < MinClearance || (altitude < MinClearance && nose < 0)) {
      SetNose(nose < MaxClimb, false, out);
      // Very low, a banked pull-up would only turn: the wings come level first.
      if (altitude < 0.5f * MinClearance) out.TurnLeft = out.TurnRight = false;
      return;
    }
  }
  const float ceiling = Level.SkyHeight + CeilingAboveSky - CeilingMargin;
  if (player.Position.z > ceiling) SetNose(false, nose > CeilingNose, out);
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
