// VertexProgramTest.cpp — the two vertex programs compile on Mesa and compute what their
// contracts say, checked through the colours they produce.
#include "core/Globals.h"
#include "core/FileIO.h"
#include "core/VectMath.h"
#include "platform/GLTable.h"
#include "platform/Window.h"

#include <GL/glext.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

constexpr int Side = 64;

struct TArbProgram {
  PFNGLGENPROGRAMSARBPROC Gen = nullptr;
  PFNGLBINDPROGRAMARBPROC Bind = nullptr;
  PFNGLPROGRAMSTRINGARBPROC String = nullptr;
  PFNGLPROGRAMLOCALPARAMETER4FARBPROC Local = nullptr;
  PFNGLPROGRAMENVPARAMETER4FARBPROC Env = nullptr;
  PFNGLDELETEPROGRAMSARBPROC Delete = nullptr;
};

class VertexPrograms : public ::testing::Test {
protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartVideo(error)) << error;
    ASSERT_TRUE(Window.Create("programs", Side, Side, error)) << error;
    ASSERT_TRUE(LoadGLTable(&TWindow::GetProcAddress, error)) << error;
    Arb.Gen = reinterpret_cast<PFNGLGENPROGRAMSARBPROC>(GetGLProcAddress("glGenProgramsARB"));
    Arb.Bind = reinterpret_cast<PFNGLBINDPROGRAMARBPROC>(GetGLProcAddress("glBindProgramARB"));
    Arb.String = reinterpret_cast<PFNGLPROGRAMSTRINGARBPROC>(GetGLProcAddress("glProgramStringARB"));
    Arb.Local = reinterpret_cast<PFNGLPROGRAMLOCALPARAMETER4FARBPROC>(
        GetGLProcAddress("glProgramLocalParameter4fARB"));
    Arb.Env = reinterpret_cast<PFNGLPROGRAMENVPARAMETER4FARBPROC>(
        GetGLProcAddress("glProgramEnvParameter4fARB"));
    Arb.Delete = reinterpret_cast<PFNGLDELETEPROGRAMSARBPROC>(GetGLProcAddress("glDeleteProgramsARB"));
    ASSERT_TRUE(Arb.Gen && Arb.Bind && Arb.String && Arb.Local && Arb.Env && Arb.Delete);

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
  void TearDown() override {
    if (Program) Arb.Delete(1, &Program);
    Window.Destroy();
  }

  // Loads a program file from the game's shader directory; fails the test with the driver's
  // message when it does not compile.
  void Load(const std::string& name) {
    std::vector<uint8_t> text = ReadFileBytes(std::string(QUINTARA_GAME_DIR) + "/shader/" + name, 1 << 16);
    text.push_back(0);  // Mesa reads the text up to a terminator whatever length it is given
    Arb.Gen(1, &Program);
    Arb.Bind(GL_VERTEX_PROGRAM_ARB, Program);
    Arb.String(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(text.size() - 1), text.data());
    GLint errorAt = 0;
    GL.GetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorAt);
    ASSERT_EQ(errorAt, -1) << name << ": " << GL.GetString(GL_PROGRAM_ERROR_STRING_ARB);
    GL.Enable(GL_VERTEX_PROGRAM_ARB);
  }

  // A small square facing the eye at distance 5, one normal for every corner. Small, because
  // the programs light and fog per vertex: its corners stand for its centre.
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

  void SetIdentityBump() {
    for (int row = 0; row < 4; ++row)
      Arb.Local(GL_VERTEX_PROGRAM_ARB, row, row == 0, row == 1, row == 2, row == 3);
  }

  TWindow Window;
  TArbProgram Arb;
  GLuint Program = 0;
};

void ExpectColour(const std::array<int, 3>& actual, float r, float g, float b) {
  EXPECT_NEAR(actual[0], r * 255, 2);
  EXPECT_NEAR(actual[1], g * 255, 2);
  EXPECT_NEAR(actual[2], b * 255, 2);
}

TEST_F(VertexPrograms, DiffuseBumpTurnsTheNormalIntoAColour) {
  Load("DiffuseBump.vs");
  SetIdentityBump();
  Arb.Env(GL_VERTEX_PROGRAM_ARB, 0, 0, 1, 0, 0);  // no fog
  DrawSquare(0.3f, -0.6f, 0.0f);
  ExpectColour(Centre(), 0.3f / 3 + 0.8f, -0.6f / 3 + 0.8f, 0.8f);
}

TEST_F(VertexPrograms, DiffuseBumpAppliesTheBumpMatrixRows) {
  Load("DiffuseBump.vs");
  // Rows that swap x and y and zero z.
  Arb.Local(GL_VERTEX_PROGRAM_ARB, 0, 0, 1, 0, 0);
  Arb.Local(GL_VERTEX_PROGRAM_ARB, 1, 1, 0, 0, 0);
  Arb.Local(GL_VERTEX_PROGRAM_ARB, 2, 0, 0, 0, 0);
  Arb.Local(GL_VERTEX_PROGRAM_ARB, 3, 0, 0, 0, 1);
  Arb.Env(GL_VERTEX_PROGRAM_ARB, 0, 0, 1, 0, 0);
  DrawSquare(0.6f, -0.3f, 0.5f);
  ExpectColour(Centre(), -0.3f / 3 + 0.8f, 0.6f / 3 + 0.8f, 0.8f);
}

TEST_F(VertexPrograms, DiffuseBumpFogCoordinateFollowsEyeDistance) {
  Load("DiffuseBump.vs");
  SetIdentityBump();
  // Fog from 0 to 10 units: scale -1/10, offset 1; the centre is 5 units away, so half fogged.
  Arb.Env(GL_VERTEX_PROGRAM_ARB, 0, -0.1f, 1.0f, 0, 0);
  // The coordinate is the fraction of the colour kept: a linear fog from 1 down to 0.
  const float black[4] = {0, 0, 0, 1};
  GL.Enable(GL_FOG);
  GL.Fogi(GL_FOG_MODE, GL_LINEAR);
  GL.Fogf(GL_FOG_START, 1.0f);
  GL.Fogf(GL_FOG_END, 0.0f);
  GL.Fogfv(GL_FOG_COLOR, black);
  DrawSquare(0.6f, 0.6f, 0.6f);
  GL.Disable(GL_FOG);
  ExpectColour(Centre(), 0.5f, 0.5f, 0.5f);
}

TEST_F(VertexPrograms, PointLightsAddDiffuseLightFromUpToFourSlots) {
  Load("PointLights.vs");
  for (int slot = 0; slot < 8; ++slot) Arb.Local(GL_VERTEX_PROGRAM_ARB, slot, 0, 0, 0, 0);
  // Light 0 at the eye, 5 units in front of the square; w / dist = 1 there.
  Arb.Local(GL_VERTEX_PROGRAM_ARB, 0, 0, 0, 0, 5.0f);
  Arb.Local(GL_VERTEX_PROGRAM_ARB, 1, 0.5f, 0.25f, 0.0f, 1);
  // Light 1 behind the square adds nothing to a surface facing away from it.
  Arb.Local(GL_VERTEX_PROGRAM_ARB, 2, 0, 0, -10, 100.0f);
  Arb.Local(GL_VERTEX_PROGRAM_ARB, 3, 1, 1, 1, 1);
  // Light 3 to the side at 45 degrees, 10 units from the centre: cos 45 * 10/10.
  Arb.Local(GL_VERTEX_PROGRAM_ARB, 6, 7.0710678f, 0, 2.0710678f, 10.0f);
  Arb.Local(GL_VERTEX_PROGRAM_ARB, 7, 0, 0, 0.5f, 1);
  DrawSquare(0, 0, 1);
  ExpectColour(Centre(), 0.5f, 0.25f, 0.5f * 0.70710678f);
}

TEST_F(VertexPrograms, PointLightsClampTheSumToOne) {
  Load("PointLights.vs");
  for (int slot = 0; slot < 8; ++slot) Arb.Local(GL_VERTEX_PROGRAM_ARB, slot, 0, 0, 0, 0);
  Arb.Local(GL_VERTEX_PROGRAM_ARB, 0, 0, 0, 0, 50.0f);  // ten times brighter than needed
  Arb.Local(GL_VERTEX_PROGRAM_ARB, 1, 1, 0.5f, 0.02f, 1);
  DrawSquare(0, 0, 1);
  ExpectColour(Centre(), 1.0f, 1.0f, 0.2f);
}

}  // namespace
