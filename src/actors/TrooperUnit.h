// TrooperUnit.h — TTrooper: a foot soldier walking its home area with a key-framed walk cycle;
// shot down it falls, lies for ten seconds and is gone.
#pragma once

#include "actors/ActorUnit.h"

#include <cstdint>
#include <string>

class TTrooper : public TActor {
public:
  static constexpr float RoamRate = 0.001f;       // radians per ms: on foot it turns twice as fast
  static constexpr float AnimRate = 0.005f;       // of a key frame per ms: one frame per 200 ms
  static constexpr int32_t LieTime = 10000;       // ms the body lies before it is gone
  static constexpr int32_t WalkAnim = 0;          // the mesh's animations
  static constexpr int32_t FallAnim = 1;
  static constexpr float DieSoundScale = 0.005f;

  // Loads die.wav; throws TFileError naming it when it is missing or bad.
  explicit TTrooper(TWorld& level);

  // The base load, the trooper's fixed parameters and a random turning direction; it starts on
  // the ground and at home where it stands. Throws TFileError naming a missing or damaged mesh.
  void LoadTyped(const std::string& name, const TVector& position, float ax, float ay, float az,
                 int32_t typeIndex) override;

  void Live() override;
  // Roam the home area.
  void Behaviour8() override;
  // Walk on until within HomeRadius of HomePoint, and stop there for good.
  void Behaviour9() override;
  // The fall: the trooper leaves its group as soon as it starts to fall.
  void Die() override;

  float AnimTime = 0.0f;  // blend 0..1 from AnimFrame toward the next key frame
  int32_t AnimFrame = 0;
  int32_t DeadTime = 0;   // ms the body has lain still
  int32_t TurnDirection = 1;
  int32_t DieSound = -1;
  TVector AxisX{}, AxisY{}, AxisZ{};
  TVector HomePoint{};
  float HomeRadius = 0.0f;

private:
  int32_t FrameCount(int32_t anim) const;
  void TakeAxes();
  void DrawPose(int32_t anim);
  void StartFall();
  // Set with the first frame of the fall, whose sound and count-down happen once only.
  bool Falling = false;
};
