// MissileUnit.h — guided missiles: launch, guidance, smoke trail, terrain and actor strikes,
// explosion.
//
// The level's one TMissileBuffer shares one rocket mesh between all missiles. A missile flies
// along its -Z axis at constant speed, turning toward its target at a fixed rate; a strike costs
// the actor 20 times its HitDamage.
//
// Resources a missile needs are held by the buffer so that nothing is read from disk during
// play and nothing grows with the number of launches: the two sounds are loaded once and each
// launch clones them (freed again with the missile, or when they have finished playing), and
// the explosion animations of finished missiles are rewound and handed to the next ones.
#pragma once

#include "core/Quaternion.h"
#include "core/Texture.h"
#include "core/VectMath.h"
#include "render/MeshUnit.h"

#include <cstdint>
#include <string>
#include <vector>

class TWorld;

constexpr float MissileSpeed = 0.25f;   // every launcher's
constexpr float MissileRange = 1000.0f;
constexpr float MissileDamageFactor = 20.0f;  // times the victim's HitDamage

constexpr uint8_t MissileFlying = 0;
constexpr uint8_t MissileExploding = 1;
constexpr uint8_t MissileFinished = 2;

struct TMissile {
  int32_t Target = -1;  // index in the level's actors; -1 unguided
  TVector Position{};
  TVector PrevPosition{};
  TQuaternion Orientation{1, 0, 0, 0};
  float Speed = 0;
  float Range = 0;
  uint8_t State = MissileFlying;
  TMatrix Matrix{};
  float Radius = 4.0f;
  float CollisionRadius = 4.0f;
  TVector SmokePoint{};
  float Blast = 1.0f;
  int32_t ExplosionTexture = -1;
  TAnimTex* ExplosionAnim = nullptr;
  int32_t FlightSound = -1;
  int32_t ExplodeSound = -1;
  TVector AxisX{}, AxisY{}, AxisZ{};
  // Where the target was last seen alive: a missile whose target is gone flies on toward it.
  TVector TargetPoint{};
  uint8_t HasTargetPoint = 0;
  TMissile* Next = nullptr;
};

class TMissileBuffer {
public:
  // Loads the shared mesh (path and base name, as actors load theirs), the textures, the two
  // sounds and a few explosion animations. Throws TFileError naming a missing or damaged file.
  TMissileBuffer(TWorld& level, const std::string& meshName);
  ~TMissileBuffer();
  TMissileBuffer(const TMissileBuffer&) = delete;
  TMissileBuffer& operator=(const TMissileBuffer&) = delete;

  // False (nothing launched) when no sound slot is free for it, or for a position or
  // orientation that is not a number or a speed that is not above 0. Speeds past 1000 units a
  // ms and ranges past 100000 units are cut to those.
  bool Launch(const TVector& position, const TQuaternion& orientation, float speed, float range, int32_t target);
  void UpdateAndDraw();

  int32_t Count() const;

  TWorld& Level;
  TMesh Mesh;
  TMissile* First = nullptr;
  int32_t SparkTexture = 0;
  int32_t SmokeTexture = 0;
  int32_t FlameTexture = 0;

  // The slots every launch clones (never played themselves).
  int32_t FlightSoundTemplate = -1;
  int32_t ExplodeSoundTemplate = -1;
  struct TExplosionAnim {
    int32_t Texture;
    TAnimTex* Anim;
  };
  std::vector<TExplosionAnim> SpareExplosions;
  // Slots of freed missiles whose sound still plays; freed once it has ended.
  std::vector<int32_t> FadingSounds;
  TMissile* Spare = nullptr;  // finished missiles kept for the next launches

private:
  void Fly(TMissile& missile, float ms);
  void Guide(TMissile& missile, float ms);
  void DrawMissile(const TMissile& missile);
  void Trail(TMissile& missile);
  bool StrikesTerrain(const TMissile& missile) const;
  bool StrikeActors(const TMissile& missile);
  void Explode(TMissile& missile, float ms);
  void FreeFinished();
  void ReleaseSound(int32_t handle);
  void FreeFadedSounds();
};
