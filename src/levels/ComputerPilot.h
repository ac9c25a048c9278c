// ComputerPilot.h — a computer that flies the player's aircraft with the player's own controls,
// reading the world as the HUD shows it: the radar's blips and their sides, the objective
// marker, and the sight's candidate and lock.
//
// Each frame it picks the enemy on the radar that matters most (near itself and near the
// objective the mission guards), steers toward where its guns' shots will meet that enemy,
// fires when the shots would hit and no friend is in the way, and takes a missile lock on a
// worthwhile target when it has missiles left. Near the objective marker it also attacks what
// a player would see standing there (buildings, parked aircraft, ground units of any side but
// its own), in shallow strafing runs: in from a distance and a height, a dive with the sight on
// the target, a pull-up in time and a loop back. It stays near the marker, so an escorted
// airship never drops out of the world's view. With nothing to attack it circles the marker,
// widening its search the longer it finds nothing. On a raid (the marker on anything but a
// friend) a fighter it has chased for half a minute without harming it is left alone for two,
// and its loops back are tighter. Where two missiles would end its life, it dives on a missile
// turret only from outside the turret's reach and turns away from it after. Ground, ceiling,
// map edge and collisions come first.
//
// Steering is binary, as the keys are: a direction is held or not. The aircraft turns at fixed
// rates, so the pilot aims with dead zones and reasons in the world's frame (heading in the
// ground plane, nose elevation), which a bank does not mix up. It draws no randoms and reads no
// clock, so a seeded run with the pilot is as repeatable as one without, and it allocates nothing.
#pragma once

#include "actors/ControlState.h"
#include "core/VectMath.h"

#include <array>
#include <cstddef>
#include <cstdint>

class TActor;
class TCamera;
class TLevel;

class TComputerPilot final : public TControlSource {
public:
  explicit TComputerPilot(const TLevel& level);
  TControlState Poll(int32_t ms) override;

  // The actor the pilot is after, -1 when it only follows the objective.
  int32_t Target() const { return TargetIndex; }

private:
  // What the steering wants this frame: a point to fly at, how closely to hold it.
  struct TAim {
    TVector Point{};
    float DeadZone = 0;
    float MaxDive = 0.40f;  // radians of nose-down the steering may ask for
  };
  enum class TWeapon : uint8_t { Guns, Seeking };
  // The legs of a strafing run on a ground target.
  enum class TRun : uint8_t { Approach, Dive, Extend };

  void ChooseTarget(const TCamera& player);
  float Threat(const TActor& enemy, const TCamera& player) const;
  void TrackProgress(const TCamera& player, int32_t ms);
  bool Ignored(int32_t index) const;
  bool OnTheGround(const TActor& actor) const;
  bool MarkedObjective(const TActor& actor, const TCamera& player) const;
  bool WithinLeash(const TActor& actor, const TCamera& player) const;
  bool Escorting(const TCamera& player) const;
  void Search(const TCamera& player, int32_t ms);
  TVector AimCentre(const TActor& target) const;
  TAim StrafingRun(const TCamera& player, const TActor& target, const TVector& lead, TControlState& out);
  TVector Velocity(const TActor& actor) const;
  TVector LeadPoint(const TCamera& player, const TActor& target) const;
  TAim Patrol(const TCamera& player) const;
  void Steer(const TCamera& player, const TAim& aim, TControlState& out) const;
  void BreakStalemate(const TCamera& player, TAim& aim, bool onTarget, int32_t ms, TControlState& out);
  void KeepClear(const TCamera& player, TControlState& out) const;
  void AvoidCollisions(const TCamera& player, TControlState& out) const;
  bool KeepInsideMap(const TCamera& player, TAim& aim) const;
  bool ShotWouldHit(const TCamera& player, const TActor& target, const TVector& lead) const;
  bool FriendInLine(const TCamera& player, float range) const;
  void Weapons(const TCamera& player, const TActor* target, bool onTarget, TControlState& out);
  bool WorthAMissile(const TCamera& player, const TActor& target) const;
  void SetNose(bool up, bool down, TControlState& out) const;

  const TLevel& Level;
  int32_t TargetIndex = -1;
  int32_t LastMs = 16;        // the previous frame's length: actors moved over it
  TWeapon Weapon = TWeapon::Guns;
  int32_t SeekTime = 0;       // ms spent trying for a lock on this target
  int32_t MissileRest = 0;    // ms before the next attempt at a lock
  bool SwitchHeld = false;    // the weapon switch was down last frame
  bool TriggerHeld = false;
  TRun Run = TRun::Approach;
  float SearchReach = 0;      // beyond the objective's radius: how far from the marker it looks
  TVector LastMarker{};
  int32_t ChaseTime = 0;      // ms on an air target without a shot at it
  int32_t BreakTime = 0;      // ms left of breaking off a chase that leads nowhere
  // Fighters left alone for a while after a long chase that took none of their life.
  struct TIgnored {
    int32_t Index = -1;
    int32_t Left = 0;  // ms
  };
  std::array<TIgnored, 4> IgnoredTargets{};
  size_t NextIgnored = 0;
  int32_t ProgressIndex = -1;
  float ProgressLife = 0;
  int32_t ProgressTime = 0;   // ms on ProgressIndex since its life last fell
};
