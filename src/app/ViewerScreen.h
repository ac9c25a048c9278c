// ViewerScreen.h — a mission's world seen from a free camera: atmosphere, sky, sun, terrain and
// every actor of its roster, loaded and run through the mission's TLevel. Still by default (the
// actors stand where the mission places them, their clock stopped, lamps lit, shadows cast);
// --live lets them live their roster behaviours. Arrows and mouse turn, W/S fly, X sets off a
// test explosion 150 units ahead, F12 saves a screenshot. --camera places the eye, --no-actors
// leaves the roster out, --flight MS flies a fixed lap and ends printing the frame rate.
#pragma once

#include "actors/ActorWorld.h"
#include "core/MotionUnit.h"
#include "core/VectMath.h"
#include "levels/FrameRateReadout.h"
#include "levels/PassTimes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TLevel;
class TViewerExplosion;

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
  // Where the player's aircraft has a path (mission 1's opening) the camera flies it, then is
  // free again. Implies Live.
  bool Cinematic = false;
  bool Live = false;     // the actors live their roster behaviours; else their clock stands still
  bool WakeAll = false;  // the actors a mission wakes later are awake from the start
  bool Report = false;   // print the world's statistics line when the viewer ends
  bool PassTimes = false;  // time every pass of every frame; the table when the viewer ends
};

class TViewerScreen final : public TEye {
public:
  using TScreenshot = std::function<void(const std::string& path)>;

  TViewerScreen(int32_t mission, const TViewerOptions& options, TScreenshot screenshot);
  ~TViewerScreen();

  // Loads the mission's world and installs the frame function. Throws TFileError.
  void Start();
  void Frame();

  // The eye the actors read.
  TVector EyePoint() const override { return Camera.Eye; }
  const TMatrix& CameraMatrix() const override { return View; }
  const TMatrix& ViewMatrix() const override { return Rotation; }
  void SetShake(const TVector&) override {}

  // "world frame=F alive=A dying=D gone=G shots=S missiles=M" of the world as it stands.
  std::string WorldLine() const;

  TViewerCamera Camera;
  std::unique_ptr<TLevel> Level;

private:
  void Steer(int32_t ms);
  void Fly();
  void EndFlight();
  void StartCinematic();
  bool FollowCameraPath();
  void DrawWorld();
  void Explode();
  void HandleKeys();

  int32_t Mission;
  TViewerOptions Options;
  TScreenshot Screenshot;
  std::unique_ptr<TViewerExplosion> Explosion;
  TMatrix Rotation{};  // the camera's rotation of this frame (what the sky turns with)
  TMatrix View{};      // the camera's view matrix of this frame
  bool F12Held = false;
  bool XHeld = false;
  int64_t Flown = 0;         // game time flown so far
  int64_t FlightFrames = 0;
  int64_t FlightStart = 0;   // the system counter at the first frame of the flight
  int64_t LastFlightFrame = 0;
  TFrameRateReadout FlightRate;  // real frame times of the flight: its slowest second
  TPassTimes PassTimes;
  std::optional<TMotion> CameraPath;  // the opening sweep while it plays
};
