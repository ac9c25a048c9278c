// BuildingUnit.h — TBuilding: a static destructible structure standing on the ground, its combat
// parameters read from the .int file beside its mesh.
#pragma once

#include "actors/ActorUnit.h"

#include <cstdint>
#include <string>

class TBuilding : public TActor {
public:
  explicit TBuilding(TWorld& level);

  // The base load, the actor put on the ground point under position, then name + ".int":
  // radii, size, life (also MaxLife), hit damage and Side. Throws TFileError naming a missing or
  // damaged mesh or parameter file.
  void LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                 int32_t typeIndex) override;

  void Live() override;
  void Die() override;

protected:
  // For the classes that stand like a building but cast a shadow of their own (the lamp).
  TBuilding(TWorld& level, const TShadowClass& shadow);

  // Puts Position on the ground point under it.
  void StandOnGround();
  // Notices destruction: Die from the next frame, dying from now (the frame still draws).
  void CheckDestroyed();
  // Draws the mesh when the culling sphere is in view. A building's origin is its foot, so the
  // sphere is raised by half its radius to hold the whole structure.
  void DrawStanding();

  // Whether the death sequence takes this actor off TypeCounters; an actor its load did not
  // count (the lamp) must not take anything off.
  bool Counted = true;
};
