// LevelUnit.cpp — loading a mission's world and running its frame.
#include "levels/LevelUnit.h"

#include "actors/ActorUnit.h"
#include "actors/MissileUnit.h"
#include "actors/ShootUnit.h"
#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "levels/LevelHud.h"
#include "levels/MissionRoster.h"
#include "levels/MissionSettings.h"
#include "platform/GLTable.h"
#include "render/Atmosphere.h"
#include "render/LightUnit.h"
#include "render/ParticleUnit.h"
#include "render/SceneGlobals.h"
#include "render/ShadowUnit.h"
#include "render/Sky.h"
#include "render/Surface.h"
#include "render/TerrainLights.h"
#include "render/VSUnit.h"
#include "sound/SoundUnit.h"

#include <span>

namespace {

constexpr float Light0Ambient[4] = {0.8f, 0.8f, 0.8f, 1};
constexpr float Light0Diffuse[4] = {1, 1, 1, 1};
constexpr int32_t ParticleCapacity = 10000;
constexpr TVector ParticleGravity{0, 0, -0.01f};
constexpr char MissileMesh[] = "rocket";

}  // namespace

TLevel::TLevel(int32_t mission, const TLevelOptions& options)
    : Mission(mission), Settings(MissionSettings(mission)), Options(options) {
  ViewRange = Settings.ViewRange;
}

TLevel::~TLevel() {
  if (VertexPrograms) VertexPrograms->SetOwner({});
  Actors.clear();
  Missiles.reset();
  Shots.reset();
  Particles.reset();
  Lights.reset();
  LightGround.reset();
  Surface.reset();
  Sky.reset();
  Hud.reset();
  FreeAllAudio();
  // The cached meshes hold indices of the textures released here.
  ClearMeshCache();
  ReleaseLevelTextures();
}

void TLevel::LoadWorld() {
  VectorNormalize(Settings.LightDirection, LightDirection);
  Atmosphere = std::make_unique<TAtmosphere>();
  TAtmosphere::ScaleCoefficients(Settings.RayleighScale, Settings.MieScale);
  Atmosphere->Compute();

  GL.Lightfv(GL_LIGHT0, GL_AMBIENT, Light0Ambient);
  GL.Lightfv(GL_LIGHT0, GL_DIFFUSE, Light0Diffuse);
  GL.Enable(GL_LIGHT0);
  GL.Enable(GL_LIGHTING);

  FogStart = Settings.FogStart;
  FogEnd = Settings.FogEnd;
  FogColor[0] = Settings.FogColour.x;
  FogColor[1] = Settings.FogColour.y;
  FogColor[2] = Settings.FogColour.z;
  GL.ClearColor(FogColor[0], FogColor[1], FogColor[2], 1);
  GL.Fogfv(GL_FOG_COLOR, FogColor);
  GL.Fogi(GL_FOG_MODE, GL_LINEAR);
  GL.Hint(GL_FOG_HINT, GL_NICEST);
  if (VertexPrograms) VertexPrograms->SetFog(-1.0f / (FogEnd - FogStart), FogEnd / (FogEnd - FogStart));
  BumpMapping = Config.BumpMapping != 0 && BumpSupported && GL.ActiveTexture != nullptr;
  ApplyFog();

  LoadTerrain();
  SunVisible = Settings.SunVisible ? 1 : 0;
  // The player's ceiling, which the computer-flown aircraft also keep under.
  SkyHeight = Settings.SkyHeight;
  Sky = std::make_unique<TSky>(*Atmosphere, Settings.SkyPicture, Settings.SkyTexEnvMode);
  LoadPools();
  if (Options.Actors) PlaceActors();
}

void TLevel::LoadTerrain() {
  TSurfSettings surface;
  surface.TextureScale = Settings.TextureScale;
  surface.BumpMapping = BumpMapping;
  surface.TerrainFlag = Settings.TerrainFlag;
  surface.LightDirection = LightDirection;
  surface.LightSpaceMatrix = LightSpaceMatrix;
  surface.Progress = [this](float fraction) { ReportProgress(0.5f * fraction); };
  if (Settings.TerrainFlag) {
    TAtmosphere* atmosphere = Atmosphere.get();
    surface.Scatter = [atmosphere](const TVector& p, const TVector& eye, TVector& in, TVector& out) {
      atmosphere->Scatter(p, eye, in, out);
    };
  }
  if (VertexPrograms) {
    surface.BindBumpProgram = [] {
      TMatrix identity;
      MatrixIdentity(identity);
      VertexPrograms->BindBump(identity);
    };
    surface.UnbindBumpProgram = [] { VertexPrograms->Unbind(); };
  }
  TextureWrap = GL_CLAMP_TO_EDGE;
  Surface = std::make_unique<TSurf>(DataDir + Settings.Terrain, surface);
  TextureWrap = GL_REPEAT;
}

void TLevel::LoadPools() {
  Scene.FogStart = FogStart;
  Scene.FogEnd = FogEnd;
  Scene.Light0Ambient = {Light0Ambient[0], Light0Ambient[1], Light0Ambient[2], Light0Ambient[3]};
  LightGround = std::make_unique<TTerrainLightGround>(*Surface);
  Lights = std::make_unique<TLightBuffer>(LightGround.get());
  if (VertexPrograms) {
    VertexPrograms->SetOwner({Lights.get(), &CameraMatrix});
    Scene.Programs = VertexPrograms.get();
  }
  Particles = std::make_unique<TParticleSystem>(TParticleView{&CameraMatrix, &Frustum, FogColor}, ParticleCapacity,
                                                ParticleGravity);
  Shots = std::make_unique<TShootBuffer>(*this);
  Missiles = std::make_unique<TMissileBuffer>(*this, DataDir + MissileMesh);
}

void TLevel::PlaceActors() {
  const std::span<const TRosterEntry> roster = MissionRoster(Mission);
  const std::string name = "mission " + std::to_string(Mission) + " roster";
  ExpectedActors = static_cast<int32_t>(roster.size());
  Actors.reserve(roster.size());
  for (const TRosterEntry& entry : roster) Actors.push_back(CreateActor(*this, entry, name, Options.Dormancy));
}

// The meshes' fog switches the fog distances and source for their own draws and leaves them
// as the programs' fog coordinates want them, so the terrain's fog is set again every frame.
void TLevel::ApplyFog() const {
  // With the programs the fog coordinate arrives as the fog factor itself.
  const bool coordinates = BumpMapping && VertexPrograms;
  GL.Fogf(GL_FOG_START, coordinates ? 1.0f : FogStart);
  GL.Fogf(GL_FOG_END, coordinates ? 0.0f : FogEnd);
  GL.Fogi(GL_FOG_COORDINATE_SOURCE_EXT, coordinates ? GL_FOG_COORDINATE_EXT : GL_FRAGMENT_DEPTH_EXT);
}

void TLevel::RenderShadows() {
  ShadowsRendered = 0;
  if (!ShadowsOn()) return;
  const TShadowRenderSetup setup;
  for (const std::unique_ptr<TActor>& actor : Actors) {
    if (actor->State == StateGone || actor->Shadow.ShadowMode != ShadowDynamic) continue;
    if (VectorLength(actor->Position - EyePoint) >= DynamicShadowRange) continue;
    if (actor->RenderShadow()) ++ShadowsRendered;
  }
}

void TLevel::ClearFrame() const { GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT); }

// The sky is drawn behind the terrain rather than under it: it fills only the pixels the
// ground left empty, where drawing it first would fill the whole screen once more. The picture
// is the same, since the terrain is opaque and replaces whatever lies under it.
void TLevel::DrawSky() {
  const TMatrix& rotation = Eye ? Eye->ViewMatrix() : CameraMatrix;
  SkyView = SkyTransform(rotation, Surface->HeightScale * Settings.SkyHeight, EyePoint.z);
  SkyPending = true;
}

void TLevel::DrawSkyBehind() {
  if (!SkyPending) return;
  SkyPending = false;
  LoadModelView(SkyView);
  Sky->DrawSky(SkyView);
  if (SunVisible) Sky->DrawSun();
}

void TLevel::DrawTerrain() {
  LoadModelView(CameraMatrix);
  const float sun[4] = {LightDirection.x, LightDirection.y, LightDirection.z, 0};
  GL.Lightfv(GL_LIGHT0, GL_POSITION, sun);
  ApplyFog();
  // Every ground pixel marks the stencil, so the sky skips exactly what the ground covers
  // (depth alone cannot tell: the farthest ground rounds to the cleared depth).
  GL.Enable(GL_STENCIL_TEST);
  GL.StencilFunc(GL_ALWAYS, static_cast<GLint>(SkyStencilBit), SkyStencilBit);
  GL.StencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  // Without a driver nothing is seen, and the terrain's per-vertex colours (mission 2's
  // scattering above all) are work for the picture alone: headless runs skip them.
  if (!IsNullGL()) Surface->Draw(Frustum, EyePoint);
  GL.Disable(GL_STENCIL_TEST);
  MarkPass(TPass::Terrain);
  DrawSkyBehind();
  MarkPass(TPass::Sky);
  // The ground and sky are the frame's largest fill. Handed to the driver now, a software
  // rasteriser draws them while the actors run and are recorded, instead of idling until the
  // swap hands it the whole frame.
  GL.Flush();
  // What follows expects the camera's matrix, as the terrain left it.
  LoadModelView(CameraMatrix);
}

void TLevel::RunActor(TActor& actor) {
  if (actor.State == StateGone) return;
  if (VectorLength(actor.Position - EyePoint) >= ViewRange) {
    actor.LeftView();
    return;
  }
  if (actor.Behaviour) actor.RunBehaviour();
}

void TLevel::RunActors() {
  ++Frames;
  const int32_t elapsed = Counter.Elapsed;
  if (TimeStopped) Counter.Elapsed = 0;
  // The behaviours may not add actors, but index rather than iterate so that they may read the
  // array freely.
  for (int32_t i = 1; i < ActorCount(); ++i) RunActor(*Actors[static_cast<size_t>(i)]);
  if (!Actors.empty()) {
    TActor& player = *Actors.front();
    if (player.Behaviour && player.State != StateGone && !player.Motion) player.RunBehaviour();
  }
  Counter.Elapsed = elapsed;
}

// One fog rule for the whole frame: what is drawn after the terrain fades with distance as the
// terrain and the meshes do. A mesh's draw switches the fog off when it ends (the missiles'
// among them), so it is set again before each pool.
void TLevel::RunEffects() {
  Lights->SwapBuffers();
  EffectsFog();
  Shots->UpdateAndDraw();
  Missiles->UpdateAndDraw();
  EffectsFog();
  Particles->UpdateAndDraw();
  GL.Disable(GL_FOG);
}

// Fog by eye distance over the mission's range, whatever the terrain's own fog source is.
void TLevel::EffectsFog() const {
  GL.Enable(GL_FOG);
  GL.Fogf(GL_FOG_START, FogStart);
  GL.Fogf(GL_FOG_END, FogEnd);
  GL.Fogi(GL_FOG_COORDINATE_SOURCE_EXT, GL_FRAGMENT_DEPTH_EXT);
}

void TLevel::DrawFlare() {
  DrawSkyBehind();  // a frame without terrain still has its sky
  if (!SunVisible) return;
  LoadModelView(SkyView);
  Sky->DrawFlare(SkyView);
}

void TLevel::Frame() {
  if (PassTimes) PassTimes->BeginFrame();
  TakeEye();
  UpdateFrustum(ProjectionMatrix);
  // Without render to texture the silhouettes are drawn into the frame buffer, so they go
  // before the clear.
  RenderShadows();
  MarkPass(TPass::Shadows);
  ClearFrame();
  MarkPass(TPass::Clear);
  PairNearest();
  DrawSky();
  DrawTerrain();
  RunActors();
  MarkPass(TPass::Actors);
  RunEffects();
  MarkPass(TPass::Effects);
  DrawFlare();
  MarkPass(TPass::Flare);
}

void TLevel::MarkPass(TPass pass) const {
  if (PassTimes) PassTimes->Mark(pass);
}

TLevel::TCensus TLevel::Census() const {
  TCensus census;
  for (const std::unique_ptr<TActor>& actor : Actors) {
    if (actor->State == StateAlive) ++census.Alive;
    else if (actor->State == StateDying) ++census.Dying;
    else ++census.Gone;
  }
  return census;
}
