// VertexShaderPixelTest.cpp — the vertex-program object on Mesa's GL_ARB_vertex_program: the
// game's programs loaded from the shader directory light a square as the Bind calls say.
#include "core/Globals.h"
#include "core/VectMath.h"
#include "platform/GLTable.h"
#include "platform/Window.h"
#include "render/LightUnit.h"
#include "render/VSUnit.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

constexpr int Side = 64;

class VertexShaderPixels : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartVideo(error)) << error;
    ASSERT_TRUE(Window.Create("vertex shader", Side, Side, error)) << error;
    ASSERT_TRUE(LoadGLTable(&TWindow::GetProcAddress, error)) << error;
    SetAppDir(QUINTARA_GAME_DIR);
    GL.Viewport(0, 0, Side, Side);
    TMatrix projection;
    MatrixPerspective(45.0f, 1.0f, 0.1f, 100.0f, projection);
    GL.MatrixMode(GL_PROJECTION);
    GL.LoadMatrixf(projection.data());
    GL.MatrixMode(GL_MODELVIEW);
    GL.LoadIdentity();
    GL.Disable(GL_TEXTURE_2D);
    GL.Disable(GL_CULL_FACE);
    GL.ClearColor(0, 0, 0, 1);
    GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  void TearDown() override { Window.Destroy(); }

  // A small square 5 units in front of the eye, every corner with the same normal.
  void DrawSquare(float nx, float ny, float nz) {
    constexpr float Half = 0.2f;
    GL.Begin(GL_QUADS);
    GL.Normal3f(nx, ny, nz);
    GL.Vertex3f(-Half, -Half, -5);
    GL.Vertex3f(Half, -Half, -5);
    GL.Vertex3f(Half, Half, -5);
    GL.Vertex3f(-Half, Half, -5);
    GL.End();
    GL.Finish();
  }

  std::array<int, 3> Centre() {
    uint8_t rgba[4] = {};
    GL.ReadPixels(Side / 2, Side / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
  }

  TWindow Window;
};

void ExpectColour(const std::array<int, 3>& actual, float r, float g, float b) {
  EXPECT_NEAR(actual[0], r * 255, 2);
  EXPECT_NEAR(actual[1], g * 255, 2);
  EXPECT_NEAR(actual[2], b * 255, 2);
}

TEST_F(VertexShaderPixels, BumpProgramWithFogOff) {
  TVertexShader shader(VertexProgramArb);
  ASSERT_TRUE(shader.Ready());
  shader.SetFog(0.0f, 1.0f);
  TMatrix identity;
  MatrixIdentity(identity);
  shader.BindBump(identity);
  DrawSquare(0.3f, -0.6f, 0.0f);
  shader.Unbind();
  ExpectColour(Centre(), 0.3f / 3 + 0.8f, -0.6f / 3 + 0.8f, 0.8f);
  EXPECT_FALSE(GL.IsEnabled(GL_VERTEX_PROGRAM_ARB));
}

TEST_F(VertexShaderPixels, LightsOfThePreviousFrameLightTheObject) {
  TVertexShader shader(VertexProgramArb);
  ASSERT_TRUE(shader.Ready());
  TLightBuffer lights(nullptr, 0);
  // At the eye, 5 units from the square: strength (1 / falloff) / distance = 1.
  lights.AddLight({0, 0, 0}, {0.5f, 0.25f, 0.0f}, 0.2f, 100);
  lights.AddLight({0, 0, -4}, {1, 1, 1}, 0.01f, 0.5f);  // its range falls short of the square
  TMatrix view;
  MatrixIdentity(view);
  shader.SetOwner({&lights, &view});

  EXPECT_FALSE(shader.BindLights({0, 0, -5}));  // nothing swapped in yet: no light to bind
  EXPECT_FALSE(GL.IsEnabled(GL_VERTEX_PROGRAM_ARB));

  lights.SwapBuffers();
  ASSERT_TRUE(shader.BindLights({0, 0, -5}));
  DrawSquare(0, 0, 1);
  shader.Unbind();
  ExpectColour(Centre(), 0.5f, 0.25f, 0.0f);
}

}  // namespace
