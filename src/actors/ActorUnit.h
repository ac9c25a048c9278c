// ActorUnit.h — TActor: the base of every object placed in a mission, its behaviour pointer,
// loading, shadow, the shared death sequence and the helpers the actor classes share.
//
// The behaviour is a pointer to one of the actor's own virtual operations; the level calls it
// once a frame and the call both advances and draws the actor. A pointer to a virtual member
// dispatches to the class's override, so storing &TActor::Live in an aircraft runs
// TAirCraft::Live. Slots, in the order the rosters number them:
//
//   slot  operation    meaning in the classes that fill it
//   6     Live         the default behaviour: move, draw, collide, notice destruction
//   7     Behaviour7   follow the recorded path Motion (aircraft, player, airship)
//   8     Behaviour8   patrol the guard area (aircraft); roam the home area (vehicle, trooper)
//   9     Behaviour9   drive or walk to the home point and stop there (vehicle, trooper)
//   10    Behaviour10  hunt the nearest enemy (aircraft, turret gun, balloon gun)
//   11    Behaviour11  attack the assigned target (aircraft, turret, balloon gun)
//   12    Behaviour12  defend the guard area (aircraft)
//   13    Behaviour13  fly on firing the guns (aircraft)
//   14    Die          the death sequence
//   15    Crash        what a destroyed actor does before or instead of Die
//
// A slot a class does not fill does nothing; ActorFactory refuses to install one.
// Units: world units, z up; rates per millisecond of Counter.Elapsed; angles in radians except
// where handed to OpenGL.
#pragma once

#include "actors/ActorWorld.h"
#include "core/MotionUnit.h"
#include "core/Quaternion.h"
#include "core/VectMath.h"
#include "render/MeshUnit.h"
#include "render/ShadowUnit.h"

#include <cstdint>
#include <string>

class TAnimTex;

// State values.
constexpr uint8_t StateAlive = 0;
constexpr uint8_t StateGone = 1;
constexpr uint8_t StateDying = 2;

constexpr float NoNeighbour = 10000.0f;  // NearestDistance before the pairing pass

class TActor {
public:
  using TBehaviour = void (TActor::*)();

  TActor(TWorld& level, const TShadowClass& shadow);
  virtual ~TActor();
  TActor(const TActor&) = delete;
  TActor& operator=(const TActor&) = delete;

  // Loads DataDir-relative name + ".msh" (name is the path and base name), places the actor and
  // counts it in TypeCounters. Angles about X, Y, Z. Throws TFileError naming the file for a
  // missing or damaged mesh or parameter file, or a typeIndex outside 0..100.
  virtual void LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                         int32_t typeIndex);
  void Load(const std::string& name, const TVector& position, float ax, float ay, float az) {
    LoadTyped(name, position, ax, ay, az, 0);
  }

  // Shadows: the class's TShadow does the work (its kind covers lamps, turrets and troopers).
  virtual void CreateShadow();
  // False when nothing was rendered (shadows off, or a dynamic shadow's ground off screen).
  virtual bool RenderShadow();
  virtual void DrawShadow();

  virtual void Live();
  virtual void Behaviour7() {}
  virtual void Behaviour8() {}
  virtual void Behaviour9() {}
  virtual void Behaviour10() {}
  virtual void Behaviour11() {}
  virtual void Behaviour12() {}
  virtual void Behaviour13() {}
  virtual void Die() {}
  virtual void Crash() {}

  // The level calls this for an actor beyond ViewRange: an aircraft stops its gun sound.
  virtual void LeftView() {}

  void RunBehaviour() { (this->*Behaviour)(); }

  TWorld& Level;
  TMesh Mesh;
  std::string MeshName;  // path and base name the mesh was loaded under
  uint8_t MeshVisible = 1;
  TVector Position{};
  TVector PrevPosition{};
  TQuaternion Orientation{1, 0, 0, 0};
  TQuaternion StartOrientation{1, 0, 0, 0};
  TMotion* Motion = nullptr;  // the path of Behaviour7, owned by the actor (PathMotion)
  uint8_t MotionDone = 0;
  TVector Kick{};  // one-shot rotation impulse for the flight models
  TShadow Shadow;
  float Speed = 0.0f;
  TMatrix WorldMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  TMatrix Matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  float Radius = 0.0f;
  float CollisionRadius = 0.0f;
  int32_t Side = 0;  // 0 neutral, 1 and 2 the two sides
  int32_t TypeIndex = 0;
  float Life = 0.0f;
  float MaxLife = 0.0f;
  float HitDamage = 0.0f;
  float CollisionDamage = 0.0f;
  float Size = 0.0f;
  uint8_t Collidable = 1;
  uint8_t CollideActors = 1;
  uint8_t CollideTerrain = 1;
  uint8_t State = StateAlive;
  uint8_t Targetable = 0;
  uint8_t GroundUnit = 0;
  int32_t NearestIndex = -1;
  float NearestDistance = NoNeighbour;
  int32_t ExplodeSound = -1;
  uint8_t MuteRequest = 0;
  TBehaviour Behaviour = nullptr;
  TMotion PathMotion;  // storage for Motion when a mission gives the actor a path

  // The death sequence's explosion: loaded by the classes that explode (LoadBlast).
  int32_t ExplosionTexture = -1;
  TAnimTex* ExplosionAnim = nullptr;
  int32_t SparkTexture = -1;
  float Blast = 1.0f;

protected:
  // The base part of every Live: Collidable, PrevPosition, MuteRequest.
  void LiveBase();
  // exp.str (a fresh animation, 20 ms a frame) and sparkle.cna for the death sequence.
  void LoadBlast();
  // Matrix from Orientation.
  void UpdateMatrix();
  TShadowCaster Caster() { return {Mesh, MeshName, Position, Matrix}; }
  // The mesh at Position turned by Matrix: DrawBump when bump is set and the level bump-maps,
  // else the plain draw.
  void DrawMesh(bool bump);
  bool Visible(const TVector& centre, float radius) const;
  TVector GroundPointUnder(const TVector& p) const;
  // Position in the eye's frame, for SetSoundPosition.
  TVector EyeSpace(const TVector& p) const { return Level.EyeSpace(p); }

  // How a class's copy of the death sequence differs from the shared one.
  struct TDeathStyle {
    float ShakeDistance = 300.0f;  // the eye closer than this shakes
    bool DrawWreck = true;         // the mesh bursts apart
    bool CountDown = true;         // TypeCounters[TypeIndex] falls at the end
  };
  // One frame of the shared death sequence; true on the frame it ended (State gone).
  bool DeathSequence(const TDeathStyle& style);
  // True on the sequence's first frame (Blast still exactly 1), before DeathSequence runs.
  bool FirstDeathFrame() const { return Blast == 1.0f; }
};

// The member pointer of a roster's behaviour number (6..15), or null for any other number.
TActor::TBehaviour BehaviourSlot(int32_t slot);

// Whether the sphere of the given radius swept from prev to pos meets target's mesh, the
// segment taken about its midpoint and carried into the target's model space.
bool SweptSphereHits(const TVector& prev, const TVector& pos, float radius, const TActor& target);
// Whether any vertex of the mesh's rest pose, placed at position turned by matrix, lies
// strictly below the ground under it.
bool MeshBelowGround(const TMesh& mesh, const TVector& position, const TMatrix& matrix, const TSurf& surface);
// A unit-axis rotation by angle radians.
TQuaternion AxisRotation(float x, float y, float z, float angle);
// r1 - r2 for two uniform randoms in [0, 1): the spread of sparks and spins.
float RandomSpread();
