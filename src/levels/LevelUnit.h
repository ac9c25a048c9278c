// LevelUnit.h — TLevel: everything that lives for one mission (atmosphere, sky, terrain, the
// pools and the actors of its roster), loaded in one place, run in the frame order the actors
// rely on and freed in one place. The viewer, the missions and the benchmarks all run worlds
// through it.
//
// The frame order (each a member, so a screen can put its own steps between them):
//   TakeEye + UpdateFrustum   the eye of this frame and its frustum
//   RenderShadows             dynamic shadows near the eye, before the frame is cleared
//   ClearFrame, PairNearest
//   DrawSky, DrawTerrain      the sky is drawn behind the terrain, at the end of DrawTerrain
//   RunActors                 every actor within ViewRange of the eye, then the player
//   RunEffects                lights, shots, missiles, particles
//   DrawFlare
#pragma once

#include "actors/ActorFactory.h"
#include "actors/ActorWorld.h"
#include "levels/LevelHud.h"
#include "levels/PassTimes.h"

#include <cstdint>
#include <memory>

class TAirCraft;
class TAtmosphere;
class TCamera;
class TLevelHud;
class TSky;
class TTerrainLightGround;
struct TMissionSettings;

// Every mission's success veil thickens at this rate (of Fade per ms): five seconds to black.
constexpr float EndingFadeRate = 0.0002f;
// The phases every mission ends in.
constexpr int32_t PhaseSuccess = 7, PhaseFailure = 8;

// A cinematic's still shot: where the player's aircraft is put and how it faces, where the eye
// stands and how it looks (angles as QuatFromEuler takes them), and the view preset.
struct TCinematicShot {
  TVector PlayerPosition;
  TVector PlayerAngles;
  TVector Eye;
  TVector ViewAngles;
  uint8_t CameraMode;
};

// How a mission stands; the screen that runs it reads this after every frame and hands over
// once it is no longer Running (the level never frees itself).
enum class TOutcome : uint8_t { Running, Success, Failure, Quit };


struct TLevelOptions {
  bool Actors = true;  // false: the world alone, without the roster
  TDormancy Dormancy = TDormancy::AsRostered;
};

class TLevel : public TWorld {
public:
  // Mission 1..5 (clamped).
  explicit TLevel(int32_t mission, const TLevelOptions& options = {});
  // Frees the actors, pools, terrain and sky, every texture but entry 0, the cached meshes and
  // all audio.
  ~TLevel() override;

  // Loads the atmosphere, light, fog, terrain, sky and pools, then PlaceActors. Throws TFileError
  // naming the file (and line) that stopped it; the level is then only fit to be freed.
  void LoadWorld();
  // Creates the mission's actors, the player first. The roster's rows in index order.
  virtual void PlaceActors();

  void RenderShadows();
  void ClearFrame() const;
  void DrawSky();
  void DrawTerrain();
  void DrawSkyBehind();  // the sky DrawSky took, if not yet drawn
  void RunActors();
  void RunEffects();
  void DrawFlare();
  // Every step above in order, for screens with nothing of their own between them.
  void Frame();

  // The mission's slots. LoadLevel loads the world, the HUD, the radar map and the music, places
  // the actors and starts the music; UpdateMission runs the phases once a frame.
  virtual void LoadLevel();
  virtual void UpdateMission() {}

  // The running mission's frame and the pause question's, as their screen's frame function.
  void MissionFrame();
  void PauseFrame();
  // The pause question's answers.
  void QuitYes();
  void QuitNo();
  bool Paused() const { return PauseShown; }
  // The pause question from outside the controls (the window lost focus): shown when a mission
  // runs, no question shows yet and the HUD exists; otherwise nothing happens.
  void RequestPause();

  // The player's aircraft (actor 0), or null before it is placed or in a world without one.
  TCamera* Player() const;
  // round(ShotsHit x 100 / ShotsFired), half to even; 0 when nothing was fired.
  int32_t Accuracy() const;
  // Ends the mission with that outcome after this frame.
  void EndMission(TOutcome outcome);
  // A black veil over the whole screen.
  void DrawFade(float alpha) const;
  void MissilesChanged() override;

  // Counts of the actors by state, for statistics lines and checks.
  struct TCensus {
    int32_t Alive = 0, Dying = 0, Gone = 0;
  };
  TCensus Census() const;

  int32_t Mission;
  const TMissionSettings& Settings;
  TLevelOptions Options;
  std::unique_ptr<TAtmosphere> Atmosphere;
  std::unique_ptr<TSky> Sky;
  std::unique_ptr<TTerrainLightGround> LightGround;
  TMatrix SkyView{};  // the sky transform of this frame
  bool SkyPending = false;  // DrawSky ran; the sky goes in behind what DrawTerrain draws
  // The viewer's still world: actors are drawn as they stand, their clock stopped, while
  // effects still play.
  bool TimeStopped = false;
  float FogColor[4] = {0, 0, 0, 1};  // the mission's, also the clear colour
  int64_t Frames = 0;  // frames run through RunActors
  int32_t ShadowsRendered = 0;  // dynamic shadows rendered by the last RenderShadows

  // The mission's state.
  TControlSource* Input = nullptr;  // where the player's controls come from
  TPassTimes* PassTimes = nullptr;  // measurement runs: every pass of every frame timed
  std::unique_ptr<TLevelHud> Hud;
  TQuestionTexts QuestionTexts;  // the pause question's, in the player's language
  int32_t Phase = 0;
  int32_t Lives = 4;
  float Fade = 1.0f;
  TVector ObjectivePoint{};
  float ObjectiveRadius = 300.0f;
  uint8_t ShowObjective = 0;
  int32_t RadarTexture = 0;
  int32_t MusicHandle = -1;
  TOutcome Outcome = TOutcome::Running;
  uint8_t MissionSuccess = 0;
  int32_t ShotAccuracy = 0;

protected:
  // What the missions' phase machines share.
  // The opening's veil, drawn and lifted at rate (of Fade per ms), then held at 0.
  void FadeIn(float rate);
  // The ending's veil, drawn and thickened at rate; once black the mission ends with outcome.
  void EndingFade(TOutcome outcome, float rate);
  // The opening's end: the bars go, the chase view, and the player is put under control
  // through the level's loss-of-life handling (which takes one life).
  void HandOver();
  // The opening view, set before the first frame: the eye and its rotation.
  void SetOpeningView(const TVector& eye, const TVector& viewAngles);
  // Letterbox on and the shot's aircraft, eye and view.
  void StartCinematic(const TCinematicShot& shot);
  // The failure cinematic: the player holds still at the falling actor, the camera rides it
  // looking along it, and every sound is asked to stop.
  void ShowFalling(const TActor& falling);
  // Whether an objective group has no member left that has not finished dying.
  bool GroupCleared(int32_t group) const;
  // Actors[index] as an aircraft; null for an index out of range or an actor of another class.
  TAirCraft* AirCraftAt(int32_t index) const;

  // The player's death: a life less, then a respawn or the failure fade. False when the frame
  // ends here (the failure has been decided).
  bool HandleDeath();
  void Respawn(TCamera& player);
  void Pause();

private:
  void LoadTerrain();
  void LoadPools();
  void ApplyFog() const;
  void MarkPass(TPass pass) const;
  void EffectsFog() const;
  void RunActor(TActor& actor);
  void UpdatePlayer();

  bool PauseShown = false;
  bool PauseHeld = true;  // a key still held from the screen before does not pause at once
};
