// ViewerScreen.h — a mission's world without its actors' behaviour: atmosphere, sky, sun,
// terrain and every actor of its roster standing where the mission places it, with the lamps
// lit and the shadows on the ground, seen from a free camera (arrows and mouse turn, W/S fly,
// X sets off a test explosion 150 units ahead, F12 saves a screenshot). Started with --viewer N;
// --camera places the eye, --no-actors leaves the roster out, --no-shadows the shadows,
// --flight MS flies a fixed lap instead and ends printing the frame rate.
#pragma once

#include "core/Frustum.h"
#include "core/MotionUnit.h"
#include "core/VectMath.h"
#include "render/MeshUnit.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TAtmosphere;
class TLightBuffer;
class TParticleSystem;
class TSky;
class TSurf;
class TTerrainLightGround;
class TViewerActors;
class TViewerExplosion;
struct TMissionSettings;

// Where the eye is and where it looks: yaw 0 looks along +y and grows toward +x; negative
// pitch looks down. Degrees.
struct TViewerCamera {
  TVector Eye{2200, 600, 420};
  float Yaw = 0;
  float Pitch = -10;
};

// The camera's view matrix and its rotation alone (what the sky dome turns with).
void CameraMatrices(const TViewerCamera& camera, TMatrix& rotation, TMatrix& view);

// How the viewer starts, from the command line.
struct TViewerOptions {
  std::optional<TViewerCamera> Camera;  // none: a default eye above the ground
  // > 0: fly the measurement lap for that much game time, then print the frames and the frame
  // rate and close the window.
  int64_t FlightMs = 0;
  bool Actors = true;  // false: the world alone, without the mission's roster
  // The airships fly their recorded paths from the mission's start, and where the player's
  // aircraft has a path (mission 1's opening) the camera flies it, then is free again.
  bool Cinematic = false;
};

class TViewerScreen {
public:
  using TScreenshot = std::function<void(const std::string& path)>;

  TViewerScreen(int32_t mission, const TViewerOptions& options, TScreenshot screenshot);
  ~TViewerScreen();

  // Loads the mission's world and installs the frame function. Throws TFileError.
  void Start();
  void Frame();

  TViewerCamera Camera;

private:
  void LoadWorld();
  void LoadTerrain();
  void LoadScene();
  void ApplyFog() const;
  void Steer(int32_t ms);
  void Fly();
  void EndFlight();
  void StartCinematic();
  bool FollowCameraPath();
  void DrawWorld(const TMatrix& sky);
  void Explode();
  void HandleKeys();

  int32_t Mission;
  TViewerOptions Options;
  const TMissionSettings& Settings;
  TScreenshot Screenshot;
  std::unique_ptr<TAtmosphere> Atmosphere;
  std::unique_ptr<TSky> Sky;
  std::unique_ptr<TSurf> Surface;
  std::unique_ptr<TTerrainLightGround> LightGround;
  std::unique_ptr<TLightBuffer> Lights;
  std::unique_ptr<TParticleSystem> Particles;
  std::unique_ptr<TViewerActors> Actors;
  std::unique_ptr<TViewerExplosion> Explosion;
  TMeshScene Scene;
  bool BumpMapping = false;
  TFrustum Frustum;
  TMatrix View{};  // the camera's view matrix of this frame; the particles and programs read it
  bool F12Held = false;
  bool XHeld = false;
  int32_t Shots = 0;
  int64_t Flown = 0;         // game time flown so far
  int64_t FlightFrames = 0;
  int64_t FlightStart = 0;   // the system counter at the first frame of the flight
  std::optional<TMotion> CameraPath;  // the opening sweep while it plays
};
