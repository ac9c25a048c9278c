// ViewerScreen.cpp — loading a mission's world and flying over it.
#include "app/ViewerScreen.h"

#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/RenderHandler.h"
#include "core/Texture.h"
#include "levels/MissionSettings.h"
#include "platform/GLTable.h"
#include "platform/Input.h"
#include "render/Atmosphere.h"
#include "render/SceneGlobals.h"
#include "render/Sky.h"
#include "render/Surface.h"
#include "render/VSUnit.h"

#include <algorithm>

namespace {

constexpr float TurnRate = 0.06f;     // degrees per millisecond with the arrow keys
constexpr float MouseTurn = 0.15f;    // degrees per pixel of mouse motion
constexpr float FlySpeed = 0.4f;      // units per millisecond with W and S
constexpr float PitchLimit = 89.0f;
constexpr float Light0Ambient[4] = {0.8f, 0.8f, 0.8f, 1};
constexpr float Light0Diffuse[4] = {1, 1, 1, 1};

bool Down(int vk) { return (GetKeyState(vk) & KeyDownBit) != 0; }

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

TViewerScreen::TViewerScreen(int32_t mission, const TViewerCamera* camera, TScreenshot screenshot)
    : Mission(mission), CameraGiven(camera != nullptr), Settings(MissionSettings(mission)),
      Screenshot(std::move(screenshot)) {
  if (camera) Camera = *camera;
}

TViewerScreen::~TViewerScreen() {
  if (OnRender.IsBoundTo(this)) OnRender = {};
  Surface.reset();
  Sky.reset();
  ReleaseLevelTextures();
}

void TViewerScreen::Start() {
  LoadWorld();
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
  GL.Fogf(GL_FOG_START, FogStart);
  GL.Fogf(GL_FOG_END, FogEnd);
  GL.Hint(GL_FOG_HINT, GL_NICEST);
  if (VertexPrograms) VertexPrograms->SetFog(-1.0f / (FogEnd - FogStart), FogEnd / (FogEnd - FogStart));

  TSurfSettings surface;
  surface.TextureScale = Settings.TextureScale;
  surface.BumpMapping = Config.BumpMapping != 0 && BumpSupported && GL.ActiveTexture != nullptr;
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

  SunVisible = Settings.SunVisible ? 1 : 0;
  Sky = std::make_unique<TSky>(*Atmosphere, Settings.SkyPicture, Settings.SkyTexEnvMode);
  if (!CameraGiven) Camera.Eye.z = std::max(Camera.Eye.z, Surface->GroundHeight(Camera.Eye.x, Camera.Eye.y) + 150);
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
  // The view's forward axis in world space is the third row of the rotation, negated.
  const TVector forward{-rotation[2], -rotation[6], -rotation[10]};
  Camera.Eye += forward * step;
}

void TViewerScreen::Frame() {
  Counter.Update();
  Steer(Counter.Elapsed);

  TMatrix rotation, view;
  CameraMatrices(Camera, rotation, view);
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  const TMatrix sky = SkyTransform(rotation, Surface->HeightScale * Settings.SkyHeight, Camera.Eye.z);
  LoadModelView(sky);
  Sky->DrawSky();
  if (SunVisible) Sky->DrawSun();

  LoadModelView(view);
  const float sun[4] = {LightDirection.x, LightDirection.y, LightDirection.z, 0};
  GL.Lightfv(GL_LIGHT0, GL_POSITION, sun);
  Frustum.CalculateFrustum(ProjectionMatrix, view);
  Surface->Draw(Frustum, Camera.Eye);

  if (SunVisible) {
    LoadModelView(sky);
    Sky->DrawFlare(sky);
  }

  const bool f12 = Down(VK::F12);
  if (f12 && !F12Held && Screenshot) Screenshot(AppDir + "viewer" + std::to_string(Mission) + "-" + std::to_string(++Shots) + ".png");
  F12Held = f12;
  if (Down(VK::Escape)) CloseGameWindow();
}
