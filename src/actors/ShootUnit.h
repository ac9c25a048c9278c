// ShootUnit.h — gun shots: creation with a terrain cast, flight, hits, tracers and ground marks.
//
// Every gun fires into the level's one TShootBuffer. A shot knows at creation where its ray
// meets the terrain; each frame it advances, tests the segment it swept against every actor's
// sphere and then mesh, and is drawn as a short tracer. Speeds in units per ms.
#pragma once

#include "core/VectMath.h"

#include <cstdint>
#include <memory>

class TActor;
class TSurf;
class TWorld;

constexpr float ShotRange = 700.0f;  // every gun's range
constexpr float ShotSpeed = 1.0f;

// State values of a shot.
constexpr uint8_t ShotFlying = 0;
constexpr uint8_t ShotGroundImpact = 1;
constexpr uint8_t ShotFinished = 2;

struct TShot {
  TVector Start{};
  TVector End{};
  float Remaining = 0;
  TVector Head{};
  TVector Tail{};
  TVector Direction{};
  float Speed = 0;
  float TracerAlpha = 0.4f;
  uint8_t HitsTerrain = 0;
  uint8_t FromPlayer = 0;
  uint8_t State = ShotFlying;
  float MarkAlpha = 0.2f;
  float PuffAlpha[3] = {0.6f, 0.6f, 0.6f};
  float PuffHeight[3] = {1, 2, 3};
  TShot* Next = nullptr;
};

// Where the ray from start along the unit direction first meets the terrain within range:
// the cells under the ray are walked in order and each one's two triangles are tested, a hit
// counting only on its own triangle's side of the diagonal. The part of the ray off the grid
// meets nothing. False (hit untouched) when there is no such point.
bool CastShotToTerrain(const TSurf& surface, const TVector& start, const TVector& direction, float range,
                       TVector& hit);

class TShootBuffer {
public:
  // Loads sLightMap.cna, smoke.cna and sparkle.cna and builds the puff list.
  explicit TShootBuffer(TWorld& level);
  ~TShootBuffer();
  TShootBuffer(const TShootBuffer&) = delete;
  TShootBuffer& operator=(const TShootBuffer&) = delete;

  // A start or direction that is not a number, or a speed that is not above 0 (such a shot
  // would never arrive), adds nothing. Speeds past 1000 units a ms and ranges past 100000
  // units are cut to those.
  void AddShot(const TVector& start, const TVector& direction, bool fromPlayer, float speed, float range);
  void Fire(const TVector& start, const TVector& direction, float range = ShotRange, float speed = ShotSpeed) {
    AddShot(start, direction, false, speed, range);
  }
  // Once a frame after the actors.
  void UpdateAndDraw();

  int32_t Count() const;  // shots in the list, any state

  TWorld& Level;
  TShot* First = nullptr;
  int32_t LightMapTexture = 0;
  uint32_t PuffList = 0;
  int32_t SmokeTexture = 0;
  int32_t SparkTexture = 0;
  // Finished shots kept for the next ones, so a long fight allocates only up to its busiest
  // moment.
  TShot* Spare = nullptr;

private:
  void BuildPuffList();
  void FreeFinished();
  void Fly(TShot& shot, float ms);
  // The actor whose mesh the segment meets first, and the parameter of that point (1 if none).
  TActor* FindTarget(const TVector& tail, const TVector& head, float& best) const;
  void Strike(TShot& shot, TActor& target, const TVector& point);
  void DrawTracer(const TShot& shot) const;
  void DrawImpacts(float ms);
};
