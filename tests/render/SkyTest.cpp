// SkyTest.cpp — the sky dome's geometry, colours and texture coordinates, its chunks and lists,
// the sky transform and the flare's visibility rule, on the null GL table.
#include "core/ConfigUnit.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "platform/GLTable.h"
#include "render/Atmosphere.h"
#include "render/SceneGlobals.h"
#include "render/Sky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <memory>
#include <utility>
#include <numbers>

namespace {

class SkyDome : public ::testing::Test {
protected:
  void SetUp() override {
    LoadNullGLTable();
    SetAppDir(QUINTARA_GAME_DIR);
    SavedLight = LightDirection;
    VectorNormalize({1, 1, 0.8f}, LightDirection);
    FarPlane = 700.0f;
    ScreenWidth = 640;
    ScreenHeight = 480;
    SavedProjection = ProjectionMatrix;
    MatrixPerspective(45.0f, 640.0f / 480.0f, 0.1f, FarPlane, ProjectionMatrix);
    Atmosphere = std::make_unique<TAtmosphere>();
    TAtmosphere::ScaleCoefficients(0.2f, 0.0001f);
    Atmosphere->Compute();
  }
  void TearDown() override {
    ClearTextureCache();
    LightDirection = SavedLight;
    ProjectionMatrix = SavedProjection;
  }

  std::unique_ptr<TAtmosphere> Atmosphere;
  TVector SavedLight{};
  TMatrix SavedProjection{};
};

TEST_F(SkyDome, SixtyFourBandsOfTrianglesCoverTheHemisphere) {
  TSky sky(*Atmosphere, "sky1.cna", GL_DECAL);
  // Band i has 4 (2i - 1) triangles.
  size_t triangles = 0;
  for (int i = 1; i <= 64; ++i) triangles += static_cast<size_t>(4 * (2 * i - 1));
  ASSERT_EQ(sky.DomeVertices.size(), 3 * triangles);

  const float r = 700.0f, h = 740.0f;
  double area = 0;
  for (size_t t = 0; t < sky.DomeVertices.size(); t += 3) {
    const TSkyVertex* v = &sky.DomeVertices[t];
    for (int k = 0; k < 3; ++k) {
      const float e = (v[k].x * v[k].x + v[k].y * v[k].y) / (r * r) + v[k].z * v[k].z / (h * h);
      ASSERT_NEAR(e, 1.0f, 1e-4f) << t;
      ASSERT_GE(v[k].z, -1e-3f);
    }
    // Counter-clockwise seen from inside: the face normal points back towards the centre.
    const TVector a{v[0].x, v[0].y, v[0].z}, b{v[1].x, v[1].y, v[1].z}, c{v[2].x, v[2].y, v[2].z};
    TVector normal;
    VectorCross(b - a, c - a, normal);
    ASSERT_LT(VectorDot(normal, a + b + c), 0.0f) << t;
    area += VectorLength(normal) / 2;
  }
  // Without gaps the triangles add up to (nearly) the spheroid's upper half.
  const double e = std::sqrt(1 - double(r) * r / (double(h) * h));
  const double pi = std::numbers::pi;
  const double halfSpheroid = pi * r * r + pi * r * h / e * std::asin(e);
  EXPECT_NEAR(area / halfSpheroid, 1.0, 0.002);
}

TEST_F(SkyDome, ZenithAndHorizonCarryTheirTextureCoordinates) {
  TSky sky(*Atmosphere, "sky1.cna", GL_DECAL);
  float maxU = 0;
  for (const TSkyVertex& v : sky.DomeVertices) {
    if (v.z > 739.9f) {
      EXPECT_EQ(v.u, 0.5f);
      EXPECT_EQ(v.v, 1.0f);
    }
    if (std::fabs(v.z) < 1e-3f) {
      EXPECT_NEAR(v.v, 0.0f, 1e-6f);
    }
    maxU = std::max(maxU, v.u);
  }
  EXPECT_FLOAT_EQ(maxU, 4.0f);  // the picture goes round four times
}

TEST_F(SkyDome, VertexColoursAreTheInScatteringSeenFromAboveTheBase) {
  TSky sky(*Atmosphere, "sky1.cna", GL_DECAL);
  const TVector eye{0, 0, 250};
  for (size_t i = 0; i < sky.DomeVertices.size(); i += 997) {
    const TSkyVertex& v = sky.DomeVertices[i];
    TVector expected;
    Atmosphere->InScatter({v.x, v.y, v.z}, eye, eye, expected);
    EXPECT_EQ(v.r, expected.x);
    EXPECT_EQ(v.g, expected.y);
    EXPECT_EQ(v.b, expected.z);
  }
}

TEST_F(SkyDome, TwoListsAndThreeTexturesComeAndGo) {
  const int64_t lists = NullGLCounts().LiveLists;
  {
    TSky sky(*Atmosphere, "sky1.cna", GL_ADD);
    EXPECT_EQ(NullGLCounts().LiveLists, lists + 2);
    EXPECT_EQ(sky.FlareList, sky.SunList + 1);
    EXPECT_EQ(TextureNames[static_cast<size_t>(sky.SkyTexture)], "sky1.cna");
    EXPECT_EQ(TextureNames[static_cast<size_t>(sky.SunTexture)], "sun.cna");
    EXPECT_EQ(TextureNames[static_cast<size_t>(sky.FlareTexture)], "flare.cna");
    EXPECT_EQ(sky.SkyTexEnvMode, static_cast<GLenum>(GL_ADD));
  }
  EXPECT_EQ(NullGLCounts().LiveLists, lists);
}

// The draw joins neighbouring chunks into runs and culls by the spheres: the chunks must tile
// the vertex array in order, whole triangles each, and each sphere must hold its triangles.
TEST_F(SkyDome, ChunksTileTheTrianglesInOrderInsideTheirSpheres) {
  TSky sky(*Atmosphere, "sky1.cna", GL_DECAL);
  ASSERT_FALSE(sky.DomeChunks.empty());
  int32_t next = 0;
  for (const TDomeChunk& chunk : sky.DomeChunks) {
    ASSERT_EQ(chunk.First, next);
    ASSERT_GT(chunk.Count, 0);
    ASSERT_EQ(chunk.Count % 3, 0);
    next += chunk.Count;
    for (int32_t k = chunk.First; k < chunk.First + chunk.Count; ++k) {
      const TSkyVertex& v = sky.DomeVertices[static_cast<size_t>(k)];
      ASSERT_LE(VectorLength(TVector{v.x, v.y, v.z} - chunk.Centre), chunk.Radius * 1.0001f) << k;
    }
  }
  EXPECT_EQ(static_cast<size_t>(next), sky.DomeVertices.size());
  // Small enough to cull: none spans more than a sector's width of the horizon.
  for (const TDomeChunk& chunk : sky.DomeChunks) EXPECT_LT(chunk.Radius, 2 * 3.1416f * 700 / SkySectors);
}

// A camera EyeHeight above the dome's base, looking along +y pitched by `pitch` and turned
// about the vertical by `yaw`.
TMatrix DomeView(float pitch, float yaw) {
  TMatrix rotation;
  MatrixIdentity(rotation);
  MatrixRotate(rotation, -(90 + pitch), 1, 0, 0);
  MatrixRotate(rotation, yaw, 0, 0, 1);
  return SkyTransform(rotation, 0.0f, 250.0f);
}

TEST_F(SkyDome, OnlyThePartInViewIsDrawn) {
  TSky sky(*Atmosphere, "sky1.cna", GL_DECAL);
  const int32_t all = static_cast<int32_t>(sky.DomeVertices.size() / 3);
  // Straight down the view passes through the dome's open base.
  sky.DrawSky(DomeView(-90, 0));
  EXPECT_EQ(sky.DomeTrianglesDrawn, 0);
  // At the horizon a 45-degree view sees a slice of it, whichever way it turns.
  for (const float yaw : {0.0f, 45.0f, 100.0f, 200.0f, 315.0f}) {
    sky.DrawSky(DomeView(0, yaw));
    EXPECT_GT(sky.DomeTrianglesDrawn, 0) << yaw;
    EXPECT_LT(sky.DomeTrianglesDrawn, all / 3) << yaw;
  }
  // Straight up the zenith's bands are in view, all the way round.
  sky.DrawSky(DomeView(90, 0));
  EXPECT_GT(sky.DomeTrianglesDrawn, 0);
  EXPECT_LT(sky.DomeTrianglesDrawn, all / 2);
}

// The client arrays switched on, as the driver would track them.
std::set<GLenum> EnabledArrays;
void GLAPIENTRY RecordEnableArray(GLenum array) { EnabledArrays.insert(array); }
void GLAPIENTRY RecordDisableArray(GLenum array) { EnabledArrays.erase(array); }

// The dome's arrays point into the sky, which goes with its level: none may stay on for the
// next array draw elsewhere to read.
TEST_F(SkyDome, NoArrayIsLeftPointingIntoTheDome) {
  TSky sky(*Atmosphere, "sky1.cna", GL_DECAL);
  EnabledArrays = {GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_NORMAL_ARRAY};  // as the terrain may leave them
  GL.EnableClientState = RecordEnableArray;
  GL.DisableClientState = RecordDisableArray;
  sky.DrawSky(DomeView(10, 0));
  EXPECT_GT(sky.DomeTrianglesDrawn, 0);
  EXPECT_TRUE(EnabledArrays.empty());
}

// The texture last bound, and the parameters each texture was given.
GLuint BoundTexture = 0;
std::map<std::pair<GLuint, GLenum>, GLint> TextureParameters;
void GLAPIENTRY RecordBind(GLenum, GLuint id) { BoundTexture = id; }
void GLAPIENTRY RecordParameter(GLenum, GLenum name, GLint value) { TextureParameters[{BoundTexture, name}] = value; }

TEST_F(SkyDome, ThePictureRepeatsAroundTheDomeButDoesNotWrapFromTheHorizonToTheZenith) {
  const bool savedClamp = EdgeClampSupported;
  EdgeClampSupported = true;
  TextureParameters.clear();
  GL.BindTexture = RecordBind;
  GL.TexParameteri = RecordParameter;
  TSky sky(*Atmosphere, "sky1.cna", GL_DECAL);
  const GLuint picture = Textures[static_cast<size_t>(sky.SkyTexture)];
  EXPECT_EQ((TextureParameters[{picture, GL_TEXTURE_WRAP_S}]), GL_REPEAT);
  EXPECT_EQ((TextureParameters[{picture, GL_TEXTURE_WRAP_T}]), GL_CLAMP_TO_EDGE);
  EdgeClampSupported = savedClamp;
}

TEST(SkyTransform, CameraRotationLiftedToTheSkyBase) {
  TMatrix rotation;
  MatrixIdentity(rotation);
  MatrixRotate(rotation, -90, 1, 0, 0);
  const TMatrix m = SkyTransform(rotation, 110.0f * 2.0f, 400.0f);
  // The dome's base (z = 0) sits 180 below the eye: eye space y = -180 for this camera.
  TVector base;
  MatrixTransformPoint({0, 0, 0}, m, base);
  EXPECT_NEAR(base.x, 0, 1e-4);
  EXPECT_NEAR(base.y, -180, 1e-3);
  EXPECT_NEAR(base.z, 0, 1e-3);
}

// The dome follows the scene's view, narrow windows and resizes included, but keeps a depth
// range of its own: its farthest point lies beyond the scene's far plane.
TEST(SkyProjection, TheScenesViewWithRoomForTheWholeDome) {
  const float savedFar = FarPlane;
  FarPlane = 700.0f;
  for (const float aspect : {0.5f, 1.0f, 4.0f / 3.0f, 21.0f / 9.0f}) {
    SCOPED_TRACE(aspect);
    TMatrix scene;
    MatrixPerspective(aspect < 1 ? 70.0f : 45.0f, aspect, 1.0f, FarPlane, scene);
    const TMatrix sky = SkyProjection(scene);
    for (const size_t k : {0u, 5u, 8u, 9u, 11u}) EXPECT_EQ(sky[k], scene[k]) << k;
    // Clip depth of a point straight ahead at distance d: (m10 * -d + m14) / d.
    auto depth = [&sky](float d) { return (sky[10] * -d + sky[14]) / d; };
    EXPECT_LT(depth(FarPlane + SkyDomeLift + 250.0f), 1.0f);  // the zenith from the dome's base
    EXPECT_GT(depth(1.0f), -1.0f);
  }
  // At the usual view it is the projection the dome was always drawn with.
  TMatrix usual, expected;
  MatrixPerspective(45.0f, 4.0f / 3.0f, 1.0f, FarPlane, usual);
  MatrixPerspective(45.0f, 4.0f / 3.0f, 0.1f, FarPlane + 500.0f, expected);
  EXPECT_EQ(SkyProjection(usual), expected);
  FarPlane = savedFar;
}

TEST(FlareVisibility, OnlyInsideTheViewportWithNothingOverTheSun) {
  struct TCase {
    TVector Window;
    float Depth;
    bool Visible;
  };
  const TCase cases[] = {
      {{320, 240, 0.99f}, 1.0f, true},
      {{0, 0, 0}, 1.0f, true},          // edges count as inside
      {{640, 480, 1}, 1.0f, true},
      {{320, 240, 0.99f}, 0.999f, false},  // something drawn over the sun
      {{-0.5f, 240, 0.5f}, 1.0f, false},
      {{640.5f, 240, 0.5f}, 1.0f, false},
      {{320, -1, 0.5f}, 1.0f, false},
      {{320, 481, 0.5f}, 1.0f, false},
      {{320, 240, 1.01f}, 1.0f, false},  // beyond the far plane
      {{320, 240, -0.01f}, 1.0f, false},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(testing::Message() << test.Window.x << ", " << test.Window.y << ", "
                                    << test.Window.z << " depth " << test.Depth);
    EXPECT_EQ(FlareVisible(test.Window, test.Depth, 640, 480), test.Visible);
  }
}

}  // namespace
