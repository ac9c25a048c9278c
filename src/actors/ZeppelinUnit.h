// ZeppelinUnit.h — TZeppelin: the allied cargo airship that flies a recorded path or cruises,
// spins its propeller, rams what it meets, scrapes the terrain and explodes where it is.
//
// Behaviours: Live (6) cruises along the model's -Z axis at Speed, draws and collides;
// Behaviour7 plays the attached Motion and runs Live with the airship's own movement held at 0,
// so it stays exactly on the path while the propeller keeps turning at CruiseSpeed. A mission
// hovers an airship by setting Speed and CruiseSpeed to 0 with Live, and resumes the path by
// restoring both and Behaviour7 (the motion's time did not run meanwhile).
#pragma once

#include "actors/ActorUnit.h"

#include <cstdint>
#include <string>

class TZeppelin : public TActor {
public:
  explicit TZeppelin(TWorld& level);
  ~TZeppelin() override;

  // The mesh, then name + ".int" (airship layout) and the propeller ally2a.msh.
  void LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                 int32_t typeIndex) override;

  void Live() override;
  void Behaviour7() override;  // follow Motion
  void Die() override;
  void Crash() override;

  // The propeller's hub in the airship's model space.
  static constexpr TVector PropellerOffset{0, -41, 35};

  int32_t SmokeTexture = -1;
  TMesh PropellerMesh;
  float PropellerAngle = 0;  // degrees, kept in 0..360
  int32_t EngineSound = -1;
  uint8_t EnginePlaying = 0;
  // The speed the airship has while path following holds Speed at 0; turns the propeller.
  float CruiseSpeed = 0;

private:
  void Cruise(float ms);
  void Draw();
  void TouchTerrain();
  void CollideWithActors();
};
