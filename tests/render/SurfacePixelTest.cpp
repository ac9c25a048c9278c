// SurfacePixelTest.cpp — the terrain drawn on a real offscreen Mesa context: ground where the
// camera looks, nothing where it does not, fog thickening towards the far plane, slopes shaded
// by their world normal under a low sun.
#include "core/ConfigUnit.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "core/VectMath.h"
#include "platform/BmpCodec.h"
#include "platform/GLTable.h"
#include "platform/Window.h"
#include "render/Atmosphere.h"
#include "render/Surface.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

namespace {

constexpr int Side = 128;
constexpr float EyeHeight = 20;
constexpr float FogStartDistance = 100;

void WriteSolidBmp(const std::string& path, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb;
  for (int i = 0; i < 16; ++i) rgb.insert(rgb.end(), {r, g, b});
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(EncodeBmp24(rgb.data(), 4, 4, bytes, error)) << error;
  WriteFileAtomic(path, bytes.data(), bytes.size());
}

void WriteMask(const std::string& path) {
  std::vector<uint8_t> indices(16, 128), bytes;
  std::string error;
  ASSERT_TRUE(EncodeBmp8(indices.data(), 4, 4, bytes, error)) << error;
  WriteFileAtomic(path, bytes.data(), bytes.size());
}

TMatrix LookAt(const TVector& eye, const TVector& at, const TVector& up) {
  TVector f, s, u;
  VectorNormalize(at - eye, f);
  VectorCross(f, up, s);
  VectorNormalize(s, s);
  VectorCross(s, f, u);
  TMatrix m{};
  const TVector rows[3] = {s, u, -f};
  for (int r = 0; r < 3; ++r) {
    m[0 * 4 + r] = rows[r].x;
    m[1 * 4 + r] = rows[r].y;
    m[2 * 4 + r] = rows[r].z;
    m[3 * 4 + r] = -VectorDot(rows[r], eye);
  }
  m[15] = 1;
  return m;
}

// A flat field of grass, as wide as the format allows.
TSrf FlatField() {
  TSrf t;
  t.Width = t.Height = SrfMaxSide;
  t.CellSizeX = t.CellSizeY = 10;
  t.HeightScale = 1;
  t.TextureNames = {"grass.bmp"};
  t.BlendFlags = {0};
  t.Cells.assign(static_cast<size_t>(SrfMaxSide) * SrfMaxSide, TSrfCell{0, {0, 0, 1}, 0});
  return t;
}

class SurfacePixels : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartVideo(error)) << error;
    ASSERT_TRUE(Window.Create("terrain test", Side, Side, error)) << error;
    ASSERT_TRUE(LoadGLTable(&TWindow::GetProcAddress, error)) << error;
    DetectCapabilities(reinterpret_cast<const char*>(GL.GetString(GL_EXTENSIONS)), &GetGLProcAddress);
    SetAppDir(Dir.Str());
    std::filesystem::create_directories(Dir / "textures");
    WriteSolidBmp(Dir / "textures/grass.bmp", 0, 200, 0);
    WriteSolidBmp(Dir / "textures/bgrass.bmp", 128, 128, 255);  // a flat normal map
    for (const char* name : AlphaMapNames) WriteMask(Dir / (std::string("textures/") + name));
    ScreenWidth = ScreenHeight = Side;
    GL.Viewport(0, 0, Side, Side);
    MatrixPerspective(60.0f, 1.0f, 1.0f, FarPlane, ProjectionMatrix);
    GL.MatrixMode(GL_PROJECTION);
    GL.LoadMatrixf(ProjectionMatrix.data());
    GL.Enable(GL_DEPTH_TEST);
    GL.DepthFunc(GL_LEQUAL);
    // The level's sun and fog, which the terrain relies on but does not set.
    const float sunPosition[4] = {0, 0, 1, 0}, white[4] = {1, 1, 1, 1}, red[4] = {1, 0, 0, 1};
    GL.Lightfv(GL_LIGHT0, GL_POSITION, sunPosition);
    GL.Lightfv(GL_LIGHT0, GL_DIFFUSE, white);
    GL.Enable(GL_LIGHT0);
    GL.Fogi(GL_FOG_MODE, GL_LINEAR);
    GL.Fogf(GL_FOG_START, FogStartDistance);
    GL.Fogf(GL_FOG_END, FarPlane);
    GL.Fogfv(GL_FOG_COLOR, red);
  }
  void TearDown() override {
    ClearTextureCache();
    Window.Destroy();
  }

  // Draws the terrain as seen from the eye and returns whether the frustum let anything through.
  int32_t DrawFrom(TSurf& surface, const TVector& eye, const TVector& at, const TVector& up = {0, 0, 1}) {
    GL.ClearColor(0, 0, 0, 0);
    GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const TMatrix view = LookAt(eye, at, up);
    LoadModelView(view);
    // The sun is given in world space, so it is placed after the camera.
    const float sunPosition[4] = {0, 0, 1, 0};
    GL.Lightfv(GL_LIGHT0, GL_POSITION, sunPosition);
    TFrustum frustum;
    frustum.CalculateFrustum(ProjectionMatrix, view);
    surface.Draw(frustum, eye);
    GL.Finish();
    return surface.DrawnTriangles;
  }

  std::array<int, 3> Pixel(int x, int y) {
    uint8_t rgba[4] = {};
    GL.ReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
  }

  TTempDir Dir;
  TWindow Window;
};

TEST_F(SurfacePixels, GroundBelowTheHorizonFogsTowardsTheFarPlane) {
  TSurf surface(FlatField(), {});
  ASSERT_GT(DrawFrom(surface, {700, 100, EyeHeight}, {700, 1000, EyeHeight}), 0);
  EXPECT_EQ(GL.GetError(), static_cast<GLenum>(GL_NO_ERROR));

  const std::array<int, 3> near = Pixel(Side / 2, 4);             // ground a few dozen units away
  EXPECT_GT(near[1], 120) << near[0] << " " << near[1] << " " << near[2];
  EXPECT_LT(near[0], 30);
  const std::array<int, 3> far = Pixel(Side / 2, Side / 2 - 4);   // ground near the far plane
  EXPECT_GT(far[0], 150) << far[0] << " " << far[1] << " " << far[2];
  EXPECT_LT(far[1], 60);
  EXPECT_EQ(Pixel(Side / 2, Side - 4), (std::array<int, 3>{0, 0, 0}));  // sky: nothing drawn
}

TEST_F(SurfacePixels, NothingIsDrawnWhereTheCameraDoesNotLookAtTheGround) {
  TSurf surface(FlatField(), {});
  EXPECT_EQ(DrawFrom(surface, {700, 700, 300}, {700, 700, 1000}, {0, 1, 0}), 0);
  EXPECT_EQ(Pixel(Side / 2, Side / 2), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(DrawFrom(surface, {700, 700, 80}, {700, 700, 0}, {0, 1, 0}), surface.DrawnTriangles);
  EXPECT_GT(surface.DrawnTriangles, 0);
  EXPECT_GT(Pixel(Side / 2, Side / 2)[1], 120);
}

TEST_F(SurfacePixels, ScatteringAddsItsLightAndSkipsFog) {
  TSurfSettings settings;
  settings.TerrainFlag = true;
  settings.Scatter = [](const TVector&, const TVector&, TVector& inscatter, TVector& extinction) {
    inscatter = {0, 0, 0.5f};
    extinction = {1, 1, 1};
  };
  TSurf surface(FlatField(), settings);
  ASSERT_GT(DrawFrom(surface, {700, 700, 80}, {700, 700, 0}, {0, 1, 0}), 0);
  const std::array<int, 3> p = Pixel(Side / 2, Side / 2);
  EXPECT_NEAR(p[1], 200, 3);
  EXPECT_NEAR(p[2], 128, 3);
  EXPECT_LT(p[0], 5);  // no red fog on this path
}

TEST_F(SurfacePixels, BumpPathLightsAFlatNormalMapLikeThePlainGround) {
  if (!BumpSupported || !GL.ActiveTexture) GTEST_SKIP() << "no DOT3 combiners";
  TSurfSettings settings;
  settings.BumpMapping = true;
  TSurf surface(FlatField(), settings);
  ASSERT_GT(DrawFrom(surface, {700, 700, 80}, {700, 700, 0}, {0, 1, 0}), 0);
  EXPECT_EQ(GL.GetError(), static_cast<GLenum>(GL_NO_ERROR));
  const std::array<int, 3> p = Pixel(Side / 2, Side / 2);
  EXPECT_GT(p[1], 150) << p[0] << " " << p[1] << " " << p[2];
  EXPECT_LT(p[0], 30);
}

}  // namespace

namespace {

TEST_F(SurfacePixels, ShadowDecalDarkensOnlyItsRectangle) {
  WriteSolidBmp(Dir / "textures/shadow.bmp", 0, 0, 0);
  TSurf surface(FlatField(), {});
  const int32_t shadow = LoadTexture("shadow.bmp");
  ASSERT_GT(DrawFrom(surface, {705, 705, 80}, {705, 705, 0}, {0, 1, 0}), 0);
  surface.DrawShadowDecal(shadow, 705, 705, 20, 20, 1, 1, 1, 1);
  GL.Finish();
  EXPECT_EQ(GL.GetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_GT(surface.DecalCount, 6);  // the rectangle spans cell borders
  EXPECT_EQ(Pixel(Side / 2, Side / 2), (std::array<int, 3>{0, 0, 0}));
  // Inside the decal's cells but outside its rectangle the border colour leaves the ground be.
  const std::array<int, 3> beside = Pixel(Side / 2 + 18, Side / 2);  // about x = 718
  EXPECT_GT(beside[1], 120) << beside[0] << " " << beside[1] << " " << beside[2];
}

}  // namespace

namespace {

TEST_F(SurfacePixels, AdditiveLightDecalBrightensTheGround) {
  WriteSolidBmp(Dir / "textures/pool.bmp", 255, 255, 255);
  TSurf surface(FlatField(), {});
  const int32_t pool = LoadTexture("pool.bmp");
  ASSERT_GT(DrawFrom(surface, {705, 705, 80}, {705, 705, 0}, {0, 1, 0}), 0);
  surface.DrawLightDecal(pool, true, 705, 705, 20, 20, 1, 0, 0, 1);
  GL.Finish();
  EXPECT_EQ(GL.GetError(), static_cast<GLenum>(GL_NO_ERROR));
  const std::array<int, 3> lit = Pixel(Side / 2, Side / 2);
  EXPECT_EQ(lit[0], 255);
  EXPECT_GT(lit[1], 120);
  const std::array<int, 3> beside = Pixel(Side / 2 + 18, Side / 2);  // transparent border
  EXPECT_LT(beside[0], 30) << beside[0] << " " << beside[1] << " " << beside[2];
}

}  // namespace

namespace {

// A field whose west half leans toward a low sun and whose east half leans away from it, drawn
// on the scattering path (which lights by the vertices' shade alone), with and without bump
// mapping: the sunward half must come out brighter either way.
TSrf LeaningField(const TVector& sunward, const TVector& away) {
  TSrf t = FlatField();
  for (int32_t r = 0; r < t.Height; ++r)
    for (int32_t c = 0; c < t.Width; ++c)
      t.Cells[static_cast<size_t>(r) * t.Width + c].Normal = c < t.Width / 2 ? sunward : away;
  return t;
}

TEST_F(SurfacePixels, ScatteringShadeFollowsTheWorldNormalWithAndWithoutBumpMapping) {
  TVector sun;
  VectorNormalize({1, 1, 0.17f}, sun);  // the airfield raid's low evening sun
  TVector sunward, away;
  VectorNormalize({0.5f, 0.5f, 0.7f}, sunward);
  VectorNormalize({-0.5f, -0.5f, 0.7f}, away);
  for (bool bump : {false, true}) {
    TSurfSettings settings;
    settings.TerrainFlag = true;
    settings.BumpMapping = bump;
    settings.LightDirection = sun;
    ComputeLightSpaceMatrix(sun, settings.LightSpaceMatrix);
    settings.Scatter = [](const TVector&, const TVector&, TVector& inscatter, TVector& extinction) {
      inscatter = {0, 0, 0};
      extinction = {1, 1, 1};
    };
    TSurf surface(LeaningField(sunward, away), settings);
    const float middle = static_cast<float>(SrfMaxSide / 2) * 10;  // x of the seam between the halves
    ASSERT_GT(DrawFrom(surface, {middle, 700, 80}, {middle, 700, 0}, {0, 1, 0}), 0);
    const std::array<int, 3> lit = Pixel(Side / 4, Side / 2);        // west of the seam
    const std::array<int, 3> shaded = Pixel(3 * Side / 4, Side / 2);  // east of it
    // 200 x (sun . normal) against the 0.3 floor: about 150 and 60.
    EXPECT_GT(lit[1], shaded[1] + 50) << "bump " << bump << ": " << lit[1] << " against " << shaded[1];
    EXPECT_GT(lit[1], 120) << "bump " << bump;
  }
}

}  // namespace
