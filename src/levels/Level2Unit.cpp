// Level2Unit.cpp — Mission 2's phases: the fade-in over the opening flight, the four targets in
// order (phase n waits for group n), and the flyby over the outpost that ends it.
#include "levels/Level2Unit.h"

#include "actors/CameraUnit.h"
#include "levels/MissionSettings.h"

namespace {

// Where the marker points while each phase's group stands: airfield one, airfield two, the
// depot, the outpost.
constexpr TVector Targets[4] = {{3104, 1088, 300}, {3648, 3072, 300}, {3136, 4064, 300}, {1824, 2496, 300}};
constexpr uint8_t OpeningCameraMode = 4;   // beside and ahead of the aircraft
constexpr int32_t OutpostGuardFirst = 57;  // the three over the outpost stop for the flyby
constexpr int32_t OutpostGuardLast = 59;

const TCinematicShot Flyby{{1760, 2496, 300}, {-1.5708f, 0.261799f, 0}, {1600, 2784, 300}, {1.5708f, 0, 0},
                           CameraModeChase};

enum : int32_t { OpeningFlight, Airfield1, Airfield2, Depot, Outpost };

}  // namespace

TLevel2::TLevel2() : TLevel(2) {}


void TLevel2::PlaceActors() {
  TLevel::PlaceActors();
  Letterbox = 1;  // the mission opens as a cinematic
  TCamera* player = Player();
  if (!player) return;
  player->CameraMode = OpeningCameraMode;
  // No opening view of its own: the eye starts at the aircraft and falls back to its place.
  player->Eye = player->Position;
  QuatConjugate(player->Orientation, player->ViewRotation);
  player->ResetView();
}

void TLevel2::UpdateMission() {
  switch (Phase) {
    case OpeningFlight: return Opening();
    case Airfield1:
    case Airfield2:
    case Depot:
    case Outpost: return Raid();
    case PhaseSuccess: return EndingFade(TOutcome::Success, EndingFadeRate);
    default: return;
  }
}

void TLevel2::Opening() {
  ObjectivePoint = Targets[0];
  FadeIn(Settings.FadeRate);
  if (Fade > 0) return;
  HandOver();
  Phase = Airfield1;
}

void TLevel2::Raid() {
  // Phase n waits for group n, whatever became of the others.
  if (!GroupCleared(Phase)) return;
  if (Phase != Outpost) {
    ObjectivePoint = Targets[Phase];
    ++Phase;
    return;
  }
  StartCinematic(Flyby);
  for (int32_t i = OutpostGuardFirst; i <= OutpostGuardLast && i < ActorCount(); ++i)
    Actors[static_cast<size_t>(i)]->Behaviour = nullptr;
  Fade = 0;
  Phase = PhaseSuccess;
}
