// Level3Unit.cpp — Mission 3's phases: the opening, where the eye sweeps in from the barrier
// to the waiting aircraft, the three camps in order, and the shot over the southern store.
#include "levels/Level3Unit.h"

#include "actors/CameraUnit.h"
#include "levels/MissionSettings.h"

#include <numbers>

namespace {

constexpr TVector OpeningEye{1312, 2600, 400};
constexpr TVector OpeningView{1.5708f, 0, std::numbers::pi_v<float>};
constexpr uint8_t OpeningCameraMode = 5;   // a slow glide to the chase point
constexpr float HandOverDistance = 700;    // the eye this near the aircraft ends the opening
constexpr float PlayerStartSpeed = 0.06f;

// Each camp's phase: the group it waits for and where the marker points next. The barrier
// (group 1) is no objective.
struct TCamp {
  int32_t Group;
  TVector Next;
};
constexpr TVector FirstTarget{1344, 1600, 300};
constexpr TCamp Camps[3] = {{2, {3136, 960, 300}}, {3, {2912, 2720, 300}}, {5, {}}};

const TCinematicShot OverTheStore{{2912, 2656, 500}, {-1.5708f, 3.66519f, 0}, {3040, 2656, 500}, {1.5708f, 0, 2.44346f},
                                  CameraModeChase};

enum : int32_t { OpeningSweep, NorthCamp, EastCamp, SouthStore };

}  // namespace

TLevel3::TLevel3() : TLevel(3) {}


void TLevel3::PlaceActors() {
  TLevel::PlaceActors();
  Letterbox = 1;  // the mission opens as a cinematic
  TCamera* player = Player();
  if (!player) return;
  player->Speed = 0;
  player->CameraMode = OpeningCameraMode;
  SetOpeningView(OpeningEye, OpeningView);
}

void TLevel3::UpdateMission() {
  switch (Phase) {
    case OpeningSweep: return Opening();
    case NorthCamp:
    case EastCamp:
    case SouthStore: return Camp();
    case PhaseSuccess: return EndingFade(TOutcome::Success, EndingFadeRate);
    default: return;
  }
}

// The opening ends when the eye arrives, whether or not the veil has lifted.
void TLevel3::Opening() {
  FadeIn(Settings.FadeRate);
  TCamera* player = Player();
  if (!player || VectorLength(player->Eye - player->Position) >= HandOverDistance) return;
  HandOver();
  player->Speed = PlayerStartSpeed;
  ObjectivePoint = FirstTarget;
  Phase = NorthCamp;
}

void TLevel3::Camp() {
  const TCamp& camp = Camps[Phase - NorthCamp];
  if (!GroupCleared(camp.Group)) return;
  if (Phase != SouthStore) {
    ObjectivePoint = camp.Next;
    ++Phase;
    return;
  }
  StartCinematic(OverTheStore);
  Fade = 0;
  Phase = PhaseSuccess;
}
