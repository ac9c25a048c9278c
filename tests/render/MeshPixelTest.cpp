// MeshPixelTest.cpp — TMesh silhouettes drawn on a real offscreen Mesa context land where the projection puts them.
#include "core/CnaUnit.h"
#include "core/ConfigUnit.h"
#include "core/FileIO.h"
#include "core/Globals.h"
#include "core/MshFile.h"
#include "core/Texture.h"
#include "core/VectMath.h"
#include "platform/BmpCodec.h"
#include "platform/GLTable.h"
#include "platform/Window.h"
#include "render/MeshUnit.h"
#include "render/ShadowUnit.h"
#include "render/Surface.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>

namespace {

constexpr int Side = 64;
constexpr float Distance = 5.0f;  // the mesh sits this far in front of the eye
const TMatrix Identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// One triangle in the upper right quadrant of the view, facing the eye.
TMsh CornerTriangle(const std::string& name) {
  TMsh msh;
  msh.TexCoords = {{0.5f, 0.5f}};
  msh.Groups.push_back({name, {0, 1, 2}, {0, 0, 0}});
  msh.Anims.push_back({{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}});
  return msh;
}

class MeshPixels : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartVideo(error)) << error;
    ASSERT_TRUE(Window.Create("mesh test", Side, Side, error)) << error;
    ASSERT_TRUE(LoadGLTable(&TWindow::GetProcAddress, error)) << error;
    DetectCapabilities(reinterpret_cast<const char*>(GL.GetString(GL_EXTENSIONS)), &GetGLProcAddress);
    VertexProgramSupported = false;  // the point-light pass needs the level's programs
    Config = DefaultConfig();
    Config.BumpMapping = 0;
    SetAppDir(Dir.Str());
    std::filesystem::create_directories(Dir / "textures");
    GL.Viewport(0, 0, Side, Side);
    MatrixPerspective(45.0f, 1.0f, 0.1f, 700.0f, ProjectionMatrix);
    GL.MatrixMode(GL_PROJECTION);
    GL.LoadMatrixf(ProjectionMatrix.data());
    TMatrix view = Identity;
    MatrixTranslate(view, 0, 0, -Distance);
    LoadModelView(view);
    // Linear fog far behind the mesh: it must not tint it.
    GL.Fogi(GL_FOG_MODE, GL_LINEAR);
    GL.Fogf(GL_FOG_START, 100.0f);
    GL.Fogf(GL_FOG_END, 200.0f);
    GL.Disable(GL_LIGHTING);
    GL.Enable(GL_DEPTH_TEST);
    GL.DepthFunc(GL_LEQUAL);
  }
  void TearDown() override {
    ClearMeshCache();
    ClearTextureCache();
    Window.Destroy();
  }

  void Clear(float grey) {
    GL.ClearColor(grey, grey, grey, 1);
    GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }

  // The colour where mesh-space (x, y, 0) lands.
  std::array<int, 3> ColourAt(float x, float y) {
    const int px = static_cast<int>((x * ProjectionMatrix[0] / Distance + 1.0f) / 2.0f * Side);
    const int py = static_cast<int>((y * ProjectionMatrix[5] / Distance + 1.0f) / 2.0f * Side);
    uint8_t rgba[4] = {};
    GL.ReadPixels(px, py, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
  }

  TTempDir Dir;
  TWindow Window;
  TMeshScene Scene;
};

TEST_F(MeshPixels, UntexturedSilhouetteLandsWhereProjected) {
  TMesh mesh;
  mesh.Load(CornerTriangle(""), Identity);
  Clear(0);
  GL.Disable(GL_TEXTURE_2D);
  GL.Color3f(1, 0, 0);
  mesh.Draw({0, 0, 0}, Scene);
  GL.Finish();
  EXPECT_EQ(ColourAt(0.3f, 0.3f), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(ColourAt(0.8f, 0.8f), (std::array<int, 3>{0, 0, 0}));  // beyond the long edge
  EXPECT_EQ(ColourAt(-0.3f, 0.3f), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(ColourAt(0.3f, -0.3f), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(GL.GetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshPixels, TexturedGroupShowsItsTexture) {
  std::vector<uint8_t> rgb(8 * 8 * 3), bytes;
  for (size_t i = 0; i < rgb.size(); i += 3) rgb[i + 1] = 255;
  std::string error;
  ASSERT_TRUE(EncodeBmp24(rgb.data(), 8, 8, bytes, error)) << error;
  WriteFileAtomic(Dir / "textures/green.bmp", bytes.data(), bytes.size());
  TMesh mesh;
  mesh.Load(CornerTriangle("green.bmp"), Identity);
  EXPECT_EQ(mesh.HasGlow, 0);
  Clear(0);
  GL.Enable(GL_TEXTURE_2D);
  GL.Color3f(1, 1, 1);
  mesh.Draw({0, 0, 0}, Scene);
  GL.Finish();
  EXPECT_EQ(ColourAt(0.3f, 0.3f), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(ColourAt(0.8f, 0.8f), (std::array<int, 3>{0, 0, 0}));
}

// A .cna texture switches the glow pass on: its alpha decides how much of the lit colour
// (white here, lighting being off) is added on top.
TEST_F(MeshPixels, GlowAddsWhereTheTextureAlphaIsHigh) {
  const auto writeCna = [&](const std::string& name, uint8_t alpha) {
    std::vector<uint8_t> bgra(8 * 8 * 4);
    for (size_t i = 0; i < bgra.size(); i += 4) {
      bgra[i] = 200;  // blue
      bgra[i + 3] = alpha;
    }
    WriteCnaFile(Dir / ("textures/" + name), bgra.data(), 8, 8, TCnaSource::Bgra);
  };
  writeCna("lamp.cna", 255);
  writeCna("hull.cna", 0);
  TMesh glowing, plain;
  glowing.Load(CornerTriangle("lamp.bmp"), Identity);
  plain.Load(CornerTriangle("hull.bmp"), Identity);
  EXPECT_EQ(glowing.HasGlow, 1);
  for (TMesh* mesh : {&glowing, &plain}) {
    Clear(0);
    GL.Enable(GL_TEXTURE_2D);
    GL.Color3f(1, 1, 1);
    mesh->Draw({0, 0, 0}, Scene);
    GL.Finish();
    const std::array<int, 3> expected = mesh == &glowing ? std::array<int, 3>{255, 255, 255} : std::array<int, 3>{0, 0, 200};
    EXPECT_EQ(ColourAt(0.3f, 0.3f), expected);
    EXPECT_EQ(ColourAt(0.8f, 0.8f), (std::array<int, 3>{0, 0, 0}));
  }
}

TEST_F(MeshPixels, ShadowIsAFlatDarkSilhouette) {
  TMesh mesh;
  mesh.Load(CornerTriangle(""), Identity);
  Clear(1);
  mesh.DrawShadow();
  GL.Finish();
  EXPECT_EQ(ColourAt(0.3f, 0.3f), (std::array<int, 3>{51, 51, 51}));
  EXPECT_EQ(ColourAt(0.8f, 0.8f), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(ColourAt(-0.3f, -0.3f), (std::array<int, 3>{255, 255, 255}));
}

// A dynamic shadow starts white, takes its caster's silhouette when rendered, and is made
// anew at the smaller side when the window shrinks below the map.
// The shadows' world: one flat grey cell, a frustum that sees everything, shadows on at the
// window's side, and a wide triangle to cast them.
class ShadowPixels : public MeshPixels {
protected:
  void SetUp() override {
    MeshPixels::SetUp();
    if (HasFatalFailure()) return;
    std::vector<uint8_t> grey(4 * 4 * 3, 128), bytes;
    std::string error;
    ASSERT_TRUE(EncodeBmp24(grey.data(), 4, 4, bytes, error)) << error;
    WriteFileAtomic(Dir / "textures/g.bmp", bytes.data(), bytes.size());
    ASSERT_TRUE(EncodeBmp8(grey.data(), 4, 4, bytes, error)) << error;
    for (const char* name : AlphaMapNames)
      WriteFileAtomic(Dir / (std::string("textures/") + name), bytes.data(), bytes.size());
    TSrf flat;
    flat.Width = flat.Height = 1;
    flat.CellSizeX = flat.CellSizeY = 40;
    flat.TextureNames = {"g.bmp"};
    flat.BlendFlags = {0};
    flat.Cells = {TSrfCell{}};
    Surface = std::make_unique<TSurf>(flat, TSurfSettings{});
    for (TPlane& plane : Everything.planes) plane = {0, 0, 0, 1};
    Config.Shadows = 1;
    Config.ShadowMapSize = Side;
    ScreenWidth = ScreenHeight = Side;
    TMsh wide = CornerTriangle("");
    wide.Anims[0].Frames[0] = {{{-20, -20, 0}, {20, -20, 0}, {0, 20, 0}}};
    Caster.Load(wide, Identity);
  }
  void TearDown() override {
    ScreenWidth = ScreenHeight = 0;
    Surface.reset();
    MeshPixels::TearDown();
  }

  static std::vector<uint8_t> Texels(const TShadow& shadow, int side) {
    std::vector<uint8_t> rgb(static_cast<size_t>(side) * side * 3);
    GL.BindTexture(GL_TEXTURE_2D, Textures[shadow.ShadowTexture]);
    GL.PixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
  }
  static uint8_t Darkest(const std::vector<uint8_t>& rgb) { return *std::min_element(rgb.begin(), rgb.end()); }

  std::unique_ptr<TSurf> Surface;
  TFrustum Everything;
  TMesh Caster;
  const std::string Name = "caster";
  const TVector Position{0, 0, 10};
};

TEST_F(ShadowPixels, ADynamicShadowStartsWhiteTakesItsSilhouetteAndFollowsTheMapSide) {
  TSurf& surface = *Surface;
  TFrustum& everything = Everything;
  TMesh& mesh = Caster;
  const std::string& name = Name;
  const TVector& position = Position;
  TShadow shadow(ShadowClass::AirCraft);
  shadow.CreateShadow({mesh, name, position, Identity}, {surface, everything});
  ASSERT_GE(shadow.ShadowTexture, 0);
  const auto texels = [&](int side) { return Texels(shadow, side); };
  const auto darkest = Darkest;
  EXPECT_EQ(darkest(texels(Side)), 255);

  {
    TShadowRenderSetup setup;
    EXPECT_TRUE(shadow.RenderShadow({mesh, name, position, Identity}, {surface, everything}));
  }
  const std::vector<uint8_t> full = texels(Side);
  EXPECT_EQ(darkest(full), 51);
  EXPECT_EQ(*std::max_element(full.begin(), full.end()), 255);

  ScreenWidth = ScreenHeight = Side / 2;
  {
    TShadowRenderSetup setup;
    EXPECT_TRUE(shadow.RenderShadow({mesh, name, position, Identity}, {surface, everything}));
  }
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, Side / 2);
  EXPECT_EQ(darkest(texels(Side / 2)), 51);
  EXPECT_EQ(GL.GetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A pass renders its silhouettes side by side into one atlas and copies them out; a pass of
// more than the atlas holds empties it midway. Every texture must end byte for byte as when
// each silhouette is copied from the screen, the way drivers without render to texture go.
TEST_F(ShadowPixels, SilhouettesThroughTheAtlasMatchThoseCopiedFromTheScreen) {
  if (!GL.BindFramebuffer) GTEST_SKIP() << "the driver cannot render into textures";
  constexpr int Count = 1024 / Side * (1024 / Side) + 3;  // past a full atlas of squares
  std::vector<TShadow> shadows;
  std::vector<TMatrix> turns(Count, Identity);
  shadows.reserve(Count);
  for (int k = 0; k < Count; ++k) {
    MatrixRotate(turns[k], static_cast<float>(k) * 7.0f, 0, 0, 1);
    shadows.emplace_back(ShadowClass::AirCraft);
    shadows.back().CreateShadow({Caster, Name, Position, turns[k]}, {*Surface, Everything});
  }
  const auto renderAll = [&] {
    std::vector<std::vector<uint8_t>> texels;
    {
      TShadowRenderSetup setup;
      for (int k = 0; k < Count; ++k)
        EXPECT_TRUE(shadows[k].RenderShadow({Caster, Name, Position, turns[k]}, {*Surface, Everything}));
    }
    for (const TShadow& shadow : shadows) texels.push_back(Texels(shadow, Side));
    return texels;
  };
  const std::vector<std::vector<uint8_t>> atlas = renderAll();
  const auto bindFramebuffer = GL.BindFramebuffer;
  GL.BindFramebuffer = nullptr;
  const std::vector<std::vector<uint8_t>> screen = renderAll();
  GL.BindFramebuffer = bindFramebuffer;

  for (int k = 0; k < Count; ++k) {
    EXPECT_EQ(Darkest(atlas[k]), 51) << "shadow " << k;
    EXPECT_TRUE(atlas[k] == screen[k]) << "shadow " << k;
  }
  EXPECT_FALSE(atlas[0] == atlas[1]);  // each turned its own way: no square went to another
  EXPECT_FALSE(atlas[Count - 1] == atlas[Count - 2]);
  EXPECT_EQ(GL.GetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshPixels, DebrisFliesOffWithItsVelocity) {
  TMesh mesh;
  mesh.Load(CornerTriangle(""), Identity);
  for (TMeshVertex& v : mesh.Groups[0].Vertices) v.Velocity = {-0.1f, 0, 0};
  Counter.Elapsed = 10;  // one unit to the left
  Clear(0);
  GL.Disable(GL_TEXTURE_2D);
  GL.Color3f(0, 0, 1);
  mesh.DrawDebris({0, 0, 0}, Scene);
  GL.Finish();
  EXPECT_EQ(ColourAt(-0.7f, 0.3f), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(ColourAt(0.3f, 0.3f), (std::array<int, 3>{0, 0, 0}));
}

TEST_F(MeshPixels, KeyFrameBlendMovesTheSilhouette) {
  TMsh msh = CornerTriangle("");
  msh.Anims[0].Frames.push_back({{-2, 0, 0}, {-1, 0, 0}, {-2, 1, 0}});
  TMesh mesh;
  mesh.Load(msh, Identity);
  Clear(0);
  GL.Disable(GL_TEXTURE_2D);
  mesh.DrawFrame(0, 0, 0.5f, {0, 0, 0}, Scene);  // halfway: one unit to the left, white
  GL.Finish();
  EXPECT_EQ(ColourAt(-0.7f, 0.3f), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(ColourAt(0.3f, 0.3f), (std::array<int, 3>{0, 0, 0}));
}

// Without vertex programs the bump colours come from the CPU: the light vector, seen from the
// object, dotted with a flat bump map facing +z, then modulated by the colour texture.
TEST_F(MeshPixels, CpuBumpLightsAFaceTurnedToTheSun) {
  if (!GL.ActiveTexture) GTEST_SKIP() << "no second texture unit";
  std::string error;
  std::vector<uint8_t> bytes;
  std::vector<uint8_t> green(8 * 8 * 3), flat(8 * 8 * 3);
  for (size_t i = 0; i < green.size(); i += 3) {
    green[i + 1] = 255;
    flat[i] = flat[i + 1] = 128;
    flat[i + 2] = 255;
  }
  ASSERT_TRUE(EncodeBmp24(green.data(), 8, 8, bytes, error)) << error;
  WriteFileAtomic(Dir / "textures/green.bmp", bytes.data(), bytes.size());
  ASSERT_TRUE(EncodeBmp24(flat.data(), 8, 8, bytes, error)) << error;
  WriteFileAtomic(Dir / "textures/bgreen.bmp", bytes.data(), bytes.size());

  TMatrix towardsSun = Identity;
  towardsSun[10] = -1.0f;  // SunNormal becomes the face normal itself: the sun shines straight on
  TMesh lit;
  lit.Load(CornerTriangle("green.bmp"), towardsSun);
  ASSERT_NE(lit.Groups[0].BumpIndex, 0);
  Clear(0);
  lit.DrawBump({0, 0, 0}, {1, 0, 0, 0}, Scene);
  GL.Finish();
  EXPECT_EQ(ColourAt(0.3f, 0.3f), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(ColourAt(0.8f, 0.8f), (std::array<int, 3>{0, 0, 0}));

  TMesh dark;  // the sun behind the face
  dark.Load(CornerTriangle("green.bmp"), Identity);
  Clear(0);
  dark.DrawBump({0, 0, 0}, {1, 0, 0, 0}, Scene);
  GL.Finish();
  EXPECT_EQ(ColourAt(0.3f, 0.3f), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(GL.GetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
