// Level4Unit.cpp — Mission 4's phases: the opening, played until the first airship is down;
// the escort, where the second takes up the route from the first one's start; the arrival at
// the haven or the second airship's fall.
#include "levels/Level4Unit.h"

#include "actors/AirCraftUnit.h"
#include "actors/CameraUnit.h"
#include "levels/MissionSettings.h"
#include "actors/ZeppelinUnit.h"

namespace {

constexpr int32_t Airship1 = 1, Airship2 = 2;
constexpr int32_t Striker1 = 66, Striker2 = 67;  // strafe airship 2 in the opening, then attack it

constexpr TVector OpeningMarker{3104, 1088, 300};
constexpr TVector OpeningView{1.5708f, -0.523599f, 0};
constexpr uint8_t OpeningCameraMode = 7;  // far ahead of the aircraft, looking back

// Where the escort starts: the player over the airfield, airship 2 on airship 1's route from
// its start (the path's clock runs on), striker 1 moved off to come in from the west.
constexpr TVector PlayerEscortStart{3500, 3008, 300};
constexpr TVector PlayerEscortAngles{-1.5708f, 0, 0};
constexpr TVector RouteStart{3584, 3968, 360};
constexpr TVector Striker1EscortStart{3290, 3480, 390};

constexpr TVector Haven{896, 832, 360};
constexpr float HavenReach = 200;  // in three dimensions

constexpr uint8_t ArrivalCameraMode = 8;  // just beside the aircraft
const TCinematicShot Arrival{{896, 820, 360}, {-1.74533f, 1.5708f, 0}, {896, 820, 300}, {1.5708f, 0, 0},
                             ArrivalCameraMode};

enum : int32_t { OpeningLeg, EscortLeg };

}  // namespace

TLevel4::TLevel4() : TLevel(4) {}

TZeppelin* TLevel4::Airship(int32_t which) const {
  if (which < 0 || which >= ActorCount()) return nullptr;
  return dynamic_cast<TZeppelin*>(Actors[static_cast<size_t>(which)].get());
}


void TLevel4::PlaceActors() {
  TLevel::PlaceActors();
  Letterbox = 1;  // the mission opens as a cinematic
  TCamera* player = Player();
  if (!player) return;
  player->Speed = 0;
  player->CameraMode = OpeningCameraMode;
  SetOpeningView(player->Position, OpeningView);
}

void TLevel4::UpdateMission() {
  switch (Phase) {
    case OpeningLeg: return Opening();
    case EscortLeg: return Escort();
    case PhaseSuccess: return EndingFade(TOutcome::Success, EndingFadeRate);
    case PhaseFailure: return EndingFade(TOutcome::Failure, EndingFadeRate);
    default: return;
  }
}

void TLevel4::Opening() {
  ObjectivePoint = OpeningMarker;
  FadeIn(Settings.FadeRate);
  const TZeppelin* first = Airship(Airship1);
  TZeppelin* second = Airship(Airship2);
  TCamera* player = Player();
  if (!first || !second || !player || first->State != StateGone) return;
  HandOver();
  player->Position = player->PrevPosition = PlayerEscortStart;
  QuatFromEuler(PlayerEscortAngles.x, PlayerEscortAngles.y, PlayerEscortAngles.z, player->StartOrientation);
  player->Orientation = player->StartOrientation;
  second->Position = second->PrevPosition = RouteStart;
  second->PathMotion.Offset = RouteStart;
  if (TAirCraft* striker = AirCraftAt(Striker1)) striker->Position = striker->PrevPosition = Striker1EscortStart;
  for (int32_t i : {Striker1, Striker2}) {
    TAirCraft* striker = AirCraftAt(i);
    if (striker && striker->State == StateAlive) striker->Behaviour = &TActor::Behaviour11;
  }
  Phase = EscortLeg;
}

// The arrival is judged first: an airship already at the haven when it falls still counts.
void TLevel4::Escort() {
  TZeppelin* second = Airship(Airship2);
  if (!second) return;
  ObjectivePoint = second->Position;
  if (VectorLength(second->Position - Haven) < HavenReach) {
    StartCinematic(Arrival);
    if (TCamera* player = Player()) player->Speed = 0;
    Fade = 0;
    Phase = PhaseSuccess;
    return;
  }
  // An airship that went down out of sight (gone without being seen dying) is lost as well.
  if (second->State == StateAlive) return;
  ShowFalling(*second);
  Phase = PhaseFailure;
}
