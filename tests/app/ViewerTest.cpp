// ViewerTest.cpp — the viewer's camera convention and a whole offscreen view of a mission.
#include "app/Program.h"
#include "app/ViewerScreen.h"
#include "core/PngFile.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

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
