// ViewerScreen.h — a mission's world without its actors' behaviour: atmosphere, sky, sun and
// terrain, seen from a free camera (arrows and mouse turn, W/S fly, F12 saves a screenshot).
// Started with --viewer N; --camera places the eye.
#pragma once

#include "core/Frustum.h"
#include "core/VectMath.h"

#include <functional>
#include <memory>
#include <string>

class TAtmosphere;
class TSky;
class TSurf;
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

class TViewerScreen {
public:
  using TScreenshot = std::function<void(const std::string& path)>;

  TViewerScreen(int32_t mission, const TViewerCamera* camera, TScreenshot screenshot);
  ~TViewerScreen();

  // Loads the mission's world and installs the frame function. Throws TFileError.
  void Start();
  void Frame();

  TViewerCamera Camera;

private:
  void LoadWorld();
  void Steer(int32_t ms);

  int32_t Mission;
  bool CameraGiven;
  const TMissionSettings& Settings;
  TScreenshot Screenshot;
  std::unique_ptr<TAtmosphere> Atmosphere;
  std::unique_ptr<TSky> Sky;
  std::unique_ptr<TSurf> Surface;
  TFrustum Frustum;
  bool F12Held = false;
  int32_t Shots = 0;
};
