// LevelMission.cpp — the running mission's frame: the player's controls and view, the HUD or
// the cinematic bars, the player's death, respawn and the failure fade, the pause question and
// the mission's end.
#include "levels/LevelUnit.h"

#include "actors/ActorUnit.h"
#include "actors/AirCraftUnit.h"
#include "actors/CameraUnit.h"
#include "core/Globals.h"
#include "core/Random.h"
#include "core/Texture.h"
#include "levels/LevelHud.h"
#include "levels/MissionSettings.h"
#include "platform/GLTable.h"
#include "platform/Input.h"
#include "render/GLVisualObjectUnit.h"
#include "render/Surface.h"
#include "sound/SoundUnit.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <numbers>

namespace {

constexpr float MissionObjectiveRadius = 300.0f;  // the marker fades out closer than this
constexpr int32_t MissionLives = 4;

constexpr float FailureFadeRate = 0.001f;  // of Fade per ms: a second to black
constexpr int32_t RespawnScatter = 20;     // whole units either way in x and y
constexpr float RespawnHeight = 100.0f;
constexpr float RespawnCeiling = 570.0f;       // the aircraft's ceiling over the level's SkyHeight
constexpr float RespawnCeilingMargin = 60.0f;
constexpr float RespawnFloor = 30.0f;          // above the ground, at the least
constexpr int32_t RespawnPasses = 4;           // steps down past actors stacked under the ceiling
constexpr float RespawnTurn = 135.0f * std::numbers::pi_v<float> / 180.0f;
constexpr uint8_t FallingCameraMode = 9;   // rides the falling actor, looking along it

}  // namespace

void TLevel::LoadLevel() {
  // What every mission starts from; a mission's PlaceActors then opens its cinematic.
  ShowObjective = 1;
  ObjectiveRadius = MissionObjectiveRadius;
  Lives = MissionLives;
  Phase = 0;
  Letterbox = 0;
  Hud = std::make_unique<TLevelHud>(QuestionTexts);
  LoadWorld();
  // The player's aircraft is the eye every actor reads.
  if (TCamera* player = Player()) {
    Eye = player;
    player->ResetView();
    TakeEye();
  }
  TextureWrap = GL_CLAMP_TO_EDGE;
  RadarTexture = LoadTexture(Settings.Radar);
  TextureWrap = GL_REPEAT;
  MissileCount = Settings.MissileCount;
  Fade = 1.0f;
  Hud->SetLives(Lives);
  Hud->SetMissiles(MissileCount);
  MusicHandle = LoadMusic(Settings.Music, 100);
  PlayMusic(MusicHandle);
  RestartCounter();
}

TCamera* TLevel::Player() const {
  if (Actors.empty()) return nullptr;
  return dynamic_cast<TCamera*>(Actors.front().get());
}

int32_t TLevel::Accuracy() const {
  if (ShotsFired <= 0) return 0;
  const int mode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double percent = std::nearbyint(static_cast<double>(ShotsHit) * 100.0 / static_cast<double>(ShotsFired));
  std::fesetround(mode);
  return static_cast<int32_t>(percent);
}

void TLevel::EndMission(TOutcome outcome) {
  if (Outcome != TOutcome::Running) return;
  Outcome = outcome;
  MissionSuccess = outcome == TOutcome::Success ? 1 : 0;
  ShotAccuracy = Accuracy();
}

void TLevel::MissilesChanged() {
  if (Hud) Hud->SetMissiles(MissileCount);
}

void TLevel::DrawFade(float alpha) const {
  if (Hud) Hud->DrawFade(alpha);
}

void TLevel::FadeIn(float rate) {
  if (Fade <= 0) return;
  DrawFade(Fade);
  Fade = std::max(0.0f, Fade - static_cast<float>(Counter.Elapsed) * rate);
}

void TLevel::EndingFade(TOutcome outcome, float rate) {
  if (Fade < 1) {
    DrawFade(Fade);
    Fade += static_cast<float>(Counter.Elapsed) * rate;
    return;
  }
  Fade = 1;
  EndMission(outcome);
}

void TLevel::HandOver() {
  Letterbox = 0;
  TCamera* player = Player();
  if (!player) return;
  player->State = StateGone;
  player->CameraMode = CameraModeChase;
}

void TLevel::SetOpeningView(const TVector& eye, const TVector& viewAngles) {
  TCamera* player = Player();
  if (!player) return;
  player->Eye = eye;
  QuatFromEuler(viewAngles.x, viewAngles.y, viewAngles.z, player->ViewRotation);
  player->ResetView();
}

void TLevel::StartCinematic(const TCinematicShot& shot) {
  Letterbox = 1;
  TCamera* player = Player();
  if (!player) return;
  player->Position = player->PrevPosition = shot.PlayerPosition;
  QuatFromEuler(shot.PlayerAngles.x, shot.PlayerAngles.y, shot.PlayerAngles.z, player->Orientation);
  player->Eye = shot.Eye;
  QuatFromEuler(shot.ViewAngles.x, shot.ViewAngles.y, shot.ViewAngles.z, player->ViewRotation);
  player->CameraMode = shot.CameraMode;
  player->ResetView();
}

void TLevel::ShowFalling(const TActor& falling) {
  Letterbox = 1;
  if (TCamera* player = Player()) {
    player->Speed = 0;
    player->Position = falling.Position;
    player->Orientation = falling.Orientation;
    player->Eye = falling.Position;
    QuatConjugate(falling.Orientation, player->ViewRotation);
    player->CameraMode = FallingCameraMode;
    player->ResetView();
  }
  for (const auto& actor : Actors) actor->MuteRequest = 1;
}

bool TLevel::GroupCleared(int32_t group) const {
  if (group <= 0 || group >= TypeCount) return false;  // group 0 is never an objective
  return TypeCounters[static_cast<size_t>(group)] <= 0;
}

TAirCraft* TLevel::AirCraftAt(int32_t index) const {
  if (index < 0 || index >= ActorCount()) return nullptr;
  return dynamic_cast<TAirCraft*>(Actors[static_cast<size_t>(index)].get());
}

// The controls of this frame, then the player's view; in a cinematic with a path the scripted
// camera flies instead.
void TLevel::UpdatePlayer() {
  Controls = Input ? Input->Poll(Counter.Elapsed) : TControlState{};
  TCamera* player = Player();
  if (!player) return;
  player->UpdateView();
  if (Letterbox && player->Motion) player->Behaviour7();
  TakeEye();
}

void TLevel::MissionFrame() {
  if (PassTimes) PassTimes->BeginFrame();
  Counter.Update();
  // The silhouettes are drawn into the frame buffer, so they go before the clear; they are
  // taken from where the eye was last frame.
  UpdateFrustum(ProjectionMatrix);
  RenderShadows();
  MarkPass(TPass::Shadows);
  ClearFrame();
  MarkPass(TPass::Clear);
  PairNearest();
  PlayerFlag = 0;
  UpdatePlayer();
  DrawSky();
  UpdateFrustum(ProjectionMatrix);
  DrawTerrain();
  RunActors();
  MarkPass(TPass::Actors);
  RunEffects();
  MarkPass(TPass::Effects);
  DrawFlare();
  MarkPass(TPass::Flare);
  if (Letterbox)
    Hud->DrawLetterbox();
  else if (TCamera* player = Player())
    Hud->Draw(*this, *player);
  MarkPass(TPass::Hud);
  if (!HandleDeath()) return;
  UpdateMission();
  const bool pause = Controls.Pause;
  if (pause && !PauseHeld && Outcome == TOutcome::Running) Pause();
  PauseHeld = pause;
  Resumed = 0;
}

bool TLevel::HandleDeath() {
  TCamera* player = Player();
  if (!player || player->State != StateGone) return true;
  Lives = std::max(Lives - 1, 0);
  if (Lives > 0) {
    Hud->SetLives(Lives);
    Respawn(*player);
    return true;
  }
  Hud->SetLives(0);
  if (Fade <= 1.0f) {
    DrawFade(Fade);
    Fade += static_cast<float>(Counter.Elapsed) * FailureFadeRate;
    return true;
  }
  Fade = 1.0f;
  EndMission(TOutcome::Failure);
  return false;
}

// Back over the ground near where it fell, lifted clear of every actor it would overlap, facing
// as it started, the view swung in from one side.
void TLevel::Respawn(TCamera& player) {
  const float dx = static_cast<float>(Random(2 * RespawnScatter) - RespawnScatter);
  const float dy = static_cast<float>(Random(2 * RespawnScatter) - RespawnScatter);
  TVector p = player.Position + TVector{dx, dy, 0};
  const float ground = Surface->GroundHeight(p.x, p.y);
  p.z = ground + RespawnHeight;
  player.Position = p;
  for (const std::unique_ptr<TActor>& actor : Actors) {
    if (VectorLength(actor->Position - player.Position) < player.Radius + actor->Radius)
      player.Position.z += 2 * player.Radius + actor->Radius;
  }
  // Over high ground the lifts could leave the aircraft above its ceiling, where the controls
  // are taken away. It is held under the ceiling, and while that still overlaps an actor it
  // steps down instead, as long as the ground leaves room.
  const float ceiling = SkyHeight + RespawnCeiling - RespawnCeilingMargin;
  const float floor = ground + RespawnFloor;
  if (player.Position.z > ceiling && ceiling > floor) {
    player.Position.z = ceiling;
    bool moved = true;
    for (int32_t pass = 0; moved && pass < RespawnPasses; ++pass) {
      moved = false;
      for (const std::unique_ptr<TActor>& actor : Actors) {
        if (actor.get() == &player || player.Position.z <= floor) continue;
        if (VectorLength(actor->Position - player.Position) >= player.Radius + actor->Radius) continue;
        player.Position.z = std::max(floor, actor->Position.z - (2 * player.Radius + actor->Radius));
        moved = true;
      }
    }
  }
  player.PrevPosition = player.Position;
  player.Orientation = player.StartOrientation;
  TQuaternion conjugate, turn;
  QuatConjugate(player.Orientation, conjugate);
  QuatFromAxisAngle(0, 1, 0, (Random(2) == 0 ? -1.0f : 1.0f) * RespawnTurn, turn);
  QuatMultiply(turn, conjugate, player.ViewRotation);
  player.Life = player.MaxLife;
  player.State = StateAlive;
  player.Blast = 1.0f;
  player.Behaviour = &TActor::Live;
  player.ResetView();
}

void TLevel::Pause() {
  PauseShown = true;
  ShowCursor(true);
  StopAllSounds();
  GL.ClearColor(0, 0, 0, 1);
  Hud->ShowQuestion(true);
}

void TLevel::RequestPause() {
  if (PauseShown || Outcome != TOutcome::Running || !Hud) return;
  Pause();
}

void TLevel::PauseFrame() {
  Counter.Update();
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  LoadMenuView();
  DrawOverlay();
}

void TLevel::QuitYes() {
  if (!PauseShown) return;
  ShowCursor(false);
  EndMission(TOutcome::Quit);
}

void TLevel::QuitNo() {
  if (!PauseShown) return;
  PauseShown = false;
  MouseButtons = 0;
  Resumed = 1;
  ShowCursor(false);
  Hud->ShowQuestion(false);
  const TVector& fog = Settings.FogColour;
  GL.ClearColor(fog.x, fog.y, fog.z, 1);
  // Escape may still be down from the answer: it must be let go before it pauses again.
  PauseHeld = true;
}
