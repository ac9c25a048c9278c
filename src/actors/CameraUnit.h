// CameraUnit.h — TCamera: the player's aircraft flown from the frame's controls, its guns,
// missiles and lock-on sight, and the chase camera every other actor draws with.
//
// The level calls UpdateView once a frame before anything is drawn: it steers the aircraft
// from Level.Controls (or turns it back at the map's edge and under the ceiling), rotates it,
// moves the eye toward the preset's offset and builds the view. The matrices are kept on the
// CPU; OpenGL only ever receives them. The aircraft then flies as any other in its Live,
// after the crosshair and the missile lock-on (CameraSight.cpp).
//
// View conventions: ViewRotation is the conjugate of the aircraft's Orientation once it has
// caught up, so QuatToMatrix(ViewRotation) undoes the aircraft's turn and the camera looks
// along the nose (model -z) with the model's +y up.
#pragma once

#include "actors/AirCraftUnit.h"
#include "actors/ActorWorld.h"
#include "core/Quaternion.h"
#include "core/VectMath.h"

#include <cstdint>

// View presets chosen by CameraMode; 0 keeps whatever a mission set last.
constexpr uint8_t CameraModeKeep = 0;
constexpr uint8_t CameraModeChase = 1;      // the default, F1
constexpr uint8_t CameraModeTightChase = 2; // F2
constexpr uint8_t CameraModeCount = 10;

class TCamera : public TAirCraft, public TEye {
public:
  explicit TCamera(TWorld& level);
  ~TCamera() override;

  // Once a frame before drawing: controls, rotation, eye, view matrices and the sun light.
  void UpdateView();
  // After a mission or the respawn has set Eye and ViewRotation: the view matrices from them.
  void ResetView();

  // The crosshair and the missile lock-on, then the aircraft's own Live.
  void Live() override;
  // The scripted camera: eye and view rotation from Motion; the aircraft stays where it is.
  void Behaviour7() override;
  // The shared death sequence; the level takes the lives, so the type counter stays.
  void Die() override;
  // The player's aircraft never dives: it explodes at once.
  void Crash() override;

  // TEye.
  TVector EyePoint() const override { return Eye; }
  const TMatrix& CameraMatrix() const override { return CameraView; }
  const TMatrix& ViewMatrix() const override { return ViewRotationMatrix; }
  void SetShake(const TVector& offset) override { Shake = offset; }

  TVector CameraOffset{0, 10, 45};  // from the aircraft along AxisX, AxisY, AxisZ
  float EyeRate = 0.001f;           // of the eye's way to its target per ms (at most all)
  float TurnRate = 0.001f;          // of the view's way to the aircraft's attitude per ms
  uint32_t CrossList = 0;
  int32_t CrossTexture = -1;  // the gun crosshair
  int32_t LockTexture = -1;   // the missile sight
  uint8_t Firing = 0;
  uint8_t MissileLatch = 0;   // a missile left during this trigger press
  uint8_t ModeLatch = 0;      // the weapon switch is held
  uint8_t MissileMode = 0;    // 0 guns, 1 missiles
  int32_t Candidate = -1;     // the enemy under the missile sight
  int32_t LockedTarget = -1;
  int32_t LockTimer = 0;      // ms the same candidate has stayed under the sight
  int32_t LockedTime = 0;     // ms the lock has lasted
  int32_t BuzzTimer = 0;      // ms within the blink and buzz period
  uint8_t Locked = 0;
  int32_t BuzzSound = -1;
  TVector Shake{};  // set by explosions, spent on the next frame
  TVector Eye{};
  TQuaternion ViewRotation{1, 0, 0, 0};
  // The complete view of this frame (rotation, then the eye's translation) and its rotation
  // alone; handed out as CameraMatrix() and ViewMatrix().
  TMatrix CameraView{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  TMatrix ViewRotationMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  uint8_t CameraMode = CameraModeChase;
  // The sight's colour of the last Live, for the HUD's tests and the sight's own drawing.
  float SightColor[4] = {0, 0, 0.5f, 0.4f};

protected:
  // The frame's controls turned into turn rates; fires the weapons on the way.
  TRates ReadControls(float ms);

private:
  uint8_t PairPending = 0;  // the controls fired a pair; it leaves after this frame's move

  void BuildCrossList();
  // Out of the map: a turn back toward it. Returns false when the aircraft is inside.
  bool TurnBack(TRates& rates);
  void ApplyCameraMode();
  void FollowWithEye(float ms);
  void TurnView(float ms);
  void SetSunLight() const;
  void Trigger(bool held);
  void LaunchMissile();
  void FireGuns(float ms);
  void FirePendingPair();
  void LockOn(float ms);
};
