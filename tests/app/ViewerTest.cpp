// ViewerTest.cpp — the viewer's camera convention, whole offscreen views of a mission, and its
// roster's actors drawn where they stand.
#include "app/Program.h"
#include "actors/RosterPlacement.h"
#include "app/ViewerFlight.h"
#include "app/ViewerScreen.h"
#include "core/Globals.h"
#include "core/PngFile.h"
#include "core/Texture.h"
#include "common/TempDir.h"
#include "levels/MissionRoster.h"
#include "levels/MissionSettings.h"
#include "platform/GLTable.h"
#include "platform/Input.h"
#include "render/Surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// The world direction the camera looks along: the view's -z axis taken back to the world.
TVector Forward(const TViewerCamera& camera) {
  TMatrix rotation, view;
  CameraMatrices(camera, rotation, view);
  return {-rotation[2], -rotation[6], -rotation[10]};
}

void ExpectDirection(const TVector& actual, const TVector& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-5f);
  EXPECT_NEAR(actual.y, expected.y, 1e-5f);
  EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

TEST(ViewerCamera, YawZeroLooksAlongYAndGrowsTowardX) {
  ExpectDirection(Forward({{0, 0, 0}, 0, 0}), {0, 1, 0});
  ExpectDirection(Forward({{0, 0, 0}, 90, 0}), {1, 0, 0});
  ExpectDirection(Forward({{0, 0, 0}, 180, 0}), {0, -1, 0});
  const float s = std::sqrt(0.5f);
  ExpectDirection(Forward({{0, 0, 0}, 0, -45}), {0, s, -s});  // negative pitch looks down
}

TEST(ViewerCamera, TheEyeSitsAtTheViewsOrigin) {
  const TViewerCamera camera{{100, 200, 300}, 30, -20};
  TMatrix rotation, view;
  CameraMatrices(camera, rotation, view);
  TVector eye;
  MatrixTransformPoint(camera.Eye, view, eye);
  ExpectDirection(eye, {0, 0, 0});
  // Up in the view stays up in the world when the camera is level.
  CameraMatrices({{0, 0, 0}, 30, 0}, rotation, view);
  ExpectDirection({rotation[1], rotation[5], rotation[9]}, {0, 0, 1});
}

TEST(Viewer, OffscreenViewOfMissionOneShowsSkyAboveAndGroundBelow) {
  if (!std::filesystem::exists(std::string(QUINTARA_GAME_DIR) + "/Data/lev1.srf")) GTEST_SKIP() << "no terrain forged";
  TTempDir dir;
  const std::string shot = dir / "viewer.png";
  const char* args[] = {"quintara", "--offscreen", "--viewer", "1", "--camera", "2200,800,420,0,-12",
                        "--windowed", "320x240", "--frames", "3", "--fixed-step", "16",
                        "--screenshot", shot.c_str(), "--dir", QUINTARA_GAME_DIR};
  ASSERT_EQ(RunProgram(static_cast<int>(std::size(args)), args), 0);
  TRgbaImage image = ReadPng(shot);
  ASSERT_EQ(image.Width, 320);
  auto pixel = [&](int x, int y) { return &image.Pixels[(static_cast<size_t>(y) * image.Width + x) * 4]; };
  // Something other than the clear colour is drawn both at the top and the bottom, and they differ.
  const uint8_t* top = pixel(160, 5);
  const uint8_t* bottom = pixel(160, 234);
  const int difference = std::abs(top[0] - bottom[0]) + std::abs(top[1] - bottom[1]) + std::abs(top[2] - bottom[2]);
  EXPECT_GT(difference, 30);
}

constexpr int ShotWidth = 320, ShotHeight = 240;

std::string CameraText(const TViewerCamera& c) {
  return std::to_string(c.Eye.x) + "," + std::to_string(c.Eye.y) + "," + std::to_string(c.Eye.z) + "," +
         std::to_string(c.Yaw) + "," + std::to_string(c.Pitch);
}

TRgbaImage Render(int mission, const TViewerCamera& camera, bool actors, bool shadows = true) {
  TTempDir dir;
  const std::string shot = dir / "view.png", where = CameraText(camera), which = std::to_string(mission);
  std::vector<const char*> args = {"quintara", "--offscreen", "--viewer", which.c_str(), "--camera", where.c_str(),
                                   "--windowed", "320x240", "--frames", "3", "--fixed-step", "16",
                                   "--screenshot", shot.c_str(), "--dir", QUINTARA_GAME_DIR};
  if (!actors) args.push_back("--no-actors");
  if (!shadows) args.push_back("--no-shadows");
  EXPECT_EQ(RunProgram(static_cast<int>(args.size()), args.data()), 0);
  return ReadPng(shot);
}

// A camera at eye turned to look straight at target.
TViewerCamera LookAt(const TVector& eye, const TVector& target) {
  const TVector d = target - eye;
  constexpr float degrees = 180.0f / std::numbers::pi_v<float>;
  return {eye, std::atan2(d.x, d.y) * degrees, std::atan2(d.z, std::hypot(d.x, d.y)) * degrees};
}

// Pixels within `half` of (x, y), image rows counted from the top, that differ between a and b.
int DifferingAround(const TRgbaImage& a, const TRgbaImage& b, int x, int y, int half) {
  int count = 0;
  for (int row = std::max(0, y - half); row <= std::min(a.Height - 1, y + half); ++row)
    for (int column = std::max(0, x - half); column <= std::min(a.Width - 1, x + half); ++column) {
      const size_t i = (static_cast<size_t>(row) * a.Width + column) * 4;
      const int d = std::abs(a.Pixels[i] - b.Pixels[i]) + std::abs(a.Pixels[i + 1] - b.Pixels[i + 1]) +
                    std::abs(a.Pixels[i + 2] - b.Pixels[i + 2]);
      if (d > 24) ++count;
    }
  return count;
}

const TRosterEntry& FirstOf(int mission, TActorClass cls) {
  for (const TRosterEntry& e : MissionRoster(mission))
    if (e.Class == cls) return e;
  throw std::runtime_error("no such actor");
}

// Renders the mission with and without its actors from eye looking at target, and checks that
// the actor drawn at target changes the picture there and nowhere near the corners.
void ExpectActorAt(int mission, const TVector& eye, const TVector& target) {
  const TViewerCamera camera = LookAt(eye, target);
  const TRgbaImage with = Render(mission, camera, true);
  const TRgbaImage without = Render(mission, camera, false);
  ASSERT_EQ(with.Width, ShotWidth);
  ASSERT_EQ(without.Width, ShotWidth);
  // The target is on the line of sight: the middle of the picture.
  EXPECT_GT(DifferingAround(with, without, ShotWidth / 2, ShotHeight / 2, 4), 40);
  for (const auto& [x, y] : {std::pair{4, 4}, {ShotWidth - 5, 4}})
    EXPECT_EQ(DifferingAround(with, without, x, y, 3), 0) << x << "," << y;
}

TEST(ViewerActors, ABalloonHangsInTheSkyWhereItsRosterPutsIt) {
  if (!std::filesystem::exists(std::string(QUINTARA_GAME_DIR) + "/Data/bad4.msh")) GTEST_SKIP() << "no models forged";
  const TVector balloon = FirstOf(3, TActorClass::Baloon).Position;
  // From below and to the south, so the sky is behind it.
  ExpectActorAt(3, balloon + TVector{0, -260, -60}, balloon);
}

TEST(ViewerActors, ABuildingStandsOnTheGroundUnderItsRosterPosition) {
  if (!std::filesystem::exists(std::string(QUINTARA_GAME_DIR) + "/Data/lev1.srf")) GTEST_SKIP() << "no terrain forged";
  const TRosterEntry& building = FirstOf(1, TActorClass::Building);
  LoadNullGLTable();
  SetAppDir(QUINTARA_GAME_DIR);
  const TVector base = PlaceOnGround(building, TSurf(DataDir + MissionSettings(1).Terrain, TSurfSettings{})).Position;
  ClearTextureCache();
  // From low down to the south, so that the building's walls stand against the haze.
  ExpectActorAt(1, base + TVector{0, -220, 40}, base + TVector{0, 0, 15});
}

// Pixels within `half` of (x, y) that are darker in a than in b, and pixels anywhere brighter.
struct TDarkening {
  int Darker = 0;
  int Brighter = 0;
};
TDarkening Darkening(const TRgbaImage& a, const TRgbaImage& b, int x, int y, int half) {
  TDarkening d;
  for (int row = 0; row < a.Height; ++row)
    for (int column = 0; column < a.Width; ++column) {
      const size_t i = (static_cast<size_t>(row) * a.Width + column) * 4;
      const int change =
          (a.Pixels[i] + a.Pixels[i + 1] + a.Pixels[i + 2]) - (b.Pixels[i] + b.Pixels[i + 1] + b.Pixels[i + 2]);
      if (change > 24) ++d.Brighter;
      if (change < -24 && std::abs(row - y) <= half && std::abs(column - x) <= half) ++d.Darker;
    }
  return d;
}

// Where the entry stands on its mission's terrain, found on the null table.
TVector StandingPoint(int mission, const TRosterEntry& entry) {
  LoadNullGLTable();
  SetAppDir(QUINTARA_GAME_DIR);
  const TVector at = PlaceOnGround(entry, TSurf(DataDir + MissionSettings(mission).Terrain, TSurfSettings{})).Position;
  ClearTextureCache();
  return at;
}

// A parked aircraft's static shadow (its engine is off) and a standing one's dynamic shadow,
// seen from above and to the south: with shadows the ground under it is darker, and nothing
// anywhere is brighter (the silhouettes drawn before the frame never show).
TEST(ViewerActors, AnAircraftOnTheGroundDarkensTheGroundUnderIt) {
  if (!std::filesystem::exists(std::string(QUINTARA_GAME_DIR) + "/Data/bad1.msh")) GTEST_SKIP() << "no models forged";
  for (const auto& [mission, engineOn] : {std::pair{2, false}, {4, true}}) {
    const auto roster = MissionRoster(mission);
    const auto parked = std::find_if(roster.begin(), roster.end(), [engineOn](const TRosterEntry& e) {
      return e.Class == TActorClass::AirCraft && e.Speed == 0 && e.EngineOn == engineOn;
    });
    ASSERT_NE(parked, roster.end()) << mission;
    const TVector at = StandingPoint(mission, *parked);
    const TViewerCamera camera = LookAt(at + TVector{0, -70, 90}, at);
    const TRgbaImage with = Render(mission, camera, true);
    const TRgbaImage without = Render(mission, camera, true, false);
    ASSERT_EQ(with.Width, ShotWidth);
    ASSERT_EQ(without.Width, ShotWidth);
    const TDarkening d = Darkening(with, without, ShotWidth / 2, ShotHeight / 2, 30);
    EXPECT_GT(d.Darker, 60) << mission;
    EXPECT_EQ(d.Brighter, 0) << mission;
  }
}

TEST(ViewerActors, XSetsOffAnExplosionAheadOfTheCamera) {
  if (!std::filesystem::exists(std::string(QUINTARA_GAME_DIR) + "/textures/exp.str")) GTEST_SKIP() << "no textures forged";
  const TViewerCamera camera{{2200, 600, 420}, 0, 10};  // looking a little up, at the sky
  const TRgbaImage quiet = Render(1, camera, false);
  TScriptedInput keys;
  keys.Press(VK::X);
  SetInputSource(&keys);
  const TRgbaImage blast = Render(1, camera, false);
  SetInputSource(nullptr);
  EXPECT_GT(DifferingAround(quiet, blast, ShotWidth / 2, ShotHeight / 2, 6), 100);
  EXPECT_EQ(DifferingAround(quiet, blast, 4, 4, 3), 0);
}

TEST(ViewerFlight, AFixedStepFliesTheSameFramesEveryTime) {
  if (!std::filesystem::exists(std::string(QUINTARA_GAME_DIR) + "/Data/lev4.srf")) GTEST_SKIP() << "no terrain forged";
  for (int run = 0; run < 2; ++run) {
    const char* args[] = {"quintara", "--headless", "--viewer", "4", "--flight", "1000", "--fixed-step", "16",
                          "--dir", QUINTARA_GAME_DIR};
    testing::internal::CaptureStdout();
    ASSERT_EQ(RunProgram(static_cast<int>(std::size(args)), args), 0);
    const std::string printed = testing::internal::GetCapturedStdout();
    // 1000 ms in steps of 16: the frame that reaches the end is the 63rd.
    EXPECT_NE(printed.find("flight: mission 4, 63 frames in "), std::string::npos) << printed;
  }
}

TEST(ViewerFlight, TheLapStaysAboveTheGroundAndComesBackToItsStart) {
  if (!std::filesystem::exists(std::string(QUINTARA_GAME_DIR) + "/Data/lev3.srf")) GTEST_SKIP() << "no terrain forged";
  LoadNullGLTable();
  SetAppDir(QUINTARA_GAME_DIR);
  const TSurf surface(DataDir + MissionSettings(3).Terrain, TSurfSettings{});
  ClearTextureCache();
  for (int64_t ms = 0; ms < FlightLapMs; ms += 500) {
    const TViewerCamera c = FlightCamera(ms, surface);
    EXPECT_GT(c.Eye.z, surface.GroundHeight(c.Eye.x, c.Eye.y) + 100) << ms;
  }
  const TViewerCamera start = FlightCamera(0, surface), lap = FlightCamera(FlightLapMs, surface);
  EXPECT_EQ(start.Eye, lap.Eye);
}

}  // namespace

namespace {

TEST(Viewer, EveryMissionLoadsWithAndWithoutVertexPrograms) {
  if (!std::filesystem::exists(std::string(QUINTARA_GAME_DIR) + "/Data/lev5.srf")) GTEST_SKIP() << "no terrain forged";
  for (const char* mission : {"1", "2", "3", "4", "5"})
    for (const char* programs : {"--no-vsync", "--no-vertex-programs"}) {
      const char* args[] = {"quintara", "--offscreen", programs, "--viewer", mission, "--windowed", "160x120",
                            "--frames", "2", "--fixed-step", "16", "--dir", QUINTARA_GAME_DIR};
      EXPECT_EQ(RunProgram(static_cast<int>(std::size(args)), args), 0) << mission << " " << programs;
    }
}

}  // namespace
