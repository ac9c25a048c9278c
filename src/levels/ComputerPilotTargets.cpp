// ComputerPilotTargets.cpp — what the computer pilot goes after: the enemies on the radar and,
// near the objective marker, whatever it can see standing there; the strafing run that takes
// a ground target; the patrol round the marker and its widening search.
#include "levels/ComputerPilot.h"

#include "actors/ActorUnit.h"
#include "actors/CameraUnit.h"
#include "actors/MissileUnit.h"
#include "actors/ShootUnit.h"
#include "actors/TurretUnit.h"
#include "core/SrfFile.h"
#include "levels/ComputerPilotGeometry.h"
#include "levels/LevelHud.h"
#include "levels/LevelUnit.h"
#include "render/Surface.h"

#include <algorithm>
#include <cmath>

namespace {

using pilot::Elevation;
using pilot::Finite;
using pilot::FlatDistance;
using pilot::Forward;
using pilot::MinDeadZone;
using pilot::PatrolDeadZone;
using pilot::TurnAngle;

// Choosing whom to fight.
constexpr float ObjectiveWeight = 0.7f;   // a unit nearer the objective counts this much
constexpr float GroundPenalty = 700.0f;   // ground units only when the air is clear
constexpr float KeepTarget = 0.8f;        // the current target's score is taken at this fraction
constexpr float GroundLevel = 40.0f;      // nearer the ground than this, a target is a ground target
constexpr float GroundAimLift = 0.25f;    // of a ground unit's radius: its middle, not its foot

// Near the marker: how far round it the pilot looks, and how that grows while it finds nothing
// (a group may stand a little apart from the point the marker shows).
constexpr float ObjectiveReach = 250.0f;  // beyond the objective's radius
constexpr float MaxSearchReach = 1200.0f;
constexpr float SearchGrowth = 0.02f;     // per ms spent over the marker with nothing to attack
constexpr float MarkerJump = 300.0f;      // a marker moved this far in a frame is a new objective

// The leash: enemies farther than this beyond the objective's radius are left alone unless
// they come close, so the objective (an escorted airship above all) stays in the world's view.
constexpr float LeashReach = 450.0f;
constexpr float SelfDefence = 250.0f;

// On a raid, a fighter chased this long without its life falling is left alone for a while.
constexpr int32_t GiveUpMs = 30000;
constexpr int32_t IgnoreMs = 120000;
constexpr float FighterRadius = 50.0f;  // larger is a balloon, whose hits its gondola takes

// The strafing run.
constexpr float RunInDistance = 430.0f;   // horizontal distance where the dive begins
constexpr float RunHeight = 150.0f;       // above the target as the dive begins
constexpr float MinRunIn = 200.0f;        // nearer than this the dive would be too steep
constexpr float MinDiveAngle = 0.04f;     // radians below the horizon to the target
constexpr float MaxDiveAngle = 0.6f;
constexpr float DiveAlign = 0.3f;         // radians off the nose in the ground plane
constexpr float StrafeMaxDive = 0.65f;
constexpr float BreakDistance = 100.0f;   // the dive ends this near the target
constexpr float BreakAltitude = 40.0f;    // or this low over the ground
constexpr float BreakAngle = 0.8f;        // or with the target this far off the nose
// The loop back turns in this far out. On a raid the shorter loop takes a group in fewer
// minutes; on an escort the wider one kept more airships flying (measured over many seeds).
constexpr float RaidExtendDistance = 480.0f;
constexpr float EscortExtendDistance = 650.0f;
constexpr float ExtendAhead = 600.0f;
constexpr float ApproachFast = 150.0f;    // beyond the run-in point by this: full speed
constexpr float LauncherMargin = 20.0f;   // outside a missile turret's reach by this

// How near the aircraft may come to a ground target before it launches: a missile turret
// fires at anything inside its range.
float LaunchReach(const TActor& target) {
  const auto* turret = dynamic_cast<const TTurret*>(&target);
  return turret ? turret->FireRange : 0.0f;
}

// Circling the objective while nothing is to be attacked.
constexpr float OrbitRadius = 280.0f;
constexpr float OrbitLead = 1.0f;         // radians ahead on the circle
constexpr float OrbitHeight = 50.0f;      // above the objective

bool IsEnemy(const TActor& a, const TActor& player) { return a.Side != 0 && a.Side != player.Side; }

}  // namespace

TComputerPilot::TComputerPilot(const TLevel& level) : Level(level), SearchReach(ObjectiveReach) {}

// Vehicles, troopers, turrets, buildings and parked aircraft: attacked in a strafing run.
// Balloons hang in the air and are fought like aircraft.
bool TComputerPilot::OnTheGround(const TActor& a) const {
  if (a.GroundUnit) return true;
  return Level.Surface && a.Position.z - Level.Surface->GroundHeight(a.Position.x, a.Position.y) < GroundLevel;
}

// A ground unit's middle: buildings and turrets stand on their origin, so the aim is lifted off
// the ground; vehicles and troopers carry theirs at the body's height already, and lifting
// that as well sends the burst over the roof.
TVector TComputerPilot::AimCentre(const TActor& target) const {
  if (!target.GroundUnit || !Level.Surface) return target.Position;
  const float ground = Level.Surface->GroundHeight(target.Position.x, target.Position.y);
  return {target.Position.x, target.Position.y, std::max(target.Position.z, ground + GroundAimLift * target.Radius)};
}

// Anything not its own side standing near the marker, within sight of the aircraft: what a
// player over the objective would shoot at. What guns leave no mark on (a lamp) is passed by.
bool TComputerPilot::MarkedObjective(const TActor& a, const TCamera& player) const {
  if (!Level.ShowObjective || a.Side == player.Side || a.Life <= 0 || !(a.HitDamage > 0)) return false;
  if (FlatDistance(a.Position, Level.ObjectivePoint) >= Level.ObjectiveRadius + SearchReach) return false;
  return VectorLength(a.Position - player.Position) < Level.ViewRange;
}

bool TComputerPilot::WithinLeash(const TActor& a, const TCamera& player) const {
  if (!Level.ShowObjective) return true;
  if (FlatDistance(a.Position, Level.ObjectivePoint) < Level.ObjectiveRadius + LeashReach) return true;
  return VectorLength(a.Position - player.Position) < SelfDefence;
}

// The marker on a friend (an airship) is an escort; on anything else, a raid.
bool TComputerPilot::Escorting(const TCamera& player) const {
  if (!Level.ShowObjective) return false;
  for (int32_t i = 1; i < Level.ActorCount(); ++i) {
    const TActor* a = Level.LiveActor(i);
    if (a && a->Side == player.Side && VectorLength(a->Position - Level.ObjectivePoint) < a->Radius) return true;
  }
  return false;
}

// Over the marker with nothing to attack, the search widens; a new objective starts it again.
void TComputerPilot::Search(const TCamera& player, int32_t ms) {
  if (VectorLength(Level.ObjectivePoint - LastMarker) > MarkerJump) SearchReach = ObjectiveReach;
  LastMarker = Level.ObjectivePoint;
  if (!Level.ShowObjective || Level.LiveActor(TargetIndex)) return;
  if (FlatDistance(player.Position, Level.ObjectivePoint) < Level.ObjectiveRadius + SearchReach)
    SearchReach = std::min(SearchReach + SearchGrowth * static_cast<float>(ms), MaxSearchReach);
}

float TComputerPilot::Threat(const TActor& enemy, const TCamera& player) const {
  float score = VectorLength(enemy.Position - player.Position);
  if (Level.ShowObjective) score += ObjectiveWeight * VectorLength(enemy.Position - Level.ObjectivePoint);
  if (OnTheGround(enemy)) score += GroundPenalty;
  return score;
}

// The enemies the radar shows and what stands at the objective, the one that matters most. A
// strafing dive is carried through on its target.
void TComputerPilot::ChooseTarget(const TCamera& player) {
  if (Run == TRun::Dive) {
    const TActor* current = Level.LiveActor(TargetIndex);
    if (current && current->State == StateAlive && current->Life > 0) return;
  }
  const float range = Level.Hud ? Level.Hud->RadarRange : DefaultRadarRange;
  int32_t best = -1;
  float bestScore = 0;
  for (int32_t i = 1; i < Level.ActorCount(); ++i) {
    const TActor* a = Level.Actors[static_cast<size_t>(i)].get();
    if (!a || a->State != StateAlive || !Finite(a->Position) || Ignored(i)) continue;
    const bool onRadar = IsEnemy(*a, player) && VectorLength(a->Position - player.Position) < range;
    if (!onRadar && !MarkedObjective(*a, player)) continue;
    if (!WithinLeash(*a, player)) continue;
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
    ChaseTime = 0;
    Run = TRun::Approach;
  }
  TargetIndex = best;
}

// A fighter that keeps out of the guns' way (one circling at the ceiling never lets the nose
// come up to it) can hold the pilot for minutes while the raid's targets wait. On an escort it
// is chased whatever it takes: it is after the airship.
void TComputerPilot::TrackProgress(const TCamera& player, int32_t ms) {
  for (TIgnored& ignored : IgnoredTargets) ignored.Left = std::max(0, ignored.Left - ms);
  const TActor* target = Level.LiveActor(TargetIndex);
  const bool fighter = target && !OnTheGround(*target) && target->Radius <= FighterRadius;
  if (!fighter || Escorting(player) || TargetIndex != ProgressIndex || target->Life < ProgressLife) {
    ProgressIndex = TargetIndex;
    ProgressLife = target ? target->Life : 0.0f;
    ProgressTime = 0;
    return;
  }
  ProgressTime += ms;
  if (ProgressTime < GiveUpMs) return;
  IgnoredTargets[NextIgnored] = {TargetIndex, IgnoreMs};
  NextIgnored = (NextIgnored + 1) % IgnoredTargets.size();
  ProgressTime = 0;
}

bool TComputerPilot::Ignored(int32_t index) const {
  for (const TIgnored& ignored : IgnoredTargets)
    if (ignored.Index == index && ignored.Left > 0) return true;
  return false;
}

TVector TComputerPilot::Velocity(const TActor& actor) const {
  const TVector v = (actor.Position - actor.PrevPosition) * (1.0f / static_cast<float>(LastMs));
  return Finite(v) ? v : TVector{0, 0, 0};
}

// Where a shot leaving the guns now meets the target if it goes on as it does.
TVector TComputerPilot::LeadPoint(const TCamera& player, const TActor& target) const {
  const TVector guns = (player.Gun1World + player.Gun2World) * 0.5f;
  const TVector v = Velocity(target);
  const TVector centre = AimCentre(target);
  TVector p = centre;
  for (int32_t pass = 0; pass < 2; ++pass) p = centre + v * (VectorLength(p - guns) / ShotSpeed);
  return p;
}

// In at the run's height, a shallow dive with the sight on the target, a break before the
// ground, and on ahead until there is room to turn in again.
TComputerPilot::TAim TComputerPilot::StrafingRun(const TCamera& player, const TActor& target, const TVector& lead,
                                                 TControlState& out) {
  const TVector centre = AimCentre(target);
  const TVector to = centre - player.Position;
  const float flat = std::hypot(to.x, to.y);
  const float turn = TurnAngle(player, to);
  // Where two missiles would end the life (they take a half of it in some missions, a quarter
  // in others), a launcher is dived on only from outside its reach. Kept out of it always, the
  // pilot took too long over each launcher where the airships needed it elsewhere.
  const bool twoMissilesKill = 2 * MissileDamageFactor * player.HitDamage >= player.Life;
  const float reach = twoMissilesKill ? LaunchReach(target) : 0.0f;
  const float altitude =
      Level.Surface ? player.Position.z - Level.Surface->GroundHeight(player.Position.x, player.Position.y) : 1e9f;
  switch (Run) {
    case TRun::Approach: {
      const float angle = std::atan2(-to.z, std::max(flat, 1.0f));
      if (flat < MinRunIn)
        Run = TRun::Extend;
      else if (flat < RunInDistance && std::fabs(turn) < DiveAlign && angle > MinDiveAngle && angle < MaxDiveAngle)
        Run = TRun::Dive;
      break;
    }
    case TRun::Dive:
      if (VectorLength(to) < std::max(BreakDistance, reach + LauncherMargin) || altitude < BreakAltitude ||
          std::fabs(turn) > BreakAngle)
        Run = TRun::Extend;
      break;
    case TRun::Extend:
      if (flat > (Escorting(player) ? EscortExtendDistance : RaidExtendDistance)) Run = TRun::Approach;
      break;
  }
  TAim aim;
  switch (Run) {
    case TRun::Dive:
      aim.Point = lead;
      aim.DeadZone = std::max(MinDeadZone, 0.5f * target.CollisionRadius / std::max(VectorLength(to), 1.0f));
      aim.MaxDive = StrafeMaxDive;
      out.Slow = true;
      break;
    case TRun::Approach:
      aim.Point = {centre.x, centre.y, centre.z + RunHeight};
      aim.DeadZone = MinDeadZone;
      out.Fast = flat > RunInDistance + ApproachFast;
      break;
    case TRun::Extend: {
      // Past a launcher the pull-out turns away from it rather than flying on overhead.
      const TVector f = reach > 0 && flat > 1 ? TVector{-to.x, -to.y, 0} : Forward(player);
      const float fl = std::hypot(f.x, f.y);
      const TVector ahead = fl > 1e-3f ? TVector{f.x / fl, f.y / fl, 0} : TVector{1, 0, 0};
      aim.Point = player.Position + ahead * ExtendAhead;
      aim.Point.z = centre.z + RunHeight;
      aim.DeadZone = PatrolDeadZone;
      out.Fast = true;
      break;
    }
  }
  return aim;
}

// Around the objective, or straight for it from afar; the circle widens with the search.
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
  const float radius = std::max(OrbitRadius, 0.5f * (Level.ObjectiveRadius + SearchReach));
  const TVector out = player.Position - centre;
  const float d = std::hypot(out.x, out.y);
  if (d > 2 * radius || d < 1) {
    aim.Point = centre;
    return aim;
  }
  // The point a little ahead on the circle, the way the aircraft already goes round.
  const TVector f = Forward(player);
  const float way = out.x * f.y - out.y * f.x > 0 ? -1.0f : 1.0f;
  const float a = std::atan2(out.y, out.x) + way * OrbitLead;
  aim.Point = {centre.x + radius * std::cos(a), centre.y + radius * std::sin(a), centre.z};
  return aim;
}
