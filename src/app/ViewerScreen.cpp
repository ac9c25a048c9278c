// ViewerScreen.cpp — loading a mission's world and flying over it.
#include "app/ViewerScreen.h"

#include "app/ViewerActors.h"
#include "app/ViewerExplosion.h"
#include "app/ViewerFlight.h"
#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/RenderHandler.h"
#include "core/Texture.h"
#include "levels/MissionRoster.h"
#include "levels/MissionSettings.h"
#include "platform/Clock.h"
#include "platform/GLTable.h"
#include "platform/Input.h"
#include "render/Atmosphere.h"
#include "render/LightUnit.h"
#include "render/ParticleUnit.h"
#include "render/SceneGlobals.h"
#include "render/Sky.h"
#include "render/Surface.h"
#include "render/TerrainLights.h"
#include "render/VSUnit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>

namespace {

constexpr float TurnRate = 0.06f;     // degrees per millisecond with the arrow keys
constexpr float MouseTurn = 0.15f;    // degrees per pixel of mouse motion
constexpr float FlySpeed = 0.4f;      // units per millisecond with W and S
constexpr float PitchLimit = 89.0f;
constexpr float Light0Ambient[4] = {0.8f, 0.8f, 0.8f, 1};
constexpr float Light0Diffuse[4] = {1, 1, 1, 1};
constexpr int32_t ParticleCapacity = 10000;  // as in the missions
constexpr TVector ParticleGravity{0, 0, -0.01f};
constexpr float ExplosionDistance = 150.0f;  // ahead of the eye

bool Down(int vk) { return (GetKeyState(vk) & KeyDownBit) != 0; }

// The view's forward axis in world space is the third row of its rotation, negated.
TVector Forward(const TMatrix& rotation) { return {-rotation[2], -rotation[6], -rotation[10]}; }

double SecondsSince(int64_t start) {
  TClockSource& clock = SystemClock();
  int64_t frequency = 0;
  if (!clock.QueryFrequency(frequency) || frequency <= 0) return 0;
  return static_cast<double>(clock.QueryCounter() - start) / static_cast<double>(frequency);
}

}  // namespace

void CameraMatrices(const TViewerCamera& camera, TMatrix& rotation, TMatrix& view) {
  // OpenGL looks along -z with y up; the world is z-up, so turn the world's +y into the view's
  // forward first, then yaw about the world's z and pitch about the view's x.
  MatrixIdentity(rotation);
  MatrixRotate(rotation, -camera.Pitch, 1, 0, 0);
  MatrixRotate(rotation, -90.0f, 1, 0, 0);
  MatrixRotate(rotation, camera.Yaw, 0, 0, 1);
  view = rotation;
  MatrixTranslate(view, -camera.Eye.x, -camera.Eye.y, -camera.Eye.z);
}

TViewerScreen::TViewerScreen(int32_t mission, const TViewerOptions& options, TScreenshot screenshot)
    : Mission(mission), Options(options), Settings(MissionSettings(mission)), Screenshot(std::move(screenshot)) {
  if (Options.Camera) Camera = *Options.Camera;
}

TViewerScreen::~TViewerScreen() {
  if (OnRender.IsBoundTo(this)) OnRender = {};
  if (VertexPrograms) VertexPrograms->SetOwner({});
  Explosion.reset();
  Actors.reset();
  Particles.reset();
  Lights.reset();
  LightGround.reset();
  Surface.reset();
  Sky.reset();
  // The cached meshes hold indices of the textures released here.
  ClearMeshCache();
  ReleaseLevelTextures();
}

void TViewerScreen::Start() {
  LoadWorld();
  if (Options.Cinematic) StartCinematic();
  ShowCursor(false);
  SetCursorPos(ScreenWidth / 2, ScreenHeight / 2);
  RestartCounter();
  OnRender = TRenderHandler::Bind<&TViewerScreen::Frame>(this);
}

void TViewerScreen::LoadWorld() {
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
  const float fog[4] = {Settings.FogColour.x, Settings.FogColour.y, Settings.FogColour.z, 1};
  GL.ClearColor(fog[0], fog[1], fog[2], 1);
  GL.Fogfv(GL_FOG_COLOR, fog);
  GL.Fogi(GL_FOG_MODE, GL_LINEAR);
  GL.Hint(GL_FOG_HINT, GL_NICEST);
  if (VertexPrograms) VertexPrograms->SetFog(-1.0f / (FogEnd - FogStart), FogEnd / (FogEnd - FogStart));
  BumpMapping = Config.BumpMapping != 0 && BumpSupported && GL.ActiveTexture != nullptr;
  ApplyFog();

  LoadTerrain();
  SunVisible = Settings.SunVisible ? 1 : 0;
  Sky = std::make_unique<TSky>(*Atmosphere, Settings.SkyPicture, Settings.SkyTexEnvMode);
  LoadScene();
  if (!Options.Camera) Camera.Eye.z = std::max(Camera.Eye.z, Surface->GroundHeight(Camera.Eye.x, Camera.Eye.y) + 150);
}

void TViewerScreen::LoadTerrain() {
  TSurfSettings surface;
  surface.TextureScale = Settings.TextureScale;
  surface.BumpMapping = BumpMapping;
  surface.TerrainFlag = Settings.TerrainFlag;
  surface.LightDirection = LightDirection;
  surface.LightSpaceMatrix = LightSpaceMatrix;
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

// The pools and the actors, as a mission creates them after its terrain and sky.
void TViewerScreen::LoadScene() {
  Scene.FogStart = FogStart;
  Scene.FogEnd = FogEnd;
  Scene.Light0Ambient = {Light0Ambient[0], Light0Ambient[1], Light0Ambient[2], Light0Ambient[3]};
  LightGround = std::make_unique<TTerrainLightGround>(*Surface);
  Lights = std::make_unique<TLightBuffer>(LightGround.get());
  if (VertexPrograms) {
    VertexPrograms->SetOwner({Lights.get(), &View});
    Scene.Programs = VertexPrograms.get();
  }
  Particles = std::make_unique<TParticleSystem>(TParticleView{&View, &Frustum}, ParticleCapacity, ParticleGravity);
  const std::span<const TRosterEntry> roster = Options.Actors ? MissionRoster(Mission) : std::span<const TRosterEntry>{};
  Actors = std::make_unique<TViewerActors>(roster, *Surface, DataDir, LightSpaceMatrix);
  Explosion = std::make_unique<TViewerExplosion>();
}

// The meshes' fog switches the fog distances and source for their own draws and leaves them
// as the programs' fog coordinates want them, so the terrain's fog is set again every frame.
void TViewerScreen::ApplyFog() const {
  // With the programs the fog coordinate arrives as the fog factor itself.
  const bool coordinates = BumpMapping && VertexPrograms;
  GL.Fogf(GL_FOG_START, coordinates ? 1.0f : FogStart);
  GL.Fogf(GL_FOG_END, coordinates ? 0.0f : FogEnd);
  GL.Fogi(GL_FOG_COORDINATE_SOURCE_EXT, coordinates ? GL_FOG_COORDINATE_EXT : GL_FRAGMENT_DEPTH_EXT);
}

void TViewerScreen::Steer(int32_t ms) {
  const float turn = TurnRate * static_cast<float>(ms);
  if (Down(VK::Left)) Camera.Yaw -= turn;
  if (Down(VK::Right)) Camera.Yaw += turn;
  if (Down(VK::Up)) Camera.Pitch += turn;
  if (Down(VK::Down)) Camera.Pitch -= turn;
  if (!CursorShown()) {
    int x = 0, y = 0;
    GetCursorPos(x, y);
    Camera.Yaw += MouseTurn * static_cast<float>(x - ScreenWidth / 2);
    Camera.Pitch -= MouseTurn * static_cast<float>(y - ScreenHeight / 2);
    SetCursorPos(ScreenWidth / 2, ScreenHeight / 2);
  }
  Camera.Pitch = std::clamp(Camera.Pitch, -PitchLimit, PitchLimit);
  const float step = FlySpeed * static_cast<float>(ms) * ((Down(VK::W) ? 1.0f : 0.0f) - (Down(VK::S) ? 1.0f : 0.0f));
  if (step == 0) return;
  TMatrix rotation, view;
  CameraMatrices(Camera, rotation, view);
  Camera.Eye += Forward(rotation) * step;
}

void TViewerScreen::StartCinematic() {
  constexpr int32_t SampleStep = 33;
  Actors->StartPaths();
  const std::span<const TRosterEntry> roster = MissionRoster(Mission);
  if (!Options.Actors || roster.empty() || !roster[0].Path) return;
  CameraPath.emplace();
  CameraPath->Load(roster[0].Path);
  CameraPath->Start(SampleStep, roster[0].PathOffset);
}

// While the opening sweep plays, the eye and the view come from it, as the player's scripted
// camera takes them; the free camera then carries on from its last pose.
bool TViewerScreen::FollowCameraPath() {
  if (!CameraPath) return false;
  const bool running = CameraPath->Update();
  TVector forward;
  TQuaternion conjugate;
  QuatConjugate(CameraPath->Rotation, conjugate);
  TMatrix turn;
  QuatToMatrix(conjugate, turn);
  MatrixRotateVector({0, 0, -1}, turn, forward);
  constexpr float Degrees = 57.2957795f;
  Camera.Eye = CameraPath->Position;
  Camera.Yaw = std::atan2(forward.x, forward.y) * Degrees;
  Camera.Pitch = std::asin(std::clamp(forward.z, -1.0f, 1.0f)) * Degrees;
  if (!running) CameraPath.reset();
  return true;
}

// The measurement flight: the camera follows the lap by game time; the frame rate is taken
// from the system counter, so a fixed step repeats the frames but still measures real speed.
void TViewerScreen::Fly() {
  if (FlightFrames == 0) FlightStart = SystemClock().QueryCounter();
  Camera = FlightCamera(Flown, *Surface);
  ++FlightFrames;
  Flown += Counter.Elapsed;
}

void TViewerScreen::EndFlight() {
  if (Options.FlightMs <= 0 || Flown < Options.FlightMs) return;
  // A software driver may still be drawing frames it was handed: they count too.
  GL.Finish();
  const double seconds = SecondsSince(FlightStart);
  std::printf("flight: mission %d, %lld frames in %.2f s, %.1f fps\n", Mission, static_cast<long long>(FlightFrames),
              seconds, seconds > 0 ? static_cast<double>(FlightFrames) / seconds : 0.0);
  std::fflush(stdout);
  CloseGameWindow();
}

void TViewerScreen::Frame() {
  Counter.Update();
  if (Options.FlightMs > 0)
    Fly();
  else if (!FollowCameraPath())
    Steer(Counter.Elapsed);
  Actors->FollowPaths();

  TMatrix rotation;
  CameraMatrices(Camera, rotation, View);
  Frustum.CalculateFrustum(ProjectionMatrix, View);
  // The silhouettes are drawn into the frame buffer, so they go before the clear.
  Actors->RenderShadows(Camera.Eye, Frustum);
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  const TMatrix sky = SkyTransform(rotation, Surface->HeightScale * Settings.SkyHeight, Camera.Eye.z);
  LoadModelView(sky);
  Sky->DrawSky();
  if (SunVisible) Sky->DrawSun();

  DrawWorld(sky);
  HandleKeys();
  EndFlight();
}

void TViewerScreen::DrawWorld(const TMatrix& sky) {
  LoadModelView(View);
  const float sun[4] = {LightDirection.x, LightDirection.y, LightDirection.z, 0};
  GL.Lightfv(GL_LIGHT0, GL_POSITION, sun);
  ApplyFog();
  Surface->Draw(Frustum, Camera.Eye);

  Actors->Draw({Frustum, Camera.Eye, Settings.ViewRange, BumpMapping, Scene, *Particles, *Lights});
  Explode();
  Explosion->Frame(*Particles, *Lights, Frustum);
  Lights->SwapBuffers();
  Particles->UpdateAndDraw();

  if (SunVisible) {
    LoadModelView(sky);
    Sky->DrawFlare(sky);
  }
}

void TViewerScreen::Explode() {
  const bool x = Down(VK::X);
  if (x && !XHeld) Explosion->Start(Camera.Eye + Forward(View) * ExplosionDistance);
  XHeld = x;
}

void TViewerScreen::HandleKeys() {
  const bool f12 = Down(VK::F12);
  if (f12 && !F12Held && Screenshot) Screenshot(AppDir + "viewer" + std::to_string(Mission) + "-" + std::to_string(++Shots) + ".png");
  F12Held = f12;
  if (Down(VK::Escape)) CloseGameWindow();
}
