// ViewerScreen.cpp — loading a mission's world and flying over it.
#include "app/ViewerScreen.h"

#include "actors/ActorUnit.h"
#include "app/ViewerExplosion.h"
#include "app/ViewerFlight.h"
#include "core/Globals.h"
#include "core/RenderHandler.h"
#include "core/UserFiles.h"
#include "levels/LevelUnit.h"
#include "levels/MissionRoster.h"
#include "platform/Clock.h"
#include "platform/GLTable.h"
#include "platform/Input.h"
#include "render/Surface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>

namespace {

constexpr float TurnRate = 0.06f;     // degrees per millisecond with the arrow keys
constexpr float MouseTurn = 0.15f;    // degrees per pixel of mouse motion
constexpr float FlySpeed = 0.4f;      // units per millisecond with W and S
constexpr float PitchLimit = 89.0f;
constexpr float ExplosionDistance = 150.0f;  // ahead of the eye

bool Down(int vk) { return (GetKeyState(vk) & KeyDownBit) != 0; }

// The view's forward axis in world space is the third row of its rotation, negated.
TVector Forward(const TMatrix& rotation) { return {-rotation[2], -rotation[6], -rotation[10]}; }

double SecondsBetween(int64_t start, int64_t end) {
  int64_t frequency = 0;
  if (!SystemClock().QueryFrequency(frequency) || frequency <= 0) return 0;
  return static_cast<double>(end - start) / static_cast<double>(frequency);
}

double SecondsSince(int64_t start) { return SecondsBetween(start, SystemClock().QueryCounter()); }

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
    : Mission(mission), Options(options), Screenshot(std::move(screenshot)) {
  if (Options.Camera) Camera = *Options.Camera;
  if (Options.Cinematic) Options.Live = true;
}

TViewerScreen::~TViewerScreen() {
  if (OnRender.IsBoundTo(this)) OnRender = {};
  if (Options.Report && Level) {
    std::printf("%s\n", WorldLine().c_str());
    std::fflush(stdout);
  }
  if (Options.PassTimes && PassTimes.Frames > 0) {
    std::printf("%s", PassTimes.Table().c_str());
    std::fflush(stdout);
  }
  Explosion.reset();
  Level.reset();
}

void TViewerScreen::Start() {
  TLevelOptions level;
  level.Actors = Options.Actors;
  level.Dormancy = Options.WakeAll ? TDormancy::WakeAll : TDormancy::AsRostered;
  Level = std::make_unique<TLevel>(Mission, level);
  if (Options.PassTimes) Level->PassTimes = &PassTimes;
  Level->Eye = this;
  Level->LoadWorld();
  Level->TimeStopped = !Options.Live;
  // The viewer has no pilot for the player's aircraft: in a live world it would fly on into the
  // first hill, so it stays out of the world; still, it waits at its start. Its recorded path
  // is the viewer's own camera's to fly, and no sight is drawn for it.
  if (!Level->Actors.empty()) {
    TActor& player = *Level->Actors.front();
    player.Motion = nullptr;
    if (Options.Live) player.State = StateGone;
  }
  Level->Letterbox = 1;
  Explosion = std::make_unique<TViewerExplosion>();
  if (!Options.Camera)
    Camera.Eye.z = std::max(Camera.Eye.z, Level->Surface->GroundHeight(Camera.Eye.x, Camera.Eye.y) + 150);
  if (Options.Cinematic) StartCinematic();
  ShowCursor(false);
  SetCursorPos(ScreenWidth / 2, ScreenHeight / 2);
  RestartCounter();
  OnRender = TRenderHandler::Bind<&TViewerScreen::Frame>(this);
}

std::string TViewerScreen::WorldLine() const {
  if (!Level) return "world frame=0 alive=0 dying=0 gone=0 shots=0 missiles=0";
  const TLevel::TCensus census = Level->Census();
  char line[160];
  std::snprintf(line, sizeof line, "world frame=%lld alive=%d dying=%d gone=%d shots=%lld missiles=%lld",
                static_cast<long long>(Level->Frames), census.Alive, census.Dying, census.Gone,
                static_cast<long long>(Level->ShotsMade), static_cast<long long>(Level->MissilesMade));
  return line;
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
  const int64_t now = SystemClock().QueryCounter();
  if (FlightFrames == 0) FlightStart = now;
  else FlightRate.AddFrame(1000.0 * SecondsBetween(LastFlightFrame, now));
  LastFlightFrame = now;
  Camera = FlightCamera(Flown, *Level->Surface);
  ++FlightFrames;
  Flown += Counter.Elapsed;
}

void TViewerScreen::EndFlight() {
  if (Options.FlightMs <= 0 || Flown < Options.FlightMs) return;
  // A software driver may still be drawing frames it was handed: they count too.
  GL.Finish();
  const double seconds = SecondsSince(FlightStart);
  std::printf("flight: mission %d, %lld frames in %.2f s, %.1f fps, slowest second %d frames\n", Mission,
              static_cast<long long>(FlightFrames), seconds, seconds > 0 ? static_cast<double>(FlightFrames) / seconds : 0.0,
              FlightRate.SlowestSecond);
  std::fflush(stdout);
  CloseGameWindow();
}

void TViewerScreen::Frame() {
  Counter.Update();
  if (Options.FlightMs > 0)
    Fly();
  else if (!FollowCameraPath())
    Steer(Counter.Elapsed);
  CameraMatrices(Camera, Rotation, View);
  DrawWorld();
  HandleKeys();
  EndFlight();
}

// The level's frame, with the test explosion's particles and light among the actors' effects.
void TViewerScreen::DrawWorld() {
  TLevel& level = *Level;
  // The terrain and the sky mark their own passes.
  const auto mark = [this](TPass pass) {
    if (Options.PassTimes) PassTimes.Mark(pass);
  };
  if (Options.PassTimes) PassTimes.BeginFrame();
  level.TakeEye();
  level.UpdateFrustum(ProjectionMatrix);
  // The silhouettes are drawn into the frame buffer, so they go before the clear.
  level.RenderShadows();
  mark(TPass::Shadows);
  level.ClearFrame();
  mark(TPass::Clear);
  level.PairNearest();
  level.DrawSky();
  level.DrawTerrain();
  level.RunActors();
  Explode();
  Explosion->Frame(*level.Particles, *level.Lights, level.Frustum);
  mark(TPass::Actors);
  level.RunEffects();
  mark(TPass::Effects);
  level.DrawFlare();
  mark(TPass::Flare);
}

void TViewerScreen::Explode() {
  const bool x = Down(VK::X);
  if (x && !XHeld) Explosion->Start(Camera.Eye + Forward(View) * ExplosionDistance);
  XHeld = x;
}

void TViewerScreen::HandleKeys() {
  const bool f12 = Down(VK::F12);
  if (f12 && !F12Held && Screenshot) Screenshot(NextScreenshotPath());
  F12Held = f12;
  if (Down(VK::Escape)) CloseGameWindow();
}
