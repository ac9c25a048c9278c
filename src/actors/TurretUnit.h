// TurretUnit.h — TTurret: one half of an anti-aircraft emplacement. The base only stands; the
// gun turns about its post toward aircraft and launches missiles; the two fall together.
#pragma once

#include "actors/ActorUnit.h"

#include <cstdint>
#include <string>

class TTurret : public TActor {
public:
  static constexpr float TurnRate = 0.001f;         // radians per ms
  static constexpr float ReloadTime = 2000.0f;      // ms of frame time between launches
  static constexpr float HuntStart = 10000.0f;      // the nearest-so-far distance a hunt starts from
  // Where a missile leaves the gun, in its own axes: ahead along -Z, up along Y.
  static constexpr float MuzzleAhead = 40.0f;
  static constexpr float MuzzleUp = 15.0f;

  explicit TTurret(TWorld& level);

  // The base load, the ground point, the turret's fixed parameters, then the shadow. Throws
  // TFileError naming a missing or damaged mesh, or a typeIndex outside 0..100.
  void LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                 int32_t typeIndex) override;

  void Live() override;
  // Hunt: track and fire at the nearest targetable enemy within FireRange.
  void Behaviour10() override;
  // Attack the assigned target (TargetIndex) while it is within FireRange.
  void Behaviour11() override;
  void Die() override;
  // Vanishes at once, counted off its group, taking the partner down with it.
  void Crash() override;

  // Turns toward Actors[index] and launches at it when it is in front and reloaded. An index
  // that is -1, past the array or at a gone actor is ignored.
  void TrackAndFire(int32_t index);
  // The nearest actor the hunt may pick, or -1.
  int32_t NearestEnemy() const;

  float ReloadTimer = 0.0f;  // ms since the last launch
  float FireRange = 250.0f;
  int32_t TargetIndex = -1;   // the assigned target; -1 none
  int32_t PartnerIndex = -1;  // the other half of the emplacement; -1 none

private:
  void DestroyPartner() const;
};
