// SkyPixelTest.cpp — the sky dome's colour gradient and the lens flare's depth test, drawn on a
// real offscreen Mesa context.
#include "core/CnaUnit.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "core/VectMath.h"
#include "platform/GLTable.h"
#include "platform/Window.h"
#include "render/Atmosphere.h"
#include "render/SceneGlobals.h"
#include "render/Sky.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

constexpr int Side = 256;
constexpr double Pi = 3.14159265358979323846;

void WriteSolidCna(const std::string& path, uint8_t grey, uint8_t alpha) {
  std::vector<uint8_t> bgra(8 * 8 * 4);
  for (size_t i = 0; i < bgra.size(); i += 4) {
    bgra[i] = bgra[i + 1] = bgra[i + 2] = grey;
    bgra[i + 3] = alpha;
  }
  WriteCnaFile(path, bgra.data(), 8, 8, TCnaSource::Bgra);
}

class SkyPixels : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartVideo(error)) << error;
    ASSERT_TRUE(Window.Create("sky test", Side, Side, error)) << error;
    ASSERT_TRUE(LoadGLTable(&TWindow::GetProcAddress, error)) << error;
    SetAppDir(Dir.Str());
    std::filesystem::create_directories(Dir / "textures");
    // A sky picture that is fully transparent, so the decal mode shows the dome's colours.
    WriteSolidCna(Dir / "textures/clear.cna", 255, 0);
    WriteSolidCna(Dir / "textures/sun.cna", 255, 255);
    WriteSolidCna(Dir / "textures/flare.cna", 255, 255);
    ScreenWidth = ScreenHeight = Side;
    FarPlane = 700.0f;
    GL.Viewport(0, 0, Side, Side);
    MatrixPerspective(45.0f, 1.0f, 0.1f, FarPlane, ProjectionMatrix);
    GL.MatrixMode(GL_PROJECTION);
    GL.LoadMatrixf(ProjectionMatrix.data());
    GL.MatrixMode(GL_MODELVIEW);
    GL.Enable(GL_TEXTURE_2D);
    GL.Enable(GL_CULL_FACE);
    GL.DepthFunc(GL_LEQUAL);

    SavedLight = LightDirection;
    VectorNormalize({1, 1, 0.8f}, LightDirection);
    Atmosphere = std::make_unique<TAtmosphere>();
    const TCoefficientScales scales = MissionCoefficientScales(1);
    TAtmosphere::ScaleCoefficients(scales.Rayleigh, scales.Mie);
    Atmosphere->Compute();
    Sky = std::make_unique<TSky>(*Atmosphere, "clear.cna", GL_DECAL);
  }
  void TearDown() override {
    Sky.reset();
    ClearTextureCache();
    LightDirection = SavedLight;
    Window.Destroy();
  }

  // A camera at the dome's centre, EyeHeight above its base, looking along +y, pitched up.
  TMatrix View(double pitchDegrees) {
    TMatrix rotation;
    MatrixIdentity(rotation);
    MatrixRotate(rotation, static_cast<float>(-(90 + pitchDegrees)), 1, 0, 0);
    return SkyTransform(rotation, 0.0f, EyeHeight);
  }

  void DrawSky(const TMatrix& view) {
    GL.ClearColor(0, 0, 0, 1);
    GL.ClearDepth(1.0);
    GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    LoadModelView(view);
    Sky->DrawSky(view);
  }

  std::vector<uint8_t> Picture() {
    std::vector<uint8_t> rgba(static_cast<size_t>(Side) * Side * 4);
    GL.ReadPixels(0, 0, Side, Side, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
  }

  std::array<int, 3> Pixel(int x, int y) {
    uint8_t rgba[4] = {};
    GL.ReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
  }

  static constexpr float EyeHeight = 250.0f;
  TTempDir Dir;
  TWindow Window;
  TVector SavedLight{};
  std::unique_ptr<TAtmosphere> Atmosphere;
  std::unique_ptr<TSky> Sky;
};

// Where the ray through pixel row py (camera looking along +y, pitched up) meets the dome's
// spheroid, radius 700 around and 740 high, from an eye 250 above its base.
TVector DomePointOnRow(int py, double pitchDegrees) {
  const double s = ((py + 0.5) / Side * 2 - 1) * std::tan(22.5 * Pi / 180);
  const double p = pitchDegrees * Pi / 180;
  // Forward (0, cos p, sin p) plus s times up (0, -sin p, cos p).
  const double dy = std::cos(p) - s * std::sin(p), dz = std::sin(p) + s * std::cos(p);
  const double r = 700, h = 740, z0 = 250;
  // (t dy)^2 / r^2 + (z0 + t dz)^2 / h^2 = 1
  const double a = dy * dy / (r * r) + dz * dz / (h * h);
  const double b = 2 * z0 * dz / (h * h);
  const double c = z0 * z0 / (h * h) - 1;
  const double t = (-b + std::sqrt(b * b - 4 * a * c)) / (2 * a);
  return {0.0f, static_cast<float>(t * dy), static_cast<float>(z0 + t * dz)};
}

int ToByte(float value) { return static_cast<int>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255)); }

TEST_F(SkyPixels, DomeColoursFollowTheInScatteringFromHorizonUpwards) {
  // Pitched up so that every row of the picture sees the dome rather than below its base.
  constexpr double Pitch = 30;
  DrawSky(View(Pitch));
  GL.Finish();
  std::array<int, 3> lowest{}, highest{};
  for (int py : {8, 64, 128, 192, 248}) {
    SCOPED_TRACE(py);
    TVector expected;
    Atmosphere->InScatter(DomePointOnRow(py, Pitch), {0, 0, EyeHeight}, {}, expected);
    const std::array<int, 3> actual = Pixel(Side / 2, py);
    EXPECT_NEAR(actual[0], ToByte(expected.x), 3);
    EXPECT_NEAR(actual[1], ToByte(expected.y), 3);
    EXPECT_NEAR(actual[2], ToByte(expected.z), 3);
    if (py == 8) lowest = actual;
    if (py == 248) highest = actual;
  }
  // A real gradient, not one flat colour.
  int difference = 0;
  for (int c = 0; c < 3; ++c) difference += std::abs(highest[c] - lowest[c]);
  EXPECT_GT(difference, 6);
}

// Culling works on spheres around the dome's chunks; what it leaves out must be what the driver
// would have clipped away. The whole dome, drawn in one go under the same projection, is the
// reference, pixel for pixel, over views in every direction, rolled or not.
class CulledDomePixels : public SkyPixels {
protected:
  TMatrix TurnedView(float pitch, float yaw, float roll) {
    TMatrix rotation;
    MatrixIdentity(rotation);
    MatrixRotate(rotation, roll, 0, 0, 1);
    MatrixRotate(rotation, -(90 + pitch), 1, 0, 0);
    MatrixRotate(rotation, yaw, 0, 0, 1);
    return SkyTransform(rotation, 0.0f, EyeHeight);
  }

  void DrawWholeDome(const TMatrix& view) {
    GL.ClearColor(0, 0, 0, 1);
    GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    GL.MatrixMode(GL_PROJECTION);
    GL.PushMatrix();
    const TMatrix projection = SkyProjection(ProjectionMatrix);
    GL.LoadMatrixf(projection.data());
    GL.MatrixMode(GL_MODELVIEW);
    LoadModelView(view);
    GL.Disable(GL_LIGHTING);
    GL.Disable(GL_DEPTH_TEST);
    GL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    GL.BindTexture(GL_TEXTURE_2D, Textures[static_cast<size_t>(Sky->SkyTexture)]);
    GL.Begin(GL_TRIANGLES);
    for (const TSkyVertex& v : Sky->DomeVertices) {
      GL.Color3f(v.r, v.g, v.b);
      GL.TexCoord2f(v.u, v.v);
      GL.Vertex3f(v.x, v.y, v.z);
    }
    GL.End();
    GL.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    GL.Enable(GL_DEPTH_TEST);
    GL.MatrixMode(GL_PROJECTION);
    GL.PopMatrix();
    GL.MatrixMode(GL_MODELVIEW);
  }
};

TEST_F(CulledDomePixels, SamePixelsAsTheWholeDomeInEveryDirection) {
  const int32_t all = static_cast<int32_t>(Sky->DomeVertices.size() / 3);
  int32_t fewest = all;
  for (const float pitch : {-90.0f, -30.0f, -4.0f, 0.0f, 12.0f, 45.0f, 80.0f, 90.0f})
    for (const float yaw : {0.0f, 30.0f, 135.0f, 250.0f})
      for (const float roll : {0.0f, 35.0f}) {
        SCOPED_TRACE(testing::Message() << "pitch " << pitch << " yaw " << yaw << " roll " << roll);
        const TMatrix view = TurnedView(pitch, yaw, roll);
        DrawWholeDome(view);
        const std::vector<uint8_t> whole = Picture();
        DrawSky(view);
        const std::vector<uint8_t> culled = Picture();
        size_t differing = 0;
        for (size_t i = 0; i < whole.size(); ++i) differing += whole[i] != culled[i];
        EXPECT_EQ(differing, 0u);
        if (pitch > -90.0f) fewest = std::min(fewest, Sky->DomeTrianglesDrawn);
      }
  // And the culling did cull: no view that sees the sky needed half the dome.
  EXPECT_LT(fewest, all / 2);
}

class FlarePixels : public SkyPixels {
protected:
  // Looks straight at the sun disc's centre.
  TMatrix SunView() {
    const TVector sun = SunOffset();
    return View(std::atan2(sun.z - EyeHeight, sun.y) * 180 / Pi);
  }

  TVector SunOnScreen(const TMatrix& view) {
    TMatrix model = view;
    const TVector sun = SunOffset();
    MatrixTranslate(model, sun.x, sun.y, sun.z);
    const int32_t viewport[4] = {0, 0, Side, Side};
    TVector window{};
    EXPECT_TRUE(ProjectPoint({0, 0, 0}, model, ProjectionMatrix, viewport, window));
    return window;
  }

  int WhitePixels() {
    const std::vector<uint8_t> rgba = Picture();
    int white = 0;
    for (size_t i = 0; i < rgba.size(); i += 4)
      white += rgba[i] == 255 && rgba[i + 1] == 255 && rgba[i + 2] == 255;
    return white;
  }

  // An element of the flare, k of the way from the sun through the centre.
  std::array<int, 3> FlareElement(const TVector& sun, float k) {
    const float x = sun.x + k * (Side / 2.0f - sun.x);
    const float y = sun.y + k * (Side / 2.0f - sun.y);
    return Pixel(static_cast<int>(x), static_cast<int>(y));
  }
};

TEST_F(FlarePixels, FlareShowsWhileTheSunsPixelIsClear) {
  const TMatrix view = SunView();
  DrawSky(view);
  LoadModelView(view);
  Sky->DrawFlare(view);
  GL.Finish();
  const TVector sun = SunOnScreen(view);
  // The elements beyond the centre (k 1.2, 1.5, 1.9) stand on the sky, away from the disc.
  EXPECT_EQ(FlareElement(sun, 1.5f), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(FlareElement(sun, 1.9f), (std::array<int, 3>{255, 255, 255}));
}

TEST_F(FlarePixels, SunDiscIsDrawnWhereTheFlareStarts) {
  const TMatrix view = SunView();
  DrawSky(view);
  LoadModelView(view);
  Sky->DrawSun();
  GL.Finish();
  const TVector sun = SunOnScreen(view);
  EXPECT_EQ(Pixel(static_cast<int>(sun.x), static_cast<int>(sun.y)), (std::array<int, 3>{255, 255, 255}));
}

TEST_F(FlarePixels, SomethingOverTheSunHidesTheFlare) {
  const TMatrix view = SunView();
  DrawSky(view);
  const TVector sun = SunOnScreen(view);
  // Depth nearer than the far plane around the sun's pixel, as terrain or an actor would leave.
  GL.Enable(GL_SCISSOR_TEST);
  GL.Scissor(static_cast<GLint>(sun.x) - 3, static_cast<GLint>(sun.y) - 3, 7, 7);
  GL.ClearDepth(0.5);
  GL.Clear(GL_DEPTH_BUFFER_BIT);
  GL.ClearDepth(1.0);
  GL.Disable(GL_SCISSOR_TEST);
  LoadModelView(view);
  Sky->DrawFlare(view);
  GL.Finish();
  EXPECT_EQ(WhitePixels(), 0);
}

TEST_F(FlarePixels, SunOutsideTheViewGivesNoFlare) {
  const TMatrix view = View(-20);  // looking slightly down, the sun far above the picture
  DrawSky(view);
  LoadModelView(view);
  Sky->DrawFlare(view);
  GL.Finish();
  EXPECT_EQ(WhitePixels(), 0);
}

}  // namespace
