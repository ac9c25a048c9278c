// AirCraftUnit.h — TAirCraft: every computer-flown aircraft (and the base of the player's),
// its kinematic flight, guns, engine, collisions, crash dive and the rule-based pilot.
//
// Flight model: constant forward Speed along the model's -Z axis, turned by angular rates
// (radians per ms) about the model's X (pitch) and Z (roll) axes and the world's Z (yaw). No
// lift or gravity while intact; a destroyed powered aircraft may fall in a spinning dive.
// Model axes: x right, y up, the nose toward -z. AxisX/Y/Z are those axes in world space.
// The pilot (AirCraftPilot.cpp) decides by signed distances to planes through the aircraft.
#pragma once

#include "actors/ActorUnit.h"

#include <cstdint>
#include <string>

// Every aircraft gun's rate: a pair of shots once more than this many ms have passed.
constexpr int32_t GunInterval = 120;
// Muzzle flashes alternate on and off phases of this many ms while the gun plays.
constexpr int32_t FlashPhase = 50;

class TAirCraft : public TActor {
public:
  explicit TAirCraft(TWorld& level);

  // The actor's load, lifted out of the ground, then the 10-line .int beside the mesh.
  void LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                 int32_t typeIndex) override;

  // A parked aircraft (off) has no engine sound, flames or glow, a static shadow, and dies
  // without a crash dive.
  void SetEngine(bool on);

  void Live() override;
  void Behaviour7() override;
  void Behaviour8() override;
  void Behaviour10() override;
  void Behaviour11() override;
  void Behaviour12() override;
  void Behaviour13() override;
  void Die() override;
  void Crash() override;
  void LeftView() override;

  // The pursuit step toward Actors[index]: steer, fire when in the aim window, fly. An index
  // that names no live actor leaves only the levelling and the flight.
  void SteerTo(int32_t index);
  // Ground point and Altitude under Position, then the mesh's vertices against the ground when
  // the aircraft is within Radius of it.
  bool TerrainHit();

  int32_t ExhaustTexture = -1;
  int32_t SmokeTexture = -1;
  TVector SmokePoint{};  // where the crash dive's smoke trail was last laid
  int32_t ShotTimer = 0;      // ms since the last pair of shots
  int32_t FlashTimer = 0;     // ms within the current muzzle-flash phase
  int32_t GunSoundTimer = 0;  // ms the gun sound has played since it was last stopped
  uint8_t FlashOn = 0;
  TVector Gun1World{}, Gun2World{};
  TVector Gun1{}, Gun2{};  // model space, from the .int file
  TVector Exhaust1World{}, Exhaust2World{};
  TVector Exhaust1{}, Exhaust2{};
  TVector FallVelocity{};  // units per ms
  TVector Spin{};          // degrees per ms about X, Y, Z
  TVector GroundPoint{};
  float Altitude = 0.0f;
  int32_t HitSound = -1;
  int32_t EngineSound = -1;
  uint8_t EnginePlaying = 0;
  uint8_t EngineOn = 1;
  int32_t PatrolTurn = 0;  // 0 right, 1 left: the way a patrol turns while its point is behind
  uint8_t GunPlaying = 0;
  int32_t GunSound = -1;
  TVector AxisX{1, 0, 0}, AxisY{0, 1, 0}, AxisZ{0, 0, 1};
  TVector GuardPoint{};
  float GuardRadius = 0.0f;
  int32_t TargetIndex = -1;

protected:
  // Turn rates of one pilot step, radians per ms.
  struct TRates {
    float Yaw = 0, Pitch = 0, Roll = 0;
  };
  // The pilot's four wishes of one step.
  struct TSteer {
    bool Left = false, Right = false, Up = false, Down = false;
  };

  // One shot from each muzzle along the nose; the player's count in ShotsFired.
  void FirePair(const TVector& muzzle1, const TVector& muzzle2, bool fromPlayer);
  // The two muzzle-flash lights, whichever of them is on screen.
  void AddMuzzleLights(const TVector& muzzle1, const TVector& muzzle2);
  // While the gun plays: lights in the on phase, the phases alternating every FlashPhase ms.
  void MuzzleFlashPhase(float ms);
  void StartGunSound();
  void StopGunSound();
  // AxisX/Y/Z and the muzzle points from Matrix and Position.
  void UpdateAxes();
  void UpdateAltitude();

  // Pilot steps shared by the pursuit and the patrol (AirCraftPilot.cpp).
  TRates TurnRates(const TSteer& steer, float rate) const;
  void LevelOut(TRates& rates, const TSteer& steer, float rate, float ms) const;
  // Adds and clears Kick, drops rates that are not numbers, and turns Orientation.
  void Rotate(TRates rates, float ms);

private:
  void Destroyed();
  void DrawAircraft();
  void EngineGlow();
  void ImpactPuff();
  void CollideWithTerrain();
  // The actor-against-actor test of this frame; true when this aircraft hit something.
  // crashing: the dive's variant (both survivors kicked the same way, no sound).
  bool CollideWithActors(bool crashing);
  void SmokeTrail();
  // Where the pursuit of target turns, and whether the target sits in the aim window.
  TSteer Pursue(const TActor& target, bool& aimed) const;
  // The nearest actor of Side other than ours and not neutral, in the air, alive; withinGuard
  // restricts it to the guard area. -1 when there is none.
  int32_t NearestEnemy(bool withinGuard) const;
};
