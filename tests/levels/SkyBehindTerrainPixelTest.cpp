// SkyBehindTerrainPixelTest.cpp — the sky drawn behind the terrain (after it, where the ground
// left the view empty) gives the picture of the sky drawn first and covered by the terrain,
// in every mission, looking over the ground towards the horizon; on a real offscreen Mesa
// context. Also the frame-rate readout's counting.
#include "levels/LevelUnit.h"

#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/MotionUnit.h"
#include "core/Texture.h"
#include "levels/FrameRateReadout.h"
#include "levels/MissionSettings.h"
#include "platform/GLTable.h"
#include "platform/Window.h"
#include "render/SceneGlobals.h"
#include "render/Sky.h"
#include "render/Surface.h"
#include "sound/SoundUnit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <vector>

namespace {

constexpr int Width = 256, Height = 192;
// Allowed: no more than this share of the pixels may differ, and none by more than
// MaxChannelDifference in any colour channel.
constexpr double MaxDifferingShare = 0.0005;
constexpr int MaxChannelDifference = 2;

// Over the map's middle, a little above the ground, yawed and pitched down a little so that
// the view holds near ground, far ground fading into the fog, the horizon and the sky.
class TOverGroundEye final : public TEye {
public:
  void Place(const TVector& point, float yaw) {
    Point = point;
    MatrixIdentity(Rotation);
    MatrixRotate(Rotation, -90.0f + 12.0f, 1, 0, 0);
    MatrixRotate(Rotation, yaw, 0, 0, 1);
    View = Rotation;
    MatrixTranslate(View, -Point.x, -Point.y, -Point.z);
  }
  TVector EyePoint() const override { return Point; }
  const TMatrix& CameraMatrix() const override { return View; }
  const TMatrix& ViewMatrix() const override { return Rotation; }
  void SetShake(const TVector&) override {}

  TVector Point{};
  TMatrix Rotation{}, View{};
};

class SkyBehindTerrain : public ::testing::TestWithParam<int> {
protected:
  void SetUp() override {
    SetAppDir(QUINTARA_GAME_DIR);
    if (!std::filesystem::exists(DataDir + "lev1.srf")) GTEST_SKIP() << "no data forged";
    std::string error;
    ASSERT_TRUE(StartVideo(error)) << error;
    ASSERT_TRUE(Window.Create("sky order test", Width, Height, error)) << error;
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
    GL.DepthFunc(GL_LEQUAL);
    GL.Enable(GL_DEPTH_TEST);
    GL.Enable(GL_TEXTURE_2D);
    GL.Enable(GL_CULL_FACE);
    Level = std::make_unique<TLevel>(GetParam(), TLevelOptions{false});
    Level->Eye = &Eye;
    Level->LoadWorld();
  }
  void TearDown() override {
    Level.reset();
    FreeAllAudio();
    ClearTextureCache();
    ClearMotionCache();
    Config = SavedConfig;
    Window.Destroy();
  }

  void LookFrom(float x, float y, float yaw) {
    const TVector ground = Level->Surface->GroundPoint(x, y);
    Eye.Place({x, y, ground.z + 180.0f}, yaw);
  }

  std::vector<uint8_t> Read() {
    std::vector<uint8_t> rgba(static_cast<size_t>(Width) * Height * 4);
    GL.PixelStorei(GL_PACK_ALIGNMENT, 1);
    GL.ReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
  }

  void BeginFrame() {
    Level->TakeEye();
    Level->UpdateFrustum(ProjectionMatrix);
    Level->ClearFrame();
  }

  // The frame as the level draws it now: the sky goes in behind the terrain.
  std::vector<uint8_t> SkyBehind() {
    BeginFrame();
    Level->DrawSky();
    Level->DrawTerrain();
    return Read();
  }

  // The reference: the whole sky first, the terrain drawn over it.
  std::vector<uint8_t> SkyFirst() {
    BeginFrame();
    Level->DrawSky();
    Level->SkyPending = false;
    GL.MatrixMode(GL_MODELVIEW);
    GL.LoadMatrixf(Level->SkyView.data());
    Level->Sky->DrawSky(Level->SkyView);
    if (SunVisible) Level->Sky->DrawSun();
    Level->DrawTerrain();
    return Read();
  }

  TWindow Window;
  TConfig SavedConfig{};
  TOverGroundEye Eye;
  std::unique_ptr<TLevel> Level;
};

struct TComparison {
  int Differing = 0;
  int WorstChannel = 0;
};

TComparison Compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  TComparison c;
  for (size_t i = 0; i + 3 < a.size(); i += 4) {
    int worst = 0;
    for (size_t k = 0; k < 3; ++k) worst = std::max(worst, std::abs(int{a[i + k]} - int{b[i + k]}));
    if (worst > 0) ++c.Differing;
    c.WorstChannel = std::max(c.WorstChannel, worst);
  }
  return c;
}

// How many pixels hold the sky's picture rather than one colour: the view must show both
// ground and sky for the comparison to mean anything.
int DistinctRows(const std::vector<uint8_t>& rgba) {
  int changes = 0;
  for (int y = 1; y < Height; ++y) {
    const size_t at = static_cast<size_t>(y) * Width * 4 + Width * 2;
    const size_t below = at - static_cast<size_t>(Width) * 4;
    if (rgba[at] != rgba[below] || rgba[at + 1] != rgba[below + 1] || rgba[at + 2] != rgba[below + 2]) ++changes;
  }
  return changes;
}

TEST_P(SkyBehindTerrain, GivesThePictureOfTheSkyDrawnFirst) {
  const float sizeX = static_cast<float>(Level->Surface->Width - 2 * TerrainBorder) * Level->Surface->CellSizeX;
  const float sizeY = static_cast<float>(Level->Surface->Height - 2 * TerrainBorder) * Level->Surface->CellSizeY;
  // Four headings from four places, so every side of the quadtree's split comes nearest once.
  const float places[4][3] = {{0.3f, 0.3f, 30}, {0.7f, 0.3f, 120}, {0.7f, 0.7f, 210}, {0.3f, 0.7f, 300}};
  for (const auto& place : places) {
    LookFrom(place[0] * sizeX, place[1] * sizeY, place[2]);
    const std::vector<uint8_t> reference = SkyFirst();
    const std::vector<uint8_t> behind = SkyBehind();
    EXPECT_GT(DistinctRows(reference), Height / 4) << "the view shows too little";
    const TComparison c = Compare(reference, behind);
    EXPECT_LE(c.Differing, static_cast<int>(MaxDifferingShare * Width * Height))
        << "mission " << GetParam() << " heading " << place[2] << ": worst channel " << c.WorstChannel;
    EXPECT_LE(c.WorstChannel, MaxChannelDifference) << "mission " << GetParam() << " heading " << place[2];
  }
}

// Looking straight up, nothing but sky: drawn behind an empty scene it is the whole picture.
TEST_P(SkyBehindTerrain, FillsAViewWithNoGround) {
  Eye.Point = {1000, 1000, 300};
  MatrixIdentity(Eye.Rotation);
  Eye.View = Eye.Rotation;
  MatrixTranslate(Eye.View, -Eye.Point.x, -Eye.Point.y, -Eye.Point.z);
  const std::vector<uint8_t> reference = SkyFirst();
  const std::vector<uint8_t> behind = SkyBehind();
  EXPECT_EQ(Compare(reference, behind).Differing, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryMission, SkyBehindTerrain, ::testing::Values(1, 2, 3, 4, 5));

TEST(FrameRateReadout, CountsWholeSecondsAndKeepsTheSlowest) {
  TFrameRateReadout readout;
  EXPECT_EQ(readout.Text(), "-- fps");
  for (int i = 0; i < 60; ++i) readout.AddFrame(1000.0 / 60.0);
  EXPECT_EQ(readout.LastSecond, 60);
  for (int i = 0; i < 20; ++i) readout.AddFrame(50.0);
  EXPECT_EQ(readout.LastSecond, 20);
  EXPECT_EQ(readout.SlowestSecond, 20);
  EXPECT_EQ(readout.Text(), "20 fps");
  EXPECT_NEAR(readout.AverageFps(), 80.0 / 2.0, 0.5);
}

TEST(FrameRateReadout, IgnoresStallsAndNonsense) {
  TFrameRateReadout readout;
  readout.AddFrame(std::numeric_limits<double>::quiet_NaN());
  readout.AddFrame(-3);
  readout.AddFrame(60000);
  EXPECT_EQ(readout.Frames, 0);
  EXPECT_EQ(readout.LastSecond, -1);
}

}  // namespace
