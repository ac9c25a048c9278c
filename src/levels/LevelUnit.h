// LevelUnit.h — TLevel: everything that lives for one mission (atmosphere, sky, terrain, the
// pools and the actors of its roster), loaded in one place, run in the frame order the actors
// rely on and freed in one place. The viewer, the missions and the benchmarks all run worlds
// through it.
//
// The frame order (each a member, so a screen can put its own steps between them):
//   TakeEye + UpdateFrustum   the eye of this frame and its frustum
//   RenderShadows             dynamic shadows near the eye, before the frame is cleared
//   ClearFrame, PairNearest
//   DrawSky, DrawTerrain
//   RunActors                 every actor within ViewRange of the eye, then the player
//   RunEffects                lights, shots, missiles, particles
//   DrawFlare
#pragma once

#include "actors/ActorFactory.h"
#include "actors/ActorWorld.h"

#include <cstdint>
#include <memory>

class TAtmosphere;
class TSky;
class TTerrainLightGround;
struct TMissionSettings;


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
  void RunActors();
  void RunEffects();
  void DrawFlare();
  // Every step above in order, for screens with nothing of their own between them.
  void Frame();

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
  // The viewer's still world: actors are drawn as they stand, their clock stopped, while
  // effects still play.
  bool TimeStopped = false;
  int64_t Frames = 0;  // frames run through RunActors
  int32_t ShadowsRendered = 0;  // dynamic shadows rendered by the last RenderShadows

private:
  void LoadTerrain();
  void LoadPools();
  void ApplyFog() const;
  void RunActor(TActor& actor);
};
