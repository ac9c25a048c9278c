// ViewerActors.h — a mission's roster standing still in the viewer: every actor's mesh where
// its mission places it, zeppelin propellers and vehicle wheels, lamps with their glow and light,
// and the shadows of the actor classes that cast one.
#pragma once

#include "app/RosterPlacement.h"
#include "core/MotionUnit.h"
#include "levels/MissionRoster.h"
#include "render/MeshUnit.h"
#include "render/ShadowUnit.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class TFrustum;
class TLightBuffer;
class TParticleSystem;
class TSurf;

// A zeppelin's propeller hub and a vehicle's four wheel hubs, in the model's own space.
constexpr TVector PropellerOffset{0, -41, 35};
constexpr TVector WheelOffsets[4] = {{-7.7f, -3.5f, -9.9f}, {7.7f, -3.5f, -9.9f}, {7.7f, -3.5f, 9.9f}, {-7.7f, -3.5f, 9.9f}};

struct TViewerActor {
  explicit TViewerActor(const TRosterEntry& entry);

  TActorClass Class;
  TPlacement Place;
  TMatrix Matrix{};  // rotation of Place.Orientation, as glMultMatrixf takes it
  TMesh Mesh;
  std::string MeshName;  // path and base name, as the mesh was loaded
  TVector LampColor{};
  TShadow Shadow;
  const char* Path = nullptr;   // the recorded path it flies, if any
  TVector PathOffset{};
  std::optional<TMotion> Motion;  // while it flies its path
  float PropellerAngle = 0;       // degrees; a zeppelin's propeller turns while it flies

  TShadowCaster Caster() { return {Mesh, MeshName, Place.Position, Matrix}; }
};

// The shadow an entry's class casts; a parked aircraft's engine is off and its shadow static.
TShadowClass ShadowClassOf(const TRosterEntry& entry);

// What one frame of actors draws with; the viewer owns all of it.
struct TViewerActorFrame {
  const TFrustum& Frustum;
  TVector Eye;
  float ViewRange = 0;  // actors farther from the eye are not drawn, as in the missions
  bool BumpMapping = false;
  const TMeshScene& Scene;
  TParticleSystem& Particles;
  TLightBuffer& Lights;
};

class TViewerActors {
public:
  // Loads every actor's mesh (each its own copy, through the mesh cache, as the missions do),
  // places it and, with shadows on, creates its shadow; entries with a recorded path take its
  // first pose when dataDir holds the file. The shadows lay themselves on surface, which must
  // outlive the actors. Throws TFileError naming a missing or damaged file.
  TViewerActors(std::span<const TRosterEntry> roster, TSurf& surface, const std::string& dataDir,
                const TMatrix& lightSpace);

  // The airships (every actor but the player's aircraft with a recorded path) start flying
  // their paths from the beginning, as their mission starts them. Throws TFileError.
  void StartPaths();
  // Moves each flying actor to its path's pose for this frame, as path following does.
  void FollowPaths();

  // The frame's shadow pass, before the frame is cleared: the dynamic shadows within range of
  // the eye whose ground is in the camera's frustum render their silhouettes anew.
  void RenderShadows(const TVector& eye, const TFrustum& frustum);
  // With the camera's view matrix loaded: draws the actors inside the view range and the
  // frustum with their shadows, emits the lamps' glows and adds their lights.
  void Draw(const TViewerActorFrame& frame);

  std::vector<TViewerActor> Actors;
  TMesh Propeller;
  TMesh Wheel;
  int32_t GlowTexture = 0;
  int32_t Drawn = 0;  // actors drawn by the last Draw
  int32_t ShadowsRendered = 0;  // dynamic shadows rendered by the last RenderShadows

private:
  TSurf& Surface;

  void DrawActor(TViewerActor& actor, const TViewerActorFrame& frame);
  void DrawBody(TViewerActor& actor, const TViewerActorFrame& frame);
  void DrawParts(const TViewerActor& actor, const TViewerActorFrame& frame);
  void LightLamp(const TViewerActor& actor, const TViewerActorFrame& frame) const;
};
