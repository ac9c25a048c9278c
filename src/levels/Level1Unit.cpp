// Level1Unit.cpp — Mission 1's phases: the opening flight, three convoy legs with their waves,
// the hover at the last trigger while the base's fighters attack, the last wave, and the two
// endings.
#include "levels/Level1Unit.h"

#include "actors/AirCraftUnit.h"
#include "actors/CameraUnit.h"
#include "actors/ZeppelinUnit.h"
#include "core/Globals.h"
#include "levels/LevelHud.h"

#include <numbers>

namespace {

// The roster's indices this mission refers to.
constexpr int32_t Airship1 = 1, Airship2 = 2;
constexpr int32_t Escort1 = 3, Escort2 = 4, Escort3 = 5;
constexpr int32_t BaseFirst = 6, BaseLast = 8;          // the base's fighters, woken at trigger 3
constexpr int32_t Wave1First = 22, Wave1Last = 25;
constexpr int32_t Wave2First = 26, Wave2Last = 29;
constexpr int32_t LastWaveFirst = 30, LastWaveLast = 32;

// The convoy legs' trigger points (airship 1 flies at 360, airship 2 at 370) and the distances
// at which each airship sets them off.
constexpr TVector Triggers[3] = {{2592, 2336, 0}, {1920, 3072, 0}, {896, 3296, 0}};
constexpr float Airship1Height = 360, Airship2Height = 370;
constexpr float Airship1Reach = 100, Airship2Reach = 300;

constexpr float OpeningFadeRate = 0.0007f;  // of Fade per ms
constexpr float PlayerStartSpeed = 0.06f;
constexpr float AirshipSpeed = 0.02f;
constexpr int32_t PathStep = 33;

// The phases, in order.
enum : int32_t {
  OpeningFlight, Leg1, Leg2, Leg3, BaseAttack, FinalWave, Idle, SuccessEnding, FailureEnding
};

}  // namespace

TLevel1::TLevel1() : TLevel(1) {}


void TLevel1::PlaceActors() {
  TLevel::PlaceActors();
  Letterbox = 1;  // the mission opens as a cinematic
  TCamera* player = Player();
  player->HitDamage = 1.0f;
  player->CollisionDamage = 1.0f;
  for (int32_t which : {Airship1, Airship2}) Airship(which).CollideTerrain = 0;
}

TZeppelin& TLevel1::Airship(int32_t which) const { return static_cast<TZeppelin&>(*Actors[static_cast<size_t>(which)]); }

void TLevel1::UpdateMission() {
  switch (Phase) {
    case OpeningFlight: Opening(); return;
    case Leg1:
    case Leg2:
    case Leg3: ConvoyLeg(); break;
    case BaseAttack: Hover(); break;
    case FinalWave: LastWave(); break;
    case SuccessEnding: EndingFade(TOutcome::Success, EndingFadeRate); return;
    case FailureEnding: EndingFade(TOutcome::Failure, EndingFadeRate); return;
    default: return;
  }
  CheckConvoyLoss();
}

void TLevel1::Opening() {
  FadeIn(OpeningFadeRate);
  TCamera& player = *Player();
  if (!player.MotionDone) return;
  Letterbox = 0;
  // The level's loss-of-life handling puts the player under control (it takes one life).
  player.State = StateGone;
  player.Speed = PlayerStartSpeed;
  player.Motion = nullptr;
  player.Behaviour = &TActor::Live;
  for (int32_t i : {Escort1, Escort2, Escort3}) Actors[static_cast<size_t>(i)]->Behaviour = &TActor::Behaviour8;
  Phase = Leg1;
}

void TLevel1::MarkLeadingAirship() {
  const TZeppelin& lead = Airship(1).State == StateAlive ? Airship(1) : Airship(2);
  ObjectivePoint = lead.Position;
}

void TLevel1::GuardAirships() {
  const struct {
    int32_t Escort, Airship;
    float Radius;
  } guards[] = {{Escort1, Airship2, 200}, {Escort2, Airship1, 220}, {Escort3, Airship1, 190}};
  for (const auto& g : guards) {
    auto& escort = static_cast<TAirCraft&>(*Actors[static_cast<size_t>(g.Escort)]);
    escort.GuardPoint = Actors[static_cast<size_t>(g.Airship)]->Position;
    escort.GuardRadius = g.Radius;
  }
}

bool TLevel1::ConvoyAt(const TVector& trigger) const {
  const TVector at1{trigger.x, trigger.y, Airship1Height};
  const TVector at2{trigger.x, trigger.y, Airship2Height};
  return VectorLength(Airship(1).Position - at1) < Airship1Reach || VectorLength(Airship(2).Position - at2) < Airship2Reach;
}

void TLevel1::ConvoyLeg() {
  MarkLeadingAirship();
  GuardAirships();
  if (!ConvoyAt(Triggers[Phase - Leg1])) return;
  switch (Phase) {
    case Leg1: Wake(Wave1First, Wave1Last); break;
    case Leg2: Wake(Wave2First, Wave2Last); break;
    default:
      for (int32_t which : {Airship1, Airship2}) {
        TZeppelin& airship = Airship(which);
        airship.Speed = 0;
        airship.CruiseSpeed = 0;
        if (airship.State == StateAlive) airship.Behaviour = &TActor::Live;
      }
      Wake(BaseFirst, BaseLast);
      for (int32_t i : {Escort1, Escort2, Escort3}) {
        TActor& escort = *Actors[static_cast<size_t>(i)];
        if (escort.State == StateAlive) escort.Behaviour = &TActor::Behaviour10;
      }
  }
  ++Phase;
}

void TLevel1::Hover() {
  MarkLeadingAirship();
  if (!AllGone(BaseFirst, BaseLast)) return;
  Wake(LastWaveFirst, LastWaveLast);
  Phase = FinalWave;
}

void TLevel1::LastWave() {
  if (AllGone(LastWaveFirst, LastWaveLast)) StartSuccessCinematic();
}

void TLevel1::StartSuccessCinematic() {
  Letterbox = 1;
  TCamera& player = *Player();
  player.Behaviour = nullptr;
  player.Position = {672, 4250, 300};
  player.Eye = {800, 3264, 100};
  QuatFromEuler(1.5708f, 0, 3.40339f, player.ViewRotation);
  player.CameraMode = 1;
  QuatFromEuler(-1.74533f, std::numbers::pi_v<float>, 0, player.Orientation);
  player.ResetView();
  for (int32_t which : {Airship1, Airship2}) {
    TZeppelin& airship = Airship(which);
    airship.Speed = AirshipSpeed;
    airship.CruiseSpeed = AirshipSpeed;
    airship.PathMotion.Step = PathStep;
    if (airship.State == StateAlive) airship.Behaviour = &TActor::Behaviour7;
  }
  Fade = 0;
  Phase = SuccessEnding;
}

// The convoy is lost when one airship falls while the other is no longer flying: the camera
// watches the second one go down.
void TLevel1::CheckConvoyLoss() {
  if (Phase == SuccessEnding || Phase == FailureEnding) return;
  TZeppelin& first = Airship(1);
  TZeppelin& second = Airship(2);
  const TZeppelin* falling = nullptr;
  if (first.State == StateDying && second.State != StateAlive) falling = &first;
  else if (second.State == StateDying && first.State != StateAlive) falling = &second;
  if (!falling) return;
  ShowFalling(*falling);
  Phase = FailureEnding;
}

void TLevel1::Wake(int32_t first, int32_t last) {
  for (int32_t i = first; i <= last && i < ActorCount(); ++i) {
    TActor& actor = *Actors[static_cast<size_t>(i)];
    if (actor.State == StateGone && actor.Life > 0) actor.State = StateAlive;
  }
}

bool TLevel1::AllGone(int32_t first, int32_t last) const {
  for (int32_t i = first; i <= last && i < ActorCount(); ++i)
    if (Actors[static_cast<size_t>(i)]->State != StateGone) return false;
  return true;
}
