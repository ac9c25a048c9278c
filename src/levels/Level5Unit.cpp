// Level5Unit.cpp — Mission 5's phases: the fade-in, then convoy, depot, convoy, post, convoy and
// stores in order. While a convoy is the target the marker rides its lead vehicle (at a fixed
// height, and on at its wreck) and the convoy's escorts and the allied pair guard that point.
#include "levels/Level5Unit.h"

#include "actors/AirCraftUnit.h"
#include "actors/CameraUnit.h"
#include "levels/MissionSettings.h"

namespace {

constexpr TVector OpeningView{1.5708f, 0, 0.785398f};
constexpr TVector FirstTarget{1344, 1600, 300};
constexpr float MarkerHeight = 300;
constexpr int32_t Allies[2] = {47, 48};  // the allied pair flying with the player

// Phases 1 to 6 wait for groups 1 to 6. A convoy's phase follows its lead vehicle with its two
// escorts; every phase's end points the marker (and, after a convoy, the allies) at the next.
struct TStage {
  int32_t Lead;  // -1: not a convoy
  int32_t Escorts[2];
  TVector Next;
};
constexpr TStage Stages[6] = {
    {2, {16, 17}, {608, 1792, 300}},      // convoy 1, then the depot
    {-1, {-1, -1}, {}},                   // the depot
    {10, {14, 15}, {2464, 896, 300}},     // convoy 2, then the post
    {-1, {-1, -1}, {}},                   // the post
    {36, {39, 40}, {2272, 2432, 300}},    // convoy 3, then the stores
    {-1, {-1, -1}, {}},                   // the stores
};

const TCinematicShot OverTheStores{{2272, 2432, 300}, {-1.91986f, 0, 0}, {2272, 2425, 300}, {1.5708f, 0, 0},
                                   CameraModeChase};

enum : int32_t { OpeningFlight, Convoy1, Depot, Convoy2, Post, Convoy3, Stores };

}  // namespace

TLevel5::TLevel5() : TLevel(5) {}


void TLevel5::PlaceActors() {
  TLevel::PlaceActors();
  Letterbox = 1;  // the mission opens as a cinematic
  if (TCamera* player = Player()) SetOpeningView(player->Position, OpeningView);
}

void TLevel5::UpdateMission() {
  switch (Phase) {
    case OpeningFlight: return Opening();
    case Convoy1:
    case Convoy2:
    case Convoy3: return Convoy();
    case Depot:
    case Post:
    case Stores: return Site();
    case PhaseSuccess: return EndingFade(TOutcome::Success, EndingFadeRate);
    default: return;
  }
}

void TLevel5::Opening() {
  FadeIn(Settings.FadeRate);
  if (Fade > 0) return;
  HandOver();
  ObjectivePoint = FirstTarget;
  Phase = Convoy1;
}

void TLevel5::Convoy() {
  const TStage& stage = Stages[Phase - Convoy1];
  // A destroyed vehicle keeps its last position, so the marker stays on the wreck.
  if (stage.Lead >= 0 && stage.Lead < ActorCount()) {
    ObjectivePoint = Actors[static_cast<size_t>(stage.Lead)]->Position;
    ObjectivePoint.z = MarkerHeight;
  }
  for (int32_t i : {stage.Escorts[0], stage.Escorts[1], Allies[0], Allies[1]})
    if (TAirCraft* fighter = AirCraftAt(i)) fighter->GuardPoint = ObjectivePoint;
  if (!GroupCleared(Phase)) return;
  ObjectivePoint = stage.Next;
  for (int32_t i : Allies)
    if (TAirCraft* fighter = AirCraftAt(i)) fighter->GuardPoint = stage.Next;
  ++Phase;
}

void TLevel5::Site() {
  if (!GroupCleared(Phase)) return;
  if (Phase != Stores) {
    ++Phase;
    return;
  }
  StartCinematic(OverTheStores);
  Fade = 0;
  Phase = PhaseSuccess;
}
