// LevelPixelTest.cpp — the level's frame on a real offscreen Mesa context: effects fade into
// the mission's fog with distance as the terrain and the meshes do (an additive flash to
// nothing, smoke to the fog's colour), and a gun's tracer shows where it flies.
#include "levels/LevelUnit.h"

#include "actors/ShootUnit.h"
#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/MotionUnit.h"
#include "core/Texture.h"
#include "levels/MissionSettings.h"
#include "platform/GLTable.h"
#include "platform/Window.h"
#include "render/ParticleUnit.h"
#include "sound/SoundUnit.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr int Width = 160, Height = 120;

// Looking north (+y) level from high over mission 1's map, the sky all around the centre.
class TNorthEye final : public TEye {
public:
  TNorthEye() {
    MatrixIdentity(Rotation);
    MatrixRotate(Rotation, -90.0f, 1, 0, 0);
    View = Rotation;
    MatrixTranslate(View, -Point.x, -Point.y, -Point.z);
  }
  TVector EyePoint() const override { return Point; }
  const TMatrix& CameraMatrix() const override { return View; }
  const TMatrix& ViewMatrix() const override { return Rotation; }
  void SetShake(const TVector&) override {}

  TVector Point{2200, 1000, 1500};
  TMatrix Rotation{}, View{};
};

class LevelPixels : public ::testing::Test {
protected:
  void SetUp() override {
    SetAppDir(QUINTARA_GAME_DIR);
    if (!std::filesystem::exists(DataDir + "lev1.srf")) GTEST_SKIP() << "no data forged";
    std::string error;
    ASSERT_TRUE(StartVideo(error)) << error;
    ASSERT_TRUE(Window.Create("level test", Width, Height, error)) << error;
    ASSERT_TRUE(LoadGLTable(&TWindow::GetProcAddress, error)) << error;
    DetectCapabilities(reinterpret_cast<const char*>(GL.GetString(GL_EXTENSIONS)), &GetGLProcAddress);
    VertexProgramSupported = false;
    SavedConfig = Config;
    Config = DefaultConfig();
    Config.Shadows = 0;
    ScreenWidth = Width;
    ScreenHeight = Height;
    GL.Viewport(0, 0, Width, Height);
    MatrixPerspective(45.0f, static_cast<float>(Width) / Height, 0.1f, FarPlane, ProjectionMatrix);
    GL.MatrixMode(GL_PROJECTION);
    GL.LoadMatrixf(ProjectionMatrix.data());
    GL.MatrixMode(GL_MODELVIEW);
    GL.Enable(GL_DEPTH_TEST);
    GL.Enable(GL_TEXTURE_2D);
    GL.Enable(GL_CULL_FACE);
    Level = std::make_unique<TLevel>(1, TLevelOptions{false});
    Level->Eye = &Eye;
    Level->LoadWorld();
    Flash = LoadTexture("star.cna");
    Smoke = LoadTexture("smoke.cna");
  }
  void TearDown() override {
    Level.reset();
    FreeAllAudio();
    ClearTextureCache();
    ClearMotionCache();
    Config = SavedConfig;
    Window.Destroy();
  }

  std::array<int, 3> Centre() {
    Counter.Elapsed = 16;
    Level->Frame();
    uint8_t rgba[4] = {};
    GL.ReadPixels(Width / 2, Height / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
  }
  // The centre with one particle straight ahead at distance d.
  std::array<int, 3> CentreWith(float d, int32_t texture, bool additive, const TVector& colour) {
    const TVector at = Eye.Point + TVector{0, d, 0};
    Level->Particles->Emit(at, {0, 0, 0}, colour, 1.0f, 0, 0, d * 0.2f, 1.0f, 0, 0, texture, additive ? 1 : 0);
    return Centre();
  }
  static int Difference(const std::array<int, 3>& a, const std::array<int, 3>& b) {
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
  }

  TWindow Window;
  TConfig SavedConfig{};
  TNorthEye Eye;
  std::unique_ptr<TLevel> Level;
  int32_t Flash = 0, Smoke = 0;
};

TEST_F(LevelPixels, AFlashFadesIntoTheFogWithDistance) {
  const std::array<int, 3> sky = Centre();
  const float fogEnd = MissionSettings(1).FogEnd;
  const int near = Difference(CentreWith(100, Flash, true, {1, 0.2f, 0.2f}), sky);
  const int far = Difference(CentreWith(fogEnd - 5, Flash, true, {1, 0.2f, 0.2f}), sky);
  EXPECT_GT(near, 60);
  EXPECT_LT(far, near / 4);
}

TEST_F(LevelPixels, FarSmokeTakesTheFogsColour) {
  const std::array<int, 3> sky = Centre();
  const float fogEnd = MissionSettings(1).FogEnd;
  const std::array<int, 3> near = CentreWith(100, Smoke, false, {0.1f, 0.1f, 0.1f});
  const std::array<int, 3> far = CentreWith(fogEnd - 5, Smoke, false, {0.1f, 0.1f, 0.1f});
  EXPECT_GT(Difference(near, sky), 40);
  const TVector fog = MissionSettings(1).FogColour;
  const std::array<int, 3> fogRgb{static_cast<int>(fog.x * 255), static_cast<int>(fog.y * 255), static_cast<int>(fog.z * 255)};
  // Behind the smoke is sky; in front of it, nearly all fog.
  EXPECT_LT(Difference(far, fogRgb), Difference(near, fogRgb));
}

TEST_F(LevelPixels, ATracerShowsWhereTheShotFlies) {
  const std::array<int, 3> before = Centre();
  // Across the view from left to right, 30 units ahead.
  Level->Shots->Fire(Eye.Point + TVector{-12, 30, 0}, {1, 0, 0});
  Counter.Elapsed = 16;
  Level->Frame();
  int changed = 0;
  std::array<uint8_t, Width * 4> row{};
  for (int y = Height / 2 - 3; y <= Height / 2 + 3; ++y) {
    GL.ReadPixels(0, y, Width, 1, GL_RGBA, GL_UNSIGNED_BYTE, row.data());
    for (int x = 0; x < Width; ++x) {
      const std::array<int, 3> p{row[x * 4], row[x * 4 + 1], row[x * 4 + 2]};
      changed += Difference(p, before) > 30 ? 1 : 0;
    }
  }
  EXPECT_GT(changed, 8);
}

}  // namespace
