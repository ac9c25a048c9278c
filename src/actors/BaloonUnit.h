// BaloonUnit.h — TBaloon: the enemy barrage balloon, placed as two actors at one point, a body
// (bad4) that only draws and a gun (bad4a) that turns, climbs or sinks towards its target
// carrying the body along, and fires twin bursts.
//
// The halves know each other through Partner (an index into the level's actors); when either
// dies it sets the other's Life to 0, so the pair goes down together, one frame apart. The gun
// fires along its model -Z axis and turns only about its own Y axis.
#pragma once

#include "actors/ActorUnit.h"

#include <cstdint>
#include <string>

constexpr float BaloonGunRange = 450.0f;

class TBaloon : public TActor {
public:
  explicit TBaloon(TWorld& level);
  ~TBaloon() override;

  // The mesh, then the fixed parameters (no .int file) and the shadow.
  void LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                 int32_t typeIndex) override;

  void Live() override;         // both halves: draw, notice destruction
  void Behaviour10() override;  // gun: the nearest enemy within GunRange
  void Behaviour11() override;  // gun: AssignedTarget within GunRange
  void Die() override;
  void Crash() override;  // vanishes at once, no explosion
  void LeftView() override;  // beyond the view the gun falls silent

  int32_t GunSound = -1;
  uint8_t GunSoundPlaying = 0;
  float ReloadTime = 0;  // ms since the last burst
  float FlashTime = 0;   // ms into the muzzle flash's half period
  float SoundTime = 0;   // ms the gun sound has played since the last burst
  uint8_t FlashOn = 0;
  float GunRange = BaloonGunRange;
  int32_t AssignedTarget = -1;  // actor index for Behaviour11; -1 none
  int32_t Partner = -1;         // actor index of the other half; -1 none

private:
  // One frame of turning, climbing or sinking towards target and firing when it is in the sights.
  void Aim(const TActor& target);
  // A frame with nothing to aim at: the gun sound still runs out and the flash stops.
  void Idle();
  // Moves this half and its partner by offset.
  void Carry(const TVector& offset);
  // The gun sound's stop after a pause in firing and the muzzle flash while it plays.
  void GunEffects(bool fired, const TVector& back, float ms);
};
