// ActorWorld.h — what actors see of the level they live in: the actor array, the pools, the
// terrain, the frustum, the eye, the type counters and the frame's statistics.
//
// The level (levels/LevelUnit) derives from TWorld and adds loading and the frame order; actors
// only ever hold a TWorld&, so nothing in actors/ depends on the missions above it. The eye
// point and camera matrix are copied from the TEye once a frame, before any actor runs, so every
// actor of a frame reads the same view.
#pragma once

#include "actors/ControlState.h"
#include "core/Frustum.h"
#include "core/VectMath.h"
#include "render/MeshUnit.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TActor;
class TLightBuffer;
class TMissileBuffer;
class TParticleSystem;
class TShootBuffer;
class TSurf;

// Whoever provides the view: the player's camera in a mission, the free camera in the viewer.
class TEye {
public:
  virtual TVector EyePoint() const = 0;
  // The complete view matrix of this frame (rotation and eye translation).
  virtual const TMatrix& CameraMatrix() const = 0;
  // Its rotation alone: what the sky dome turns with.
  virtual const TMatrix& ViewMatrix() const = 0;
  // An explosion shakes the view by this offset on the next frame.
  virtual void SetShake(const TVector& offset) = 0;

protected:
  ~TEye() = default;
};

constexpr int32_t TypeCount = 101;  // TypeIndex 0..100

class TWorld {
public:
  TWorld();
  virtual ~TWorld();
  TWorld(const TWorld&) = delete;
  TWorld& operator=(const TWorld&) = delete;

  int32_t ActorCount() const { return static_cast<int32_t>(Actors.size()); }
  // The actor at index, or null for -1, an index past the array or an actor that is gone.
  TActor* LiveActor(int32_t index) const;

  // The eye of this frame, taken from Eye (see the opening comment).
  void TakeEye();
  void ShakeCamera(const TVector& offset);
  // Where p lies in the eye's frame: what positioned sounds and billboards take.
  TVector EyeSpace(const TVector& p) const;
  // The frame's frustum from the projection and the current camera matrix.
  void UpdateFrustum(const TMatrix& projection);

  // For every actor: NearestIndex -1 and NearestDistance 10000, then the pairing pass.
  void PairNearest();
  // Reported by each actor's creation: fraction 0.5 .. 1 of the loading bar.
  void ReportCreated();
  // The loading bar at `fraction` (0..1), redrawn only when it has moved a visible step.
  void ReportProgress(float fraction);

  std::vector<std::unique_ptr<TActor>> Actors;  // element 0 is the player's aircraft
  std::array<int32_t, TypeCount> TypeCounters{};
  int32_t ExpectedActors = 0;  // how many the mission will create (loading progress)
  int32_t ActorsCreated = 0;
  std::function<void(float)> Progress;  // the loading bar; may be empty
  float ReportedProgress = 0;           // the bar's fill when last drawn

  std::unique_ptr<TSurf> Surface;
  std::unique_ptr<TLightBuffer> Lights;
  std::unique_ptr<TParticleSystem> Particles;
  std::unique_ptr<TShootBuffer> Shots;
  std::unique_ptr<TMissileBuffer> Missiles;
  TMeshScene Scene;
  bool BumpMapping = false;  // Config.BumpMapping with the combiners present

  TEye* Eye = nullptr;
  TVector EyePoint{};
  TMatrix CameraMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  TFrustum Frustum;

  float ViewRange = 750.0f;  // actors farther from the eye are neither advanced nor drawn
  // Set for the one frame after the pause question was answered "No": looping sounds that the
  // pause stopped start again.
  uint8_t Resumed = 0;
  int32_t ShotsFired = 0;  // by the player
  int32_t ShotsHit = 0;    // by the player's shots

  // The player's side of the world (the mission level fills and reads these).
  TControlState Controls;     // this frame's, polled before the player's view update
  uint8_t Letterbox = 0;      // a cinematic runs: no control, bars instead of the HUD
  uint8_t PlayerFlag = 0;     // the player steered this frame
  float SkyHeight = 0;        // the ceiling is this plus 570
  int32_t MissileCount = 5;   // the player's missiles left
  // Called when MissileCount changed, so the HUD's counter can show it.
  virtual void MissilesChanged() {}
  // Everything fired in the world so far, for statistics and scripted checks.
  int64_t ShotsMade = 0;
  int64_t MissilesMade = 0;
};
